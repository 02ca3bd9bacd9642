// Reading the preferences at start-up: the crash marker, the first start and the
// messages, the settings window in place of the main window, and writing back.
#include "SettingsRig.h"
#include "platform/WindowPlace.h"
#include "platform/TextFile.h"

#include <QApplication>

#include <QDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cstdio>
#include <string>

using namespace vl;
using vl::test::SettingsRig;

namespace {

Preferences storedChoice(const QString& home) {
    Preferences p;
    p.audioDriverIndex = 2;
    p.midiInIndex = 1;
    p.midiOutIndex = 1;
    p.subgroupOutput = {1, 1, 3, 0};
    p.globalMute[4] = true;
    p.screenSizeIndex = 4;
    p.skinIndex = 0;
    p.setlistTextSize = QStringLiteral("20");
    p.setlistPath = home + QStringLiteral("Shows/Summer/Setlist.txt");
    QDir().mkpath(home + QStringLiteral("Shows/Summer"));
    p.mainWindowX = 140;
    p.mainWindowY = 90;
    p.lyricViewX = 20;
    p.lyricViewY = 30;
    p.playbackWindowRect = {70, 40, 640, 360};
    p.midiControls[0] = {0xB0, 64, 127};
    return p;
}

// A tmpfs of a few pages over a folder for the life of the object, where mounting is allowed.
struct SmallDisk {
    std::string path;
    bool mounted = false;
    explicit SmallDisk(std::string folder) : path(std::move(folder)) {
        mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=32k") == 0;
    }
    ~SmallDisk() {
        if (mounted) ::umount2(path.c_str(), MNT_DETACH);
    }
    // Takes every free page.
    bool fill() const {
        std::FILE* f = std::fopen((path + "/filler").c_str(), "wb");
        if (!f) return false;
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
        }
        std::fclose(f);
        return true;
    }
};

void expectOnlyMessage(const ScriptedDialogs& dialogs, const QString& title, const QString& text) {
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].kind, "message");
    EXPECT_EQ(dialogs.asked[0].title, title);
    EXPECT_EQ(dialogs.asked[0].text, text);
}

void expectSettingsInPlaceOfMain(SettingsRig& rig) {
    EXPECT_TRUE(rig.window().isVisible());
    EXPECT_FALSE(rig.mainWindowWidget.isVisible());
    EXPECT_EQ(rig.window().pos(), rig.mainWindowWidget.pos());
    EXPECT_EQ(rig.window().size(), QSize(794, 464));
}

} // namespace

TEST(PreferencesStartup, NoFileShowsTheFirstStartMessageWithTheSettingsInPlaceOfTheMainWindow) {
    SettingsRig rig;
    EXPECT_FALSE(rig.startUp());
    expectOnlyMessage(rig.dialogs, "first time driver select...",
                      "please select and activate audio/midi-driver ...");
    expectSettingsInPlaceOfMain(rig);
    EXPECT_EQ(rig.window().skinList()->currentIndex(), 0);
    EXPECT_TRUE(rig.loadedSetlists.empty());
    // Defaults stay.
    EXPECT_TRUE(rig.settings->prefs().noMidiFileToMidiOut);
    EXPECT_EQ(rig.settings->prefs().setlistTextSize, "12");
}

TEST(PreferencesStartup, MessagesComeInTheChosenLanguage) {
    SettingsRig rig("deutsch");
    rig.startUp();
    expectOnlyMessage(rig.dialogs,
                      QString::fromUtf8("Vellamorinth läuft das erste Mal, bitte die Treiber einstellen..."),
                      QString::fromUtf8("bitte wähle und aktiviere Audio- und Miditreiber ..."));
    EXPECT_EQ(rig.window().editBufferButton()->text(), "BUFFER");
}

