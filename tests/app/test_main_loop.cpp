// The main window driven as a user drives it: keys, clicks on the song list, drags,
// the close box, dark mode; the engine is the recording one.
#include "AppHarness.h"
#include "app/RowMoves.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::AppHarness;

namespace {

QColor textColour(SongListWidget& list, int row, int column) {
    return list.item(row, column)->foreground().color();
}

} // namespace

TEST(MainWindowLayout, ControlsSitWhereTheOperatorExpectsThem) {
    AppHarness h;
    MainWindow& w = h.main();
    EXPECT_EQ(w.size(), QSize(794, 464));
    EXPECT_EQ(w.controls().songList->geometry(), QRect(155, 20, 485, 403));
    EXPECT_EQ(w.controls().songList->columnCount(), 4);
    EXPECT_EQ(w.controls().songList->objectName(), "songList");
    EXPECT_EQ(w.controls().songList->columnWidth(0), 248);
    EXPECT_EQ(w.controls().songList->columnWidth(3), 55);
    EXPECT_EQ(w.controls().songList->horizontalHeaderItem(1)->text(), "set time");
    EXPECT_EQ(w.controls().positionBar->geometry(), QRect(7, 434, 780, 16));
    EXPECT_EQ(w.controls().positionBar->maximum(), 1000);
    EXPECT_EQ(w.controls().positionSlider->maximum(), 1000);
    EXPECT_EQ(w.controls().playButton->geometry(), QRect(655, 110, 120, 40));
    EXPECT_EQ(w.controls().lyricFrame->geometry(), QRect(645, 245, 140, 115));
    EXPECT_EQ(w.controls().playButton->font().pointSize(), 12);
    EXPECT_TRUE(w.controls().playButton->font().bold());
    EXPECT_EQ(w.controls().quitButton->toolTip(), "exit Vellamorinth");
    EXPECT_EQ(w.controls().jumpToNextBox->text(), " jump To Next");
    EXPECT_EQ(w.controls().autoPlayBox->text(), " autom. play");
    EXPECT_FALSE(w.controls().playAnimation->isVisible());
    EXPECT_FALSE(w.controls().darkCanvas->isVisible());
}

TEST(TypeAhead, LettersTypedQuicklySearchTogetherAndAPauseStartsAgain) {
    AppHarness h;
    h.setRows({"Alpha", "Blue Train", "A Beat", "Abba Gold", "Bossa"});
    h.pressKey(Qt::Key_A, "a");
    EXPECT_EQ(h.list().selectedRow(), 0);
    h.pressKey(Qt::Key_B, "b");
    EXPECT_EQ(h.list().selectedRow(), 2) << "\"AB\" matches \"A Beat\" with its space removed";
    EXPECT_EQ(h.state().selectedRow, 0) << "only the list's selection moves";
    h.ticks(1, 21);
    h.pressKey(Qt::Key_B, "b");
    EXPECT_EQ(h.list().selectedRow(), 1) << "after a pause \"B\" searches alone";
    h.pressKey(Qt::Key_Z, "z");
    EXPECT_EQ(h.list().selectedRow(), 1) << "no match leaves the selection";
}

TEST(TypeAhead, FoundRowIsShownWithRowsAfterIt) {
    EXPECT_EQ(rowToShowFor(10, 40, 0), 15);
    EXPECT_EQ(rowToShowFor(3, 40, 0), 3);
    EXPECT_EQ(rowToShowFor(10, 40, 20), 10) << "above the selection: no offset";
    EXPECT_EQ(rowToShowFor(37, 40, 0), 39) << "near the end: the last row";
}

TEST(SongListSelection, ClickBelowTheLastRowKeepsTheSelection) {
    AppHarness h;
    h.setRows({"One", "Two", "Three"});
    h.clickList(h.rowCentre(1));
    EXPECT_EQ(h.state().selectedRow, 1);
    EXPECT_EQ(h.state().currentSong, 1);
    h.clickList(QPoint(40, h.list().viewport()->height() - 5));
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_EQ(h.state().selectedRow, 1);
    EXPECT_EQ(h.state().currentSong, 1);
}

TEST(SongListSelection, WhilePlayingAClickMovesOnlyTheSelection) {
    AppHarness h;
    h.setRows({"One", "Two", "Three"});
    h.pressKey(Qt::Key_Space, " ");
    ASSERT_EQ(h.recorder.playing, 1);
    h.clickList(h.rowCentre(2));
    EXPECT_EQ(h.state().selectedRow, 2);
    EXPECT_EQ(h.state().currentSong, 0);
}

