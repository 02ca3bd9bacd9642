// The playback graph on the manual device, rendered offline and compared to the source
// files sample by sample.
#include "EngineTestSupport.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

using namespace vl::engine;
using vl::test::Outputs;
using vl::test::peak;
using vl::test::renderFrames;

namespace {

// A 16-bit ramp: every frame differs from its neighbours, so an offset of one frame shows.
float ramp(int64_t frame, int channel) {
    return static_cast<float>((frame * 7 + channel * 1000) % 30000 - 15000) / 32768.0f;
}

class Playback : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }

    void writeRamp(const std::string& name, double seconds, int channels = 2, int rate = 44100) {
        vl::test::writeAudio(dir / name, rate, channels, static_cast<int64_t>(seconds * rate), ramp);
    }
    void writeTone(const std::string& name, double seconds, double hz, float amplitude, int rate = 44100,
                   int channels = 2, int format = 0) {
        vl::test::writeTone(dir / name, rate, channels, seconds, hz, amplitude, format);
    }
    // Every slot off unless a test fills it.
    void clearSlots() {
        for (int i = 1; i <= 8; ++i)
            engine.setTrackFile(i, 0, 1.0f, 0, path("none").c_str());
    }
    Outputs render(int frames, int block = 512) { return renderFrames(engine, device, frames, block); }
    // A 60 s track on slot 1 (pair 0) and a shorter one on slot 2 (pair 1), half way in.
    void playFromHalfway(float longGain, double otherSeconds) {
        clearSlots();
        writeTone("long.wav", 60.0, 440, 0.5f, 11025, 1);
        writeTone("other.wav", otherSeconds, 440, 0.5f, 11025, 1);
        engine.setTrackFile(1, 0, longGain, 0, path("long.wav").c_str());
        engine.setTrackFile(2, 1, 1.0f, 0, path("other.wav").c_str());
        engine.setStartPerMille(500);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        EXPECT_EQ(engine.maxLength(), 10584000u); // a muted track still sets the length
    }

    vl::test::TempFolder dir;
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
};

int zeroCrossings(const std::vector<float>& s) {
    int n = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        n += (s[i - 1] < 0) != (s[i] < 0);
    return n;
}

} // namespace

TEST_F(Playback, LengthsAreTheRealDurationWhateverTheFormat) {
    clearSlots();
    writeTone("mono22k.wav", 10.0, 300, 0.5f, 22050, 1);
    engine.setTrackFile(1, 0, 1.0f, 0, path("mono22k.wav").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 1764000);
    EXPECT_EQ(engine.playing(), 0);

    // Six channels mix down to stereo and keep their true length (3 s), not three times it.
    vl::test::writeAudio(dir / "six.wav", 48000, 6, 144000, [](int64_t, int c) { return 0.1f * float(c); });
    clearSlots();
    engine.setTrackFile(4, 0, 1.0f, 0, path("six.wav").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 529200);
    EXPECT_EQ(engine.maxLength(), 529200u);

    // The longest of several tracks, and a muted track still counts.
    writeRamp("one.wav", 1.0);
    engine.setTrackFile(2, 0, 0.0f, 0, path("one.wav").c_str());
    engine.setTrackFile(4, 0, 1.0f, 0, path("none").c_str());
    engine.setTrackFile(5, 0, 1.0f, 0, path("mono22k.wav").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 1764000);
    clearSlots();
    engine.setTrackFile(2, 0, 0.0f, 0, path("one.wav").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 176400);
}

TEST_F(Playback, OutputMatchesTheFileExactlyFromAnyStartAndBlockSize) {
    clearSlots();
    writeRamp("ramp.wav", 3.0);
    engine.setTrackFile(1, 0, 1.0f, 0, path("ramp.wav").c_str());
    std::mt19937 random(1234);
    for (uint32_t perMille : {0u, 1u, 333u, 990u}) {
        engine.setStartPerMille(perMille);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        const uint32_t start = static_cast<uint32_t>(uint64_t{perMille} * 529200 / 1000);
        const int64_t first = start / 4;
        EXPECT_EQ(engine.songPosition(), first * 4);
        const int block = perMille == 333 ? 1 + int(random() % 1500) : 64 << (perMille % 4);
        const int frames = static_cast<int>(std::min<int64_t>(20000, 132300 - first));
        const Outputs out = render(frames, block);
        for (int f = 0; f < frames; ++f) {
            ASSERT_FLOAT_EQ(out[0][f], ramp(first + f, 0) * kTrackLevel)
                << "frame " << f << " start " << start;
            ASSERT_FLOAT_EQ(out[1][f], ramp(first + f, 1) * kTrackLevel) << "frame " << f;
        }
        EXPECT_EQ(engine.songPosition(), (first + frames) * 4);
    }
}

