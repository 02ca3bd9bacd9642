// Loading and saving a song's program: which song, the question, the info file, safe writes.
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongInfoFile.h"
#include "songs/SongPaths.h"
#include "mixer/SongProgramStore.h"
#include "songs/SongTestData.h"
#include "support/TempFolder.h"
#include "support/ui/RecordingEngine.h"
#include "tests/mixer/MixerCallNames.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vl;
using test::everyFieldSet;

namespace {

struct StoreFixture : ::testing::Test {
    test::TempFolder root;
    test::RecordingEngine recorder;
    EngineFunctions engine = recorder.functions();
    ScriptedDialogs dialogs;
    InterfaceTexts texts;
    SongProgram program;
    int window = 0; // stands in for the playback window handle
    SongProgramStore store{program, engine, dialogs, texts, &window};
    QString songsRoot = QString::fromStdString(root.str());

    StoreFixture() { texts.fill("english"); }

    void makeSong(const std::string& name, const SongProgram& p) {
        std::filesystem::create_directories(root / name);
        const QString song = QString::fromStdString(name);
        ASSERT_TRUE(
            writeTextLines(songProgramPath(songsRoot, song), writeProgramLines(p, FileNames::Included)));
    }
    std::string fileOf(const std::string& song, const std::string& file) {
        return test::readFile(root / song / file);
    }
};

SongProgram variant(int n) {
    SongProgram p = everyFieldSet();
    p.tracks[0].fileName = QStringLiteral("song%1.wav").arg(n);
    p.masterVolume = static_cast<float>(n * 0.1);
    return p;
}

} // namespace

TEST_F(StoreFixture, LoadsTheSelectedSongOrThePlayingOne) {
    makeSong("First", variant(1));
    makeSong("Second", variant(2));

    LoadOutcome out = store.loadSongProgram(songsRoot, {false, "First", "Second"});
    EXPECT_EQ(out.row, ChosenRow::Selected);
    EXPECT_TRUE(out.read);
    EXPECT_EQ(program.tracks[0].fileName, "song2.wav");
    EXPECT_EQ(store.loadedSong(), "Second");

    recorder.playing = 1;
    out = store.loadSongProgram(songsRoot, {false, "First", "Second"});
    EXPECT_EQ(out.row, ChosenRow::Playing);
    EXPECT_EQ(program.tracks[0].fileName, "song1.wav");

    // An open editor keeps its edit.
    program.tracks[0].fileName = "editing";
    out = store.loadSongProgram(songsRoot, {true, "First", "Second"});
    EXPECT_EQ(out.row, ChosenRow::None);
    EXPECT_EQ(program.tracks[0].fileName, "editing");

    // A song without a program leaves the record as it was, but an edit now belongs to it.
    recorder.playing = 0;
    out = store.loadSongProgram(songsRoot, {false, "", "Missing"});
    EXPECT_EQ(out.row, ChosenRow::Selected);
    EXPECT_FALSE(out.read);
    EXPECT_EQ(program.tracks[0].fileName, "editing");
    EXPECT_EQ(store.loadedSong(), "Missing");
    EXPECT_TRUE(recorder.calls.empty()) << "loading never talks to the engine";
}

TEST_F(StoreFixture, SaveAsksThenWritesProgramAndInfo) {
    makeSong("My Song", SongProgram{});
    store.loadSongProgram(songsRoot, {false, "", "My Song"});
    program = everyFieldSet();
    recorder.measureResult = 176400 * 61;
    dialogs.yesNoAnswers = {true};

    EXPECT_EQ(store.saveSongProgram(songsRoot, "My Song", {}), SaveOutcome::Saved);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].kind, "question");
    EXPECT_EQ(dialogs.asked[0].title, "confirm ...");
    EXPECT_EQ(dialogs.asked[0].text, "save changes ?");

    SongProgram read;
    ASSERT_TRUE(
        readProgramLines(*readTextLines(songProgramPath(songsRoot, "My Song")), read, FileNames::Included));
    for (int t = 0; t < kStoredTracks; ++t)
        EXPECT_EQ(read.tracks[t], program.tracks[t]);
    EXPECT_EQ(read.reserved, program.reserved);
    EXPECT_EQ(fileOf("My Song", "inf"), "10760400\r\n");
    EXPECT_EQ(readSongInfoLength(songInfoPath(songsRoot, "My Song")), 10760400);
    EXPECT_EQ(songBytesToSeconds(10760400), 61);
}