TEST(DragReorder, PlayingRowMovedElsewhereStaysMarked) {
    AppHarness h;
    h.setRows({"A", "B", "C", "D", "E"});
    h.list().selectRow(1);
    h.clickList(h.rowCentre(1));
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.recorder.playing, 1);
    const QColor playingText = h.state().colours.playingText;
    ASSERT_EQ(textColour(h.list(), 1, 0), playingText);

    h.dragSelectedRowTo(3);
    EXPECT_EQ(h.titles(), QStringList({"A", "C", "D", "B", "E"}));
    EXPECT_EQ(h.state().currentSong, 3);
    EXPECT_EQ(h.state().playingSong, 3);
    EXPECT_EQ(h.state().selectedRow, 3);
    EXPECT_EQ(textColour(h.list(), 3, 0), playingText);
    EXPECT_EQ(textColour(h.list(), 1, 0), h.state().colours.listText);
}

TEST(DragReorder, RowDraggedAcrossThePlayingRowKeepsItMarked) {
    AppHarness h;
    h.setRows({"A", "B", "C", "D", "E"});
    h.list().selectRow(2);
    h.clickList(h.rowCentre(2));
    h.app->transport().startPlayback(true);
    const QColor playingText = h.state().colours.playingText;

    h.list().selectRow(0);
    h.dragSelectedRowTo(4); // A goes below C
    EXPECT_EQ(h.titles(), QStringList({"B", "C", "D", "E", "A"}));
    EXPECT_EQ(h.state().currentSong, 1);
    EXPECT_EQ(h.state().playingSong, 1);
    EXPECT_EQ(textColour(h.list(), 1, 0), playingText);

    h.list().selectRow(4);
    h.dragSelectedRowTo(1); // A dropped onto C's place: C moves down
    EXPECT_EQ(h.titles(), QStringList({"B", "A", "C", "D", "E"}));
    EXPECT_EQ(h.state().currentSong, 2);
    EXPECT_EQ(textColour(h.list(), 2, 0), playingText);
    EXPECT_EQ(h.list().selectedRow(), 1);
}

TEST(DragReorder, DropRulesForEveryPlaceOfThePlayingRow) {
    EXPECT_EQ(playingRowAfterMove(5, 1, 3), 4);
    EXPECT_EQ(playingRowAfterMove(1, 5, 3), 2);
    EXPECT_EQ(playingRowAfterMove(5, 3, 3), 4);
    EXPECT_EQ(playingRowAfterMove(1, 3, 3), 2);
    EXPECT_EQ(playingRowAfterMove(3, 0, 3), 0);
    EXPECT_EQ(playingRowAfterMove(4, 6, 3), 3);
}

TEST(DragReorder, WhileStoppedOnlyTheCurrentSongFollowsAndForeignDropsDoNothing) {
    AppHarness h;
    h.setRows({"A", "B", "C"});
    h.list().selectRow(0);
    h.dragSelectedRowTo(2);
    EXPECT_EQ(h.titles(), QStringList({"B", "C", "A"}));
    EXPECT_EQ(h.state().currentSong, 2);
    EXPECT_EQ(h.state().selectedRow, 2);

    QMimeData text;
    text.setText("C");
    QDragEnterEvent enter(h.rowCentre(0), Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.list().viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(h.rowCentre(0)), Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.list().viewport(), &drop);
    EXPECT_EQ(h.titles(), QStringList({"B", "C", "A"}));

    h.list().selectRow(1);
    h.dragSelectedRowTo(1);
    EXPECT_EQ(h.titles(), QStringList({"B", "C", "A"})) << "a drop onto its own row does nothing";
}

TEST(DarkMode, CloseBoxInDarkModeOnlyLeavesIt) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.pressKey(Qt::Key_Tab);
    ASSERT_TRUE(h.app->darkMode().active());
    h.main().close();
    EXPECT_FALSE(h.app->darkMode().active());
    EXPECT_FALSE(h.app->quitDone());
    EXPECT_TRUE(h.main().isVisible());
    h.main().close();
    EXPECT_TRUE(h.app->quitDone());
}

