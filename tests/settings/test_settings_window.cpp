// The settings window's controls: places, texts, and how they edit the record.
#include "SettingsRig.h"
#include "midi/HotkeyValue.h"
#include "settings/Language.h"
#include "settings/MidiControlCaption.h"
#include "settings/TimecodeGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::SettingsRig;

TEST(SettingsWindow, ControlsSitAtTheirPlaces) {
    SettingsRig rig;
    SettingsWindow& w = rig.window();
    EXPECT_EQ(w.windowTitle(), "settings ...");
    EXPECT_EQ(w.size(), QSize(792, 570));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    const std::vector<std::pair<QWidget*, QRect>> places{
        {w.audioDriverList(), {25, 37, 270, 24}},
        {w.audioActivateButton(), {305, 37, 90, 20}},
        {w.editBufferButton(), {335, 57, 60, 20}},
        {w.midiInList(), {25, 127, 270, 24}},
        {w.midiActivateButton(2), {305, 167, 90, 20}},
        {w.midiClearButton(3), {505, 147, 50, 20}},
        {w.midiLearnButton(1), {565, 87, 60, 20}},
        {w.midiWaitingLabel(), {500, 174, 140, 38}},
        {w.valueSensitiveCheck(), {500, 190, 140, 20}},
        {w.hotkeyEdit(2), {664, 115, 100, 24}},
        {w.subgroupList(3), {335, 262, 90, 20}},
        {w.globalMuteCheck(0), {25, 325, 30, 20}},
        {w.globalMuteCheck(7), {305, 325, 26, 20}},
        {w.screenSizeList(), {20, 380, 270, 24}},
        {w.doubleClickList(), {325, 380, 270, 24}},
        {w.skinList(), {325, 425, 270, 24}},
        {w.setlistTextSizeField(), {20, 425, 50, 20}},
        {w.lyricSecondWindowCheck(), {120, 405, 200, 30}},
        {w.playShowsLyricCheck(), {120, 434, 200, 20}},
        {w.noMidiFileToMidiOutCheck(), {505, 230, 230, 20}},
        {w.midiMasterVolumeCheck(), {505, 255, 225, 20}},
        {w.midiMasterVolumeChannelSpin(), {730, 255, 40, 20}},
        {w.programChangeSelectsCheck(), {505, 295, 190, 30}},
        {w.programChangePlaysCheck(), {505, 320, 190, 30}},
        {w.okButton(), {635, 405, 130, 40}},
    };
    for (const auto& [control, place] : places)
        EXPECT_EQ(control->geometry(), place) << control->metaObject()->className();
    EXPECT_FALSE(w.midiWaitingLabel()->isVisible());
}

TEST(SettingsWindow, TextsAndListsInBothLanguages) {
    {
        SettingsRig rig;
        SettingsWindow& w = rig.window();
        EXPECT_EQ(w.audioActivateButton()->text(), "ACTIVATE");
        EXPECT_EQ(w.editBufferButton()->text(), "EDIT");
        EXPECT_EQ(w.globalMuteCheck(2)->toolTip(), "global mute channel 3");
        EXPECT_EQ(w.midiMasterVolumeChannelSpin()->minimum(), 1);
        EXPECT_EQ(w.midiMasterVolumeChannelSpin()->maximum(), 16);
        QStringList sizes;
        for (int i = 0; i < w.screenSizeList()->count(); ++i)
            sizes << w.screenSizeList()->itemText(i);
        EXPECT_EQ(sizes, QStringList(
                             {"800x480", "800x600", "1024x768", "1280x768", "1280x800", "1280x1024", "max"}));
        EXPECT_EQ(w.doubleClickList()->itemText(3), "play / stop");
        EXPECT_EQ(w.doubleClickList()->currentIndex(), 2); // "lyric"
        EXPECT_EQ(w.subgroupList(1)->currentText(), "3/4");
    }
    SettingsRig rig("deutsch");
    SettingsWindow& w = rig.window();
    EXPECT_EQ(w.audioActivateButton()->text(), "aktiviere");
    EXPECT_EQ(w.midiClearButton(0)->text(), QString::fromUtf8("Lösche"));
    EXPECT_EQ(w.globalMuteCheck(7)->toolTip(), "Stummschalten von globaler Audiospur 8");
    EXPECT_EQ(w.valueSensitiveCheck()->text(), "midiwert sensibel");
}

