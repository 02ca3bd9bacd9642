// A set of songs with different tracks played in turn, by hand and by the automatic advance,
// with the real program and engine module on the JACK dummy server: every audio track has a
// tone of its own and the MIDI track its own outputs, so the recording tells which tracks
// sound. Each song must sound with exactly its own tracks, never with those of the song before.
#include "AppHarness.h"
#include "ToneSong.h"
#include "engine/MidiFileWriter.h"
#include "engine/VideoTestSink.h"
#include "support/JackRecorder.h"

#include "mixer/ProgramEditor.h"
#include "mixer/ProgramEditorWindow.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

using namespace vl;
using vl::test::waitUntil;

namespace {

namespace fs = std::filesystem;

// Tones of the eight-track song's tracks, of the one-track song and of the video song; the
// video file's own sound is at 1000 Hz.
constexpr double kEightTones[8] = {300, 450, 600, 750, 900, 1050, 1200, 1350};
constexpr double kOneTone = 1500;
constexpr double kVideoSongTone = 1650;
constexpr double kVideoOwnSound = 1000;

enum class Song { Eight, One, Midi, Video, Missing };
const QStringList kRows{"Eight", "One", "Midi Only", "With Video", "Missing"};

// The amplitude of a sine of `hz` in s[from, from + n), through a Hann window.
double toneAmplitude(const std::vector<float>& s, std::size_t from, std::size_t n, double hz, double rate) {
    double re = 0, im = 0, weights = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n - 1));
        const double phase = 2 * std::numbers::pi * hz * double(i) / rate;
        re += s[from + i] * w * std::cos(phase);
        im -= s[from + i] * w * std::sin(phase);
        weights += w;
    }
    return 2 * std::hypot(re, im) / weights;
}

double windowRms(const std::vector<float>& s, std::size_t from, std::size_t n) {
    double sum = 0;
    for (std::size_t i = from; i < from + n; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(n));
}

// A track as the program editor writes it: no name for an empty one, at the template's level.
SongProgram emptyTracks() {
    SongProgram program;
    for (auto& track : program.tracks) track.volume = 1.0f;
    return program;
}

void writeProgram(const fs::path& songs, const QString& song, const SongProgram& program) {
    fs::create_directories(songs / song.toStdString());
    writeTextLines(QString::fromStdString((songs / song.toStdString() / (song.toStdString() + ".p")).string()),
                   writeProgramLines(program, FileNames::Included));
}

void writeSet(const fs::path& songs) {
    SongProgram eight = emptyTracks();
    for (int t = 0; t < 8; ++t) {
        const std::string file = "track" + std::to_string(t + 1) + ".wav";
        test::writeToneWave(songs / "Eight" / file, 3.0, kEightTones[t]);
        eight.tracks[t].fileName = QString::fromStdString(file);
        eight.tracks[t].volume = 0.3f;
    }
    writeProgram(songs, "Eight", eight);

    SongProgram one = emptyTracks();
    test::writeToneWave(songs / "One" / "lead.wav", 1.5, kOneTone);
    one.tracks[0].fileName = "lead.wav";
    one.tracks[0].volume = 0.3f;
    one.tracks[2].fileName = "no"; // an emptied track
    writeProgram(songs, "One", one);

    SongProgram midi = emptyTracks();
    fs::create_directories(songs / "Midi Only");
    ASSERT_TRUE(test::writeFile(songs / "Midi Only" / "organ.mid",
                                test::buildSmf({{test::channelMessage(0, 0xC0, 16),
                                                 test::channelMessage(0, 0x90, 60, 100),
                                                 test::channelMessage(test::at(1.5), 0x80, 60, 0)}})));
    midi.tracks[0].fileName = "organ.mid";
    midi.tracks[0].outputPair = 1; // outputs 3/4: told apart from every audio track
    writeProgram(songs, "Midi Only", midi);

    SongProgram video = emptyTracks();
    test::writeToneWave(songs / "With Video" / "bed.wav", 1.5, kVideoSongTone);
    ASSERT_TRUE(test::counterVideo(songs / "With Video" / "clip.mp4", 1.5, 25, "160x90",
                                   "-c:v libx264 -preset veryfast -c:a aac"));
    video.tracks[0].fileName = "bed.wav";
    video.tracks[0].volume = 0.3f;
    video.tracks[1].fileName = "clip.mp4";
    writeProgram(songs, "With Video", video);
}