TEST_F(Playback, StartPointDropsTracksThatEndBeforeIt) {
    playFromHalfway(1.0f, 30.0);
    EXPECT_EQ(engine.songPosition(), 5292000u);
    const Outputs out = render(8192);
    EXPECT_GT(peak(out[0]), 0.3);
    EXPECT_EQ(peak(out[2]), 0.0); // the 30 s track ended before the start
    EXPECT_EQ(engine.songPosition(), 5292000u + 8192 * 4);

    engine.setStartPerMille(4000000000u); // far past the end: silence at the end, no wrap
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_EQ(engine.songPosition(), 10584000u);
    EXPECT_EQ(peak(render(4096)[0]), 0.0);
}

TEST_F(Playback, PanGainMasterAndPairFollowTheirLaws) {
    clearSlots();
    writeRamp("r.wav", 1.0);
    engine.setTrackFile(1, 0, 1.0f, -100, path("r.wav").c_str()); // right side silenced
    engine.setTrackFile(2, 1, 1.0f, 50, path("r.wav").c_str());   // left side halved
    engine.setTrackFile(3, 2, 0.5f, 0, path("r.wav").c_str());    // centre, half gain, outputs 5/6
    engine.setMasterVolume(0.8f);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const Outputs out = render(4000, 1000);
    for (int f = 0; f < 4000; ++f) {
        const float l = ramp(f, 0) * kTrackLevel, r = ramp(f, 1) * kTrackLevel;
        ASSERT_FLOAT_EQ(out[0][f], l * 0.8f);
        ASSERT_EQ(out[1][f], 0.0f);
        ASSERT_NEAR(out[2][f], l * 0.5f * 0.8f, 1e-6);
        ASSERT_FLOAT_EQ(out[3][f], r * 0.8f);
        ASSERT_NEAR(out[4][f], l * 0.4f, 1e-6);
        ASSERT_NEAR(out[5][f], r * 0.4f, 1e-6);
        ASSERT_EQ(out[6][f], 0.0f);
        ASSERT_EQ(out[7][f], 0.0f);
    }
}

