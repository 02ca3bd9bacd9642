// The MIDI slot through the real engine on the manual device: rendered notes at their time,
// level and pan, the state chased for a start inside the song, the MIDI texts, and the
// system playback through the MIDI-out function.
#include "EngineTestSupport.h"
#include "MidiFileWriter.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

using namespace vl::engine;
using vl::test::at;
using vl::test::channelMessage;
using vl::test::meta;
using vl::test::Outputs;
using vl::test::SmfEvent;

namespace {

// A small General MIDI font from Debian (timgm6mb-soundfont), quick to load in every test.
constexpr const char* kFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Waits (bounded) until the engine reports an update that matches the three texts.
bool waitForTexts(Engine& e, const std::string& recent, const std::string& current, const std::string& upcoming) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        if (e.midiTextUpdated(false) && e.midiText(1) == recent && e.midiText(2) == current &&
            e.midiText(3) == upcoming)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ADD_FAILURE() << "texts are \"" << e.midiText(1) << "\" \"" << e.midiText(2) << "\" \"" << e.midiText(3) << "\"";
    return false;
}

class MidiPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kFont)) << "install timgm6mb-soundfont";
        engine.setSoundFontPath(kFont);
        ASSERT_TRUE(engine.waitForSoundFont(std::chrono::seconds(30))); // loads on its own thread
        for (int i = 1; i <= 8; ++i) engine.setTrackFile(i, 0, 1.0f, 0, path("none").c_str());
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string writeMidi(const std::string& name, const std::vector<SmfEvent>& events) {
        EXPECT_TRUE(vl::test::writeFile(dir / name, vl::test::buildSmf({events})));
        return path(name);
    }
    // Renders up to the song position `seconds` (from wherever the song is now).
    Outputs renderTo(double seconds, int block = 256) {
        const auto target = static_cast<int64_t>(seconds * 44100);
        const int64_t now = engine.songPosition() / 4;
        return vl::test::renderFrames(engine, device, static_cast<int>(std::max<int64_t>(0, target - now)), block);
    }

    vl::test::TempFolder dir;
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
};

// The note window of a render, [from, from + frames).
std::vector<float> window(const std::vector<float>& s, std::size_t from, std::size_t frames) {
    return {s.begin() + static_cast<std::ptrdiff_t>(from), s.begin() + static_cast<std::ptrdiff_t>(from + frames)};
}

// The RMS of the difference between `a` and `b` shifted by up to 64 frames, relative to the
// RMS of `a`: the synth applies events on its own 64-frame grid.
double bestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double best = 1e9;
    for (int lag = -64; lag <= 64; ++lag) {
        double sum = 0;
        for (std::size_t i = 64; i + 64 < a.size(); ++i) {
            const double d = a[i] - b[static_cast<std::size_t>(static_cast<int>(i) + lag)];
            sum += d * d;
        }
        best = std::min(best, std::sqrt(sum / double(a.size() - 128)));
    }
    return best / vl::test::rms(a);
}

} // namespace