TEST(SettingsWindow, SkinListRightClickShowsTheNote) {
    SettingsRig rig;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5), Qt::NoModifier);
    QCoreApplication::sendEvent(rig.window().skinList(), &event);
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(rig.dialogs.asked[0].title, "Information");
    EXPECT_EQ(rig.dialogs.asked[0].text,
              "if you experience graphic problems than please don't use this skinning option!");
}

TEST(SettingsWindow, TextSizeFieldTakesDigitsOnly) {
    SettingsRig rig;
    QLineEdit* field = rig.window().setlistTextSizeField();
    field->clear();
    test::typeText(field, "2x4-");
    EXPECT_EQ(field->text(), "24");
    EXPECT_EQ(rig.settings->prefs().setlistTextSize, "24");
}

TEST(SettingsWindow, ValuesOutOfRangeShowNoSelection) {
    SettingsRig rig;
    rig.settings->prefs().screenSizeIndex = 9;
    rig.settings->prefs().subgroupOutput[1] = -1;
    rig.window().showPreferences();
    EXPECT_EQ(rig.window().screenSizeList()->currentIndex(), -1);
    EXPECT_EQ(rig.window().subgroupList(1)->currentIndex(), -1);
    // Showing does not write back into the record.
    EXPECT_EQ(rig.settings->prefs().screenSizeIndex, 9);
    EXPECT_EQ(rig.settings->prefs().subgroupOutput[1], -1);
}

TEST(SettingsWindow, ClearEmptiesTheSlotButKeepsItsValue) {
    SettingsRig rig;
    rig.settings->prefs().midiControls[2] = {0x90, 60, 100};
    rig.window().showPreferences();
    EXPECT_EQ(rig.window().midiLearnButton(2)->text(), "N:60");
    rig.window().midiClearButton(2)->click();
    const MidiControlSlot& slot = rig.settings->prefs().midiControls[2];
    EXPECT_EQ(slot.status, 0);
    EXPECT_EQ(slot.data1, 0);
    EXPECT_EQ(slot.data2, 100);
    EXPECT_EQ(rig.window().midiLearnButton(2)->text(), "---");
}

TEST(SettingsWindow, MidiControlCaptionsNameOnlyChannelOneStatuses) {
    EXPECT_EQ(midiControlCaption({0, 0, 0}), "---");
    EXPECT_EQ(midiControlCaption({0xC0, 12, 0}), "PCH12");
    EXPECT_EQ(midiControlCaption({0x90, 60, 1}), "N:60");
    EXPECT_EQ(midiControlCaption({0x80, 61, 0}), "N:61");
    EXPECT_EQ(midiControlCaption({0xB0, 7, 0}), "C:7");
    EXPECT_EQ(midiControlCaption({0xB1, 7, 0}), "?7");
    EXPECT_EQ(midiControlCaption({0xB2, 64, 0}), "?64");
    EXPECT_EQ(midiControlCaption({0xE0, 0, 64}), "Pit:0");
}

TEST(SettingsWindow, AnEmptyHotkeyFieldSaysSoInFullInBothLanguages) {
    for (const char* language : {"english", "deutsch"}) {
        QTranslator qtTexts;
        const bool translated = loadQtTranslations(qtTexts, language);
        if (translated) QCoreApplication::installTranslator(&qtTexts);
        SettingsRig rig(language);
        rig.window().show();
        for (int row = 0; row < 4; ++row) {
            auto* field = rig.window().hotkeyEdit(row)->findChild<QLineEdit*>();
            ASSERT_NE(field, nullptr);
            ASSERT_FALSE(field->placeholderText().isEmpty());
            // The line edit's own margins: 2 pixels each side of its frame and text.
            const int room = field->width() - 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
            EXPECT_LE(field->fontMetrics().horizontalAdvance(field->placeholderText()), room)
                << language << ": " << field->placeholderText().toStdString();
        }
        if (translated) QCoreApplication::removeTranslator(&qtTexts);
    }
}

