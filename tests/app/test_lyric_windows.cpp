// The lyric editor and the lyric view in the whole program: opening, editing, importing,
// saving and leaving; showing and hiding the view by key, button and timer; the time and
// position of the playing song in both windows. Real files in a temporary program folder.
#include "AppHarness.h"
#include "DesktopProgram.h"
#include "app/LyricLink.h"
#include "lyrics/LyricEditor.h"
#include "lyrics/LyricImport.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "lyrics/Lyrics.h"
#include "lyrics/RtfReader.h"
#include "platform/TextFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "settings/Preferences.h"
#include "settings/Skins.h"
#include "support/SmallDisk.h"
#include "support/ui/ScriptedMidiPorts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QWindow>

#include <gtest/gtest.h>

Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

using namespace vl;
using vl::test::AppHarness;
using vl::test::readFile;
using vl::test::writeFile;

namespace {

const char* kLyric = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green255\\blue255;}"
                     "\\pard\\qc\\cf1\\f0\\fs56 First line\\par Second line\\par}";

struct LyricHarness : AppHarness {
    explicit LyricHarness(std::function<std::unique_ptr<MidiPorts>()> midiPorts = nullptr)
        : AppHarness(std::nullopt, "english", std::move(midiPorts)) {
        for (const char* name : {"empty.rtf", "empty2.rtf"})
            writeFile(home / "Data" / name, readFile(std::filesystem::path(VL_SOURCE_DIR "/data") / name));
        writeLyric("Alpha", kLyric);
        writeLyric("Beta", "{\\rtf1\\ansi\\pard Beta words\\par}");
        setRows({"Alpha", "Beta", "Gamma"});
    }
    Lyrics& lyrics() { return app->lyricLink().lyrics(); }
    LyricEditor& editor() { return lyrics().editor(); }
    LyricView& view() { return lyrics().view(); }
    std::filesystem::path lyricPath(const std::string& song) { return home / "YourSongs" / song / (song + ".rtf"); }
    void writeLyric(const std::string& song, const std::string& rtf) { writeFile(lyricPath(song), rtf); }
    void click(QPushButton* button) {
        button->click();
        QApplication::processEvents();
    }
    void edit() { app->mainLoop().runCommand(MainWindow::Command::Edit); }
    void ok() { click(editor().controls().okButton); }
    void press(QWidget& window, int key, const QString& text = {}) {
        qt_handleKeyEvent(window.windowHandle(), QEvent::KeyPress, key, Qt::NoModifier, text, false, 1);
        qt_handleKeyEvent(window.windowHandle(), QEvent::KeyRelease, key, Qt::NoModifier, text, false, 1);
        QApplication::processEvents();
    }
    void typeInEditor(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&editor().editor(), &press);
        }
    }
    void selectAllInEditor() { editor().editor().selectAll(); }
    QString savedText(const std::string& song) {
        QTextDocument document;
        readRtf(QString::fromStdString(readFile(lyricPath(song))), document);
        return document.toPlainText();
    }
    int questions() const {
        return static_cast<int>(std::count_if(dialogs.asked.begin(), dialogs.asked.end(),
                                              [](const auto& a) { return a.kind == "question"; }));
    }
    std::string importFile(const std::string& name, const std::string& bytes) {
        writeFile(home / name, bytes);
        return (home / name).string();
    }
};

QTextCharFormat firstFormat(const QTextDocument& document) {
    return document.begin().begin().fragment().charFormat();
}

} // namespace

TEST(LyricEditor, AsksToSaveOnlyWhenTextOrFormatChanged) {
    LyricHarness h;
    h.edit();
    ASSERT_TRUE(h.editor().isVisible());
    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.editor().text(), "First line\nSecond line");
    EXPECT_EQ(h.editor().editor().geometry(), QRect(0, 70, 794, 394));
    h.ok();
    EXPECT_EQ(h.questions(), 0) << "leaving without a change asks nothing";
    EXPECT_FALSE(h.editor().isVisible());
    EXPECT_TRUE(h.main().isVisible());

    // Typing alone, no formatting button, still asks; No keeps the file.
    const std::string before = readFile(h.lyricPath("Alpha"));
    h.edit();
    h.typeInEditor("la la ");
    h.dialogs.yesNoAnswers = {false};
    h.ok();
    ASSERT_EQ(h.questions(), 1);
    EXPECT_EQ(h.dialogs.asked.back().title, "confirm ...");
    EXPECT_EQ(h.dialogs.asked.back().text, "save edited lyric ?");
    EXPECT_EQ(readFile(h.lyricPath("Alpha")), before);
}