TEST_F(Playback, LevelAndPairChangesRampOverOneBlock) {
    clearSlots();
    vl::test::writeAudio(dir / "dc.wav", 44100, 2, 44100, [](int64_t, int) { return 0.5f; });
    engine.setTrackFile(1, 0, 1.0f, 0, path("dc.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const float level = render(256, 256)[0][255];
    EXPECT_FLOAT_EQ(level, 0.5f * kTrackLevel);
    engine.setTrackFile(1, 0, 0.5f, 0, ""); // a fader move: no step, a ramp
    Outputs out = render(256, 256);
    EXPECT_NEAR(out[0][0], level * (1.0f - 0.5f / 256), 1e-6);
    EXPECT_NEAR(out[0][127], level * 0.75f, 1e-3);
    EXPECT_NEAR(out[0][255], level * 0.5f, 1e-6);
    for (int f = 1; f < 256; ++f)
        ASSERT_LE(out[0][f], out[0][f - 1]);

    engine.setTrackFile(1, 3, 0.5f, 0, ""); // to outputs 7/8: a crossfade, not a jump
    out = render(256, 256);
    EXPECT_NEAR(out[0][0] + out[6][0], level * 0.5f, 1e-6);
    EXPECT_NEAR(out[0][255], 0.0f, 1e-6);
    EXPECT_NEAR(out[6][255], level * 0.5f, 1e-6);
    out = render(256, 256);
    EXPECT_EQ(peak(out[0]), 0.0);
}

TEST_F(Playback, PairsPastTheFourthAreSilent) {
    clearSlots();
    writeRamp("r.wav", 1.0);
    engine.setTrackFile(1, 4, 1.0f, 0, path("r.wav").c_str());   // once heard on outputs 1/2
    engine.setTrackFile(2, 255, 1.0f, 0, path("r.wav").c_str()); // once heard on outputs 7/8
    engine.setTrackFile(3, 3, 1.0f, 0, path("r.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    Outputs out = render(2048);
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(peak(out[c]), 0.0) << c;
    EXPECT_FLOAT_EQ(out[6][100], ramp(100, 0) * kTrackLevel); // track 3 alone
    engine.setTrackFile(3, 7, 1.0f, 0, "");                   // moved off the outputs: fades out
    render(512);
    out = render(2048);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(peak(out[c]), 0.0) << c;
}

TEST_F(Playback, OverloadClipsInsteadOfWrapping) {
    clearSlots();
    writeTone("loud.wav", 1.0, 100, 0.9f);
    engine.setTrackFile(1, 0, 1.0f, 0, path("loud.wav").c_str());
    engine.setTrackFile(2, 0, 3.0f, 0, path("loud.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const Outputs out = render(4410);
    EXPECT_EQ(peak(out[0]), 1.0);
    // A 100 Hz sine stays a (flattened) sine: signs follow the source, no wrap-around.
    for (int f = 0; f < 4410; ++f) {
        const double s = std::sin(2.0 * M_PI * 100.0 * f / 44100);
        if (std::fabs(s) > 0.05) {
            ASSERT_EQ(out[0][f] > 0, s > 0) << f;
        }
    }
}

TEST_F(Playback, TrackMutedAtTheStartComesInWhenItsLevelRises) {
    playFromHalfway(0.0f, 40.0);
    render(4410);
    EXPECT_EQ(engine.songPosition(), 5292000u + 4410 * 4);
    EXPECT_EQ(peak(render(4410)[0]), 0.0) << "muted: silent";
    engine.setTrackFile(1, 0, 1.0f, 0, ""); // the fader goes up while the song plays
    const Outputs out = render(4410);
    EXPECT_GT(peak(out[0]), 0.3);
    EXPECT_GT(peak(out[2]), 0.3);

    // Alone and at level 0 it still runs in step with the song.
    clearSlots();
    engine.setTrackFile(1, 0, 0.0f, 0, path("long.wav").c_str());
    engine.setStartPerMille(0);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    render(4410);
    EXPECT_EQ(engine.songPosition(), 4410u * 4);
}

TEST_F(Playback, EndOfTracksKeepsPlayingInSilenceUntilStop) {
    clearSlots();
    writeRamp("short.wav", 0.1);
    engine.setTrackFile(1, 0, 1.0f, 0, path("short.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const Outputs out = render(8820);
    EXPECT_GT(peak(out[0]), 0.0);
    EXPECT_EQ(peak(out[0], 4410), 0.0);
    EXPECT_EQ(engine.playing(), 1);
    EXPECT_EQ(engine.songPosition(), 17640u);
    EXPECT_EQ(engine.maxLength(), 17640u);
    EXPECT_EQ(engine.counters().underruns.load(), 0u); // the end is no underrun
    EXPECT_EQ(engine.stop(), 1);
    EXPECT_EQ(engine.playing(), 0);
    EXPECT_EQ(engine.songPosition(), 0u);
    EXPECT_EQ(engine.stop(), 1);
    EXPECT_EQ(engine.retiredGraphs(), 0u); // the manual device is idle: freed at once
}

TEST_F(Playback, TracksCutShortEndWhereTheirAudioEndsAndTheSongStillEnds) {
    // Plays slot 1 from the start until the position reaches the end as the program
    // watches for it (the length less 10,000 song bytes); returns the frames that took.
    const auto framesToTheEnd = [&](uint32_t length) {
        int frames = 0;
        while (engine.songPosition() + 10000 < length && frames < int(length / 4) + 44100) {
            render(4096);
            frames += 4096;
        }
        return frames;
    };
    // Written whole by libsndfile, then cut to a quarter: a 20 s header over about 5 s of audio.
    const std::vector<std::pair<std::string, int>> files = {{"cut.wav", 0},
                                                            {"cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                                            {"cut.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}};
    for (const auto& [name, format] : files) {
        SCOPED_TRACE(name);
        clearSlots();
        writeTone(name, 20.0, 440, 0.5f, 44100, 2, format);
        std::filesystem::resize_file(dir / name, std::filesystem::file_size(dir / name) / 4);
        engine.setTrackFile(1, 0, 1.0f, 0, path(name).c_str());
        const int length = engine.play(true, true, nullptr);
        EXPECT_GT(length, 176400 * 2);
        EXPECT_LT(length, 176400 * 7);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        EXPECT_EQ(engine.maxLength(), uint32_t(length));
        EXPECT_GT(peak(render(4096)[0]), 0.3);
        const int frames = 4096 + framesToTheEnd(engine.maxLength());
        EXPECT_NEAR(frames, length / 4, 8192) << "the song ends when its audio does";
        EXPECT_EQ(peak(render(8192)[0], 4096), 0.0);
        EXPECT_EQ(engine.playing(), 1);
    }

    // A track cut while it plays: its audio stops where the file now ends, the position runs
    // on in time and reaches the length measured at the start.
    clearSlots();
    writeTone("long.wav", 10.0, 440, 0.5f);
    engine.setTrackFile(1, 0, 1.0f, 0, path("long.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    render(4410);
    std::filesystem::resize_file(dir / "long.wav", 44 + 44100 * 4); // one second left
    const int frames = framesToTheEnd(engine.maxLength());
    EXPECT_NEAR(4410 + frames, 441000, 8192);
    EXPECT_EQ(peak(render(4096)[0]), 0.0);
    EXPECT_EQ(engine.songPosition(), 1764000u); // and stays there
    render(4096);
    EXPECT_EQ(engine.songPosition(), 1764000u);
}

TEST_F(Playback, MidiAndVideoSlotsAreClassifiedByNameAndStaySilent) {
    clearSlots();
    // WAV content under MIDI and video names shows which slots are opened as audio.
    writeTone("a.mid", 1.0, 440, 0.5f);
    writeTone("b.MID", 2.0, 440, 0.5f);
    writeTone("c.Mid", 0.5, 440, 0.5f);
    writeTone("d.avi", 3.0, 440, 0.5f);
    engine.setTrackFile(2, 0, 1.0f, 0, path("a.mid").c_str()); // the MIDI slot
    engine.setTrackFile(3, 1, 1.0f, 0, path("b.MID").c_str()); // a second MIDI name: audio
    engine.setTrackFile(5, 2, 1.0f, 0, path("c.Mid").c_str()); // wrong case: audio
    engine.setTrackFile(6, 3, 1.0f, 0, path("d.avi").c_str()); // the video slot
    EXPECT_EQ(engine.play(true, true, nullptr), 352800);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const Outputs out = render(4410);
    EXPECT_EQ(peak(out[0]), 0.0);
    EXPECT_GT(peak(out[2]), 0.3);
    EXPECT_GT(peak(out[4]), 0.3);
    EXPECT_EQ(peak(out[6]), 0.0);
}

TEST_F(Playback, BadFilesGiveSilentSlotsWhileTheOthersPlayOn) {
    clearSlots();
    writeTone("good.wav", 2.0, 440, 0.5f);
    vl::test::writeFile(dir / "empty.wav", "");
    std::filesystem::create_directory(dir / "folder.wav");
    writeTone("full.wav", 2.0, 440, 0.5f);
    const std::string full = vl::test::readFile(dir / "full.wav");
    vl::test::writeFile(dir / "truncated.wav", full.substr(0, 44 + 4410 * 4 + 3));
    std::mt19937 random(99);
    std::string noise(200000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    vl::test::writeFile(dir / "noise.mp3", noise);
    writeTone("deleted.wav", 2.0, 440, 0.5f);
    writeTone("slow.wav", 2.0, 100, 0.5f, 500); // a rate no real file has

    engine.setTrackFile(1, 0, 1.0f, 0, path("good.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("missing.wav").c_str());
    engine.setTrackFile(3, 1, 1.0f, 0, path("empty.wav").c_str());
    engine.setTrackFile(4, 1, 1.0f, 0, path("folder.wav").c_str());
    engine.setTrackFile(5, 2, 1.0f, 0, path("truncated.wav").c_str());
    engine.setTrackFile(6, 3, 1.0f, 0, path("noise.mp3").c_str());
    engine.setTrackFile(7, 2, 1.0f, 0, path("deleted.wav").c_str());
    engine.setTrackFile(8, 1, 1.0f, 0, path("slow.wav").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 352800);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    Outputs out = render(2048);
    std::filesystem::remove(dir / "deleted.wav");
    std::filesystem::resize_file(dir / "truncated.wav", 100);
    out = render(44100);
    EXPECT_NEAR(vl::test::rms(out[0]), 0.5 * kTrackLevel / std::sqrt(2.0), 0.01);
    EXPECT_EQ(peak(out[2]), 0.0);
    EXPECT_EQ(peak(out[3]), 0.0);
    EXPECT_EQ(peak(out[6]), 0.0); // random bytes are no MP3
    // A file deleted while it plays stays open and plays to its end.
    EXPECT_NEAR(vl::test::rms(out[4], 4096), 0.5 * kTrackLevel / std::sqrt(2.0),
                0.01); // past the truncated one
    EXPECT_EQ(engine.playing(), 1);
}

TEST_F(Playback, ResampledMonoAndMp3TracksKeepPitchLevelAndLength) {
    clearSlots();
    writeTone("t48.wav", 2.0, 1000, 0.5f, 48000, 1);
    writeTone("t.mp3", 2.0, 1000, 0.5f, 44100, 2, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    engine.setTrackFile(1, 0, 1.0f, 0, path("t48.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("t.mp3").c_str());
    const uint32_t length = static_cast<uint32_t>(engine.play(true, true, nullptr));
    EXPECT_NEAR(double(length), 352800.0, 176400 * 0.06); // an MP3 may carry encoder padding
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const Outputs out = render(44100);
    for (int c : {0, 1, 2, 3}) {
        EXPECT_NEAR(zeroCrossings(std::vector<float>(out[c].begin() + 4410, out[c].end())), 2 * 900, 4) << c;
        EXPECT_NEAR(vl::test::rms(out[c], 4410), 0.5 * kTrackLevel / std::sqrt(2.0), 0.01) << c;
    }
}

TEST_F(Playback, OnADeviceAtAnotherRateTracksAreResampledToItAndPositionsStayInSongBytes) {
    ManualDevice& device48k = engine.openManualDevice(48000);
    clearSlots();
    writeRamp("ramp48.wav", 3.0, 2, 48000); // plays sample for sample at the device's rate
    writeTone("tone.wav", 3.0, 1000, 0.5f); // resampled from 44.1 kHz
    engine.setTrackFile(1, 0, 1.0f, 0, path("ramp48.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("tone.wav").c_str());
    engine.setStartPerMille(500);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_EQ(engine.songPosition(), 264600u);
    const Outputs out = renderFrames(engine, device48k, 48000);
    const int64_t first = int64_t{66150} * 48000 / 44100; // the same instant in the 48 kHz file
    for (int f = 0; f < 48000; f += 97)
        ASSERT_FLOAT_EQ(out[0][f], ramp(first + f, 0) * kTrackLevel) << f;
    EXPECT_NEAR(zeroCrossings(std::vector<float>(out[2].begin() + 4800, out[2].end())), 2 * 1000 * 0.9, 4);
    EXPECT_EQ(engine.songPosition(), 264600u + 176400u); // one second played
}

TEST_F(Playback, AMissedBlockIsCountedAndTheTrackCatchesUpInStep) {
    clearSlots();
    writeRamp("ramp.wav", 3.0);
    engine.setTrackFile(1, 0, 1.0f, 0, path("ramp.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    // Without servicing, the prefill runs dry.
    const int dry = static_cast<int>(Engine::kPrefillFrames) + 4096;
    Outputs out = renderFrames(engine, device, dry, 512, false);
    EXPECT_GT(engine.counters().underruns.load(), 0u);
    EXPECT_EQ(out[0][dry - 1], 0.0f);
    out = render(4096);
    // Back in step with the clock: frame `dry` of the file plays at frame `dry` of the output.
    EXPECT_FLOAT_EQ(out[0][0], ramp(dry, 0) * kTrackLevel);
    EXPECT_EQ(engine.songPosition(), uint32_t(dry + 4096) * 4);
}
