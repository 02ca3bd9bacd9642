// The set editor's operations and its undo store, on real files.
#include "SetlistFixture.h"

#include "setlists/SetListWidget.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::SetlistFixture;

namespace {

void click(SetEditor& editor, const char* name) {
    auto* b = editor.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

} // namespace

TEST(SetEditor, CopyAllWithLettersGroupsByFirstLetter) {
    SetlistFixture f({"Bravo", "angel", "bridge", "Abba"});
    f.editor().rescanSongs();
    EXPECT_EQ(f.editor().songRows(), (QStringList{"Abba", "angel", "Bravo", "bridge"}));
    f.editor().addLettersBox()->setChecked(true);
    click(f.editor(), "copyAll");
    EXPECT_EQ(f.editor().rows(), (QStringList{"a..", "Abba", "angel", "", "b..", "Bravo", "bridge"}));
    // Headings and spacers keep the list's own colours; songs are painted.
    EXPECT_EQ(f.editor().setList()->item(0)->foreground().style(), Qt::NoBrush);
    EXPECT_EQ(f.editor().setList()->item(1)->foreground().color(), f.state.colours.listText);

    f.editor().addLettersBox()->setChecked(false);
    click(f.editor(), "copyAll");
    EXPECT_EQ(f.editor().rows(), (QStringList{"Abba", "angel", "Bravo", "bridge"}));
}

TEST(SetEditor, InsertsBeforeTheSelectionOrAtTheEndAndRemovesByDoubleClick) {
    SetlistFixture f({"Abba", "Bravo"});
    f.editor().rescanSongs();
    f.editor().textField()->setText("SET 1");
    click(f.editor(), "addText");
    f.editor().insertSong(1);
    EXPECT_EQ(f.editor().rows(), (QStringList{"SET 1", "Bravo"}));
    f.editor().setList()->setCurrentRow(1);
    f.editor().insertSong(0);
    f.editor().textField()->setText("SET 2");
    click(f.editor(), "addText");
    // The selection stays on Bravo as rows go in before it.
    EXPECT_EQ(f.editor().rows(), (QStringList{"SET 1", "Abba", "SET 2", "Bravo"}));
    f.editor().setList()->setCurrentRow(0);
    f.editor().removeSelected();
    EXPECT_EQ(f.editor().rows(), (QStringList{"Abba", "SET 2", "Bravo"}));
    click(f.editor(), "removeAll");
    EXPECT_TRUE(f.editor().rows().isEmpty());
    EXPECT_EQ(f.editor().undoStore().position(), 5);
}

TEST(SetEditor, MovesStopAtTheEndsButStillSnapshot) {
    SetlistFixture f;
    f.editor().setRows({"a", "b", "c"});
    f.editor().resetUndo();
    f.editor().setList()->setCurrentRow(0);
    click(f.editor(), "moveUp");
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(f.editor().undoStore().position(), 1);
    f.editor().setList()->setCurrentRow(2);
    click(f.editor(), "moveDown");
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(f.editor().undoStore().position(), 2);
    click(f.editor(), "moveUp");
    click(f.editor(), "moveUp");
    EXPECT_EQ(f.editor().rows(), (QStringList{"c", "a", "b"}));
    EXPECT_EQ(f.editor().setList()->currentRow(), 0);
    click(f.editor(), "moveDown");
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(f.editor().setList()->currentRow(), 1);
    // Nothing selected: nothing moves, a snapshot is still taken.
    f.editor().setList()->setCurrentRow(-1);
    const int before = f.editor().undoStore().position();
    click(f.editor(), "moveDown");
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(f.editor().undoStore().position(), before + 1);
}

TEST(SetEditor, MovingScrollsThreeRowsAheadIntoView) {
    SetlistFixture f;
    QStringList rows;
    for (int i = 0; i < 60; ++i)
        rows.append(QString::number(i));
    f.editor().setRows(rows);
    f.editor().resize(796, 460);
    f.editor().show();
    auto* list = f.editor().setList();
    list->setCurrentRow(20);
    list->scrollToItem(list->item(20), QAbstractItemView::PositionAtBottom);
    click(f.editor(), "moveDown");
    const QRect view = list->viewport()->rect();
    EXPECT_TRUE(view.contains(list->visualItemRect(list->item(24)).center()));
    list->setCurrentRow(40);
    list->scrollToItem(list->item(40), QAbstractItemView::PositionAtTop);
    click(f.editor(), "moveUp");
    EXPECT_TRUE(view.contains(list->visualItemRect(list->item(36)).center()));
    f.editor().hide();
}

TEST(SetEditor, DropMovesTheDraggedRowAndSnapshots) {
    SetlistFixture f;
    f.editor().setRows({"a", "b", "c", "d"});
    f.editor().resetUndo();
    EXPECT_FALSE(f.editor().setList()->moveRowTo(2, 2));
    ASSERT_TRUE(f.editor().setList()->moveRowTo(3, 1));
    emit f.editor().setList()->rowDropped();
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "d", "b", "c"}));
    EXPECT_EQ(f.editor().setList()->currentRow(), 1);
    EXPECT_EQ(f.editor().undoStore().position(), 1);
    f.editor().undo();
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "b", "c", "d"}));
}