TEST(LyricEditor, EveryFormattingControlReachesTheSavedFile) {
    LyricHarness h;
    h.edit();
    const LyricEditor::Controls& c = h.editor().controls();
    h.selectAllInEditor();
    h.dialogs.colourAnswers = {QColor(200, 30, 40)};
    h.click(c.colourButton);
    EXPECT_EQ(h.editor().lastTextColour(), QColor(200, 30, 40));
    h.click(c.boldButton);
    c.fontSizeSlider->setValue(40);
    EXPECT_EQ(c.fontSizeSlider->toolTip(), "select fontsize: 40");
    const int family = c.fontList->findText(Fonts::arialFamily());
    ASSERT_GE(family, 0);
    c.fontList->setCurrentIndex(family);
    emit c.fontList->activated(family);
    h.click(c.rightButton);
    // A cancelled colour choice changes nothing.
    h.click(c.colourButton);
    EXPECT_TRUE(h.lyrics().lyricEdited());
    EXPECT_EQ(h.editor().text(), "First line\nSecond line");
    h.dialogs.yesNoAnswers = {true};
    h.ok();
    EXPECT_EQ(h.questions(), 1) << "formatting alone asks too";

    QTextDocument saved;
    readRtf(QString::fromStdString(readFile(h.lyricPath("Alpha"))), saved);
    const QTextCharFormat format = firstFormat(saved);
    EXPECT_EQ(format.foreground().color(), QColor(200, 30, 40));
    EXPECT_EQ(format.fontWeight(), QFont::Bold);
    EXPECT_FALSE(format.fontItalic());
    EXPECT_EQ(format.fontPointSize(), 40);
    EXPECT_EQ(format.fontFamilies().toStringList().value(0), Fonts::arialFamily());
    EXPECT_EQ(saved.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(saved.lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    // "normal" clears bold and leaves colour and size alone.
    h.edit();
    h.selectAllInEditor();
    h.click(c.normalButton);
    h.dialogs.yesNoAnswers = {true};
    h.ok();
    readRtf(QString::fromStdString(readFile(h.lyricPath("Alpha"))), saved);
    EXPECT_EQ(firstFormat(saved).fontWeight(), QFont::Normal);
    EXPECT_EQ(firstFormat(saved).foreground().color(), QColor(200, 30, 40));
    EXPECT_EQ(firstFormat(saved).fontPointSize(), 40);
}

// A lyric that cannot be written is said, and the editor keeps the text for another try.
TEST(LyricEditor, UnwritableLyricFileKeepsTheEditorOpen) {
    LyricHarness h;
    h.edit();
    h.typeInEditor("encore ");
    const QString text = h.editor().text();
    // The song folder is now a plain file: nothing can be created in it, not even by root.
    std::filesystem::remove_all(h.home / "YourSongs" / "Alpha");
    writeFile(h.home / "YourSongs" / "Alpha", "not a folder");
    h.dialogs.yesNoAnswers = {true};
    h.ok();
    ASSERT_EQ(h.dialogs.asked.back().kind, "message");
    EXPECT_TRUE(h.dialogs.asked.back().text.startsWith("can't save the lyric"));
    EXPECT_TRUE(h.editor().isVisible());
    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.editor().text(), text);

    // Once the folder is back, OK asks again and saves.
    std::filesystem::remove(h.home / "YourSongs" / "Alpha");
    std::filesystem::create_directories(h.home / "YourSongs" / "Alpha");
    h.dialogs.yesNoAnswers = {true};
    h.ok();
    EXPECT_FALSE(h.editor().isVisible());
    EXPECT_EQ(h.savedText("Alpha"), text);
}

// A save on a full disk keeps the old file (never an empty one) and the editor's text.
TEST(LyricEditor, FullDiskKeepsTheOldFileAndTheEditorsText) {
    LyricHarness h;
    test::SmallDisk disk{h.home / "YourSongs" / "Alpha"};
    if (!disk.mounted) GTEST_SKIP() << "mounting a small disk needs root";
    h.writeLyric("Alpha", kLyric);
    h.edit();
    h.typeInEditor("encore ");
    disk.fill();
    h.dialogs.yesNoAnswers = {true};
    h.ok();
    EXPECT_EQ(readFile(h.lyricPath("Alpha")), kLyric);
    EXPECT_TRUE(h.dialogs.asked.back().text.contains("The file keeps its old text"));
    EXPECT_TRUE(h.editor().isVisible());
    EXPECT_TRUE(h.editor().text().contains("encore "));
}

TEST(LyricImport, RtfWithTwoBlackEntriesComesInWhite) {
    LyricHarness h;
    h.edit();
    h.dialogs.fileAnswers = {QString::fromStdString(h.importFile(
        "wordpad.rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
                       "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}\r\n"
                       "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs40 one\\cf2 red\\cf3 three\\par\r\n}\r\n"))};
    h.click(h.editor().controls().importButton);
    EXPECT_EQ(h.lyrics().lyricSource().count("\\red255\\green255\\blue255"), 2);
    EXPECT_FALSE(h.lyrics().lyricSource().contains("\\red0\\green0\\blue0"));
    EXPECT_TRUE(h.lyrics().lyricEdited());
    const QTextDocument& doc = *h.editor().editor().document();
    EXPECT_EQ(doc.toPlainText(), "oneredthree");
    QStringList colours;
    for (auto it = doc.begin().begin(); !it.atEnd(); ++it)
        colours << it.fragment().charFormat().foreground().color().name();
    EXPECT_EQ(colours, (QStringList{"#ffffff", "#ff0000", "#ffffff"}));
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "oneredthree");
    EXPECT_EQ(h.dialogs.asked.back().title, "import TXT/RTF...");
}

