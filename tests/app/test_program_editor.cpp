// The program editor and channel effects windows in the whole program, on the real engine
// module's no-sound device: what the musician sees, what the song program stores, and the
// files written.
#include "AppHarness.h"
#include "ToneSong.h"

#include "mixer/ChannelEffectsWindow.h"
#include "mixer/OutputMeters.h"
#include "mixer/ProgramEditor.h"
#include "mixer/ProgramEditorWindow.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongPaths.h"
#include "songs/SongTestData.h"
#include "support/SmallDisk.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QWindow>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

using namespace vl;
namespace fs = std::filesystem;

namespace {

struct EditorHarness : test::AppHarness {
    explicit EditorHarness(const char* language = "english") : AppHarness(test::realEngine(), language) {
        app->engine().InitAudioDriver(0, &main());
    }
    ~EditorHarness() { app->engine().Stop(); }

    ProgramEditor& editor() { return app->programEditor(); }
    ProgramEditorWindow& window() { return editor().window(); }
    ChannelEffectsWindow& effects() { return editor().effects(); }
    SongProgram& program() { return app->program(); }
    fs::path songs() { return home / "YourSongs"; }
    QString songsRoot() { return QString::fromStdString(songs().string()) + "/"; }

    void writeSong(const std::string& song, const SongProgram& p) {
        fs::create_directories(songs() / song);
        ASSERT_TRUE(writeTextLines(songProgramPath(songsRoot(), QString::fromStdString(song)),
                                   writeProgramLines(p, FileNames::Included)));
    }
    SongProgram readSong(const std::string& song) {
        SongProgram p;
        const auto lines = readTextLines(songProgramPath(songsRoot(), QString::fromStdString(song)));
        EXPECT_TRUE(lines && readProgramLines(*lines, p, FileNames::Included));
        return p;
    }
    // As the musician does it: a click on SONG EDIT.
    void openWithClick() {
        main().controls().songEditButton->click();
        ASSERT_TRUE(window().isVisible());
    }
    void tick() { ticks(0, 1); }
};

// A user's drag of the slider to `position`: reported as a slider action, as a real one is.
void drag(QSlider* slider, int position) { slider->setSliderPosition(position); }

void typeInto(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

// A key pressed on a window through the window system, as shortcuts see a real one.
void pressOn(QWidget& window, int key, const QString& text) {
    QApplication::setActiveWindow(&window);
    qt_handleKeyEvent(window.windowHandle(), QEvent::KeyPress, key, Qt::NoModifier, text, false, 1);
    qt_handleKeyEvent(window.windowHandle(), QEvent::KeyRelease, key, Qt::NoModifier, text, false, 1);
    QApplication::processEvents();
}

} // namespace

TEST(ProgramEditor, OpensInTheMainWindowsPlaceWithTheSongsValues) {
    EditorHarness h;
    SongProgram p = test::everyFieldSet();
    p.tracks[1].fileName = "Rock & Roll.wav";
    h.writeSong("Alpha", p);
    h.setRows({"Alpha"});
    const QPoint mainPlace = h.main().geometry().topLeft();
    h.openWithClick();

    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.window().geometry(), QRect(mainPlace, QSize(794, 464)));
    EXPECT_EQ(h.window().windowTitle(), "program editor ...");
    const auto& strips = h.window().strips;
    EXPECT_EQ(strips[1].track->fileName(), "Rock & Roll.wav");
    EXPECT_EQ(strips[1].track->text(), "Rock && Roll.wav") << "an & is shown, not taken as a shortcut mark";
    EXPECT_EQ(strips[2].subOut->count(), 4);
    EXPECT_EQ(strips[2].subOut->currentText(), "5/6");
    EXPECT_EQ(strips[3].pan->value(), 3 * 7 - 50 + 100);
    EXPECT_EQ(strips[3].volume->value(), 21);
    EXPECT_TRUE(strips[1].mute->isChecked());
    EXPECT_EQ(h.window().mainVolume->value(), 37);
    EXPECT_EQ(h.window().midiPrograms[1]->text(), "128");
    EXPECT_EQ(h.window().delayTime->value(), 375);
    EXPECT_FALSE(h.window().notice->isVisible());

    // Digits only in the program-change fields.
    QLineEdit* channel = h.window().midiChannels[0];
    channel->clear();
    typeInto(channel, "1x2");
    EXPECT_EQ(channel->text(), "12");

