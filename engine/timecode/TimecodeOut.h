#pragma once
// The engine's timecode for the songs it plays: the settings the program gave last, the LTC
// track a new graph gets, and the MIDI thread of MTC and MIDI clock while a song plays.
// UI thread only.

#include "engine/midi/MidiFile.h"
#include "engine/midi/MidiSession.h"
#include "engine/timecode/TimecodeSession.h"
#include "engine/timecode/TimecodeSettings.h"

#include <cstdint>
#include <memory>

namespace vl::engine {
class PlaybackGraph;
}

namespace vl::engine::timecode {

using MidiBytesFunction = int32_t (*)(const uint8_t* bytes, int32_t length);

class TimecodeOut {
public:
    // Levels are held between -60 and 0 dBFS, the channel at 0 (off) or 1..8.
    void set(const TimecodeSettings& settings);
    const TimecodeSettings& settings() const { return settings_; }
    void setBytesOut(MidiBytesFunction out) { bytesOut_ = out; }

    // While VL_Play builds the graph: its LTC track, prefilled, when LTC is on.
    void addLtc(PlaybackGraph& graph, uint64_t startFrame, int rate, std::size_t prefillFrames) const;
    // After the graph is handed to the callback: MTC and MIDI clock, when on and an output is set.
    void start(const PlaybackGraph& graph, std::shared_ptr<const midi::MidiSong> song, PlayedClock clock,
               midi::MidiOutFunction shortOut);
    // Before the graph is retired: the last full frame goes out.
    void stop() { session_.reset(); }

private:
    TimecodeSettings settings_;
    MidiBytesFunction bytesOut_ = nullptr;
    std::unique_ptr<TimecodeSession> session_;
};

} // namespace vl::engine::timecode