TEST_F(MidiPlayback, NoteSoundsAtItsTimeAtTheLevelAndPanSetWithTheFontKept) {
    const std::string midi = writeMidi("organ.mid", {channelMessage(0, 0xC0, 16), channelMessage(at(0.5), 0x90, 60, 100),
                                                     channelMessage(at(1.0), 0x80, 60, 0)});
    engine.setTrackFile(3, 1, 1.0f, 0, midi.c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    Outputs out = renderTo(1.0);
    std::size_t onset = 0;
    while (onset < out[2].size() && std::fabs(out[2][onset]) < 1e-4f) ++onset;
    EXPECT_GE(onset, 22050u);
    EXPECT_LT(onset, 22050u + 256u); // within one block of its time
    for (int c : {0, 1, 4, 5, 6, 7}) EXPECT_EQ(vl::test::peak(out[c]), 0.0) << "channel " << c;
    const double left = vl::test::rms(window(out[2], 26460, 13230)), right = vl::test::rms(window(out[3], 26460, 13230));
    EXPECT_GT(left, 0.01);
    EXPECT_NEAR(left, right, left * 0.05); // a centred organ

    // Half gain, pan +50 and master 0.8: the left side at a quarter of that, the right at half.
    engine.setTrackFile(3, 1, 0.5f, 50, "");
    engine.setMasterVolume(0.8f);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    out = renderTo(1.0);
    EXPECT_NEAR(vl::test::rms(window(out[2], 26460, 13230)), left * 0.5 * 0.5 * 0.8, left * 0.01);
    EXPECT_NEAR(vl::test::rms(window(out[3], 26460, 13230)), right * 0.5 * 0.8, right * 0.01);
    EXPECT_EQ(engine.soundFontLoads(), 1); // the second play kept the font
    EXPECT_EQ(engine.counters().underruns.load(), 0u);
}

TEST_F(MidiPlayback, StartInsideTheSongRestoresTheProgramChosenBefore) {
    // A square lead chosen at 0.2 s; its note only comes at 2.5 s.
    const auto song = [](bool withProgram) {
        std::vector<SmfEvent> e;
        if (withProgram) e.push_back(channelMessage(at(0.2), 0xC0, 80));
        e.push_back(channelMessage(at(0.2), 0xB0, 7, 100));
        e.push_back(channelMessage(at(2.5), 0x90, 60, 100));
        e.push_back(channelMessage(at(3.0), 0x80, 60, 0));
        return e;
    };
    const std::string square = writeMidi("square.mid", song(true));
    const std::string piano = writeMidi("piano.mid", song(false));
    constexpr std::size_t kNote = 110250, kLength = 8820;

    engine.setTrackFile(1, 0, 1.0f, 0, square.c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const auto whole = window(renderTo(2.8)[0], kNote, kLength);

    engine.setStartPerMille(700); // 2.1 s of the 3 s song
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const std::size_t startFrame = engine.songPosition() / 4;
    ASSERT_GT(startFrame, 88200u);
    ASSERT_LT(startFrame, kNote);
    const auto fromMiddle = window(renderTo(2.8)[0], kNote - startFrame, kLength);

    engine.setTrackFile(1, 0, 1.0f, 0, piano.c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const auto withoutProgram = window(renderTo(2.8)[0], kNote - startFrame, kLength);

    ASSERT_GT(vl::test::peak(whole), 0.01);
    EXPECT_LT(bestDifference(whole, fromMiddle), 0.05);
    EXPECT_GT(bestDifference(whole, withoutProgram), 0.5); // the test tells the sounds apart
}

TEST_F(MidiPlayback, MutedTrackDrivesTheTextsSetsTheLengthAndComesInWhenRaised) {
    const std::string midi = writeMidi("words.mid", {meta(at(1.0), 0x05, "Hel"), channelMessage(at(1.0), 0x90, 60, 100),
                                                     meta(at(1.25), 0x01, "T1"), meta(at(1.5), 0x05, "lo/"),
                                                     meta(at(2.0), 0x05, "world"), channelMessage(at(3.0), 0x80, 60, 0)});
    engine.setTrackFile(1, 0, 0.0f, 0, midi.c_str()); // muted
    vl::test::writeTone(dir / "short.wav", 8000, 1, 1.0, 440, 0.2f);
    engine.setTrackFile(2, 1, 1.0f, 0, path("short.wav").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 529200); // the MIDI file is the longest track
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_EQ(engine.maxLength(), 529200u);

    Outputs out = renderTo(0.5);
    // The first build, 0.25 s in: the first syllable is the one being reached.
    waitForTexts(engine, "", "Hel", "lo\nworld");
    out = renderTo(1.05);
    waitForTexts(engine, "", "Hel", "lo\nworld");
    out = renderTo(1.3); // the text event passed: the texts come from the text events
    waitForTexts(engine, "", "T1", "");
    out = renderTo(1.55); // and back to the lyric: now lies between the first and second syllable
    waitForTexts(engine, "Hello\n", "", "world");
    EXPECT_EQ(vl::test::peak(out[0]), 0.0); // muted: no sound
    engine.setTrackFile(1, 0, 1.0f, 0, ""); // its fader goes up: the held note comes in
    out = renderTo(2.0);
    EXPECT_GT(vl::test::rms(window(out[0], out[0].size() - 8192, 8192)), 0.005);

    engine.stop();
    EXPECT_STREQ(engine.midiText(2), "");
    EXPECT_STREQ(engine.midiText(1), "");
    EXPECT_EQ(engine.midiTextUpdated(false), 0);
}

TEST_F(MidiPlayback, KaraokeFileIsTheMidiTrackAndItsTextEventsTheLyric) {
    ASSERT_TRUE(vl::test::writeFile(dir / "song.kar", vl::test::buildSmf({{meta(0, 0x01, "@KMIDI KARAOKE FILE"),
                                                                            meta(0, 0x01, "@TSong"),
                                                                            meta(at(1.0), 0x01, "\\Sing "),
                                                                            meta(at(1.5), 0x01, "on")}})));
    engine.setTrackFile(2, 0, 1.0f, 0, path("song.kar").c_str());
    EXPECT_EQ(engine.play(true, true, nullptr), 264600); // 1.5 s: measured as a MIDI file
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    renderTo(0.5);
    waitForTexts(engine, "\n", "Sing ", "on"); // the paragraph mark ended an empty first line
    renderTo(1.05);
    waitForTexts(engine, "\n", "Sing ", "on");
    renderTo(1.55);
    waitForTexts(engine, "\n", "Sing on", "");
}

// Karaoke syllables without a line mark, or one event of megabytes, come as lines the view
// can show: none longer than the cap, four sung and four coming at most, broken at spaces,
// and every character between them there.
TEST_F(MidiPlayback, HugeLyricsComeInShortLinesWithNothingLost) {
    std::vector<SmfEvent> syllables = {meta(0, 0x01, "@KMIDI KARAOKE FILE")};
    std::string sungSoFar, words;
    for (int i = 0; i < 100000; ++i) {
        std::string syllable = i % 3 == 0 ? " la" : "la";
        syllable += char('a' + i % 26);
        syllables.push_back(meta(static_cast<uint32_t>(i + 1), 0x01, syllable)); // 960 a second
        sungSoFar += syllable;
    }
    ASSERT_TRUE(vl::test::writeFile(dir / "long.kar", vl::test::buildSmf({syllables})));
    for (int i = 0; words.size() < 5'000'000; ++i) words += "n" + std::to_string(i) + " ";
    const std::string huge = writeMidi("huge.mid", {meta(at(1.0), 0x05, words)});
    const auto bare = [](std::string text) {
        std::erase_if(text, [](char c) { return c == '\n' || c == ' '; });
        return text;
    };
    for (const auto& [file, perMille, text] :
         {std::tuple{path("long.kar"), 500u, sungSoFar}, std::tuple{huge, 0u, words}}) {
        SCOPED_TRACE(file);
        engine.setTrackFile(1, 0, 0.0f, 0, file.c_str());
        engine.setStartPerMille(perMille);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        renderTo(engine.songPosition() / 176400.0 + 0.3); // the first build
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(engine.midiTextUpdated(false) && *engine.midiText(2)) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const std::string recent = engine.midiText(1), current = engine.midiText(2), coming = engine.midiText(3);
        std::istringstream lines(recent + current + "\n" + coming);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 48u) << line;
        EXPECT_EQ(std::count(recent.begin(), recent.end(), '\n'), 4);
        EXPECT_LE(std::count(coming.begin(), coming.end(), '\n'), 4);
        EXPECT_FALSE(current.empty() || current.starts_with(' '));
        EXPECT_NE(bare(text).find(bare(recent + current + coming)), std::string::npos) << "a character was lost";
        engine.stop();
    }
}

namespace {

struct SentMessage {
    int status, data1, data2, length;
    std::chrono::steady_clock::time_point when;
};
std::mutex sentMutex;
std::vector<SentMessage> sent;

int32_t recordMidiOut(int32_t status, int32_t data1, int32_t data2, int32_t length) {
    std::lock_guard lock(sentMutex);
    sent.push_back({status, data1, data2, length, std::chrono::steady_clock::now()});
    return 0;
}

std::vector<SentMessage> sentSoFar() {
    std::lock_guard lock(sentMutex);
    return sent;
}

} // namespace

TEST_F(MidiPlayback, SystemPlaybackBeginsOnAMultipleOfEightSecondsWithTheStateBeforeIt) {
    const std::string midi = writeMidi("band.mid", {channelMessage(at(2), 0xC0, 5), channelMessage(at(10), 0xB0, 7, 90),
                                                    channelMessage(at(15.9), 0x90, 62, 100),
                                                    channelMessage(at(16.1), 0x90, 60, 100), meta(at(25), 0x06, "End")});
    vl::test::writeTone(dir / "long.wav", 8000, 1, 30.0, 440, 0.2f);
    engine.setTrackFile(1, 0, 1.0f, 0, midi.c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("long.wav").c_str());
    engine.setMidiOutCallback(&recordMidiOut);
    engine.setStartPerMille(667); // 20.01 s of 30 s

    // Without system playback the start stays, and nothing is sent.
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_EQ(engine.songPosition(), 3529764u);
    engine.stop();
    EXPECT_TRUE(sentSoFar().empty());

    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(engine.play(false, false, nullptr), 1);
    EXPECT_EQ(engine.songPosition(), 2822400u); // 16 s: the audio starts where the MIDI output is
    const auto until = started + std::chrono::seconds(5);
    while (sentSoFar().size() < 3 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto messages = sentSoFar();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ((std::vector<int>{messages[0].status, messages[0].data1, messages[0].length}), (std::vector<int>{0xC0, 5, 2}));
    EXPECT_EQ((std::vector<int>{messages[1].status, messages[1].data1, messages[1].data2}), (std::vector<int>{0xB0, 7, 90}));
    // The note at 16.1 s, a tenth of a second after the start; the one at 15.9 s is not played.
    EXPECT_EQ((std::vector<int>{messages[2].status, messages[2].data1, messages[2].data2}), (std::vector<int>{0x90, 60, 100}));
    EXPECT_GE(messages[2].when - started, std::chrono::milliseconds(95));

    EXPECT_EQ(engine.midiPlayNow(), 0);
    renderTo(16.3);
    EXPECT_EQ(engine.midiPlayNow(), 1); // raised 0.25 s after the start
    EXPECT_EQ(engine.midiPlayNow(), 0);

    engine.stop(); // the note left sounding is switched off
    messages = sentSoFar();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ((std::vector<int>{messages[3].status, messages[3].data1}), (std::vector<int>{0x80, 60}));
}

TEST_F(MidiPlayback, AnUnreadableSoundFontOrMidiFileIsReportedByTheStartThatMetIt) {
    const std::string midi = writeMidi("tune.mid", {channelMessage(0, 0x90, 60, 100), channelMessage(at(1.0), 0x80, 60, 0)});
    engine.setTrackFile(1, 0, 1.0f, 0, midi.c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_STREQ(engine.unreadableFile(Engine::kUnreadableSoundFont), "");
    EXPECT_STREQ(engine.unreadableFile(Engine::kUnreadableMidiFile), "");

    ASSERT_TRUE(vl::test::writeFile(dir / "broken.sf2", std::vector<uint8_t>(64, 'x')));
    engine.setSoundFontPath(path("broken.sf2").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    ASSERT_TRUE(engine.waitForSoundFont(std::chrono::seconds(30)));
    EXPECT_EQ(engine.unreadableFile(Engine::kUnreadableSoundFont), path("broken.sf2"));
    EXPECT_GT(engine.play(true, true, nullptr), 0) << "a measure leaves the report alone";
    EXPECT_EQ(engine.unreadableFile(Engine::kUnreadableSoundFont), path("broken.sf2"));

    engine.setSoundFontPath(kFont);
    ASSERT_TRUE(vl::test::writeFile(dir / "garbage.mid", std::vector<uint8_t>(100, 0x42)));
    engine.setTrackFile(1, 0, 1.0f, 0, path("garbage.mid").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    EXPECT_EQ(engine.unreadableFile(Engine::kUnreadableMidiFile), path("garbage.mid"));
    EXPECT_STREQ(engine.unreadableFile(Engine::kUnreadableSoundFont), "") << "no MIDI track: no font needed";
    EXPECT_STREQ(engine.unreadableFile(7), "");
}