    // One tick copies every control back unchanged and sends the mix to the engine.
    h.tick();
    EXPECT_EQ(h.program().tracks[1].fileName, "Rock & Roll.wav");
    EXPECT_EQ(h.program().tracks[3].pan, p.tracks[3].pan);
    EXPECT_EQ(h.program().midiProgramChanges[0].channel, 12);
    EXPECT_EQ(h.program().effectBuses, p.effectBuses);
}

TEST(ProgramEditor, SliderPopUpsShowTheValuesAsMusiciansReadThem) {
    EditorHarness h;
    h.writeSong("Alpha", test::everyFieldSet());
    h.setRows({"Alpha"});
    h.openWithClick();
    ProgramEditorWindow& w = h.window();

    drag(w.strips[0].pan, 100);
    EXPECT_EQ(w.strips[0].pan->toolTip(), "0");
    drag(w.reverbTime, 0);
    EXPECT_EQ(w.reverbTime->toolTip(), "1000 ms");
    drag(w.reverbTime, 10);
    EXPECT_EQ(w.reverbTime->toolTip(), "6000 ms");
    drag(w.delayTime, 250);
    EXPECT_EQ(w.delayTime->toolTip(), "250 ms");
    drag(w.delayFeedback, 3);
    EXPECT_EQ(w.delayFeedback->toolTip(), "20");
    drag(w.strips[4].volume, 64);
    EXPECT_EQ(w.strips[4].volume->toolTip(), "64");
    drag(w.mainVolume, 90);
    EXPECT_EQ(w.mainVolume->toolTip(), "90");
    w.delayVolume->setValue(12); // filled from a program, not moved: no pop-up
    EXPECT_EQ(w.delayVolume->toolTip(), "delay volume");

    h.tick();
    EXPECT_EQ(h.program().tracks[0].pan, 0);
    EXPECT_EQ(h.program().effectBuses.reverbTime, 10);
    EXPECT_EQ(h.program().effectBuses.delayFeedback, 3);
    EXPECT_FLOAT_EQ(h.program().tracks[4].volume, 0.64f);
    EXPECT_FLOAT_EQ(h.program().masterVolume, 0.9f);
}

TEST(ProgramEditor, EffectEditOnRowThreeShowsTrackThreeAndStoresTheThreshold) {
    EditorHarness h;
    SongProgram p = test::everyFieldSet();
    p.tracks[2].bass = 7;
    p.tracks[2].ratio = 4;
    p.tracks[2].threshold = -12;
    p.tracks[2].release = 300;
    p.tracks[2].eqActive = 1;
    h.writeSong("Alpha", p);
    h.setRows({"Alpha"});
    h.openWithClick();
    h.window().strips[2].effectEdit->click();

    ChannelEffectsWindow& e = h.effects();
    ASSERT_TRUE(e.isVisible());
    EXPECT_EQ(e.windowTitle(), "EFFECT EDIT channel 3");
    EXPECT_EQ(h.editor().effectEditTrack(), 2);
    EXPECT_EQ(e.bass.slider->value(), 22);
    EXPECT_EQ(e.bass.field->text(), "7");
    EXPECT_EQ(e.ratio.field->text(), "4:1");
    EXPECT_EQ(e.threshold.field->text(), "-12");
    EXPECT_EQ(e.release.field->text(), "300");
    EXPECT_TRUE(e.eqActive->isChecked());
    EXPECT_EQ(e.reverbSend->value(), 10);

    drag(e.threshold.slider, 0);
    drag(e.reverbSend, 33);
    EXPECT_EQ(e.reverbSend->toolTip(), "33");
    h.tick();
    EXPECT_EQ(h.program().tracks[2].threshold, -60.0f);
    EXPECT_EQ(e.threshold.field->text(), "-60");
    EXPECT_EQ(h.program().tracks[2].reverbSend, 33);
    e.threshold.field->setText("99"); // typing has no lasting effect
    h.tick();
    EXPECT_EQ(e.threshold.field->text(), "-60");

    h.window().strips[5].effectEdit->click();
    EXPECT_EQ(e.windowTitle(), "EFFECT EDIT channel 6");
    e.ok->click();
    EXPECT_FALSE(e.isVisible());
    EXPECT_TRUE(h.window().isVisible());
}