TEST_F(StoreFixture, InfoFileMeasuresWithMixerAndFullPathsFirst) {
    makeSong("Measured", SongProgram{});
    store.loadSongProgram(songsRoot, {false, "", "Measured"});
    program = everyFieldSet();
    dialogs.yesNoAnswers = {true};
    MixerInputs mixer;
    mixer.globalMute[2] = true; // the measure hands every track over regardless
    mixer.subgroupOutput = {3, 2, 1, 0};
    ASSERT_EQ(store.saveSongProgram(songsRoot, "Measured", mixer), SaveOutcome::Saved);

    std::vector<std::string> expected = test::mixerCallNames();
    expected.insert(expected.end(), 8, "SetAFileName");
    expected.push_back("Play");
    ASSERT_EQ(recorder.names(), expected);

    const auto& calls = recorder.calls;
    EXPECT_EQ(calls[2].n[2], 0.0) << "the mixer pass honours the global mute";
    for (int t = 1; t <= 8; ++t) {
        const auto& call = calls[36 + t - 1];
        const TrackSettings& track = program.tracks[t - 1];
        EXPECT_EQ(call.n[0], t);
        EXPECT_EQ(call.n[1], 3 - track.outputPair);
        EXPECT_EQ(call.n[2], track.volume);
        EXPECT_EQ(call.n[3], track.pan);
        EXPECT_EQ(call.text, (songsRoot + "Measured/" + track.fileName).toStdString());
    }
    EXPECT_EQ(calls.back().n, (std::vector<double>{1, 0}));
}

