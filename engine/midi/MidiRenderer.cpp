#include "engine/midi/MidiRenderer.h"

#include "engine/midi/MidiChase.h"
#include "engine/midi/SoundFontSynth.h"
#include "engine/playback/StereoRing.h"

#include <fluidsynth.h>

#include <algorithm>

namespace vl::engine::midi {

namespace {
// The synth is held for one piece at a time: a new song waits at most that long for it.
constexpr std::size_t kChunkFrames = 512;
// Silence while the font loads stays this little ahead (a twentieth of a second, five of the
// decoding thread's top-ups), as the font comes in only after what is queued has played.
constexpr int kSilenceAheadDivisor = 20;
}

MidiRenderer::MidiRenderer(std::shared_ptr<const MidiSong> song, SoundFontSynth* synth, uint64_t claim,
                           uint64_t startFrame, int rate)
    : song_(std::move(song)), synth_(synth), claim_(claim), rate_(rate),
      position_(startFrame * uint64_t(rate) / 44100), end_(song_->lengthFrames * uint64_t(rate) / 44100),
      next_(firstEventAt(*song_, startFrame)), buffer_(kChunkFrames * 2, 0.0f) {}

void MidiRenderer::catchUp(fluid_synth_t* synth) {
    const uint64_t songFrame = position_ * 44100 / uint64_t(rate_);
    for (const MidiEvent& e : chaseState(*song_, songFrame))
        apply(synth, e);
    next_ = firstEventAt(*song_, songFrame);
}

void MidiRenderer::apply(fluid_synth_t* synth, const MidiEvent& e) const {
    const int ch = e.channel();
    switch (e.type()) {
    case 0x80: fluid_synth_noteoff(synth, ch, e.data1); break;
    case 0x90: fluid_synth_noteon(synth, ch, e.data1, e.data2); break;
    case 0xA0: fluid_synth_key_pressure(synth, ch, e.data1, e.data2); break;
    case 0xB0: fluid_synth_cc(synth, ch, e.data1, e.data2); break;
    case 0xC0: fluid_synth_program_change(synth, ch, e.data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, ch, e.data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, ch, e.data1 | e.data2 << 7); break;
    case 0xF0: {
        // The synth takes the message without its closing F7.
        const uint8_t* data = song_->sysex.data() + e.sysexOffset;
        uint32_t size = e.sysexSize;
        if (size > 0 && data[size - 1] == 0xF7) --size;
        fluid_synth_sysex(synth, reinterpret_cast<const char*>(data), static_cast<int>(size), nullptr, nullptr,
                          nullptr, 0);
        break;
    }
    default: break;
    }
}

std::size_t MidiRenderer::fill(StereoRing& ring, std::size_t budget) {
    std::size_t want = position_ >= end_ ? 0 : static_cast<std::size_t>(std::min<uint64_t>(budget, end_ - position_));
    if (want == 0) return 0;
    SoundFontSynth::Access access;
    if (synth_) {
        access = synth_->access(claim_);
        if (!synth_->current(claim_)) return 0; // a later song has the synth: this one is retired
    }
    fluid_synth_t* synth = access.rate == rate_ ? access.synth : nullptr;
    if (synth && access.serial != serial_) {
        catchUp(synth);
        serial_ = access.serial;
    }
    if (!synth) {
        const std::size_t ahead = static_cast<std::size_t>(rate_ / kSilenceAheadDivisor);
        const std::size_t queued = ring.readable();
        want = queued >= ahead ? 0 : std::min(want, ahead - queued);
    }
    const auto& events = song_->events;
    std::size_t done = 0;
    while (done < want && (!synth_ || synth_->current(claim_))) {
        // Without a synth the events pass unplayed; catchUp() restores their state.
        for (; next_ < events.size() && outputFrame(events[next_]) <= position_; ++next_)
            if (synth) apply(synth, events[next_]);
        std::size_t n = std::min(want - done, kChunkFrames);
        if (next_ < events.size()) n = static_cast<std::size_t>(std::min<uint64_t>(n, outputFrame(events[next_]) - position_));
        if (synth)
            fluid_synth_write_float(synth, static_cast<int>(n), buffer_.data(), 0, 2, buffer_.data(), 1, 2);
        else
            std::fill_n(buffer_.begin(), n * 2, 0.0f);
        const std::size_t written = ring.write(buffer_.data(), n);
        position_ += written;
        done += written;
        if (written < n) break; // the ring is full: the rest of this piece is lost, as a miss would be
    }
    return done;
}

} // namespace vl::engine::midi