TEST(ProgramEditor, ImportCopiesIntoTheSongFolderReportsAFailedCopyAndCancelEmptiesTheTrack) {
    EditorHarness h;
    SongProgram p = test::everyFieldSet();
    p.tracks[0].fileName = "kept.wav";
    h.writeSong("Alpha", p);
    h.writeSong("ab", p);
    test::writeToneWave(h.songs() / "Alpha" / "kept.wav", 0.5, 440);
    test::TempFolder outside;
    test::writeToneWave(outside / "Click Track.WAV", 0.5, 880);
    h.setRows({"Alpha", "ab"});
    h.openWithClick();

    h.dialogs.fileAnswers = {QString::fromStdString((outside / "Click Track.WAV").string())};
    h.window().strips[3].track->click();
    EXPECT_EQ(h.window().strips[3].track->fileName(), "Click Track.WAV");
    EXPECT_EQ(test::readFile(h.songs() / "Alpha" / "Click Track.WAV"), test::readFile(outside / "Click Track.WAV"));

    // A name as long as the file system allows is copied under that name.
    const std::string longName = std::string(251, 'n') + ".wav";
    test::writeToneWave(outside / longName, 0.1, 440);
    h.dialogs.fileAnswers = {QString::fromStdString((outside / longName).string())};
    h.window().strips[4].track->click();
    EXPECT_EQ(h.window().strips[4].track->fileName().toStdString(), longName);
    EXPECT_TRUE(fs::exists(h.songs() / "Alpha" / longName));

    // The very file of the song folder, chosen again: it stays whole.
    const std::string kept = test::readFile(h.songs() / "Alpha" / "kept.wav");
    h.dialogs.fileAnswers = {QString::fromStdString((h.songs() / "Alpha" / "kept.wav").string())};
    h.window().strips[0].track->click();
    EXPECT_EQ(test::readFile(h.songs() / "Alpha" / "kept.wav"), kept);
    EXPECT_EQ(h.window().strips[0].track->fileName(), "kept.wav");

    // A copy that cannot be made (the name is taken by a folder) is said, and the track
    // keeps what it had.
    fs::create_directories(h.songs() / "Alpha" / "blocked.wav");
    test::writeToneWave(outside / "blocked.wav", 0.1, 440);
    h.dialogs.asked.clear();
    h.dialogs.fileAnswers = {QString::fromStdString((outside / "blocked.wav").string())};
    h.window().strips[2].track->click();
    ASSERT_EQ(h.dialogs.asked.size(), 2u);
    EXPECT_EQ(h.dialogs.asked[1].kind, "message");
    EXPECT_EQ(h.dialogs.asked[1].title, "error...");
    EXPECT_TRUE(h.dialogs.asked[1].text.contains("blocked.wav"));
    EXPECT_EQ(h.window().strips[2].track->fileName(), "track 3 Grüße.wav");
    h.tick();
    EXPECT_EQ(h.program().tracks[2].fileName, "track 3 Grüße.wav");
    EXPECT_TRUE(h.editor().programDirty());

    // A song of two letters takes no file.
    h.dialogs.yesNoAnswers = {false};
    h.window().ok->click();
    h.list().selectRow(1);
    h.app->mainLoop().songListClicked();
    h.openWithClick();
    h.dialogs.fileAnswers = {QString::fromStdString((outside / "Click Track.WAV").string())};
    h.window().strips[6].track->click();
    EXPECT_FALSE(fs::exists(h.songs() / "ab" / "Click Track.WAV"));
    EXPECT_EQ(h.window().strips[6].track->fileName(), "track 7 Grüße.wav");

    h.dialogs.asked.clear();
    h.window().strips[3].track->click(); // the picker is cancelled
    ASSERT_EQ(h.dialogs.asked.size(), 1u);
    EXPECT_EQ(h.dialogs.asked[0].title, "import ...");
    EXPECT_EQ(h.window().strips[3].track->fileName(), "no");
    EXPECT_EQ(h.program().tracks[3].fileName, "no");
}

