// The offline device behind the render command: with the decoding thread running beside
// it, a song rendered far faster than real time misses no frame and comes out exactly as
// the decoder-less offline render makes it; and the probe tells what plays.
#include "EngineTestSupport.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>

#include <array>

using namespace vl;
using namespace vl::engine;

namespace {

constexpr int kFrames = 6 * kSampleRate; // more than twice what a ring holds

void loadEight(Engine& engine, const test::TempFolder& dir) {
    std::vector<std::pair<std::string, uint8_t>> files;
    for (int t = 0; t < 8; ++t) {
        const std::string name = "t" + std::to_string(t) + ".wav";
        test::writeTone(dir / name, t % 2 ? 48000 : 44100, 2, 6.5, 110.0 * (t + 1), 0.1f);
        files.emplace_back(name, uint8_t(t / 2));
    }
    test::loadTracks(engine, dir.path(), files);
}

} // namespace

TEST(OfflineRender, MissesNoFrameBesideTheDecodingThreadAndMatchesTheExactRender) {
    test::TempFolder dir;
    Engine reference({.decodingThread = false});
    ManualDevice& device = reference.openManualDevice();
    loadEight(reference, dir);
    ASSERT_EQ(reference.play(false, true, nullptr), 1);
    const test::Outputs expected = test::renderFrames(reference, device, kFrames, 4096);

    // Without a decoding thread only the render's own refills can fill the rings; with
    // one (the module's) both take turns.
    for (const bool thread : {false, true}) {
        Engine engine({.decodingThread = thread});
        ASSERT_EQ(engine.openOfflineDevice(), 1);
        loadEight(engine, dir);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        std::array<std::vector<float>, kOutputChannels> got;
        for (auto& c : got) c.resize(kFrames);
        for (int done = 0; done < kFrames;) {
            const int n = std::min(kFrames - done, 4096);
            std::array<float*, kOutputChannels> channels{};
            for (int c = 0; c < kOutputChannels; ++c) channels[c] = got[c].data() + done;
            ASSERT_EQ(engine.renderOffline(channels.data(), n), 1);
            done += n;
        }
        EXPECT_EQ(engine.counters().underruns.load(), 0u) << "decoding thread: " << thread;
        for (int c = 0; c < kOutputChannels; ++c) EXPECT_EQ(got[c], expected[c]) << "output " << c + 1;
    }

    Engine engine;
    ASSERT_EQ(engine.openOfflineDevice(), 1);
    std::array<std::vector<float>, kOutputChannels> got;
    for (auto& c : got) c.assign(64, 1.0f);
    // Any other device closes the offline one: nothing renders then.
    engine.openManualDevice();
    std::array<float*, kOutputChannels> channels{};
    for (int c = 0; c < kOutputChannels; ++c) channels[c] = got[c].data();
    EXPECT_EQ(engine.renderOffline(channels.data(), 64), 0);
    EXPECT_EQ(got[0][10], 0.0f) << "silence";
}

TEST(OfflineRender, TheProbeTellsWhatPlaysAndWhyNot) {
    test::TempFolder dir;
    test::writeTone(dir / "mono.wav", 22050, 1, 2.0, 440, 0.1f);
    test::writeFile(dir / "words.wav", "no sound in here");
    Engine engine({.decodingThread = false});
    engine.setTrackFile(1, 0, 1.0f, 0, (dir / "mono.wav").c_str());
    engine.setTrackFile(2, 0, 1.0f, 0, (dir / "words.wav").c_str());
    engine.setTrackFile(3, 0, 1.0f, 0, (dir / "gone.wav").c_str());
    VL_FileProbe probe{};
    ASSERT_EQ(engine.probeSlot(1, &probe), 1);
    EXPECT_EQ(probe.role, VL_ROLE_AUDIO);
    EXPECT_EQ(probe.rate, 22050);
    EXPECT_EQ(probe.channels, 1);
    EXPECT_EQ(probe.lengthSongBytes, 2u * 176400u);
    EXPECT_EQ(engine.probeSlot(2, &probe), 0);
    EXPECT_STRNE(probe.reason, "");
    EXPECT_EQ(engine.probeSlot(3, &probe), 0);
    EXPECT_STREQ(probe.reason, "file not found");
    engine.setSoundFontPath((dir / "mono.wav").c_str());
    EXPECT_EQ(engine.probeSoundFont(&probe), 0);
    EXPECT_STREQ(probe.reason, "not a sound font");
}