struct SongStartJack : ::testing::Test {
    void SetUp() override {
        if (!test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
        h = std::make_unique<test::AppHarness>(test::realEngine());
        const EngineFunctions& engine = h->app->engine();
        int jack = -1;
        for (int i = 0; i < 20; ++i) {
            const char* name = engine.GetDriverName(i);
            if (!name || !*name || QString::fromUtf8(name) == "no") break;
            if (QString::fromUtf8(name) == "JACK") jack = i;
        }
        ASSERT_GE(jack, 0) << "the engine lists JACK";
        ASSERT_EQ(engine.InitAudioDriver(jack, &h->main()), 1);
        engine.SetSoundFontPath("/usr/share/sounds/sf2/TimGM6mb.sf2"); // small: quick to load
        writeSet(h->home / "YourSongs");
        h->setRows(kRows, {"", "", "", "", ""});
    }
    void TearDown() override {
        if (h) h->app->engine().Stop();
    }

    // Checks that the recording from `start` on holds exactly the tracks of `song`.
    void expectOwnTracks(const test::JackRecorder& r, Song song, std::size_t start) {
        const double rate = jack_get_sample_rate(r.client());
        const std::size_t from = start + std::size_t(0.3 * rate), n = std::size_t(0.5 * rate);
        const std::string name = kRows[int(song)].toStdString();
        ASSERT_LE(from + n, r.recorded()) << name;
        const std::vector<float>& left = r.channel(0);
        std::vector<double> wanted;
        if (song == Song::Eight) wanted.assign(std::begin(kEightTones), std::end(kEightTones));
        if (song == Song::One) wanted = {kOneTone};
        if (song == Song::Video) wanted = {kVideoSongTone};
        std::vector<double> all(std::begin(kEightTones), std::end(kEightTones));
        all.insert(all.end(), {kOneTone, kVideoSongTone, kVideoOwnSound});
        for (double hz : all) {
            const double a = toneAmplitude(left, from, n, hz, rate);
            if (std::find(wanted.begin(), wanted.end(), hz) != wanted.end())
                EXPECT_GT(a, 0.03) << name << ": its own " << hz << " Hz track";
            else
                EXPECT_LT(a, 0.002) << name << ": " << hz << " Hz is not one of its tracks";
        }
        const bool midi = song == Song::Midi;
        for (int c = 0; c < 8; ++c) {
            const double level = windowRms(r.channel(c), from, n);
            if ((c < 2 && !wanted.empty()) || (c >= 2 && c < 4 && midi))
                EXPECT_GT(level, 0.003) << name << ": output " << c + 1;
            else
                EXPECT_LT(level, 1e-4) << name << ": output " << c + 1 << " carries no track of this song";
        }
    }

    std::unique_ptr<test::AppHarness> h;
};

} // namespace

TEST_F(SongStartJack, EachSongOfTheSetSoundsWithExactlyItsOwnTracks) {
    const EngineFunctions& engine = h->app->engine();
    QPushButton* play = h->main().controls().playButton;
    QLabel* notice = h->main().controls().notice;
    test::JackRecorder recorder(44100 * 60);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom("vellamorinth"));
    recorder.start();
    const double rate = jack_get_sample_rate(recorder.client());

    // By hand: each row selected and played, then stopped.
    for (int row = 0; row < 5; ++row) {
        h->list().selectRow(row);
        h->app->mainLoop().songListClicked();
        play->click();
        const std::size_t start = recorder.recorded();
        ASSERT_TRUE(waitUntil([&] { return recorder.recorded() >= start + std::size_t(0.9 * rate); }, 20000));
        if (row == int(Song::Missing)) {
            EXPECT_EQ(engine.GetPlaying(), 0) << "a missing folder plays nothing";
            EXPECT_EQ(notice->text(), "NOT PLAYED: there is no song folder \"Missing\"");
            for (int c = 0; c < 8; ++c) EXPECT_LT(windowRms(recorder.channel(c), start + 2048, 8192), 1e-4);
            continue;
        }
        ASSERT_EQ(engine.GetPlaying(), 1) << kRows[row].toStdString();
        expectOwnTracks(recorder, Song(row), start);
        play->click();
    }

    // The song list's time of a song measured by the program editor's save right after a
    // longer song played is the song's own.
    if (engine.GetPlaying()) play->click();
    h->list().selectRow(0);
    h->app->mainLoop().songListClicked();
    play->click();
    play->click();
    h->list().selectRow(1);
    h->app->mainLoop().songListClicked();
    h->main().controls().songEditButton->click();
    ProgramEditorWindow& editor = h->app->programEditor().window();
    ASSERT_TRUE(editor.isVisible());
    h->dialogs.yesNoAnswers = {true};
    editor.ok->click();
    EXPECT_EQ(h->list().item(1, 2)->text(), "00:01") << "One lasts 1.5 s, Eight 3 s";

    // By the automatic advance, from the first row to the missing folder.
    std::vector<std::pair<int, std::size_t>> starts; // row, recording frame
    QObject::connect(&h->app->transport(), &Transport::engineStarted,
                     [&] { starts.emplace_back(h->state().currentSong, recorder.recorded()); });
    h->main().controls().jumpToNextBox->setChecked(true);
    h->main().controls().autoPlayBox->setChecked(true);
    h->list().selectRow(0);
    h->app->mainLoop().songListClicked();
    play->click();
    ASSERT_TRUE(waitUntil([&] { return h->state().currentSong == int(Song::Missing) && engine.GetPlaying() == 0; },
                          40000));
    EXPECT_EQ(notice->text(), "NOT PLAYED: there is no song folder \"Missing\"");
    ASSERT_EQ(starts.size(), 4u) << "four songs started, the missing folder did not";
    for (const auto& [row, frame] : starts) {
        SCOPED_TRACE("automatic advance");
        expectOwnTracks(recorder, Song(row), frame);
    }
}