TEST(PreferencesStartup, CrashMarkerResetsTheDriversAndKeepsTheRest) {
    SettingsRig rig;
    const Preferences stored = storedChoice(QString::fromStdString(rig.home.str()));
    ASSERT_TRUE(writePreferencesFile(rig.prefsPath(), stored, false));
    EXPECT_TRUE(rig.startUp());
    EXPECT_TRUE(rig.settings->crashDetected());
    expectOnlyMessage(rig.dialogs, "crashed?...",
                      "seems that you had a crash !\n\nplease reselect audio and midi driver ...");
    expectSettingsInPlaceOfMain(rig);
    Preferences expected = stored;
    expected.audioDriverIndex = expected.midiInIndex = expected.midiOutIndex = 0;
    Preferences got = rig.settings->prefs();
    EXPECT_EQ(got, expected);
    // The drivers are reset before anything is opened.
    const auto inits = rig.engine.callsNamed("InitAudioDriver");
    ASSERT_EQ(inits.size(), 2u);
    EXPECT_EQ(inits[1].n[0], 0);
    EXPECT_EQ(rig.window().audioDriverList()->currentIndex(), 0);
    EXPECT_EQ(rig.window().midiInList()->currentIndex(), 0);
    EXPECT_EQ(rig.window().midiOutList()->currentIndex(), 0);
    EXPECT_EQ(rig.loadedSetlists, std::vector<QString>{stored.setlistPath});
    // The reset is on disk at once: a second crash before any choice still starts clean.
    const auto lines = readTextLines(rig.prefsPath());
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->mid(0, 5), QStringList({"@audiodriver", "0", "@mididriver", "0", "0"}));
}

TEST(PreferencesStartup, MidiMarkerAloneResetsOnlyTheMidiDevices) {
    SettingsRig rig;
    QStringList lines = formatPreferences(storedChoice(QString::fromStdString(rig.home.str())), true);
    lines[2] = QStringLiteral("@mididriver");
    ASSERT_TRUE(writeTextLines(rig.prefsPath(), lines));
    rig.startUp();
    EXPECT_EQ(rig.settings->prefs().audioDriverIndex, 2);
    EXPECT_EQ(rig.settings->prefs().midiInIndex, 0);
    EXPECT_EQ(rig.settings->prefs().midiOutIndex, 0);
    expectOnlyMessage(rig.dialogs, "crashed?...",
                      "seems that you had a crash !\n\nplease reselect audio and midi driver ...");
    EXPECT_EQ(rig.engine.callsNamed("InitAudioDriver").back().n[0], 2);
    EXPECT_EQ(rig.window().audioDriverList()->currentText(), "PulseAudio");
}

TEST(PreferencesStartup, ZeroByteFileCountsAsACrash) {
    SettingsRig rig;
    test::writeFile(rig.home / "prefs", "");
    EXPECT_TRUE(rig.startUp());
    EXPECT_TRUE(rig.settings->crashDetected());
    expectOnlyMessage(rig.dialogs, "crashed?...",
                      "seems that you had a crash !\n\nplease reselect audio and midi driver ...");
    // The cut file gives no setlist path: the default one stays, so songs still have a home.
    EXPECT_EQ(rig.settings->prefs().setlistPath,
              QString::fromStdString(rig.home.str()) + "YourSongs/Setlist.txt");
    EXPECT_EQ(rig.songsRoot, QString::fromStdString(rig.home.str()) + "YourSongs/");
    // The empty text size becomes 12 when the list font is applied.
    EXPECT_EQ(rig.settings->prefs().setlistTextSize, "12");
    EXPECT_EQ(rig.songListWidget->font().pointSize(), 12);
}

