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

struct FontLoading : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kFullFont)) << "install fluid-soundfont-gm";
        vl::test::writeTone(dir / "bed.wav", 44100, 2, 6.0, 440.0, 0.5f);
        std::vector<vl::test::SmfEvent> notes{channelMessage(0, 0xC0, 16)};
        for (double t = 0; t < 6.0; t += 0.25) {
            notes.push_back(channelMessage(at(t), 0x90, 72, 110));
            notes.push_back(channelMessage(at(t + 0.1), 0x80, 72, 0));
        }
        ASSERT_TRUE(vl::test::writeFile(dir / "tune.mid", vl::test::buildSmf({notes})));
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