TEST(LyricImport, PlainTextGoesIntoOneFreshCopyOfTheTemplate) {
    LyricHarness h;
    h.edit();
    h.dialogs.fileAnswers = {QString::fromStdString(h.importFile("song.txt", "Hello there\r\nsecond line\r\n")),
                             QString::fromStdString(h.importFile("other.txt", "Other words\n"))};
    h.click(h.editor().controls().importButton);
    const QString lyric = h.lyrics().lyricSource();
    EXPECT_TRUE(lyric.endsWith("\\cf0\\fs20\\par}")) << lyric.toStdString();
    // The template's own empty paragraph, then the text as one paragraph.
    const QTextDocument& doc = *h.editor().editor().document();
    ASSERT_EQ(doc.blockCount(), 2);
    EXPECT_EQ(doc.firstBlock().text(), "");
    EXPECT_EQ(doc.lastBlock().text(), QString("Hello there") + QChar(0x2028) + "second line");

    h.click(h.editor().controls().importButton);
    EXPECT_EQ(h.lyrics().lyricSource().count("{\\rtf1"), 1);
    EXPECT_EQ(doc.lastBlock().text(), "Other words");
    // The template's white, centred 28 points.
    const QTextCharFormat format = doc.lastBlock().begin().fragment().charFormat();
    EXPECT_EQ(format.foreground().color(), QColor(Qt::white));
    EXPECT_EQ(format.fontPointSize(), 28);
    EXPECT_EQ(doc.lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // An unreadable file changes nothing.
    h.dialogs.fileAnswers = {QString::fromStdString((h.home / "missing.txt").string())};
    h.click(h.editor().controls().importButton);
    EXPECT_EQ(doc.lastBlock().text(), "Other words");
}

TEST(LyricEditor, MidiLyricLeavesAnEmptyRtfDocument) {
    LyricHarness h;
    h.edit();
    h.dialogs.yesNoAnswers = {false};
    h.click(h.editor().controls().midiLyricButton);
    EXPECT_EQ(h.dialogs.asked.back().enter, EnterAnswers::No) << "a stray Enter keeps the lyric";
    EXPECT_FALSE(h.editor().text().isEmpty());
    h.dialogs.yesNoAnswers = {true, true};
    h.click(h.editor().controls().midiLyricButton);
    EXPECT_TRUE(h.editor().text().isEmpty());
    EXPECT_TRUE(h.view().lyricText().document().isEmpty());
    h.ok();
    EXPECT_EQ(h.questions(), 3);
    EXPECT_EQ(h.dialogs.asked.back().text, "save edited lyric ?");
    const std::string file = readFile(h.lyricPath("Alpha"));
    EXPECT_EQ(file.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(h.savedText("Alpha"), "");
    // The emptied lyric makes the next start a MIDI lyric.
    h.app->transport().startPlayback(true);
    EXPECT_EQ(h.state().lyricMode, 2);
}

TEST(LyricView, ZoomFollowsTheViewWidth) {
    LyricHarness h;
    LyricView& v = h.view();
    EXPECT_EQ(v.lyricText().geometry(), QRect(0, 40, 800, 519));
    EXPECT_EQ(v.lyricTopLine().text(), "TIME (m:s) 00:00");
    v.resize(1600, 900);
    v.applyLyricZoom(true);
    EXPECT_EQ(v.lyricText().zoom(), 200);
    EXPECT_EQ(v.lyricText().layoutWidth(), v.lyricText().viewport()->width() / 2.0);
    v.resize(1024, 768);
    v.applyLyricZoom(true);
    EXPECT_EQ(v.lyricText().zoom(), 128);
    v.applyLyricZoom(false);
    EXPECT_EQ(v.lyricText().zoom(), 100);
    v.resize(1600, 900);
    EXPECT_EQ(v.lyricText().zoom(), 100);

    // SHOW sizes the view by the screen size setting and lays it out.
    h.ticks(1, 1); // takes the second-window setting
    h.prefs().screenSizeIndex = 2;
    h.app->mainLoop().runCommand(MainWindow::Command::Show);
    ASSERT_TRUE(v.isVisible());
    // 1024 x 768, or as much of it as the screen holds with a title bar.
    const QRect area = v.screen()->availableGeometry();
    EXPECT_EQ(v.width(), std::min(1024, area.width()));
    EXPECT_LE(v.height(), std::min(768, area.height()));
    EXPECT_TRUE(area.contains(v.geometry()));
    EXPECT_EQ(v.lyricText().zoom(), v.width() * 100 / 800);
    EXPECT_EQ(v.lyricText().geometry(), QRect(0, 40, v.width(), v.height() - 60));
    EXPECT_EQ(v.lyricPositionBar().geometry(), QRect(0, v.height() - 20, v.width(), 20));
    EXPECT_EQ(v.leaveButton().geometry(), QRect(v.width() - 95, 4, 90, 32));
    h.click(&v.leaveButton());
    h.prefs().lyricZoom = false;
    h.prefs().screenSizeIndex = 0;
    h.app->mainLoop().runCommand(MainWindow::Command::Show);
    EXPECT_EQ(v.size(), QSize(800, 480));
    EXPECT_EQ(v.lyricText().zoom(), 100);
}

TEST(LyricView, ReturnInThePauseBoxEndsTheEntryAndShowsNoLyric) {
    LyricHarness h;
    QSpinBox* pause = h.main().controls().segueBox;
    h.main().activateWindow();
    pause->setFocus();
    pause->selectAll();
    h.pressKey(Qt::Key_2, QStringLiteral("2"));
    h.pressKey(Qt::Key_5, QStringLiteral("5"));
    h.pressKey(Qt::Key_0, QStringLiteral("0"));
    h.pressKey(Qt::Key_Return);
    EXPECT_FALSE(h.view().isVisible());
    EXPECT_EQ(h.app->prefs().segueMs, 250);
    EXPECT_EQ(QApplication::focusWidget(), &h.main().songList()) << "the keys are the song list's again";
    h.pressKey(Qt::Key_Return);
    EXPECT_TRUE(h.view().isVisible());
}

TEST(LyricView, ReturnShowsTheLyricAndReturnOrBackLeaves) {
    LyricHarness h;
    h.ticks(1, 1); // takes the second-window setting
    h.pressKey(Qt::Key_Return);
    ASSERT_TRUE(h.view().isVisible());
    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "First line\nSecond line");
    EXPECT_EQ(h.view().lyricText().document().begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    h.press(h.view(), Qt::Key_Return);
    EXPECT_FALSE(h.view().isVisible());
    EXPECT_TRUE(h.main().isVisible());

    // In dark mode too, and BACK brings the dark mode back.
    h.app->darkMode().toggle();
    ASSERT_TRUE(h.main().stageView());
    h.pressKey(Qt::Key_Down);
    h.pressKey(Qt::Key_Return);
    ASSERT_TRUE(h.view().isVisible());
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "Beta words");
    h.click(&h.view().leaveButton());
    EXPECT_TRUE(h.main().isVisible());
    EXPECT_TRUE(h.main().stageView());

    // A song without a lyric shows none, not the one before.
    h.pressKey(Qt::Key_Down);
    h.pressKey(Qt::Key_Return);
    ASSERT_TRUE(h.view().isVisible());
    EXPECT_TRUE(h.view().lyricText().document().toPlainText().isEmpty());
}

TEST(LyricView, DoubleClickOpensWhatTheSettingSays) {
    LyricHarness h;
    h.prefs().doubleClickAction = 1;
    h.app->mainLoop().songListDoubleClicked();
    EXPECT_TRUE(h.editor().isVisible());
    h.ok();
    h.prefs().doubleClickAction = 2;
    h.app->mainLoop().songListDoubleClicked();
    EXPECT_TRUE(h.view().isVisible());
    EXPECT_FALSE(h.editor().isVisible());
}

TEST(LyricView, PlayingSongTimeAndPositionShowInBothWindows) {
    LyricHarness h;
    h.recorder.maxSongPos = 100 * 176400;
    h.prefs().playShowsLyric = true;
    h.app->transport().startPlayback(true);
    ASSERT_TRUE(h.app->transport().playing());
    EXPECT_TRUE(h.view().isVisible()) << "play and show lyric automatically";
    EXPECT_EQ(h.editor().controls().playButton->text(), "PAUSE");
    h.recorder.songPos = 65 * 176400;
    h.ticks(0, 1);
    EXPECT_EQ(h.editor().controls().timeLabel->text(), "TIME (m:s) 01:05");
    EXPECT_EQ(h.view().lyricTopLine().text(), "TIME (m:s) 01:05        >>> Beta");
    EXPECT_EQ(h.view().lyricPositionBar().value(), 650);
    EXPECT_EQ(h.editor().controls().positionSlider->value(), 650);
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "First line\nSecond line");

    // SPACE in the view stops; the view closes and its text goes.
    h.press(h.view(), Qt::Key_Space, " ");
    EXPECT_FALSE(h.app->transport().playing());
    EXPECT_FALSE(h.view().isVisible());
    EXPECT_TRUE(h.view().lyricText().document().isEmpty());
    EXPECT_EQ(h.editor().controls().playButton->text(), "PLAY");
    h.ticks(0, 1);
    EXPECT_EQ(h.view().lyricTopLine().text(), "Alpha") << "while nothing plays the top line names the song";
}