TEST(PreferencesStartup, CleanFileWithADriverRestoresEverythingQuietly) {
    SettingsRig rig;
    const QString home = QString::fromStdString(rig.home.str());
    const Preferences stored = storedChoice(home);
    ASSERT_TRUE(writePreferencesFile(rig.prefsPath(), stored, true));
    EXPECT_TRUE(rig.startUp());
    EXPECT_FALSE(rig.settings->crashDetected());
    EXPECT_TRUE(rig.dialogs.asked.empty());
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_TRUE(rig.mainWindowWidget.isVisible());
    // Places are the windows' inside corners, so they come back exactly.
    EXPECT_EQ(rig.mainWindowWidget.geometry().topLeft(), QPoint(140, 90));
    EXPECT_EQ(rig.lyricViewWidget.geometry().topLeft(), QPoint(20, 30));
    EXPECT_EQ(rig.playbackWindowWidget.geometry(), QRect(70, 40, 640, 360));
    EXPECT_EQ(rig.loadedSetlists, std::vector<QString>{stored.setlistPath});
    EXPECT_EQ(rig.songsRoot, home + "Shows/Summer/");
    EXPECT_EQ(rig.songListWidget->font().pointSize(), 20);
    EXPECT_TRUE(rig.songListWidget->font().bold());
    EXPECT_EQ(rig.engine.callsNamed("InitAudioDriver").back().n[0], 2);
    EXPECT_FALSE(rig.window().audioActivateButton()->isEnabled());
    Preferences expected = stored;
    expected.audioDriverName = "PulseAudio"; // an older file's position, named from now on
    EXPECT_EQ(rig.settings->prefs(), expected);
    // Only the settings' OK puts the crash marker in: the file stays as it was.
    const auto lines = readTextLines(rig.prefsPath());
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->mid(0, 5), QStringList({"audiodriver", "2", "mididriver", "1", "1"}));
    // Shown in the controls.
    EXPECT_EQ(rig.window().subgroupList(2)->currentText(), "7/8");
    EXPECT_TRUE(rig.window().globalMuteCheck(4)->isChecked());
    EXPECT_EQ(rig.window().screenSizeList()->currentText(), "1280x800");
    EXPECT_EQ(rig.window().midiLearnButton(0)->text(), "C:64");
    EXPECT_EQ(rig.window().setlistTextSizeField()->text(), "20");
}

TEST(PreferencesStartup, NoDriverChosenAsksToSelectOne) {
    SettingsRig rig;
    Preferences p = storedChoice(QString::fromStdString(rig.home.str()));
    p.audioDriverIndex = p.midiInIndex = p.midiOutIndex = 0;
    ASSERT_TRUE(writePreferencesFile(rig.prefsPath(), p, true));
    rig.startUp();
    expectOnlyMessage(rig.dialogs, "select driver...", "please select and activate audio/midi-driver ...");
    expectSettingsInPlaceOfMain(rig);
}

TEST(PreferencesStartup, StoredPlacesOffEveryScreenAreNotUsed) {
    SettingsRig rig;
    Preferences p = storedChoice(QString::fromStdString(rig.home.str()));
    p.mainWindowX = -5000; // a monitor that is gone
    ASSERT_TRUE(writePreferencesFile(rig.prefsPath(), p, true));
    const QPoint before = rig.mainWindowWidget.pos();
    rig.startUp();
    EXPECT_EQ(rig.mainWindowWidget.pos(), before);
    EXPECT_EQ(rig.lyricViewWidget.pos(), QPoint(20, 30));
}

TEST(PreferencesStartup, ConfirmWritesTheMarkerAndAQuitWritesPlainLabels) {
    SettingsRig rig;
    rig.startUp(); // first start: the settings are open
    rig.window().audioDriverList()->setCurrentIndex(3);
    rig.window().audioActivateButton()->click();
    EXPECT_EQ(rig.settings->prefs().audioDriverIndex, 3);
    placeWindow(rig.window(), {210, 120});
    rig.window().okButton()->click();

    auto lines = readTextLines(rig.prefsPath());
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[0], "@audiodriver");
    EXPECT_EQ((*lines)[1], "3");
    EXPECT_EQ((*lines)[2], "@mididriver");
    // OK puts the main window back where the settings were, at 794 x 464.
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_TRUE(rig.mainWindowWidget.isVisible());
    EXPECT_EQ(rig.mainWindowWidget.geometry().topLeft(), QPoint(210, 120));
    EXPECT_EQ(rig.mainWindowWidget.size(), QSize(794, 464));

    rig.settings->writePreferences(true); // shutdown
    lines = readTextLines(rig.prefsPath());
    EXPECT_EQ((*lines)[0], "audiodriver");
    EXPECT_EQ((*lines)[2], "mididriver");
    EXPECT_EQ((*lines)[1], "3");
    EXPECT_EQ((*lines)[49], "210");
}

