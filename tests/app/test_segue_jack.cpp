// The pause between two songs played by automatic play, recorded on the program's JACK
// ports: with 0 ms the next song's first sample follows the last of the song before within
// one block; with the default the pause stays a second.
#include "AppHarness.h"
#include "ToneSong.h"
#include "support/JackRecorder.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <cmath>

using namespace vl;
using vl::test::waitUntil;

namespace {

namespace fs = std::filesystem;

// A one-track song on its own output pair, so that the recording tells the songs apart,
// and the same track muted on outputs 7/8.
void writeSong(const fs::path& songs, const std::string& name, double seconds, double hz, int pair) {
    test::writeToneWave(songs / name / "tone.wav", seconds, hz);
    SongProgram program;
    for (auto& track : program.tracks) track.volume = 1.0f;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.3f;
    program.tracks[0].outputPair = pair;
    program.tracks[1].fileName = "tone.wav";
    program.tracks[1].outputPair = 3;
    program.tracks[1].mute = 1;
    program.tracks[0].eqActive = 1;
    program.tracks[0].mid = -15;
    writeTextLines(QString::fromStdString((songs / name / (name + ".p")).string()),
                   writeProgramLines(program, FileNames::Included));
}

std::size_t firstSound(const std::vector<float>& s, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (std::fabs(s[i]) > 1e-4f) return i;
    return to;
}

std::size_t lastSound(const std::vector<float>& s, std::size_t from, std::size_t to) {
    std::size_t last = from;
    for (std::size_t i = from; i < to; ++i)
        if (std::fabs(s[i]) > 1e-4f) last = i;
    return last;
}

} // namespace

TEST(SegueJack, AutomaticPlayKeepsThePauseSetBetweenTheSongs) {
    if (!test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    test::AppHarness h(test::realEngine());
    const EngineFunctions& engine = h.app->engine();
    const int jack = test::jackDriverIndex(engine);
    ASSERT_GE(jack, 0) << "the engine lists JACK";
    ASSERT_EQ(engine.InitAudioDriver(jack, &h.main()), 1);
    const fs::path songs = h.home / "YourSongs";
    // Long enough for the second song to be prepared while the first plays.
    writeSong(songs, "First", 5.0, 500, 0);  // outputs 1/2
    writeSong(songs, "Second", 1.0, 800, 1); // outputs 3/4
    h.setRows({"First", "Second"}, {"", ""});
    const MainWindow::Controls& c = h.main().controls();
    c.jumpToNextBox->setChecked(true);
    c.autoPlayBox->setChecked(true);
    EXPECT_EQ(c.segueBox->value(), 1000) << "the default pause";

    test::JackRecorder recorder(44100 * 30);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom("vellamorinth"));
    const double rate = jack_get_sample_rate(recorder.client());
    std::vector<double> onsets; // the second song's first block against its level later
    const auto pauseBetweenSongs = [&](int segueMs) -> double {
        c.segueBox->setValue(segueMs);
        EXPECT_EQ(h.app->prefs().segueMs, segueMs);
        h.list().selectRow(0);
        h.app->mainLoop().songListClicked();
        const std::size_t begin = recorder.recorded();
        c.playButton->click();
        // Prepared from two seconds in, queued or started at the end: its file may go meanwhile.
        EXPECT_TRUE(waitUntil([&] { return engine.GetSongPos() >= 3 * 176400; }, 20000));
        fs::rename(songs / "Second" / "tone.wav", songs / "Second" / "away.wav");
        EXPECT_TRUE(waitUntil([&] { return h.state().playingSong == 1 && engine.GetPlaying() == 1; }, 20000));
        EXPECT_TRUE(waitUntil([&] { return engine.GetPlaying() == 0; }, 20000)) << "the second song ends";
        fs::rename(songs / "Second" / "away.wav", songs / "Second" / "tone.wav");
        const std::size_t end = recorder.recorded();
        const std::size_t lastOfFirst = lastSound(recorder.channel(0), begin, end);
        const std::size_t firstOfSecond = firstSound(recorder.channel(2), begin, end);
        EXPECT_LT(firstOfSecond, end) << "the second song sounded, as it was prepared";
        EXPECT_LT(lastSound(recorder.channel(2), begin, end) - firstOfSecond, std::size_t(1.05 * rate));
        EXPECT_EQ(firstSound(recorder.channel(6), begin, end), end) << "a muted track stays muted from the first sample";
        const auto peakOf = [&](std::size_t from) {
            const auto& s = recorder.channel(2);
            return std::abs(*std::max_element(s.begin() + long(from), s.begin() + long(from + 1024),
                                              [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        };
        onsets.push_back(peakOf(firstOfSecond + 256) / peakOf(firstOfSecond + std::size_t(rate / 2)));
        return (double(firstOfSecond) - double(lastOfFirst) - 1) / rate;
    };
    recorder.start();
    ASSERT_TRUE(recorder.waitFor(1024));

    const double gapless = pauseBetweenSongs(0);
    EXPECT_GE(gapless, 0.0) << "never over each other";
    EXPECT_LT(gapless, 256 / rate) << "within one block";
    const double standard = pauseBetweenSongs(1000);
    EXPECT_GT(standard, 0.9);
    EXPECT_LT(standard, 1.2);
    EXPECT_EQ(h.state().currentSong, 1);
    // Its equaliser from its first block on: it begins as a song started by PLAY does.
    EXPECT_NEAR(onsets[0] / onsets[1], 1.0, 0.1);
}