TEST_F(StoreFixture, SavingWhilePlayingWritesTheMaximumPositionOnly) {
    makeSong("Live", SongProgram{});
    store.loadSongProgram(songsRoot, {false, "", "Live"});
    recorder.playing = 1;
    recorder.maxSongPos = 987654;
    dialogs.yesNoAnswers = {true};
    EXPECT_EQ(store.saveSongProgram(songsRoot, "Live", {}), SaveOutcome::Saved);
    EXPECT_EQ(fileOf("Live", "inf"), "987654\r\n");
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(StoreFixture, NoAndForbiddenNamesLeaveEveryFileAlone) {
    for (const std::string name : {"ab", "*.*", "x"}) {
        std::filesystem::create_directories(root / name);
        test::writeFile(root / name / (name + ".p"), "keep");
    }
    makeSong("Kept Song", variant(3));
    test::writeFile(root / "Kept Song" / "inf", "42\r\n");
    const std::string before = fileOf("Kept Song", "Kept Song.p");
    store.loadSongProgram(songsRoot, {false, "", "Kept Song"});
    program.masterVolume = 0.11f;

    dialogs.yesNoAnswers = {false};
    EXPECT_NE(store.saveSongProgram(songsRoot, "Kept Song", {}), SaveOutcome::Saved);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(fileOf("Kept Song", "Kept Song.p"), before);
    EXPECT_EQ(fileOf("Kept Song", "inf"), "42\r\n");
    EXPECT_EQ(program.masterVolume, 0.11f) << "the edit stays in memory";

    SongProgramStore fresh(program, engine, dialogs, texts);
    for (const QString name : {"ab", "*.*", "x", ""}) {
        dialogs.yesNoAnswers = {true};
        EXPECT_NE(fresh.saveSongProgram(songsRoot, name, {}), SaveOutcome::Saved);
        EXPECT_EQ(fileOf("Kept Song", "Kept Song.p"), before);
    }
    EXPECT_EQ(dialogs.asked.size(), 1u) << "forbidden names are not even asked about";
    for (const std::string name : {"ab", "*.*", "x"})
        EXPECT_EQ(fileOf(name, name + ".p"), "keep");
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(StoreFixture, SaveGoesToTheSongThatWasLoaded) {
    makeSong("Playing Song", variant(4));
    makeSong("Other Song", variant(5));
    const std::string other = fileOf("Other Song", "Other Song.p");
    recorder.playing = 1;
    store.loadSongProgram(songsRoot, {false, "Playing Song", "Other Song"});
    program.masterVolume = 0.25f;
    dialogs.yesNoAnswers = {true};
    // The song list's current row has moved on to another song meanwhile.
    EXPECT_EQ(store.saveSongProgram(songsRoot, "Other Song", {}), SaveOutcome::Saved);
    EXPECT_EQ(fileOf("Other Song", "Other Song.p"), other);
    EXPECT_FALSE(std::filesystem::exists(root / "Other Song" / "inf"));
    SongProgram read;
    ASSERT_TRUE(readProgramLines(*readTextLines(songProgramPath(songsRoot, "Playing Song")), read,
                                 FileNames::Included));
    EXPECT_EQ(read.masterVolume, 0.25f);

    // A setlist from another folder moves the songs root; the save still finds its song.
    test::TempFolder otherRoot;
    std::filesystem::create_directories(otherRoot / "Playing Song");
    program.masterVolume = 0.5f;
    dialogs.yesNoAnswers = {true};
    EXPECT_EQ(store.saveSongProgram(QString::fromStdString(otherRoot.str()), "Playing Song", {}),
              SaveOutcome::Saved);
    EXPECT_TRUE(std::filesystem::is_empty(otherRoot / "Playing Song"));
    ASSERT_TRUE(readProgramLines(*readTextLines(songProgramPath(songsRoot, "Playing Song")), read,
                                 FileNames::Included));
    EXPECT_EQ(read.masterVolume, 0.5f);
}

TEST_F(StoreFixture, MissingSongFolderWritesNothingAndMeasuresNothing) {
    dialogs.yesNoAnswers = {true};
    EXPECT_EQ(store.saveSongProgram(songsRoot, "Nowhere", {}), SaveOutcome::Failed);
    EXPECT_FALSE(std::filesystem::exists(root / "Nowhere"));
    EXPECT_TRUE(recorder.calls.empty());
}

// An info file that cannot be written is known before the engine is driven for it.
TEST_F(StoreFixture, UnwritableInfoFileDrivesNoEngine) {
    makeSong("Blocked", SongProgram{});
    std::filesystem::create_directories(root / "Blocked" / "inf"); // not a file: cannot be replaced
    store.loadSongProgram(songsRoot, {false, "", "Blocked"});
    dialogs.yesNoAnswers = {true};
    EXPECT_EQ(store.saveSongProgram(songsRoot, "Blocked", {}), SaveOutcome::Saved);
    EXPECT_TRUE(recorder.calls.empty()) << recorder.names().front();
    EXPECT_TRUE(std::filesystem::is_directory(root / "Blocked" / "inf"));
}

// A write that runs into a full disk, or is killed by it, keeps the previous program.
TEST_F(StoreFixture, InterruptedWriteKeepsThePreviousFile) {
    SongProgram big = everyFieldSet();
    for (auto& t : big.tracks)
        t.fileName = QString(255, u'n');
    makeSong("Safe Song", variant(6));
    test::writeFile(root / "Safe Song" / "inf", "77\r\n");
    const std::string before = fileOf("Safe Song", "Safe Song.p");
    store.loadSongProgram(songsRoot, {false, "", "Safe Song"});
    program = big;

    for (const bool killed : {false, true}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Writes past 1 KiB fail (or kill the process with SIGXFSZ).
            std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            const rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            dialogs.yesNoAnswers = {true};
            const bool saved = store.saveSongProgram(songsRoot, "Safe Song", {}) == SaveOutcome::Saved;
            ::_exit(saved ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (killed) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0) << "a failed write is not reported as saved";
        }
        EXPECT_EQ(fileOf("Safe Song", "Safe Song.p"), before);
        SongProgram read;
        ASSERT_TRUE(readProgramLines(*readTextLines(songProgramPath(songsRoot, "Safe Song")), read,
                                     FileNames::Included));
        EXPECT_EQ(read.tracks[0].fileName, "song6.wav");
    }
}