TEST(ProgramEditor, OpenedWithADoubleClickAndClosedAtOnceStillAsksAndSavesWithItsLength) {
    EditorHarness h;
    test::writeToneSong(h.songs(), "Tone Song", 3);
    fs::remove(h.songs() / "Tone Song" / "inf");
    h.setRows({"Tone Song"}, {""});
    EXPECT_EQ(h.app->songs().rows()[0].time, "");
    h.prefs().doubleClickAction = 0; // "program editor"
    h.app->mainLoop().songListDoubleClicked();
    ASSERT_TRUE(h.window().isVisible());
    h.dialogs.asked.clear();
    h.dialogs.yesNoAnswers = {true};
    h.window().ok->click();

    ASSERT_EQ(h.dialogs.asked.size(), 1u);
    EXPECT_EQ(h.dialogs.asked[0].title, "confirm ...");
    EXPECT_EQ(h.dialogs.asked[0].text, "save changes ?");
    EXPECT_FALSE(h.window().isVisible());
    EXPECT_TRUE(h.main().isVisible());
    EXPECT_EQ(test::readFile(h.songs() / "Tone Song" / "inf"), std::to_string(3 * 176400) + "\r\n");
    EXPECT_EQ(h.app->songs().rows()[0].time, "00:03") << "the song list shows the time at once";
    EXPECT_EQ(h.app->songs().rows()[0].number, "000");
}

TEST(ProgramEditor, LoadMixerReplacesTheMixButKeepsEveryFile) {
    EditorHarness h;
    SongProgram song = test::everyFieldSet();
    h.writeSong("Alpha", song);
    SongProgram mix = test::everyFieldSet();
    mix.masterVolume = 0.55f;
    mix.tracks[2].pan = 40;
    mix.tracks[4].bass = 9;
    mix.effectBuses.delayTime = 800;
    for (auto& t : mix.tracks) t.fileName = "other.wav";
    fs::create_directories(h.home / "Data");
    ASSERT_TRUE(writeTextLines(QString::fromStdString((h.home / "Data" / "mixer.p").string()),
                               writeProgramLines(mix, FileNames::Left)));
    h.setRows({"Alpha"});
    h.openWithClick();
    h.window().strips[4].effectEdit->click();
    h.window().loadMixer->click();

    EXPECT_EQ(h.window().mainVolume->value(), 55);
    EXPECT_EQ(h.window().strips[2].pan->value(), 140);
    EXPECT_EQ(h.window().delayTime->value(), 800);
    EXPECT_EQ(h.effects().bass.field->text(), "9");
    for (int t = 0; t < 8; ++t) EXPECT_EQ(h.window().strips[t].track->fileName(), song.tracks[t].fileName);
    h.tick();
    for (int t = 0; t < 16; ++t) EXPECT_EQ(h.program().tracks[t].fileName, song.tracks[t].fileName);

    // SAVE MIXER writes what the windows show, without the file names.
    drag(h.window().reverbVolume, 21);
    h.window().saveMixer->click();
    SongProgram saved;
    ASSERT_TRUE(readProgramLines(*readTextLines(QString::fromStdString((h.home / "Data" / "mixer.p").string())),
                                 saved, FileNames::Left));
    EXPECT_EQ(saved.effectBuses.reverbVolume, 21);
    EXPECT_EQ(saved.tracks[0].fileName, "");
}

// OK on a full disk says so; the file keeps the old program, the editor the edit.
TEST(ProgramEditor, SaveOnAFullDiskSaysSoAndKeepsTheEditOnScreen) {
    EditorHarness h;
    fs::create_directories(h.songs() / "Alpha");
    test::SmallDisk disk{h.songs() / "Alpha"};
    if (!disk.mounted) GTEST_SKIP() << "mounting a small disk needs root";
    h.writeSong("Alpha", test::everyFieldSet());
    const std::string program = test::readFile(h.songs() / "Alpha" / "Alpha.p");
    h.setRows({"Alpha"});
    h.openWithClick();
    drag(h.window().mainVolume, 90);
    disk.fill();
    h.dialogs.yesNoAnswers = {true};
    h.window().ok->click();
    EXPECT_TRUE(h.dialogs.asked.back().text.startsWith("The program could not be saved"));
    EXPECT_EQ(test::readFile(h.songs() / "Alpha" / "Alpha.p"), program);
    EXPECT_TRUE(h.window().isVisible());
    EXPECT_EQ(h.window().mainVolume->value(), 90);
}

