// The sound font loads on a thread of its own: a start never waits for it, the MIDI track
// comes in, in time, once it is there, and a font that cannot be read is reported while
// the audio tracks play.
#include "EngineTestSupport.h"
#include "MidiFileWriter.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>

using namespace vl::engine;
using namespace std::chrono_literals;
using vl::test::at;
using vl::test::channelMessage;

namespace {

// The full General MIDI font: large enough that loading it takes a good part of a second.
constexpr const char* kFullFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr int kNoteEvery = 11025; // a short note every quarter second

// Six seconds of a short note every quarter second.
bool writeTune(const std::filesystem::path& path, uint8_t program, uint8_t key) {
    std::vector<vl::test::SmfEvent> notes{channelMessage(0, 0xC0, program)};
    for (double t = 0; t < 6.0; t += 0.25) {
        notes.push_back(channelMessage(at(t), 0x90, key, 110));
        notes.push_back(channelMessage(at(t + 0.1), 0x80, key, 0));
    }
    return vl::test::writeFile(path, vl::test::buildSmf({notes}));
}

struct FontLoading : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kFullFont)) << "install fluid-soundfont-gm";
        vl::test::writeTone(dir / "bed.wav", 44100, 2, 6.0, 440.0, 0.5f);
        ASSERT_TRUE(writeTune(dir / "tune.mid", 16, 72));
        for (int i = 1; i <= 8; ++i) engine.setTrackFile(i, 0, 1.0f, 0, "");
        engine.setTrackFile(1, 0, 1.0f, 0, (dir / "bed.wav").c_str());
        engine.setTrackFile(2, 1, 1.0f, 0, (dir / "tune.mid").c_str()); // outputs 3/4
    }

    vl::test::TempFolder dir;
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
};

std::size_t firstSound(const std::vector<float>& s, std::size_t from = 0) {
    while (from < s.size() && std::fabs(s[from]) < 1e-4f) ++from;
    return from;
}

} // namespace

TEST_F(FontLoading, PlayWhileTheFontLoadsStartsTheAudioAtOnceAndTheMidiInTime) {
    engine.setSoundFontPath(kFullFont);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    ASSERT_EQ(engine.soundFontState(), midi::SoundFontSynth::FontState::Loading) << "the start did not wait for it";
    vl::test::Outputs early = vl::test::renderFrames(engine, device, 256, 256);
    EXPECT_GT(vl::test::peak(early[0]), 0.1) << "the audio track sounds in the first block";
    EXPECT_STREQ(engine.unreadableFile(Engine::kUnreadableSoundFont), "") << "loading is no fault";

    // Half a second while the font still loads, then on once it is there.
    vl::test::Outputs before = vl::test::renderFrames(engine, device, 22050 - 256, 256);
    ASSERT_TRUE(engine.waitForSoundFont(30s));
    ASSERT_EQ(engine.soundFontState(), midi::SoundFontSynth::FontState::Ready);
    EXPECT_EQ(vl::test::peak(before[2]), 0.0) << "no MIDI sound before the font is there";
    vl::test::Outputs after = vl::test::renderFrames(engine, device, 44100, 256);
    const std::size_t onset = firstSound(after[2]);
    ASSERT_LT(onset, after[2].size()) << "the MIDI track came in";
    // Within the silence queued ahead and the next note, on the note's own frame.
    EXPECT_LT(onset, 4410u + kNoteEvery + 256u);
    EXPECT_LT((22050 + onset) % kNoteEvery, 256u + 64u) << "in time with the song, at " << 22050 + onset;
    EXPECT_GT(vl::test::peak(after[0]), 0.1);
    EXPECT_EQ(engine.counters().underruns.load(), 0u);
}

