// A queued song follows the playing one in the callback itself: its first sample right
// after the last of the song before, or the pause set later, with its own slots while the
// playing song keeps its levels.
#include "EngineTestSupport.h"
#include "MidiFileWriter.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

using namespace vl::engine;

namespace {

std::size_t firstSound(const std::vector<float>& s) {
    std::size_t i = 0;
    while (i < s.size() && std::fabs(s[i]) < 1e-4f) ++i;
    return i;
}

std::size_t lastSound(const std::vector<float>& s) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::fabs(s[i]) >= 1e-4f) last = i;
    return last;
}

} // namespace

TEST(Segue, TheQueuedSongFollowsInTheSameBlockOrAfterThePause) {
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "a.wav", 44100, 2, 0.5, 440.0, 0.5f);
    vl::test::writeTone(dir / "b.wav", 44100, 2, 0.5, 660.0, 0.5f);
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
    for (const uint32_t pauseMs : {0u, 250u}) {
        SCOPED_TRACE(pauseMs);
        for (int i = 1; i <= 8; ++i) engine.setTrackFile(i, 0, 1.0f, 0, "");
        engine.setTrackFile(1, 0, 1.0f, 0, (dir / "a.wav").c_str()); // outputs 1/2
        engine.setStartPerMille(0);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        const vl::test::Outputs before = vl::test::renderFrames(engine, device, 11025, 256);
        engine.beginNextSong();
        engine.setTrackFile(1, 1, 0.5f, 0, (dir / "b.wav").c_str()); // outputs 3/4, half level
        ASSERT_EQ(engine.queueNext(pauseMs, true, nullptr), 1);
        EXPECT_EQ(engine.queueNext(pauseMs, true, nullptr), 0) << "one song queued at a time";
        EXPECT_EQ(engine.takeNextStarted(), 0);
        const vl::test::Outputs out = vl::test::renderFrames(engine, device, 44100, 256);
        // The playing song kept its own slot: full level on outputs 1/2 up to its end.
        EXPECT_NEAR(vl::test::peak(before[0]), vl::test::peak(out[0]), 0.01);
        const std::size_t lastOfA = lastSound(out[0]), firstOfB = firstSound(out[2]);
        EXPECT_EQ(11025 + lastOfA, 22049u) << "the first song to its last sample";
        // A sine starts at 0: its first audible sample is its second.
        EXPECT_NEAR(double(firstOfB), double(lastOfA + 1 + pauseMs * 441 / 10), 1.0);
        EXPECT_NEAR(vl::test::peak(out[2]), vl::test::peak(out[0]) * 0.5, 0.01);
        EXPECT_EQ(engine.takeNextStarted(), 1);
        EXPECT_EQ(engine.takeNextStarted(), 0) << "said once";
        EXPECT_EQ(engine.maxLength(), 22050u * 4) << "the second song is the playing one";
        EXPECT_GT(engine.songPosition(), 0u);
        engine.stop();
    }
    // A stop drops the queued song: nothing follows.
    engine.setTrackFile(1, 0, 1.0f, 0, (dir / "a.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    engine.beginNextSong();
    engine.setTrackFile(1, 1, 1.0f, 0, (dir / "b.wav").c_str());
    ASSERT_EQ(engine.queueNext(0, true, nullptr), 1);
    engine.stop();
    const vl::test::Outputs after = vl::test::renderFrames(engine, device, 44100, 256);
    EXPECT_EQ(vl::test::peak(after[2]), 0.0);
    EXPECT_EQ(engine.takeNextStarted(), 0);
    EXPECT_EQ(engine.counters().underruns.load(), 0u);
}

TEST(PreparedSong, APlayOfThePreparedSlotsStartsWhatWasOpenedAndAnyOtherDropsIt) {
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "a.wav", 44100, 2, 1.0, 440.0, 0.5f);
    vl::test::writeTone(dir / "b.wav", 44100, 2, 1.0, 660.0, 0.5f);
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
    for (int i = 1; i <= 8; ++i) engine.setTrackFile(i, 0, 1.0f, 0, "");
    engine.setTrackFile(1, 0, 1.0f, 0, (dir / "a.wav").c_str());
    ASSERT_EQ(engine.prepare(true), 1);
    ASSERT_TRUE(engine.hasPrepared());
    // Opened and decoded ahead: the file may go, the prepared song still plays.
    std::filesystem::rename(dir / "a.wav", dir / "gone.wav");
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_FALSE(engine.hasPrepared());
    vl::test::Outputs out = vl::test::renderFrames(engine, device, 256, 256);
    EXPECT_GT(vl::test::peak(out[0]), 0.1) << "sound in the first block";
    engine.stop();

    // Another song's start, or another start point, drops what was prepared.
    std::filesystem::rename(dir / "gone.wav", dir / "a.wav");
    ASSERT_EQ(engine.prepare(true), 1);
    engine.setStartPerMille(500);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_FALSE(engine.hasPrepared());
    EXPECT_GE(engine.songPosition(), 22050u * 4 - 4);
    engine.stop();
    engine.setStartPerMille(0);
    ASSERT_EQ(engine.prepare(true), 1);
    engine.setTrackFile(1, 1, 1.0f, 0, (dir / "b.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    out = vl::test::renderFrames(engine, device, 4096, 256);
    EXPECT_EQ(vl::test::peak(out[0]), 0.0) << "not the prepared song";
    EXPECT_GT(vl::test::peak(out[2]), 0.1);
    engine.stop();

    // A file imported again under its name after the preparing: the new one plays.
    ASSERT_EQ(engine.prepare(true), 1);
    ASSERT_TRUE(engine.hasPrepared());
    vl::test::writeTone(dir / "import.partial", 44100, 2, 1.0, 660.0, 0.125f);
    std::filesystem::rename(dir / "import.partial", dir / "b.wav");
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    out = vl::test::renderFrames(engine, device, 4096, 256);
    EXPECT_NEAR(vl::test::peak(out[2]), 0.125, 0.03) << "the file as it is now";
    EXPECT_EQ(engine.counters().underruns.load(), 0u);
}

TEST(PreparedSong, AHeavySongIsPreparedWithoutHoldingUpTheCaller) {
    using namespace std::chrono_literals;
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "a.wav", 44100, 2, 1.0, 440.0, 0.5f);
    // 400,000 notes: reading them takes the engine half a second and more.
    std::vector<vl::test::SmfEvent> notes;
    for (uint32_t i = 0; i < 400000; ++i) {
        notes.push_back(vl::test::channelMessage(i, 0x90, uint8_t(60 + i % 12), 100));
        notes.push_back(vl::test::channelMessage(i, 0x80, uint8_t(60 + i % 12), 0));
    }
    vl::test::writeFile(dir / "long.mid", vl::test::buildSmf({notes}));
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
    for (int i = 1; i <= 8; ++i) engine.setTrackFile(i, 0, 1.0f, 0, "");
    engine.setTrackFile(1, 0, 1.0f, 0, (dir / "a.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, (dir / "long.mid").c_str());
    // The highlight moves on and back while the reading runs: no call waits for it.
    const auto asked = std::chrono::steady_clock::now();
    ASSERT_EQ(engine.prepare(true), 1);
    engine.setTrackFile(2, 1, 1.0f, 0, (dir / "a.wav").c_str());
    ASSERT_EQ(engine.prepare(true), 1);
    engine.setTrackFile(2, 1, 1.0f, 0, (dir / "long.mid").c_str());
    ASSERT_EQ(engine.prepare(true), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 100ms) << "the interface never waits for the reading";
    ASSERT_TRUE(engine.hasPrepared());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const vl::test::Outputs out = vl::test::renderFrames(engine, device, 256, 256);
    EXPECT_GT(vl::test::peak(out[0]), 0.1) << "the prepared song, in the first block";
}
