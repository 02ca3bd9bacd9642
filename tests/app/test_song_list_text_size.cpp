// The main song list at every text size: times and numbers fit their columns, and every
// row has one height, also after the set editor hands its rows back.
#include "AppHarness.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "settings/Settings.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::AppHarness;

namespace {

void useTextSize(AppHarness& h, const char* size) {
    h.prefs().setlistTextSize = size;
    h.app->settings().applySkinAndListFont();
}

void expectTimesFit(SongListWidget& list) {
    const QFontMetrics metrics(list.font());
    for (int r = 0; r < list.rowCount(); ++r)
        for (int c = 1; c < 4; ++c) {
            const QString text = list.item(r, c)->text();
            EXPECT_LT(metrics.horizontalAdvance(text), list.columnWidth(c) - 6)
                << "row " << r << " column " << c << " '" << text.toStdString() << "'";
        }
}

void expectOneRowHeight(SongListWidget& list) {
    for (int r = 0; r < list.rowCount(); ++r)
        EXPECT_EQ(list.rowHeight(r), list.verticalHeader()->defaultSectionSize()) << "row " << r;
    EXPECT_GT(list.rowHeight(0), list.fontMetrics().height());
}

} // namespace

TEST(SongListTextSize, ColumnsWidenWithTheTextAndRowsKeepOneHeight) {
    AppHarness h;
    h.setRows({"Intro", "SET 1", "A Long Song", "Ballad"}, {"59:59", "", "42:10", "03:05"});
    useTextSize(h, "12");
    SongListWidget& list = h.list();
    EXPECT_EQ(list.columnWidth(0), 248);
    EXPECT_EQ(list.columnWidth(1), 85);
    EXPECT_EQ(list.columnWidth(2), 70);
    EXPECT_EQ(list.columnWidth(3), 55);
    expectTimesFit(list);

    useTextSize(h, "20");
    expectTimesFit(list);
    expectOneRowHeight(list);
    EXPECT_LE(list.columnWidth(0) + list.columnWidth(1) + list.columnWidth(2) + list.columnWidth(3), 485);
    if (const QByteArray folder = qgetenv("VL_SCREENSHOT_DIR"); !folder.isEmpty())
        h.main().grab().save(QString::fromLocal8Bit(folder) + "/main-list-text-size-20.png");

    // New rows from the set editor's OK take the same height as the others.
    SetEditor& editor = h.app->setlists().editor();
    h.app->setlists().openSetEditor();
    editor.textField()->setText("ENCORE");
    editor.addText();
    editor.findChild<QPushButton*>("ok")->click();
    ASSERT_EQ(list.rowCount(), 5);
    expectOneRowHeight(list);

    useTextSize(h, "12");
    expectOneRowHeight(list);
    EXPECT_EQ(list.columnWidth(2), 70);
}