TEST(SettingsWindow, HotkeysKeepTheStoredValueForm) {
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence(Qt::Key_A)), 0x41);
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5)), 0x374);
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence(Qt::ALT | Qt::Key_Right)), 0x427);
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence(Qt::Key_PageDown)), 0x22);
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence()), 0);
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence(Qt::Key_Eject)), 0);
    EXPECT_EQ(hotkeyValueFromKeys(QKeySequence(Qt::Key_Enter)), 0x0D) << "the keypad's Enter is RETURN";
    for (int value : {0x41, 0x374, 0x427, 0x22, 0x20, 0x187, 0x0D})
        EXPECT_EQ(hotkeyValueFromKeys(keysFromHotkeyValue(value)), value) << value;
    EXPECT_TRUE(keysFromHotkeyValue(0).isEmpty());
    EXPECT_TRUE(keysFromHotkeyValue(0xFF).isEmpty());

    SettingsRig rig;
    rig.settings->prefs().hotkeys = {0x270, 0, 0x42, 0};
    rig.window().showPreferences();
    EXPECT_EQ(rig.window().hotkeyEdit(0)->keySequence(), QKeySequence(Qt::CTRL | Qt::Key_F1));
    EXPECT_TRUE(rig.window().hotkeyEdit(1)->keySequence().isEmpty());
    // A key typed into the control is stored in that form.
    QKeySequenceEdit* edit = rig.window().hotkeyEdit(1);
    edit->setFocus();
    test::pressKey(edit, Qt::Key_P, Qt::ShiftModifier, "P");
    EXPECT_TRUE(test::waitFor([&] { return rig.settings->prefs().hotkeys[1] == 0x150; }));
}

TEST(SettingsWindow, EveryEditIsReportedAndShowingIsNot) {
    SettingsRig rig;
    SettingsWindow& w = rig.window();
    rig.changes = 0;
    w.showPreferences();
    EXPECT_EQ(rig.changes, 0);
    w.globalMuteCheck(1)->setChecked(true);
    w.subgroupList(0)->setCurrentIndex(3);
    w.doubleClickList()->setCurrentIndex(1);
    w.setlistTextSizeField()->setText("14");
    w.midiMasterVolumeChannelSpin()->setValue(4);
    EXPECT_EQ(rig.changes, 5);
    EXPECT_TRUE(rig.settings->prefs().globalMute[1]);
    EXPECT_EQ(rig.settings->prefs().subgroupOutput[0], 3);
    EXPECT_EQ(rig.settings->prefs().doubleClickAction, 1);
    EXPECT_EQ(rig.settings->prefs().midiMasterVolumeChannel, 4);
    rig.startUp();
    EXPECT_GT(rig.changes, 5);
}

// The timecode settings have a window of their own, opened from the settings window, and
// both say which output pair loses a channel to LTC.
TEST(SettingsWindow, TimecodeWindowEditsTheRecordAndNamesThePairLtcTakesAChannelOf) {
    SettingsRig rig("deutsch");
    SettingsWindow& w = rig.window();
    TimecodeGroup& g = *w.timecodeGroup();
    w.show();
    EXPECT_EQ(g.opener()->text(), "TIMECODE ...");
    g.opener()->click();
    ASSERT_TRUE(g.window()->isVisible());
    EXPECT_EQ(g.window()->windowTitle(), "Timecode");
    EXPECT_EQ(g.pairNote()->text(), QString::fromUtf8("Kein LTC: alle Ausgänge führen den Mix."));
    rig.changes = 0;
    g.ltcChannelList()->setCurrentIndex(4);
    g.rateList()->setCurrentIndex(2);
    g.mtcCheck()->setChecked(true);
    EXPECT_EQ(rig.changes, 3);
    const TimecodeChoice& tc = rig.settings->prefs().timecode;
    EXPECT_EQ(tc.ltcChannel, 4);
    EXPECT_EQ(tc.fpsCode, 2997);
    EXPECT_TRUE(tc.mtc);
    const QString note = QString::fromUtf8("Ausgang 4 führt nur LTC: Paar 3/4 spielt nur auf Ausgang 3.");
    EXPECT_EQ(g.pairNote()->text(), note);
    EXPECT_EQ(g.opener()->toolTip(), note);
    w.hide();
    EXPECT_FALSE(g.window()->isVisible()) << "it goes with the settings window";
}
