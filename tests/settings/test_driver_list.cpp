// The audio driver list, ACTIVATE and EDIT against the recording engine.
#include "SettingsRig.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::SettingsRig;

TEST(AudioDriverList, EndsOnlyAtTheEnginesAnswerNo) {
    SettingsRig rig;
    // Names that merely contain "no" are devices like any other.
    rig.engine.driverNames = {"No sound", "Mono Out", "Nord Piano", "ALSA: Yamaha Steinberg USB (hw:1,0)",
                              "nobody"};
    rig.settings->fillDriverLists();
    const QComboBox* list = rig.window().audioDriverList();
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->itemText(1), "Mono Out");
    EXPECT_EQ(list->itemText(2), "Nord Piano");
    EXPECT_EQ(list->itemText(4), "nobody");
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(rig.settings->prefs().audioDriverIndex, 0);
    // The engine rebuilds its list first, on entry 0.
    ASSERT_FALSE(rig.engine.calls.empty());
    EXPECT_EQ(rig.engine.calls[0].name, "InitAudioDriver");
    EXPECT_EQ(rig.engine.calls[0].n[0], 0);
    EXPECT_EQ(rig.window().midiInList()->count(), 1);
    EXPECT_EQ(rig.window().midiInList()->itemText(0), "no driver");
}

TEST(AudioDriverList, AsksAtMostSeventeenNames) {
    SettingsRig rig;
    rig.engine.driverNames.clear();
    for (int i = 0; i < 30; ++i)
        rig.engine.driverNames.push_back("card " + std::to_string(i));
    rig.settings->fillDriverLists();
    EXPECT_EQ(rig.window().audioDriverList()->count(), 17);
    rig.engine.driverNames = {};
    rig.settings->fillDriverLists();
    EXPECT_EQ(rig.window().audioDriverList()->count(), 0);
}

TEST(AudioDriverList, ActivateStopsThenOpensTheChosenDriver) {
    SettingsRig rig;
    rig.settings->fillDriverLists();
    rig.engine.clear();
    SettingsWindow& w = rig.window();
    w.audioDriverList()->setCurrentIndex(2);
    EXPECT_TRUE(w.audioActivateButton()->isEnabled());
    w.audioActivateButton()->click();
    EXPECT_EQ(rig.engine.names(), (std::vector<std::string>{"Stop", "InitAudioDriver"}));
    EXPECT_EQ(rig.engine.calls[1].n[0], 2);
    EXPECT_EQ(rig.settings->prefs().audioDriverIndex, 2);
    EXPECT_FALSE(w.audioActivateButton()->isEnabled());
    // Any event of the list enables it again.
    w.audioDriverList()->setCurrentIndex(1);
    EXPECT_TRUE(w.audioActivateButton()->isEnabled());
    // Choosing alone does not change the driver in use.
    EXPECT_EQ(rig.settings->prefs().audioDriverIndex, 2);

    rig.engine.clear();
    w.editBufferButton()->click();
    EXPECT_EQ(rig.engine.names(), std::vector<std::string>{"ASIO_ControlPanel"});
}

TEST(AudioDriverList, MidiActivateTakesTheListChoiceAndWaitsForTheNextChange) {
    SettingsRig rig;
    rig.settings->fillDriverLists();
    SettingsWindow& w = rig.window();
    w.midiInList()->setCurrentIndex(0);
    w.midiActivateButton(1)->click();
    EXPECT_EQ(rig.settings->prefs().midiInIndex, 0);
    EXPECT_FALSE(w.midiActivateButton(1)->isEnabled());
    EXPECT_TRUE(w.midiActivateButton(2)->isEnabled());
}
