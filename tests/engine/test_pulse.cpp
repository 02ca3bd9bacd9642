// Ordinary devices against a real PulseAudio server (the test script's, with a stereo null
// sink): the device list names the sink, the first output pair is what it plays, and quitting
// leaves no stream, client or thread behind. ALSA's default device reaches the same server
// through ALSA's pulse plugin.
#include "EngineTestSupport.h"
#include "SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"

#include <gtest/gtest.h>

using namespace vl::engine;

namespace {

// A 441 Hz tone on pair 0 and a 1102.5 Hz tone on pair 1, which a stereo sink has no room for.
void loadTwoPairs(Engine& e, const vl::test::TempFolder& dir) {
    vl::test::writeTone(dir / "low.wav", 44100, 2, 20.0, 441.0, 0.5f);
    vl::test::writeTone(dir / "high.wav", 48000, 1, 20.0, 1102.5, 0.5f);
    for (int i = 1; i <= 8; ++i)
        e.setTrackFile(i, 0, 1.0f, 0, (dir / "none").c_str());
    e.setTrackFile(1, 0, 1.0f, 0, (dir / "low.wav").c_str());
    e.setTrackFile(2, 1, 1.0f, 0, (dir / "high.wav").c_str());
}

} // namespace

TEST(PulseAudio, NullSinkIsListedPlaysTheFirstPairAndQuitLeavesNothingBehind) {
    if (!vl::test::pulseAvailableOrFail()) GTEST_SKIP() << "no PulseAudio server";
    vl::test::TempFolder dir;
    Engine e;
    const int threads = vl::test::threadCount();
    e.initAudioDriver(-1, nullptr);
    const int sink = vl::test::deviceEntry(e, vl::test::kNullSinkListed);
    ASSERT_GE(sink, 1) << "the sink is listed after the no-sound device";
    ASSERT_EQ(e.initAudioDriver(sink, nullptr), 1);
    ASSERT_NE(e.device(), nullptr);
    EXPECT_EQ(e.device()->kind(), DeviceKind::Ordinary);
    loadTwoPairs(e, dir);
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    EXPECT_EQ(vl::test::pulseList("sink-inputs").size(), 1u);

    const vl::test::Stereo s = vl::test::recordNullSink(44100);
    ASSERT_EQ(s.left.size(), 44100u);
    for (const auto* channel : {&s.left, &s.right}) {
        EXPECT_NEAR(vl::test::rms(*channel, 22050), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);
        EXPECT_NEAR(double(vl::test::medianPeriod(*channel)), 100.0, 1.0) << "441 Hz alone";
    }
    EXPECT_EQ(e.deviceState(), DeviceState::Fine);

    e.quit();
    EXPECT_TRUE(vl::test::pulseList("sink-inputs").empty());
    EXPECT_TRUE(vl::test::pulseList("clients").empty());
    EXPECT_EQ(vl::test::threadCount(), threads);
}

TEST(PulseAudio, AlsaDefaultDeviceReachesTheServerThroughThePulsePlugin) {
    if (!vl::test::pulseAvailableOrFail()) GTEST_SKIP() << "no PulseAudio server";
    vl::test::TempFolder dir;
    Engine e;
    ASSERT_TRUE(vl::test::openListed(e, "ALSA: default"));
    loadTwoPairs(e, dir);
    ASSERT_EQ(e.play(false, true, nullptr), 1);

    const vl::test::Stereo s = vl::test::recordNullSink(44100);
    ASSERT_EQ(s.left.size(), 44100u);
    for (const auto* channel : {&s.left, &s.right}) {
        EXPECT_GT(vl::test::rms(*channel, 22050), vl::test::toneRms(0.5) * 0.3);
        EXPECT_NEAR(double(vl::test::medianPeriod(*channel)), 100.0, 1.0);
    }
    e.quit();
    EXPECT_TRUE(vl::test::pulseList("sink-inputs").empty());
    EXPECT_TRUE(vl::test::pulseList("clients").empty());
}
