// MIDI clock from a song's MIDI file on JACK: 24 clocks a quarter note that follow the
// file's tempo map, Start at the song's start, Song Position Pointer and Continue in its middle.
#include "EngineTestSupport.h"
#include "MidiFileWriter.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/JackDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

using namespace vl::engine;
using namespace std::chrono_literals;

namespace {

struct Heard {
    int32_t status, data1, data2;
    std::chrono::steady_clock::time_point at;
};
std::mutex heardMutex;
std::vector<Heard> heard;

int32_t recordMidiOut(int32_t status, int32_t data1, int32_t data2, int32_t) {
    std::lock_guard lock(heardMutex);
    heard.push_back({status, data1, data2, std::chrono::steady_clock::now()});
    return 1;
}

std::vector<Heard> takeHeard() {
    std::lock_guard lock(heardMutex);
    return std::exchange(heard, {});
}

// The least-squares slope of the clocks' times, in seconds a clock, over pulses [from, to).
double clockPeriod(const std::vector<double>& seconds, std::size_t from, std::size_t to) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(to - from);
    for (std::size_t i = from; i < to; ++i) {
        sx += double(i), sy += seconds[i], sxx += double(i) * double(i), sxy += double(i) * seconds[i];
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

} // namespace

TEST(TimecodeMidiClock, ClockFollowsTheTempoMapAndAStartInTheMiddleSaysWhereItIs) {
    if (!vl::test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    vl::test::TempFolder dir;
    // Eight beats at 120 bpm (4 s), then six at 80 bpm (4.5 s).
    constexpr uint32_t kBeat = 480;
    const auto smf = vl::test::buildSmf({{vl::test::tempo(0, 500000), vl::test::channelMessage(0, 0x90, 60, 90),
                                          vl::test::tempo(8 * kBeat, 750000),
                                          vl::test::channelMessage(14 * kBeat, 0x80, 60, 0)}});
    std::ofstream(dir / "song.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(smf.data()), static_cast<std::streamsize>(smf.size()));
    Engine e;
    ASSERT_TRUE(e.openDevice(std::make_unique<JackDevice>()));
    vl::test::loadTracks(e, dir.path(), {{"song.mid", 0}});
    e.setMidiOutCallback(&recordMidiOut);
    timecode::TimecodeSettings settings;
    settings.midiClock = true;
    e.setTimecode(settings);

    takeHeard();
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    std::this_thread::sleep_for(7500ms);
    e.stop();
    const std::vector<Heard> played = takeHeard();
    ASSERT_GT(played.size(), 300u);
    EXPECT_EQ(played[0].status, 0xFA) << "Start before the first clock";
    std::vector<double> seconds;
    for (std::size_t i = 1; i < played.size(); ++i) {
        EXPECT_EQ(played[i].status, 0xF8) << i;
        seconds.push_back(std::chrono::duration<double>(played[i].at - played[1].at).count());
    }
    ASSERT_GT(seconds.size(), 8u * 24 + 3 * 24);
    EXPECT_NEAR(clockPeriod(seconds, 0, 8 * 24), 0.5 / 24, 0.5 / 24 * 0.01) << "120 bpm";
    EXPECT_NEAR(clockPeriod(seconds, 8 * 24 + 1, seconds.size()), 0.75 / 24, 0.75 / 24 * 0.01) << "80 bpm";
    EXPECT_NEAR(seconds[8 * 24], 4.0, 0.04) << "the tempo changes on the ninth beat";

    // 4.25 s into the song: 8 beats and a third, so the next sixteenth note is the 34th.
    e.setStartPerMille(500);
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    std::this_thread::sleep_for(500ms);
    e.quit();
    const std::vector<Heard> resumed = takeHeard();
    ASSERT_GE(resumed.size(), 3u);
    EXPECT_EQ(std::vector<int>({resumed[0].status, resumed[0].data1, resumed[0].data2, resumed[1].status}),
              std::vector<int>({0xF2, 34, 0, 0xFB}));
    EXPECT_EQ(resumed[2].status, 0xF8);
}