TEST(LyricView, SecondWindowStaysBesideTheMainWindow) {
    LyricHarness h;
    h.prefs().lyricSecondWindow = true;
    h.ticks(1, 1);
    EXPECT_TRUE(h.view().isVisible());
    EXPECT_TRUE(h.main().isVisible());
    h.click(&h.view().leaveButton());
    EXPECT_TRUE(h.view().isVisible()) << "BACK does not close a second window";
    h.view().hide();
    h.ticks(0, 1);
    EXPECT_TRUE(h.view().isVisible());
}

TEST(LyricEditor, PlayButtonPausesAndEndOfSongDoesNotAdvance) {
    LyricHarness h;
    h.main().controls().jumpToNextBox->setChecked(true);
    h.edit();
    h.click(h.editor().controls().playButton);
    ASSERT_TRUE(h.app->transport().playing());
    h.recorder.songPos = 300 * 176400;
    h.ticks(0, 1);
    h.click(h.editor().controls().playButton);
    EXPECT_FALSE(h.app->transport().playing());
    EXPECT_EQ(h.main().startPoint(), 500) << "a pause keeps the place";
    h.click(h.editor().controls().playButton);
    h.recorder.songPos = h.recorder.maxSongPos;
    h.ticks(0, 2);
    EXPECT_FALSE(h.app->transport().playing());
    EXPECT_EQ(h.state().currentSong, 0) << "with the editor open the end of a song does not advance";
}