// A maximise or restore that reaches the window from outside (a double click on the
// title, a desktop shortcut) switches the whole mode, never half of it.
TEST(DarkMode, MaximiseFromTheDesktopSwitchesTheWholeMode) {
    AppHarness h;
    h.setRows({"A", "B"});
    MainWindow& w = h.main();
    EXPECT_EQ(w.minimumSize(), QSize(794, 464));
    EXPECT_EQ(w.maximumSize(), QSize(794, 464)) << "no maximise and no sizing frame in the normal view";

    w.setWindowState(Qt::WindowMaximized);
    QApplication::processEvents();
    ASSERT_TRUE(h.app->darkMode().active());
    for (QWidget* control : w.stageHiddenControls()) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_TRUE(w.controls().darkCanvas->isVisible());
    EXPECT_EQ(h.state().colours.listBack, QColor(0, 0, 0));

    w.setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_FALSE(h.app->darkMode().active());
    EXPECT_TRUE(w.controls().playButton->isVisible());
    EXPECT_FALSE(w.controls().darkCanvas->isVisible());
    EXPECT_EQ(h.state().colours.listBack, QColor(255, 255, 255));
    EXPECT_EQ(w.size(), QSize(794, 464));
    EXPECT_EQ(w.maximumSize(), QSize(794, 464));
}

TEST(DarkMode, EnteringAndLeavingReturnsEveryControlToItsPlace) {
    AppHarness h;
    h.setRows({"A", "B", "C"}, {"01:00", "", "02:00"});
    MainWindow& w = h.main();
    h.app->darkMode().toggle();
    ASSERT_TRUE(h.app->darkMode().active());
    for (QWidget* control : w.stageHiddenControls()) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_TRUE(w.controls().darkCanvas->isVisible());
    EXPECT_EQ(w.controls().darkCanvas->geometry().topLeft(), QPoint(0, 34));
    EXPECT_EQ(w.controls().positionBar->geometry(), QRect(8, 8, w.controls().client->width() - 16, 16));
    EXPECT_EQ(h.state().colours.listBack, QColor(0, 0, 0));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);

    h.app->darkMode().toggle();
    EXPECT_FALSE(h.app->darkMode().active());
    for (QWidget* control : w.stageHiddenControls()) {
        if (control == w.controls().playAnimation) continue;
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_FALSE(w.controls().playAnimation->isVisible());
    EXPECT_FALSE(w.controls().darkCanvas->isVisible());
    EXPECT_EQ(w.controls().positionBar->geometry(), QRect(7, 434, 780, 16));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.geometry(), QRect((screen.width() - 794) / 2, (screen.height() - 464) / 2 - 15, 794, 464));
    EXPECT_EQ(h.state().colours.listBack, QColor(255, 255, 255));
    EXPECT_EQ(textColour(h.list(), 0, 0), QColor(0, 0, 0));
    EXPECT_EQ(h.list().item(0, 0)->background().color(), QColor(255, 255, 255));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(MainWindowCommands, SpaceArrowsAndSetCommandsWhilePlaying) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.pressKey(Qt::Key_Right);
    h.pressKey(Qt::Key_Right);
    EXPECT_EQ(h.state().startPosition, 40);
    EXPECT_EQ(h.main().controls().positionSlider->value(), 40);
    EXPECT_EQ(h.main().controls().positionBar->value(), 40) << "bar and slider agree after a seek";
    for (int i = 0; i < 4; ++i) h.pressKey(Qt::Key_Left);
    EXPECT_EQ(h.state().startPosition, -40) << "the start point itself is not bounded";
    EXPECT_EQ(h.main().controls().positionSlider->value(), 0);
    EXPECT_EQ(h.main().controls().positionBar->value(), 0);

    h.pressKey(Qt::Key_Space, " ");
    EXPECT_EQ(h.recorder.playing, 1);
    EXPECT_EQ(h.main().controls().playButton->text(), "STOP");
    h.main().controls().setEditButton->click();
    ASSERT_EQ(h.dialogs.asked.size(), 1u);
    EXPECT_EQ(h.dialogs.asked[0].text, "Stop audio first !");
    EXPECT_TRUE(h.dialogs.asked[0].title.isEmpty());
    h.pressKey(Qt::Key_Space, " ");
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_EQ(h.main().controls().playButton->text(), "PLAY");
    h.main().controls().setLoadButton->click();
    ASSERT_EQ(h.dialogs.asked.size(), 2u);
    EXPECT_EQ(h.dialogs.asked[1].kind, "open") << "stopped, SET LOAD asks for a setlist";
}

// HELP opens the user guide made from the README, beside the program in a build tree.
TEST(MainWindowCommands, HelpOpensTheUserGuideThatShipsWithTheProgram) {
    AppHarness h;
    QTextBrowser opened; // where the desktop's browser would take the page
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "setSource");
    h.main().controls().helpButton->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(opened.source().toLocalFile().endsWith("/guide.html"));
    EXPECT_TRUE(opened.toPlainText().contains("The first start"));
}
