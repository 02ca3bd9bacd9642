// The "prefs" file: its 64 positional lines, the crash marker and short or odd files.
#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace vl;

namespace {

// Every field away from its default, so that a field lost or swapped shows.
Preferences unusualPreferences() {
    Preferences p;
    p.audioDriverIndex = 3;
    p.midiInIndex = 2;
    p.midiOutIndex = 5;
    p.subgroupOutput = {3, 2, 1, 0};
    p.globalMute = {true, false, true, true, false, false, true, false};
    p.screenSizeIndex = 6;
    p.doubleClickAction = 3;
    p.playShowsLyric = true;
    p.setlistTextSize = QStringLiteral("17");
    p.midiControls = {MidiControlSlot{0xB0, 64, 127}, MidiControlSlot{0xC0, 5, 0},
                      MidiControlSlot{0x90, 60, 99}, MidiControlSlot{0xB2, 7, 1}};
    p.hotkeys = {0x270, 0x41, 0x342, 0};
    p.setlistPath = QStringLiteral("/home/anna/Shows/Tour Ä 2026/Set 1.txt");
    p.skinIndex = 2;
    p.noMidiFileToMidiOut = false;
    p.programChangeSelectsSong = true;
    p.programChangePlays = true;
    p.midiMasterVolumeEnabled = true;
    p.midiMasterVolumeChannel = 16;
    p.lyricSecondWindow = true;
    p.mainWindowX = -1200;
    p.mainWindowY = 45;
    p.lyricViewX = 1920;
    p.lyricViewY = -3;
    p.valueSensitive = true;
    p.lyricZoom = false;
    p.playbackWindowRect = {100, 200, 804, 460};
    p.oscEnabled = true;
    p.oscPort = 8123;
    p.oscAllowedSenders = QStringLiteral("192.168.1.20, ::1");
    p.oscFeedbackTo = QStringLiteral("10.0.0.5:9001");
    p.showLinkRole = 2;
    p.showLinkFollowers = QStringLiteral("backup.local:9000");
    p.webEnabled = true;
    p.webPort = 9090;
    p.webPin = QStringLiteral("a7!x");
    return p;
}

QStringList cleanLines(const Preferences& p) {
    return formatPreferences(p, true);
}

} // namespace

TEST(PreferencesFile, WriteThenReadReproducesEveryField) {
    test::TempFolder home;
    const QString path = preferencesPath(QString::fromStdString(home.str()));
    for (bool zoom : {false, true}) {
        Preferences written = unusualPreferences();
        written.lyricZoom = zoom;
        ASSERT_TRUE(writePreferencesFile(path, written, true));
        const auto lines = readTextLines(path);
        ASSERT_TRUE(lines);
        ASSERT_EQ(lines->size(), kPreferencesLineCount);
        EXPECT_EQ((*lines)[59], zoom ? "2" : "1");
        Preferences read; // defaults underneath, as at start-up
        const PreferencesReadResult result = parsePreferences(*lines, read);
        EXPECT_FALSE(result.crashDetected);
        EXPECT_EQ(read, written);
    }
}

TEST(PreferencesFile, LinesSitAtTheirPlacesWithCrLf) {
    test::TempFolder home;
    const QString path = preferencesPath(QString::fromStdString(home.str()));
    ASSERT_TRUE(writePreferencesFile(path, unusualPreferences(), false));
    const std::string bytes = test::readFile(home / "prefs");
    EXPECT_EQ(bytes.rfind("@audiodriver\r\n3\r\n@mididriver\r\n2\r\n5\r\nbusouts\r\n3\r\n2\r\n1\r\n0\r\n", 0),
              0u);
    const QStringList lines = formatPreferences(unusualPreferences(), true);
    const auto at = [&](int line) { return lines[line - 1]; };
    EXPECT_EQ(at(1), "audiodriver");
    EXPECT_EQ(at(3), "mididriver");
    EXPECT_EQ(at(11), "mutechannels");
    EXPECT_EQ(at(12), "1");
    EXPECT_EQ(at(20), "screensize");
    EXPECT_EQ(at(22), "doubleclick opens");
    EXPECT_EQ(at(24), "play and show lyric");
    EXPECT_EQ(at(26), "textsize");
    EXPECT_EQ(at(28), "midicontrol");
    EXPECT_EQ(at(29), "176"); // status of slot 0, then its data byte 1
    EXPECT_EQ(at(30), "64");
    EXPECT_EQ(at(37), "hotkeys");
    EXPECT_EQ(at(42), "/home/anna/Shows/Tour Ä 2026/Set 1.txt");
    EXPECT_EQ(at(50), "-1200");
    EXPECT_EQ(at(54), "midicontrol");
    EXPECT_EQ(at(55), "127"); // data byte 2 of slot 0
    EXPECT_EQ(at(64), "460");
}

TEST(PreferencesFile, CrashMarkersResetOnlyTheDriversTheyName) {
    const Preferences stored = unusualPreferences();
    {
        Preferences read;
        const auto result = parsePreferences(formatPreferences(stored, false), read);
        EXPECT_TRUE(result.crashDetected);
        EXPECT_EQ(read.audioDriverIndex, 0);
        EXPECT_EQ(read.midiInIndex, 0);
        EXPECT_EQ(read.midiOutIndex, 0);
        Preferences rest = stored;
        rest.audioDriverIndex = rest.midiInIndex = rest.midiOutIndex = 0;
        EXPECT_EQ(read, rest);
    }
    {
        QStringList lines = cleanLines(stored);
        lines[2] = QStringLiteral("@mididriver");
        Preferences read;
        const auto result = parsePreferences(lines, read);
        EXPECT_TRUE(result.crashDetected);
        EXPECT_FALSE(result.audioMarked);
        EXPECT_TRUE(result.midiMarked);
        EXPECT_EQ(read.audioDriverIndex, 3);
        EXPECT_EQ(read.midiInIndex, 0);
        EXPECT_EQ(read.midiOutIndex, 0);
    }
    {
        // The labels are compared exactly: case and blanks count.
        for (const char* label : {"AudioDriver", "audiodriver ", "", "@audiodriver"}) {
            QStringList lines = cleanLines(stored);
            lines[0] = QString::fromUtf8(label);
            Preferences read;
            EXPECT_TRUE(parsePreferences(lines, read).audioMarked) << label;
            EXPECT_EQ(read.audioDriverIndex, 0);
            EXPECT_EQ(read.midiOutIndex, 5);
        }
    }
}