// The song's timecode start is typed in the editor and saved with the program, in a file of
// its own; a label that is none keeps the editor open.
TEST(ProgramEditor, TheTimecodeStartIsSavedInAFileOfItsOwn) {
    EditorHarness h;
    h.writeSong("Alpha", test::everyFieldSet());
    const std::string program = test::readFile(h.songs() / "Alpha" / "Alpha.p");
    h.setRows({"Alpha"});
    h.openWithClick();
    QLineEdit* start = h.window().timecodeStart;
    EXPECT_EQ(start->text(), "00:00:00:00");
    start->clear();
    typeInto(start, "01:61:00:00");
    h.dialogs.asked.clear();
    h.window().ok->click();
    EXPECT_TRUE(h.window().isVisible());
    ASSERT_EQ(h.dialogs.asked.size(), 1u);
    EXPECT_EQ(h.dialogs.asked[0].text, "not a timecode: hh:mm:ss:ff, hours 0-23, frames 0-29");
    EXPECT_FALSE(fs::exists(h.songs() / "Alpha" / "timecode"));

    start->clear();
    typeInto(start, "01:02:03:04");
    h.dialogs.yesNoAnswers = {true}; // "save changes ?"
    h.window().ok->click();
    EXPECT_FALSE(h.window().isVisible());
    EXPECT_EQ(test::readFile(h.songs() / "Alpha" / "timecode"), "01:02:03:04\r\n");
    EXPECT_EQ(test::readFile(h.songs() / "Alpha" / "Alpha.p"), program) << "the program holds no start";
    h.openWithClick();
    EXPECT_EQ(start->text(), "01:02:03:04");
}

// A song whose program cannot be read is edited as an empty program that says so, and
// its save goes into its own folder, never into the song loaded before.
TEST(ProgramEditor, AfterAFailedLoadTheSaveWritesOnlyTheShownSong) {
    EditorHarness h;
    h.writeSong("Good Song", test::everyFieldSet());
    fs::create_directories(h.songs() / "Damaged");
    test::writeFile(h.songs() / "Damaged" / "Damaged.p", "not a program\r\n");
    h.setRows({"Good Song", "Damaged"});
    const std::string good = test::readFile(h.songs() / "Good Song" / "Good Song.p");
    const std::string goodInfo = test::readFile(h.songs() / "Good Song" / "inf");

    h.openWithClick();
    EXPECT_EQ(h.window().strips[0].track->fileName(), "track 1 Grüße.wav");
    h.dialogs.yesNoAnswers = {false};
    h.window().close(); // the window manager's close box acts as OK
    EXPECT_EQ(h.dialogs.asked.back().text, "save changes ?");
    EXPECT_TRUE(h.main().isVisible());

    h.list().selectRow(1);
    h.app->mainLoop().songListClicked();
    h.openWithClick();
    EXPECT_TRUE(h.window().notice->isVisible());
    EXPECT_TRUE(h.window().notice->text().contains("Damaged"));
    for (const auto& strip : h.window().strips) EXPECT_EQ(strip.track->fileName(), "");
    EXPECT_EQ(h.window().strips[0].volume->value(), 100) << "a new song's values";

    h.dialogs.yesNoAnswers = {true};
    h.window().ok->click();
    EXPECT_EQ(test::readFile(h.songs() / "Good Song" / "Good Song.p"), good);
    EXPECT_EQ(test::readFile(h.songs() / "Good Song" / "inf"), goodInfo);
    const SongProgram written = h.readSong("Damaged");
    EXPECT_EQ(written.tracks[0].fileName, "");
}

TEST(ProgramEditor, ANewSongGetsItsProgramFromTheTemplateAndPlayStopsFromTheEditor) {
    EditorHarness h;
    fs::create_directories(h.home / "Data");
    fs::copy_file(fs::path(VL_SOURCE_DIR) / "data" / "emptySong.p", h.home / "Data" / "emptySong.p",
                  fs::copy_options::overwrite_existing);
    h.setRows({"New Song"}, {""});
    h.dialogs.yesNoAnswers = {true}; // create the program
    h.openWithClick();
    EXPECT_EQ(h.dialogs.asked.at(0).text, "do you want to create a Program ?");
    EXPECT_TRUE(fs::exists(h.songs() / "New Song" / "New Song.p"));

    test::writeToneWave(h.home / "tone.wav", 5, 440);
    h.dialogs.fileAnswers = {QString::fromStdString((h.home / "tone.wav").string())};
    h.window().strips[0].track->click();
    h.window().play->click();
    EXPECT_EQ(h.app->engine().GetPlaying(), 1) << "plays the values being edited";
    EXPECT_EQ(h.window().play->text(), "STOP");
    EXPECT_EQ(h.app->engine().GetMaxSongPos(), 5u * 176400);
    pressOn(h.window(), Qt::Key_Space, " ");
    EXPECT_EQ(h.app->engine().GetPlaying(), 0) << "SPACE stops in the editor";
    EXPECT_EQ(h.window().play->text(), "PLAY");
    h.window().strips[0].effectEdit->click();
    pressOn(h.effects(), Qt::Key_Space, " ");
    EXPECT_EQ(h.app->engine().GetPlaying(), 1) << "and plays in the channel effects window";
    EXPECT_EQ(h.state().currentSong, 0);
}

