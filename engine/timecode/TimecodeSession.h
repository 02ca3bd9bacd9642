#pragma once
// The engine's timecode thread for one playing song: MIDI time code (a full frame at the
// start and at the stop, quarter frames while playing) and MIDI clock from the song's MIDI
// file (Start, or Song Position Pointer and Continue, then 24 clocks a quarter note by its
// tempo map). Each message leaves when the sample it belongs to leaves the output: the
// thread reads when the callback took its last block, adds the time since, and takes off
// the device's output latency. Started by VL_Play after the graph is handed over, joined by
// VL_Stop before the graph is retired; the output function is only called from here.

#include "engine/midi/MidiFile.h"
#include "engine/timecode/BlockStamp.h"
#include "engine/timecode/TimecodeSettings.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace vl::engine::timecode {

// Where the graph's device frames are in the song and on the output.
struct PlayedClock {
    const BlockStamp* stamp = nullptr;
    uint64_t startFrame = 0; // 44.1 kHz frames: the song position of device frame 0
    int rate = 44100;        // device frames per second
    int latencyFrames = 0;   // from the callback's buffer to the output's jack
};

class TimecodeSession {
public:
    // `song` null: no MIDI clock even when the settings ask for it.
    TimecodeSession(const TimecodeSettings& settings, std::shared_ptr<const midi::MidiSong> song, PlayedClock clock,
                    MidiBytesOut out);
    ~TimecodeSession();
    TimecodeSession(const TimecodeSession&) = delete;
    TimecodeSession& operator=(const TimecodeSession&) = delete;

private:
    void run();
    // Song seconds leaving the output now; false before the first block.
    bool audibleSeconds(double& seconds) const;
    void send(std::initializer_list<uint8_t> bytes);
    void sendFullFrame(double songSeconds);
    // Quarter frames from the first frame that starts at or after `songSeconds`.
    void restartQuarterFrames(double songSeconds);
    double quarterFrameDue() const;
    void sendQuarterFrame();
    double clockDue() const;
    void startClock(double songSeconds);

    const TimecodeSettings settings_;
    const TimecodeRate rate_;
    const int64_t startIndex_;
    const std::shared_ptr<const midi::MidiSong> song_;
    const PlayedClock clock_;
    const MidiBytesOut out_;
    const double startSeconds_;

    // Thread only.
    int64_t groupFrame_ = 0; // song frame of the current quarter frame group's piece 0
    int piece_ = 0;
    uint64_t pulse_ = 0; // next MIDI clock

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vl::engine::timecode
