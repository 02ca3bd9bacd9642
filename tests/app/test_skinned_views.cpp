// The shipped skins seen on grabbed pixels: the dark view and the position bar look the
// same under every skin, and every row of the song list stays readable.
#include "AppHarness.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "settings/Skins.h"

#include <QImage>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

using namespace vl;
using vl::test::AppHarness;

namespace {

void useSkin(AppHarness& h, const QString& name) {
    std::filesystem::create_directories(h.home / "Data");
    std::filesystem::copy(std::filesystem::path(VL_SOURCE_DIR) / "data" / "skins", h.home / "Data" / "skins",
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    const QStringList skins = skinList(QString::fromStdString(h.home.str()));
    h.app->settings().window()->setSkins(skins);
    ASSERT_GE(skins.indexOf(name), 0) << name.toStdString();
    h.prefs().skinIndex = skins.indexOf(name);
    h.app->settings().applySkinAndListFont();
}

double luminance(QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); }

// The strongest lightness difference between a cell's commonest colour (its background)
// and any of its pixels (its text).
double contrast(const QImage& image, const QRect& cell) {
    std::map<QRgb, int> counts;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb background = counts.begin()->first;
    for (const auto& [colour, n] : counts)
        if (n > counts[background]) background = colour;
    double most = 0;
    for (const auto& [colour, n] : counts) most = std::max(most, std::abs(luminance(colour) - luminance(background)));
    return most;
}

void saveShot(const QImage& image, const QString& name) {
    const QByteArray folder = qgetenv("VL_SCREENSHOT_DIR");
    if (!folder.isEmpty()) image.save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

} // namespace

TEST(SkinnedViews, DarkViewAndPositionBarAreTheSameUnderEverySkinAndRowsStayReadable) {
    QImage plainBar;
    for (const char* name : {"no skin", "Daylight", "Stage Dark"}) {
        const QString skin = QString::fromLatin1(name);
        SCOPED_TRACE(skin.toStdString());
        AppHarness h;
        h.setRows({"Opener", "SET 1", "Ballad", "Closer"}, {"03:00", "", "04:10", "05:00"});
        useSkin(h, skin);
        SongListWidget& list = h.list();
        list.selectRow(2);
        const QImage rows = list.viewport()->grab().toImage();
        saveShot(rows, "song-list-" + skin);
        for (int r = 0; r < list.rowCount(); ++r)
            for (int c = 0; c < 4; ++c) {
                if (list.item(r, c)->text().isEmpty()) continue;
                const QRect cell = list.visualItemRect(list.item(r, c)).adjusted(1, 1, -1, -1);
                EXPECT_GT(contrast(rows, cell), 75) << "row " << r << " column " << c;
            }

        h.app->darkMode().toggle();
        ASSERT_TRUE(h.app->darkMode().active());
        const QImage dark = h.main().grab().toImage();
        saveShot(dark, "dark-view-" + skin);
        const QRect bar = h.main().controls().positionBar->geometry();
        // Everything above the picture but the bar is black.
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < dark.width(); x += 7) {
                if (bar.adjusted(-1, -1, 1, 1).contains(x, y)) continue;
                ASSERT_EQ(dark.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
            }
        EXPECT_EQ(dark.pixel(dark.width() / 2, dark.height() / 2 + 60), qRgb(0, 0, 0));
        const QImage barPixels = h.main().controls().positionBar->grab().toImage();
        if (plainBar.isNull()) plainBar = barPixels;
        else EXPECT_EQ(barPixels, plainBar) << "the position bar is skinned";
        h.app->darkMode().toggle();
    }
}
