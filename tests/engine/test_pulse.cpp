// Ordinary devices against a real PulseAudio server (the test script's, with a stereo null
// sink): the device list names the sink, the first output pair is what it plays, and quitting
// leaves no stream, client or thread behind. ALSA's default device reaches the same server
// through ALSA's pulse plugin.
#include "EngineTestSupport.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"

#include <gtest/gtest.h>

using namespace vl::engine;

TEST(PulseAudio, EachWayToTheServerPlaysTheFirstPairAndQuitLeavesNothingBehind) {
    if (!vl::test::pulseAvailableOrFail()) GTEST_SKIP() << "no PulseAudio server";
    vl::test::TempFolder dir;
    // 441 Hz on pair 0; 1102.5 Hz on pair 1, which a stereo sink has no room for.
    vl::test::writeTone(dir / "low.wav", 44100, 2, 20.0, 441.0, 0.5f);
    vl::test::writeTone(dir / "high.wav", 48000, 1, 20.0, 1102.5, 0.5f);
    Engine e;
    const int threads = vl::test::threadCount();
    e.initAudioDriver(-1, nullptr);
    EXPECT_GE(vl::test::deviceEntry(e, vl::test::kNullSinkListed), 1) << "listed after the no-sound device";

    // ALSA's pulse plugin takes all eight channels, which the server remixes for the stereo
    // sink: there the tone's presence is checked, not its level.
    for (const std::string name : {vl::test::kNullSinkListed, "ALSA: default"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(vl::test::openListed(e, name));
        EXPECT_EQ(e.device()->kind(), DeviceKind::Ordinary);
        vl::test::loadTracks(e, dir.path(), {{"low.wav", 0}, {"high.wav", 1}});
        ASSERT_EQ(e.play(false, true, nullptr), 1);
        EXPECT_EQ(vl::test::pulseList("sink-inputs").size(), 1u);

        const vl::test::Stereo s = vl::test::recordNullSink(44100);
        ASSERT_EQ(s.left.size(), 44100u);
        const double level = vl::test::toneRms(0.5);
        for (const auto* channel : {&s.left, &s.right}) {
            const double heard = vl::test::medianWindowRms(*channel, 22050);
            if (name == vl::test::kNullSinkListed)
                EXPECT_NEAR(heard, level, level * 0.05);
            else
                EXPECT_GT(heard, level * 0.3);
            EXPECT_NEAR(double(vl::test::medianPeriod(*channel)), 100.0, 1.0) << "441 Hz alone";
        }
        EXPECT_EQ(e.deviceState(), DeviceState::Fine);

        e.quit();
        EXPECT_TRUE(vl::test::pulseList("sink-inputs").empty());
        EXPECT_TRUE(vl::test::pulseList("clients").empty());
        EXPECT_EQ(vl::test::threadCount(), threads);
    }
}
