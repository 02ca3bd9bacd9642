// Skins as style sheets from Data/skins, and the song list font.
#include "SettingsRig.h"
#include "settings/Skins.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vl;
using vl::test::SettingsRig;

TEST(Skins, ListIsNoSkinThenTheFilesInReverseOrder) {
    EXPECT_EQ(skinListFromFiles({"Dark.qss", "Blue.qss"}), QStringList({"no skin", "Blue", "Dark"}));
    EXPECT_EQ(skinListFromFiles({"notes.txt", ".qss", "Stage.qss.bak", "Stage.qss"}),
              QStringList({"no skin", "Stage"}));
    EXPECT_EQ(skinListFromFiles({}), QStringList({"no skin"}));
}

TEST(Skins, FolderIsReadAndTheChosenSheetApplied) {
    SettingsRig rig;
    test::writeFile(rig.home / "Data" / "skins" / "Dark.qss",
                    "QWidget { background: #101010; color: #f0f0f0; }");
    test::writeFile(rig.home / "Data" / "skins" / "Blue.qss", "QWidget { background: #102040; }");
    test::writeFile(rig.home / "Data" / "skins" / "readme.txt", "not a skin");
    const QString home = QString::fromStdString(rig.home.str());
    EXPECT_EQ(skinList(home), QStringList({"no skin", "Dark", "Blue"})); // found by name: Blue, Dark

    SettingsRig withSkins; // builds its list at start-up
    std::filesystem::copy(rig.home / "Data", withSkins.home / "Data",
                          std::filesystem::copy_options::recursive);
    withSkins.window().setSkins(skinList(QString::fromStdString(withSkins.home.str())));
    withSkins.positionBar->setStyleSheet("QSlider { background: red; }");
    withSkins.window().skinList()->setCurrentIndex(1);
    EXPECT_EQ(withSkins.settings->prefs().skinIndex, 1);
    withSkins.settings->applySkinAndListFont();
    EXPECT_EQ(qApp->styleSheet(), "QWidget { background: #101010; color: #f0f0f0; }");
    EXPECT_EQ(withSkins.positionBar->styleSheet(), unskinnedPositionBarStyle());

    withSkins.window().skinList()->setCurrentIndex(0);
    withSkins.settings->applySkinAndListFont();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    // A skin whose file went away leaves the windows plain.
    std::filesystem::remove(withSkins.home / "Data" / "skins" / "Blue.qss");
    withSkins.window().skinList()->setCurrentIndex(2);
    withSkins.settings->applySkinAndListFont();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    withSkins.settings->prefs().skinIndex = 7; // out of range, e.g. skins removed since
    withSkins.settings->applySkinAndListFont();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST(Skins, EmptiedTextSizeBecomesTwelveOnOk) {
    SettingsRig rig;
    rig.startUp();
    rig.window().setlistTextSizeField()->clear();
    EXPECT_EQ(rig.settings->prefs().setlistTextSize, "");
    rig.window().okButton()->click();
    EXPECT_EQ(rig.settings->prefs().setlistTextSize, "12");
    EXPECT_EQ(rig.window().setlistTextSizeField()->text(), "12");
    EXPECT_EQ(rig.songListWidget->font().pointSize(), 12);
    EXPECT_TRUE(rig.songListWidget->font().bold());
}

TEST(Skins, ListFontPointsFromTheTextSize) {
    EXPECT_EQ(listFontPoints("12", 8), 12);
    EXPECT_EQ(listFontPoints("30", 8), 30);
    EXPECT_EQ(listFontPoints("abc", 8), 8);
    EXPECT_EQ(listFontPoints("0", 8), 8);
    EXPECT_EQ(listFontPoints("99999999", 8), kMaxListFontPoints);

    SettingsRig rig;
    rig.settings->prefs().setlistTextSize = "big";
    rig.settings->applySkinAndListFont();
    EXPECT_EQ(rig.songListWidget->font().pointSize(), QApplication::font().pointSize());
}
