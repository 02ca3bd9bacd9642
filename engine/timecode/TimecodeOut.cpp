#include "engine/timecode/TimecodeOut.h"

#include "engine/AudioFormat.h"
#include "engine/TrackSlot.h"
#include "engine/playback/PlaybackGraph.h"
#include "engine/timecode/LtcSource.h"

#include <algorithm>
#include <cmath>

namespace vl::engine::timecode {

namespace {

// The LTC track follows no fader, pan or output pair of the program.
const TrackSlot kNoSlot{};
constexpr int kLtcSlotNumber = 0;

} // namespace

void TimecodeOut::set(const TimecodeSettings& settings) {
    settings_ = settings;
    if (settings_.ltcChannel < 1 || settings_.ltcChannel > kOutputChannels) settings_.ltcChannel = 0;
    settings_.ltcLevelDb = std::isfinite(settings_.ltcLevelDb) ? std::clamp(settings_.ltcLevelDb, -60.0f, 0.0f) : -18.0f;
}

void TimecodeOut::addLtc(PlaybackGraph& graph, uint64_t startFrame, int rate, std::size_t prefillFrames) const {
    if (settings_.ltcChannel == 0) return;
    const TimecodeRate tc = rateFromCode(settings_.rateCode);
    const auto level = static_cast<float>(std::pow(10.0, settings_.ltcLevelDb / 20.0));
    auto source = std::make_unique<LtcSource>(tc, frameIndexOf(settings_.start, tc), startFrame, rate, level);
    auto track = std::make_unique<GraphTrack>(kNoSlot, kLtcSlotNumber, std::move(source), startFrame, rate, false);
    track->refill(prefillFrames);
    graph.setTimecodeTrack(std::move(track), settings_.ltcChannel - 1);
}

void TimecodeOut::start(const PlaybackGraph& graph, std::shared_ptr<const midi::MidiSong> song, PlayedClock clock,
                        midi::MidiOutFunction shortOut) {
    session_.reset();
    const bool clockOn = settings_.midiClock && song;
    if ((!settings_.mtc && !clockOn) || (!bytesOut_ && !shortOut)) return;
    MidiBytesOut out;
    if (bytesOut_) {
        out = [bytes = bytesOut_](const uint8_t* b, int n) { bytes(b, n); };
    } else {
        // A program that takes only short messages gets no full frames.
        out = [shortOut](const uint8_t* b, int n) {
            if (n <= 3) shortOut(b[0], n > 1 ? b[1] : 0, n > 2 ? b[2] : 0, n);
        };
    }
    clock.stamp = &graph.blockStamp();
    session_ = std::make_unique<TimecodeSession>(settings_, std::move(song), clock, std::move(out));
}

} // namespace vl::engine::timecode
