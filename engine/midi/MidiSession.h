#pragma once
// The engine's MIDI thread for one playing song with a MIDI file. It rebuilds the MIDI
// texts when the played position passes a lyric or text event (and once 0.25 s after the
// start), and, for system playback, plays the file's messages in time through the
// program's MIDI-out function. It is started by VL_Play after the graph is handed to the
// audio callback and joined by VL_Stop; the MIDI-out function is only ever called from it.

#include "engine/midi/MidiFile.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vl::engine {
class MidiTexts;
}

namespace vl::engine::midi {

// status, first data byte, second data byte, message length in bytes (2 or 3).
using MidiOutFunction = int32_t (*)(int32_t, int32_t, int32_t, int32_t);

class MidiSession {
public:
    // `position`: the played song position in song bytes, callable from any thread.
    // `out` null: no system playback. System playback runs by the steady clock from
    // `startFrame` (44.1 kHz frames), after the program and controller state before it.
    MidiSession(std::shared_ptr<const MidiSong> song, MidiTexts& texts, std::function<uint32_t()> position,
                uint64_t startFrame, MidiOutFunction out);
    // Stops the thread; notes it left sounding on the MIDI output are switched off first.
    ~MidiSession();
    MidiSession(const MidiSession&) = delete;
    MidiSession& operator=(const MidiSession&) = delete;

    // The first text build waits this long after the start point.
    static constexpr uint32_t kFirstTextDelaySongBytes = 44100;
    // Texts are built for a position this far back, so that the event just passed still
    // counts as the one being reached.
    static constexpr uint32_t kTextLookBackSongBytes = 16384;

private:
    void run();
    void updateTexts(uint32_t position);
    void playDue(uint64_t clockFrame);
    void send(const MidiEvent& e);
    void silenceOutput();

    std::shared_ptr<const MidiSong> song_;
    MidiTexts& texts_;
    std::function<uint32_t()> position_;
    const uint64_t startFrame_;
    const MidiOutFunction out_;

    // Thread only.
    std::size_t nextEvent_ = 0;
    std::size_t nextLyric_ = 0, nextText_ = 0;
    bool firstTextsBuilt_ = false;
    bool sounding_[16][128] = {};
    bool sustained_[16] = {};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vl::engine::midi