TEST(PreferencesStartup, AFullDiskAtQuitIsNoCrashAtTheNextStart) {
    SettingsRig rig;
    SmallDisk disk(rig.home.str());
    if (!disk.mounted) GTEST_SKIP() << "a small tmpfs cannot be mounted here";
    rig.startUp();
    rig.window().audioDriverList()->setCurrentIndex(3);
    rig.window().audioActivateButton()->click();
    rig.window().okButton()->click();
    ASSERT_EQ(readTextLines(rig.prefsPath())->value(0), "@audiodriver");

    ASSERT_TRUE(disk.fill());
    ASSERT_FALSE(writeTextLines(rig.prefsPath() + "-probe", {"x"})) << "the disk takes no new file";
    rig.settings->writePreferences(true); // shutdown

    const auto lines = readTextLines(rig.prefsPath());
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->mid(0, 5), QStringList({"audiodriver", "3", "mididriver", "0", "0"}));
    SettingsRig again;
    test::writeFile(again.home / "prefs", test::readFile(rig.home / "prefs"));
    again.startUp();
    EXPECT_FALSE(again.settings->crashDetected());
    EXPECT_EQ(again.settings->prefs().audioDriverIndex, 3);
}

TEST(PreferencesStartup, WhatTheWindowEditsSurvivesARestart) {
    Preferences edited;
    QString home;
    {
        SettingsRig rig;
        rig.startUp();
        SettingsWindow& w = rig.window();
        w.audioDriverList()->setCurrentIndex(1);
        w.audioActivateButton()->click();
        w.subgroupList(0)->setCurrentIndex(2);
        w.globalMuteCheck(7)->setChecked(true);
        w.screenSizeList()->setCurrentIndex(6);
        w.doubleClickList()->setCurrentIndex(0);
        w.setlistTextSizeField()->setText("18");
        w.lyricSecondWindowCheck()->setChecked(true);
        w.playShowsLyricCheck()->setChecked(true);
        w.noMidiFileToMidiOutCheck()->setChecked(false);
        w.midiMasterVolumeCheck()->setChecked(true);
        w.midiMasterVolumeChannelSpin()->setValue(9);
        w.programChangeSelectsCheck()->setChecked(true);
        w.programChangePlaysCheck()->setChecked(true);
        w.valueSensitiveCheck()->setChecked(true);
        w.okButton()->click();
        rig.settings->writePreferences(true);
        edited = rig.settings->prefs();
        EXPECT_EQ(edited.subgroupOutput[0], 2);
        EXPECT_TRUE(edited.globalMute[7]);
        EXPECT_EQ(edited.screenSizeIndex, 6);
        EXPECT_EQ(edited.doubleClickAction, 0);
        EXPECT_EQ(edited.midiMasterVolumeChannel, 9);
        EXPECT_EQ(edited.setlistTextSize, "18");
        EXPECT_TRUE(edited.valueSensitive);
        EXPECT_EQ(rig.settings->outputPairForSubgroup(0), 2);
        EXPECT_EQ(rig.settings->outputPairForSubgroup(5), 5);
        // The folder goes away with the rig; keep the file.
        home = QString::fromUtf8(test::readFile(rig.home / "prefs").c_str());
    }
    SettingsRig again;
    test::writeFile(again.home / "prefs", home.toStdString());
    again.startUp();
    EXPECT_TRUE(again.dialogs.asked.empty());
    Preferences read = again.settings->prefs();
    // Places come from the new rig's windows, the setlist path from the old folder.
    read.setlistPath = edited.setlistPath;
    EXPECT_EQ(read, edited);
    EXPECT_EQ(again.window().screenSizeList()->currentText(), "max");
}

TEST(PreferencesStartup, ASetlistPathThatNamesNoPlaceFallsBackToTheDefault) {
    const QDir working = QDir::current();
    for (const QString& stored : {QStringLiteral("0"), QStringLiteral("Setlist.txt"), QStringLiteral("/no/such/folder/Set.txt")}) {
        SettingsRig rig;
        const QString home = QString::fromStdString(rig.home.str());
        Preferences p = storedChoice(home);
        p.setlistPath = stored;
        ASSERT_TRUE(writePreferencesFile(rig.prefsPath(), p, true));
        rig.startUp();
        EXPECT_EQ(rig.settings->prefs().setlistPath, home + "YourSongs/Setlist.txt") << stored.toStdString();
        EXPECT_EQ(rig.songsRoot, home + "YourSongs/");
        EXPECT_EQ(rig.loadedSetlists, std::vector<QString>{home + "YourSongs/Setlist.txt"});
        EXPECT_FALSE(working.exists(stored)) << "nothing is written relative to the working folder";
    }
}