namespace {

int redPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80) ++n;
        }
    return n;
}

} // namespace

// What the performer sees, on grabbed pixels: the lyric's own colour on black, under a light
// skin too, and twice the zoom paints the text twice as large each way.
TEST(LyricView, PaintsTheLyricInItsColoursOnBlackScaledByTheZoom) {
    LyricHarness h;
    std::filesystem::create_directories(h.home / "Data" / "skins");
    std::filesystem::copy(std::filesystem::path(VL_SOURCE_DIR) / "data" / "skins", h.home / "Data" / "skins",
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    h.app->settings().window()->setSkins(skinList(QString::fromStdString(h.home.str())));
    h.prefs().skinIndex = skinList(QString::fromStdString(h.home.str())).indexOf("Daylight");
    ASSERT_GT(h.prefs().skinIndex, 0);
    h.app->settings().applySkinAndListFont();
    h.writeLyric("Alpha", "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;}\\pard\\cf1\\fs40 RED\\par}");
    h.ticks(1, 1);
    h.prefs().screenSizeIndex = 1;
    h.app->mainLoop().runCommand(MainWindow::Command::Show);
    ASSERT_TRUE(h.view().isVisible());
    const QImage small = h.view().grab().toImage();
    EXPECT_EQ(small.pixel(400, 400), qRgb(0, 0, 0));
    EXPECT_EQ(small.pixel(5, 45), qRgb(0, 0, 0));
    const int atHundred = redPixels(small);
    EXPECT_GT(atHundred, 50);

    h.view().resize(1600, 600);
    h.view().applyLyricZoom(true);
    const int atTwoHundred = redPixels(h.view().grab().toImage());
    EXPECT_GT(atTwoHundred, atHundred * 3);
    EXPECT_LT(atTwoHundred, atHundred * 5);
}

// A song picked by typing its first letter is the one that plays, and its lyric is shown.
TEST(LyricView, StartShowsTheLyricOfTheSongThatPlays) {
    LyricHarness h;
    h.writeLyric("Alpha", "{\\rtf1\\ansi\\pard [0:10] tagged\\par}");
    h.ticks(1, 1);
    h.pressKey(Qt::Key_B, "b");
    h.pressKey(Qt::Key_Space, " ");
    ASSERT_TRUE(h.app->transport().playing());
    EXPECT_EQ(h.lyrics().lyricSongName(), "Beta");
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "Beta words");
    EXPECT_EQ(h.state().lyricMode, 0) << "the mode of the song that plays";
    h.pressKey(Qt::Key_Return);
    ASSERT_TRUE(h.view().isVisible());
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "Beta words");
}