TEST_F(FontLoading, AnUnreadableFontIsReportedAndTheAudioPlays) {
    const auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    std::string cut(10u << 20, '\0');
    std::ifstream(kFullFont, std::ios::binary).read(cut.data(), std::streamsize(cut.size()));
    const std::vector<std::string> fonts{(dir / "missing.sf2").string(), write("empty.sf2", ""),
                                         write("cut.sf2", cut), write("notes.sf2", "not a font, a shopping list\n")};
    for (const std::string& font : fonts) {
        SCOPED_TRACE(font);
        engine.setSoundFontPath(font.c_str());
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        ASSERT_TRUE(engine.waitForSoundFont(30s));
        EXPECT_EQ(engine.unreadableFile(Engine::kUnreadableSoundFont), font);
        const vl::test::Outputs out = vl::test::renderFrames(engine, device, 22050, 256);
        EXPECT_GT(vl::test::peak(out[0]), 0.1) << "the audio track plays";
        EXPECT_EQ(vl::test::peak(out[2]), 0.0);
    }
    EXPECT_EQ(engine.soundFontLoads(), 0);
    EXPECT_EQ(engine.counters().underruns.load(), 0u);
}

TEST_F(FontLoading, ASongPreparedBesidePlaysNextAndLeavesThePlayingOneItsSynthAndLevels) {
    engine.setSoundFontPath(kFullFont);
    ASSERT_TRUE(engine.waitForSoundFont(30s));
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const vl::test::Outputs early = vl::test::renderFrames(engine, device, 22050, 256);
    const double full = vl::test::peak(early[0]);

    // The next song, on outputs 5/6 and 7/8, prepared while the first plays.
    vl::test::writeTone(dir / "next.wav", 44100, 2, 6.0, 660.0, 0.5f);
    ASSERT_TRUE(writeTune(dir / "next.mid", 0, 84));
    const auto handNextSong = [&] {
        engine.beginNextSong();
        engine.setTrackFile(1, 2, 1.0f, 0, (dir / "next.wav").c_str());
        engine.setTrackFile(2, 3, 1.0f, 0, (dir / "next.mid").c_str());
    };
    handNextSong();
    ASSERT_EQ(engine.prepare(true), 1);
    engine.setTrackFile(1, 0, 0.5f, 0, ""); // the mixer's call for the playing song
    ASSERT_TRUE(engine.hasPrepared());
    std::filesystem::rename(dir / "next.wav", dir / "gone.wav"); // opened ahead: plays anyway

    // Past what the playing song had rendered ahead (3 s): its MIDI still has the synth.
    const vl::test::Outputs beside = vl::test::renderFrames(engine, device, 4 * 44100, 256);
    const auto lastHalfSecond = [](const std::vector<float>& s) {
        return std::vector<float>(s.end() - 22050, s.end());
    };
    EXPECT_NEAR(vl::test::peak(lastHalfSecond(beside[0])), full / 2, 0.02) << "the level reached the playing song";
    EXPECT_GT(vl::test::peak(lastHalfSecond(beside[2])), 0.01) << "the playing song's MIDI sounds on";
    EXPECT_EQ(vl::test::peak(beside[4]), 0.0);
    EXPECT_EQ(vl::test::peak(beside[6]), 0.0) << "nothing of the prepared song sounds";

    handNextSong();
    ASSERT_EQ(engine.queueNext(0, true, nullptr), 1);
    EXPECT_FALSE(engine.hasPrepared()) << "the segue took the prepared song";
    const vl::test::Outputs after = vl::test::renderFrames(engine, device, 3 * 44100, 256);
    EXPECT_EQ(engine.takeNextStarted(), 1);
    const std::size_t switched = 6 * 44100 - (22050 + 4 * 44100);
    EXPECT_NEAR(double(firstSound(after[4])), double(switched + 1), 1.0) << "the prepared audio, gapless";
    const std::size_t midiOnset = firstSound(after[6]);
    EXPECT_GE(midiOnset, switched);
    EXPECT_LT(midiOnset, switched + 2048) << "its MIDI from its first note";
    EXPECT_EQ(engine.counters().underruns.load(), 0u);
}