TEST(PreferencesFile, ZeroByteFileCountsAsCrashMarker) {
    test::TempFolder home;
    test::writeFile(home / "prefs", "");
    const auto lines = readTextLines(QString::fromStdString((home / "prefs").string()));
    ASSERT_TRUE(lines); // it opens, so it is read, not treated as missing
    Preferences read;
    const auto result = parsePreferences(*lines, read);
    EXPECT_TRUE(result.crashDetected);
    EXPECT_TRUE(result.audioMarked && result.midiMarked);
    // Missing lines read as empty: numbers 0, texts empty, zoom stays on.
    EXPECT_EQ(read.subgroupOutput, (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_FALSE(read.noMidiFileToMidiOut);
    EXPECT_EQ(read.setlistTextSize, "");
    EXPECT_EQ(read.doubleClickAction, 0);
    EXPECT_TRUE(read.lyricZoom);
    EXPECT_TRUE(read.playbackWindowRect.isEmpty());
}

TEST(PreferencesFile, ShortFilesKeepTheZoomAndLeaveThePlaybackWindowUnstored) {
    const Preferences stored = unusualPreferences();
    QStringList lines = cleanLines(stored);
    {
        Preferences read;
        parsePreferences(lines.mid(0, 60), read); // ends at the zoom line
        EXPECT_FALSE(read.lyricZoom);
        EXPECT_EQ(read.playbackWindowRect, WindowRect{});
        EXPECT_EQ(read.valueSensitive, true);
        // Files of versions without the show's network keep it off.
        EXPECT_FALSE(read.oscEnabled);
        EXPECT_EQ(read.oscPort, 9000);
        EXPECT_EQ(read.showLinkRole, 0);
    }
    {
        Preferences read;
        read.lyricZoom = false;
        parsePreferences(lines.mid(0, 59), read);
        EXPECT_TRUE(read.lyricZoom);
    }
    {
        Preferences read;
        parsePreferences(lines.mid(0, 62), read); // x and y only
        EXPECT_EQ(read.playbackWindowRect, (WindowRect{100, 200, 0, 0}));
    }
    {
        // A file from before the band view: off, on port 8080, without a PIN.
        Preferences read;
        parsePreferences(lines.mid(0, 67), read);
        EXPECT_FALSE(read.webEnabled);
        EXPECT_EQ(read.webPort, 8080);
        EXPECT_EQ(read.webPin, QString());
        EXPECT_TRUE(read.autoPlay == stored.autoPlay && read.audioDriverName == stored.audioDriverName);
    }
    {
        // Zoom 0 (never written by us) keeps the zoom on, as a missing line does.
        lines[59] = QStringLiteral("0");
        Preferences read;
        parsePreferences(lines, read);
        EXPECT_TRUE(read.lyricZoom);
    }
}

TEST(PreferencesFile, NumbersAreReadFromTheLineStart) {
    EXPECT_EQ(readNumberLine("42"), 42);
    EXPECT_EQ(readNumberLine("   -17 apples"), -17);
    EXPECT_EQ(readNumberLine("+8"), 8);
    EXPECT_EQ(readNumberLine("\t3"), 3);
    EXPECT_EQ(readNumberLine("x3"), 0);
    EXPECT_EQ(readNumberLine("-"), 0);
    EXPECT_EQ(readNumberLine(""), 0);
    EXPECT_EQ(readNumberLine("99999999999999999999"), INT_MAX);
    EXPECT_EQ(readNumberLine("-2147483648"), INT_MIN);
    EXPECT_EQ(readNumberLine("-99999999999999999999"), INT_MIN);
}

TEST(PreferencesFile, TextFieldsWithLineBreaksCannotShiftTheLines) {
    Preferences p = unusualPreferences();
    p.setlistPath = QStringLiteral("/tmp/evil\r\nname.txt");
    p.setlistTextSize = QStringLiteral("1\n2");
    const QStringList lines = formatPreferences(p, true);
    ASSERT_EQ(lines.size(), kPreferencesLineCount);
    test::TempFolder home;
    const QString path = preferencesPath(QString::fromStdString(home.str()));
    ASSERT_TRUE(writeTextLines(path, lines));
    Preferences read;
    parsePreferences(*readTextLines(path), read);
    EXPECT_EQ(read.setlistPath, "/tmp/evilname.txt");
    EXPECT_EQ(read.setlistTextSize, "12");
    EXPECT_EQ(read.skinIndex, 2);
    EXPECT_EQ(read.playbackWindowRect, p.playbackWindowRect);
}

TEST(PreferencesFile, FolderOfPathAcceptsBothSeparators) {
    EXPECT_EQ(folderOfPath("C:\\Songs\\Setlist.txt"), "C:\\Songs\\");
    EXPECT_EQ(folderOfPath("/home/a/YourSongs/Setlist.txt"), "/home/a/YourSongs/");
    EXPECT_EQ(folderOfPath("Setlist.txt"), "");
}