// Type-ahead and a MIDI program change only move the highlight; SHOW, EDIT and the MIDI
// lyric control then act on the highlighted song, not on the one clicked before.
TEST(LyricView, ShowEditAndTheMidiLyricControlTakeTheHighlightedSong) {
    test::ScriptedMidiPorts* ports = nullptr;
    LyricHarness h(test::scriptedMidiPorts(ports));
    SettingsWindow& settings = *h.app->settings().window();
    settings.midiInList()->setCurrentIndex(0);
    settings.midiInList()->setCurrentIndex(1);
    settings.midiActivateButton(1)->click();
    h.prefs().programChangeSelectsSong = true;
    h.prefs().midiControls[3] = {0xB0, 20, 127}; // show lyric
    h.ticks(1, 1);
    ASSERT_EQ(h.state().selectedRow, 0);

    h.pressKey(Qt::Key_B, "b");
    h.app->mainLoop().runCommand(MainWindow::Command::Show);
    ASSERT_TRUE(h.view().isVisible());
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "Beta words");
    h.ticks(1, 1);
    EXPECT_EQ(h.view().lyricTopLine().text(), "Beta") << "the top line names the song shown";
    h.click(&h.view().leaveButton());

    h.ticks(1, 21); // the type-ahead starts anew
    h.pressKey(Qt::Key_A, "a");
    h.edit();
    ASSERT_TRUE(h.editor().isVisible());
    EXPECT_EQ(h.editor().text(), "First line\nSecond line");
    EXPECT_EQ(h.lyrics().lyricSongName(), "Alpha") << "a save would go to this song";
    h.ok();

    ASSERT_TRUE(ports->inject({0xC0, 1})); // selects "001", Beta
    h.ticks(0, 1);
    ASSERT_EQ(h.app->songs().selectedRow(), 1);
    ASSERT_TRUE(ports->inject({0xB0, 20, 127}));
    h.ticks(0, 1);
    ASSERT_TRUE(h.view().isVisible());
    EXPECT_EQ(h.view().lyricText().document().toPlainText(), "Beta words");
}