// A row of megabytes (a damaged setlist) shows its start; the row itself stays whole
// through moves and into what the editor saves.
TEST(SetEditor, AHugeRowIsShownCutAndKeptWhole) {
    SetlistFixture f;
    const QString huge(4 << 20, QLatin1Char('x'));
    f.editor().setRows({"a", huge, "b"});
    f.editor().show();
    EXPECT_EQ(f.editor().setList()->item(1)->text().size(), 255);
    ASSERT_TRUE(f.editor().setList()->moveRowTo(1, 2));
    EXPECT_EQ(f.editor().rows(), (QStringList{"a", "b", huge}));
    f.editor().hide();
}

TEST(SetEditor, UndoAndRedoWalkTheSnapshots) {
    SetlistFixture f({"Abba", "Bravo"});
    f.editor().rescanSongs();
    f.editor().setRows({"x"});
    f.editor().resetUndo();
    // Undo at the first snapshot changes nothing, and neither does redo past the newest.
    click(f.editor(), "undo");
    EXPECT_EQ(f.editor().rows(), QStringList{"x"});
    EXPECT_EQ(f.editor().undoStore().position(), 0);
    click(f.editor(), "redo");
    EXPECT_EQ(f.editor().undoStore().position(), 0);

    click(f.editor(), "copyAll");   // 1
    click(f.editor(), "removeAll"); // 2
    EXPECT_TRUE(f.editor().rows().isEmpty());
    click(f.editor(), "undo");
    EXPECT_EQ(f.editor().rows(), (QStringList{"Abba", "Bravo"}));
    click(f.editor(), "undo");
    EXPECT_EQ(f.editor().rows(), QStringList{"x"});
    click(f.editor(), "undo");
    EXPECT_EQ(f.editor().undoStore().position(), 0);
    click(f.editor(), "redo");
    click(f.editor(), "redo");
    // An empty SET LIST comes back empty, not as one blank row.
    EXPECT_TRUE(f.editor().rows().isEmpty());
    EXPECT_EQ(f.editor().undoStore().position(), 2);

    // A new change after undo cuts the redo chain.
    click(f.editor(), "undo");
    f.editor().textField()->setText("SET 1");
    click(f.editor(), "addText");
    EXPECT_EQ(f.editor().undoStore().position(), 2);
    click(f.editor(), "redo");
    EXPECT_EQ(f.editor().rows(), (QStringList{"Abba", "Bravo", "SET 1"}));
    EXPECT_EQ(f.editor().undoStore().position(), 2);
}

TEST(SetEditor, UndoStoreFilesAndReset) {
    SetlistFixture f;
    UndoStore& store = f.editor().undoStore();
    f.editor().setRows({"a"});
    f.editor().resetUndo();
    f.editor().snapshot();
    f.editor().snapshot();
    const auto undoDir = f.home / "undo";
    EXPECT_EQ(test::readFile(undoDir / "undo0"), "a\r\n");
    EXPECT_TRUE(std::filesystem::exists(undoDir / "undo2"));
    test::writeFile(undoDir / "undo9", "stale\r\n");
    std::filesystem::permissions(undoDir / "undo9", std::filesystem::perms::owner_read);
    f.editor().setRows({"b"});
    f.editor().resetUndo();
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(test::readFile(undoDir / "undo0"), "b\r\n");
    for (const char* gone : {"undo1", "undo2", "undo9"})
        EXPECT_FALSE(std::filesystem::exists(undoDir / gone)) << gone;
    store.clear();
    EXPECT_FALSE(std::filesystem::exists(undoDir));
}

TEST(SetEditor, EveryControlHasItsCaptionAndTooltip) {
    SetlistFixture f;
    SetEditor& e = f.editor();
    EXPECT_EQ(e.windowTitle(), "set editor ...");
    const auto caption = [&](const char* name) { return e.findChild<QPushButton*>(name)->text(); };
    const auto tip = [&](const char* name) { return e.findChild<QPushButton*>(name)->toolTip(); };
    EXPECT_EQ(caption("copyAll"), "<< copy all");
    EXPECT_EQ(tip("copyAll"), "copy all songs to setlist");
    EXPECT_EQ(caption("addText"), "<-- add text");
    EXPECT_EQ(tip("addText"), "add text from the field above to the setlist : for example: 'SET 1'");
    EXPECT_EQ(caption("removeAll"), ">> remove all");
    EXPECT_EQ(caption("undo"), "undo");
    EXPECT_EQ(tip("redo"), "redo changes");
    EXPECT_EQ(caption("moveUp"), "move up");
    EXPECT_EQ(tip("moveDown"), "move selected song one line down");
    EXPECT_EQ(caption("deleteSong"), "delete song");
    EXPECT_EQ(tip("deleteSong"), "delete song from harddisk");
    EXPECT_EQ(caption("saveSetAs"), "save set as");
    EXPECT_EQ(caption("ok"), "OK");
    EXPECT_EQ(tip("ok"), "save changes and close setlist editor");
    EXPECT_EQ(e.addLettersBox()->text(), "add letters");
    EXPECT_EQ(e.addLettersBox()->toolTip(), "split setlist in alphabetic groups");
    EXPECT_EQ(e.onlyFoldersBox()->text(), "show only songfolder");
    EXPECT_EQ(e.onlyFoldersBox()->toolTip(), "show only songfolders in the songlist");

    InterfaceTexts german;
    german.fill("deutsch");
    SetEditor d(f.state, german, f.dialogs);
    EXPECT_EQ(d.findChild<QPushButton*>("copyAll")->text(), QString::fromUtf8("<< kopiere Alles"));
    EXPECT_EQ(d.findChild<QPushButton*>("moveUp")->text(), "auf");
}