TEST(ProgramEditor, GermanTooltipsAndTheImportPickerTitle) {
    EditorHarness h("deutsch");
    h.writeSong("Alpha", test::everyFieldSet());
    h.setRows({"Alpha"});
    h.openWithClick();
    const ProgramEditorWindow& w = h.window();
    EXPECT_EQ(w.strips[0].volume->toolTip(), "Lautstärke");
    EXPECT_EQ(w.strips[1].volume->toolTip(), "Lautstärkeregler");
    EXPECT_EQ(w.strips[2].mute->toolTip(), "stummschalten");
    EXPECT_EQ(w.strips[5].mute->toolTip(), "mute track");
    EXPECT_EQ(w.ok->toolTip(), "speichern und Programm-Editor verlassen");
    EXPECT_EQ(h.effects().ok->toolTip(), "speichere die Änderungen und schließe Fenster");
    h.window().strips[0].track->click();
    EXPECT_EQ(h.dialogs.asked.back().title, "importiere ...");
}

// A new song's faders all start at full: five tracks of one tone add up past full scale on
// outputs 1/2, and the clip light beside the master level says so while the song plays; a
// quiet song moves the meter and leaves its light dark.
TEST(ProgramEditor, OutputMetersLightTheClipOfFiveFullTracksAndStayDarkForAQuietSong) {
    EditorHarness h;
    SongProgram loud, quiet;
    loud.masterVolume = quiet.masterVolume = 1.0f;
    for (int t = 0; t < 5; ++t) {
        loud.tracks[static_cast<std::size_t>(t)].fileName = "tone.wav";
        loud.tracks[static_cast<std::size_t>(t)].volume = 1.0f; // a quarter of full scale each
    }
    quiet.tracks[0].fileName = "tone.wav";
    quiet.tracks[0].volume = 0.5f;
    h.writeSong("Loud", loud);
    h.writeSong("Quiet", quiet);
    test::writeToneWave(h.songs() / "Loud" / "tone.wav", 5, 440);
    test::writeToneWave(h.songs() / "Quiet" / "tone.wav", 5, 440);
    h.setRows({"Loud", "Quiet"});
    OutputMeters& meters = *h.window().meters;
    // Plays the song the editor shows for a while, the main loop's fast tick reading the meters.
    const auto play = [&](const std::function<bool()>& until) {
        h.window().play->click();
        EXPECT_EQ(h.app->engine().GetPlaying(), 1);
        const bool reached = test::waitUntil([&] { h.tick(); return until(); }, 3000);
        h.window().play->click();
        return reached;
    };

    h.openWithClick();
    EXPECT_TRUE(meters.isVisible());
    EXPECT_TRUE(play([&] { return meters.clipLit(0); })) << "five full tracks clip outputs 1/2";
    EXPECT_FALSE(meters.clipLit(1)) << "nothing plays on 3/4";
    EXPECT_EQ(meters.barLevel(1), 0.0f);
    h.dialogs.yesNoAnswers = {false};
    h.window().ok->click();

    h.clickList(h.rowCentre(1));
    ASSERT_EQ(h.app->songs().selectedRow(), 1);
    h.openWithClick();
    EXPECT_FALSE(meters.clipLit(0)) << "the light of the song before is not this song's";
    int readings = 0; // of the playing song's level, a second's worth
    EXPECT_TRUE(play([&] { return meters.barLevel(0) > 0.5f && ++readings > 50; })) << meters.barLevel(0);
    EXPECT_FALSE(meters.clipLit(0));
    EXPECT_LT(meters.barLevel(0), 0.9f);
}