namespace {

// What xwininfo reports of a window (or of the screen, for "-root"): its inside.
QRect insideOnScreen(const QStringList& which) {
    const QString info = test::desktop::x11("xwininfo", which);
    auto value = [&](const char* label) {
        return QRegularExpression(QString(label) + R"(:\s+(-?\d+))").match(info).captured(1).toInt();
    };
    return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")};
}

} // namespace

// What the performer sees on a desktop with a window manager, at every screen size of the
// settings with the zoom on, before a song plays: the view whole on the screen and the first
// line (yellow) of a lyric with time tags at its top. VL_LYRIC_SCREENSHOTS keeps the pictures.
TEST(LyricViewDesktop, EveryScreenSizeShowsTheLyricFromItsTopOnTheScreen) {
    namespace desktop = test::desktop;
    if (desktop::display().isEmpty() || !std::filesystem::exists(desktop::kProgram.toStdString()))
        GTEST_SKIP() << "needs the program and the desktop that scripts/test.sh starts";
    const QRect screen = insideOnScreen({"-root"});
    const QSize sizes[] = {{800, 480}, {800, 600}, {1024, 768}, {1280, 768}, {1280, 800}, {1280, 1024}, screen.size()};
    for (int index = 0; index <= 6; ++index) {
        SCOPED_TRACE(index);
        test::TempFolder home;
        ASSERT_TRUE(desktop::prepareHome(home));
        const QString prefsFile = QString::fromStdString((home / "prefs").string());
        Preferences prefs;
        parsePreferences(readTextLines(prefsFile).value_or(QStringList()), prefs);
        prefs.screenSizeIndex = index;
        prefs.lyricZoom = true;
        prefs.lyricViewX = 300; // where only the smallest size fits
        prefs.lyricViewY = 200;
        ASSERT_TRUE(writePreferencesFile(prefsFile, prefs, true));
        test::writeFile(home / "YourSongs" / "Setlist.txt", "Alpha\r\n");
        test::writeFile(home / "YourSongs" / "Alpha" / "Alpha.rtf",
                        "{\\rtf1\\ansi{\\colortbl ;\\red255\\green255\\blue0;\\red255\\green255\\blue255;}"
                        "\\pard\\qc\\cf1\\fs56 [0:05] Top line\\par\\cf2 second\\par [0:09] third\\par}");

        desktop::Program run(home);
        const QString main = run.waitForWindow("Vellamorinth");
        ASSERT_FALSE(main.isEmpty());
        QThread::msleep(1000); // until the first slow tick has read "lyric in a second window"
        desktop::x11("xdotool", {"windowactivate", "--sync", main, "key", "Return"});
        const QString view = run.waitForWindow("lyric view");
        ASSERT_FALSE(view.isEmpty());
        // Expected: the size chosen, less what the screen lacks below the title bar.
        QRect inside;
        const auto placed = [&] {
            inside = insideOnScreen({"-id", view});
            const QSize wanted = sizes[index].boundedTo(screen.size() - QSize(0, inside.top()));
            return screen.contains(inside) && inside.top() > 0 && inside.width() == wanted.width() &&
                   (index == 6 || inside.height() == wanted.height());
        };
        EXPECT_TRUE(desktop::waitFor(placed, 10000))
            << inside.x() << "," << inside.y() << " " << inside.width() << "x" << inside.height();

        const QString shot = QString::fromStdString((home / "screen.png").string());
        QImage image;
        const auto firstLineSeen = [&] {
            desktop::x11("import", {"-window", "root", shot});
            image = QImage(shot);
            const QRect top = QRect(inside.left(), inside.top() + 40, inside.width(), 120).intersected(image.rect());
            int yellow = 0;
            for (int y = top.top(); y <= top.bottom(); ++y)
                for (int x = top.left(); x <= top.right(); ++x)
                    if (const QRgb c = image.pixel(x, y); qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 60) ++yellow;
            return yellow > 100;
        };
        EXPECT_TRUE(desktop::waitFor(firstLineSeen, 10000)) << "the first line at the top of the text";
        if (const QString keep = qEnvironmentVariable("VL_LYRIC_SCREENSHOTS"); !keep.isEmpty())
            image.save(keep + QStringLiteral("/lyric-view-size-%1.png").arg(index));
        desktop::x11("xdotool", {"windowactivate", "--sync", view, "key", "Return"});
        desktop::closeBox(run.waitForWindow("Vellamorinth"));
        EXPECT_TRUE(run.endsWithin(30000));
    }
}
