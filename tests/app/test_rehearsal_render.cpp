// "vellamorinth render": the WAV file of a song of known tones has the levels and pans
// that the program's JACK ports carry when the same song plays, on every output.
#include "AppHarness.h"
#include "CommandRun.h"
#include "ToneSong.h"
#include "support/JackRecorder.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>

using namespace vl;
namespace fs = std::filesystem;

namespace {

struct Wave {
    int channels = 0;
    int rate = 0;
    std::vector<std::vector<float>> samples; // per channel
};

Wave readWave(const fs::path& path) {
    const std::string bytes = test::readFile(path);
    Wave w;
    auto u16 = [&](std::size_t at) { return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
    auto u32 = [&](std::size_t at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return w;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = u32(at + 4);
        if (id == "fmt ") {
            w.channels = u16(at + 10);
            w.rate = int(u32(at + 12));
        } else if (id == "data" && w.channels > 0) {
            const std::size_t frames = size / 2 / std::size_t(w.channels);
            w.samples.assign(std::size_t(w.channels), std::vector<float>(frames));
            for (std::size_t f = 0; f < frames; ++f)
                for (int c = 0; c < w.channels; ++c)
                    w.samples[std::size_t(c)][f] = float(int16_t(u16(at + 8 + (f * std::size_t(w.channels) + std::size_t(c)) * 2))) / 32767.0f;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

int jackEntry(const EngineFunctions& engine) {
    for (int k = 0; k < 17; ++k)
        if (const char* name = engine.GetDriverName(k); name && std::string(name) == "JACK") return k;
    return -1;
}

// Three tones on two pairs: left-heavy on 1/2, right-heavy with its EQ raised on 3/4, a muted
// one on 1/2 that must stay silent.
void writeTones(const fs::path& root) {
    const fs::path folder = root / "Tones";
    fs::create_directories(folder);
    test::writeToneWave(folder / "a.wav", 6, 440);
    test::writeToneWave(folder / "b.wav", 6, 660);
    test::writeToneWave(folder / "c.wav", 6, 880);
    SongProgram p;
    p.tracks[0] = {.fileName = "a.wav", .pan = -60, .volume = 0.8f, .outputPair = 0};
    p.tracks[1] = {.fileName = "b.wav", .pan = 50, .volume = 0.5f, .outputPair = 1, .eqActive = 1, .mid = 6};
    p.tracks[2] = {.fileName = "c.wav", .volume = 0.9f, .outputPair = 0, .mute = 1};
    writeTextLines(QString::fromStdString((folder / "Tones.p").string()), writeProgramLines(p, FileNames::Included));
}

} // namespace

TEST(RehearsalRender, TheFileHasTheLevelsAndPansTheJackPortsCarry) {
    if (!test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    test::AppHarness h(test::realEngine());
    writeTones(h.home / "YourSongs");
    const QString home = QString::fromStdString(h.home.str());

    // Rendered first, by the command, while the program has no device open.
    const fs::path all = h.home / "all.wav";
    const test::CommandOutcome rendered =
        test::runProgram({"render", "Tones", QString::fromStdString(all.string()), "--all", "--home", home});
    ASSERT_EQ(rendered.status, 0) << rendered.err.toStdString();
    EXPECT_EQ(rendered.out, QString::fromStdString(all.string()) + " written: 00:06 of outputs 1-8\n");
    const fs::path pair2 = h.home / "pair2.wav";
    const QString songPath = QString::fromStdString((h.home / "YourSongs" / "Tones").string());
    ASSERT_EQ(test::runProgram({"render", songPath, QString::fromStdString(pair2.string()), "--pair", "2"}).status, 0)
        << "a song folder's path needs no program folder";

    const Wave wave = readWave(all);
    ASSERT_EQ(wave.channels, 8);
    EXPECT_EQ(wave.rate, 44100);
    ASSERT_EQ(wave.samples[0].size(), std::size_t(7 * 44100)) << "the song and the second it rings out";
    const Wave stereo = readWave(pair2);
    ASSERT_EQ(stereo.channels, 2);
    EXPECT_EQ(stereo.samples[0], wave.samples[2]);
    EXPECT_EQ(stereo.samples[1], wave.samples[3]);

    const EngineFunctions& engine = h.app->engine();
    engine.InitAudioDriver(-1, nullptr);
    const int jack = jackEntry(engine);
    ASSERT_GE(jack, 0);
    ASSERT_EQ(engine.InitAudioDriver(jack, &h.main()), 1);
    h.setRows({"Tones"});
    h.app->transport().startPlayback(true);
    ASSERT_EQ(engine.GetPlaying(), 1);
    test::JackRecorder recorder(44100 * 3);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom("vellamorinth"));
    recorder.start();
    ASSERT_TRUE(test::waitUntil([&] { return recorder.recorded() >= 44100 * 3; }, 20000));
    engine.Stop();
    engine.Quit();

    std::array<double, 8> played{}, file{};
    for (std::size_t c = 0; c < 8; ++c) {
        played[c] = test::medianWindowRms(recorder.channel(int(c)), 4410);
        const std::vector<float> steady(wave.samples[c].begin() + 44100, wave.samples[c].begin() + 5 * 44100);
        file[c] = test::medianWindowRms(steady, 0);
    }
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_GT(played[c], 0.01) << "output " << c + 1 << " plays";
        EXPECT_NEAR(file[c], played[c], played[c] * 0.03) << "output " << c + 1;
    }
    for (std::size_t c = 4; c < 8; ++c) {
        EXPECT_LT(played[c], 1e-4);
        EXPECT_LT(file[c], 1e-4);
    }
    EXPECT_GT(file[0], 1.5 * file[1]) << "track 1 panned left";
    EXPECT_GT(file[3], 1.5 * file[2]) << "track 2 panned right";
}
