// MIDI remote control in the whole program, with the recording engine and MIDI ports that
// inject messages from a driver-like thread and record what the program sends.
#include "AppHarness.h"
#include "ToneSong.h"
#include "mixer/ProgramEditor.h"
#include "mixer/ProgramEditorWindow.h"

#include "app/MidiLink.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "support/ui/ScriptedMidiPorts.h"

#include <QApplication>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::AppHarness;
using vl::test::ScriptedMidiPorts;

namespace {

using Bytes = std::vector<unsigned char>;

struct MidiHarness {
    ScriptedMidiPorts* ports = nullptr;
    AppHarness h{std::nullopt, "english", test::scriptedMidiPorts(ports)};

    MidiHarness() {
        // Numbered "000", "001", a heading without a number, "002".
        h.setRows({"Opener", "Ballad", "-- break --", "Closer"}, {"03:00", "04:00", "", "02:00"});
        activate(1, 1);
        activate(2, 1);
    }
    SettingsWindow& window() { return *h.app->settings().window(); }
    MidiInbox& inbox() { return h.app->midi().devices().inbox(); }
    // The user picks list entry `entry` and presses the kind's ACTIVATE.
    void activate(int kind, int entry) {
        QComboBox* list = kind == 1 ? window().midiInList() : window().midiOutList();
        list->setCurrentIndex(entry == 0 ? 1 : 0); // the selection changes, so ACTIVATE is there
        list->setCurrentIndex(entry);
        window().midiActivateButton(kind)->click();
    }
    // One message from the driver, then one tick of the fast timer.
    void receive(std::initializer_list<unsigned char> bytes) {
        ASSERT_TRUE(ports->inject(bytes));
        h.ticks(0, 1);
    }
    int selected() { return h.app->songs().selectedRow(); }
    bool playing() { return h.recorder.playing != 0; }
};

} // namespace

TEST(MidiRemote, ProgramChangeOnChannelOneSelectsTheRowWithThatNumber) {
    MidiHarness m;
    m.h.prefs().programChangeSelectsSong = true;

    m.receive({0xC1, 2}); // channel 2
    EXPECT_EQ(m.selected(), 0);
    EXPECT_FALSE(m.inbox().hasMessage()) << "a message no rule takes is let go";
    m.receive({0xC0, 9}); // no row has number 9
    EXPECT_EQ(m.selected(), 0);

    m.receive({0xC0, 2});
    EXPECT_EQ(m.selected(), 3) << "the heading has no number, so \"002\" is the fourth row";
    EXPECT_FALSE(m.inbox().hasMessage());
    EXPECT_FALSE(m.playing());

    m.h.prefs().programChangePlays = true;
    m.receive({0xC0, 1});
    EXPECT_EQ(m.selected(), 1);
    EXPECT_TRUE(m.playing());
    EXPECT_EQ(m.h.app->songs().playingRow(), 1);

    m.h.prefs().programChangeSelectsSong = false;
    m.receive({0xC0, 0});
    EXPECT_EQ(m.selected(), 1);
}

TEST(MidiRemote, LearntControlsMatchStatusAndNumberOrTheWholeMessage) {
    MidiHarness m;
    auto& controls = m.h.prefs().midiControls;
    controls[2] = {0xB0, 64, 127}; // program down: sustain pedal pressed

    m.receive({0xB0, 64, 0});
    EXPECT_EQ(m.selected(), 1) << "without \"value sensitive\" the pedal's release fires too";
    m.h.prefs().valueSensitive = true;
    m.receive({0xB0, 64, 0});
    EXPECT_EQ(m.selected(), 1);
    EXPECT_FALSE(m.inbox().hasMessage()) << "a learnt status takes the message even when it fires nothing";
    m.receive({0xB0, 64, 127});
    EXPECT_EQ(m.selected(), 2);

    // Two slots learnt from one message: only the first in slot order fires.
    controls[1] = {0xB0, 80, 127}; // program up
    controls[2] = {0xB0, 80, 127}; // program down
    m.receive({0xB0, 80, 127});
    EXPECT_EQ(m.selected(), 1);

    // A status no slot has is let go on its tick: a slot learnt later does not fire from it.
    m.receive({0x90, 60, 100});
    EXPECT_FALSE(m.inbox().hasMessage());
    controls[0] = {0x90, 60, 100}; // play / stop
    m.h.ticks(0, 1);
    EXPECT_FALSE(m.playing());

    // Everything that came in since the last tick is handled, in order, on the next one;
    // clock, start and active sensing stay at the door.
    for (auto bytes : {Bytes{0xB0, 80, 127}, Bytes{0xF8}, Bytes{0xFA}, Bytes{0x90, 60, 100}, Bytes{0xFE},
                       Bytes{0xB0, 1, 64}})
        ASSERT_TRUE(m.ports->inject(bytes));
    m.h.ticks(0, 1);
    EXPECT_EQ(m.selected(), 0) << "program up";
    EXPECT_TRUE(m.playing()) << "the note after it, although a controller came last";
    EXPECT_FALSE(m.inbox().hasMessage());
    m.receive({0x90, 60, 100});
    EXPECT_FALSE(m.playing());
}

TEST(MidiRemote, ControllerSevenScalesTheMasterAndTheTracksOfChannelsOneToEight) {
    MidiHarness m;
    AppState& state = m.h.state();
    m.receive({0xB0, 7, 40});
    EXPECT_FLOAT_EQ(state.masterFactor, 1.0f) << "off unless the settings enable it";

    m.h.prefs().midiMasterVolumeEnabled = true;
    m.h.recorder.clear();
    m.receive({0xB0, 7, 127});
    EXPECT_NEAR(state.masterFactor, 0.99949, 1e-6);
    EXPECT_EQ(state.channelFaders[0], 127);
    EXPECT_FALSE(m.h.recorder.callsNamed("SetMasterVol").empty()) << "the mixer goes to the engine at once";

    m.h.prefs().midiMasterVolumeChannel = 3;
    m.receive({0xB2, 7, 64});
    EXPECT_NEAR(state.masterFactor, 64 * 0.00787, 1e-6);
    EXPECT_EQ(state.channelFaders[2], 64);
    m.receive({0xB1, 7, 30});
    EXPECT_NEAR(state.masterFactor, 64 * 0.00787, 1e-6);
    EXPECT_EQ(state.channelFaders[1], 30);
    m.receive({0xB9, 7, 10});
    EXPECT_EQ(state.channelFaders[9], 127) << "channel 10 is no track's";
}

TEST(MidiRemote, PlayResetsEveryChannelBeforeTheEngineStartsAndStopSendsOneMidiStop) {
    MidiHarness m;
    auto& changes = m.h.app->program().midiProgramChanges;
    changes[0] = {1, 5};
    changes[1] = {10, 1};
    changes[2] = {0, 3}; // no channel: not sent
    m.h.recorder.clear();
    m.h.app->transport().startPlayback(false);
    ASSERT_TRUE(m.playing());

    std::size_t play = 0;
    const auto names = m.h.recorder.names();
    while (play < names.size() && names[play] != "Play") ++play;
    ASSERT_LT(play, names.size());
    ASSERT_EQ(m.ports->sent.size(), 34u);
    for (int ch = 0; ch < 16; ++ch) {
        const auto& volume = m.ports->sent[static_cast<std::size_t>(2 * ch)];
        const auto& reset = m.ports->sent[static_cast<std::size_t>(2 * ch + 1)];
        EXPECT_EQ(volume.bytes, (Bytes{static_cast<unsigned char>(0xB0 | ch), 7, 115}));
        EXPECT_EQ(reset.bytes, (Bytes{static_cast<unsigned char>(0xB0 | ch), 121, 0}));
        EXPECT_LE(reset.engineCallsBefore, play);
    }
    EXPECT_EQ(m.ports->sent[32].bytes, (Bytes{0xC0, 4}));
    EXPECT_EQ(m.ports->sent[33].bytes, (Bytes{0xC9, 0}));
    EXPECT_GT(m.ports->sent[32].engineCallsBefore, play);

    m.ports->sent.clear();
    m.h.app->transport().stopPlayback();
    EXPECT_EQ(m.ports->sentBytes(), (std::vector<Bytes>{{0xFC}})) << "one MIDI Stop, no System Reset";

    m.activate(2, 0); // "no driver"
    m.ports->sent.clear();
    m.h.app->transport().startPlayback(false);
    m.h.app->transport().stopPlayback();
    EXPECT_TRUE(m.ports->sent.empty()) << "nothing goes out without an output";
}

TEST(MidiRemote, DeviceListsAndActivateOpenAndCloseTheChosenPorts) {
    MidiHarness m;
    EXPECT_EQ(m.ports->openInputPort, 0);
    EXPECT_EQ(m.ports->openOutputPort, 0);
    EXPECT_EQ(m.window().midiInList()->itemText(0), "no driver");
    EXPECT_EQ(m.window().midiInList()->itemText(2), "Keyboard");
    EXPECT_FALSE(m.window().midiActivateButton(1)->isEnabled());

    m.window().midiInList()->setCurrentIndex(0);
    EXPECT_TRUE(m.window().midiActivateButton(1)->isEnabled()) << "a changed selection waits";
    m.window().midiActivateButton(1)->click();
    EXPECT_EQ(m.ports->openInputPort, -1);
    EXPECT_EQ(m.h.prefs().midiInIndex, 0);
    EXPECT_FALSE(m.window().midiActivateButton(1)->isEnabled());
    EXPECT_FALSE(m.ports->inject({0xC0, 1}));

    m.ports->inputOpens = false;
    m.h.dialogs.asked.clear();
    m.activate(1, 2);
    ASSERT_EQ(m.h.dialogs.asked.size(), 1u);
    EXPECT_EQ(m.h.dialogs.asked[0].title, "Information");
    EXPECT_EQ(m.h.dialogs.asked[0].text, "Unable to open MIDI input.");
    EXPECT_EQ(m.h.prefs().midiInIndex, 0);
    EXPECT_EQ(m.window().midiInList()->currentIndex(), 0);

    m.ports->outputOpens = false;
    m.activate(2, 1);
    EXPECT_EQ(m.h.dialogs.asked.back().text, "Unable to open MIDI output.");
    EXPECT_EQ(m.h.prefs().midiOutIndex, 0);
}

TEST(MidiRemote, LearningTakesTheNextMessageWhileTheTimersRunAndASecondClickCancels) {
    MidiHarness m;
    // An earlier test's shutdown asked the event loops to end; the program's own loop has
    // not run since to take that back, so nested waits would end at once.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    m.h.app->settings().openSettingsWindow();
    SettingsWindow& w = m.window();
    m.h.prefs().midiControls[3] = {0x90, 60, 100}; // show lyric, learnt before
    const int ticksBefore = m.h.state().timerTicks;

    // Row 0 learns the very note that row 3 already has: it becomes row 0's, and nothing fires.
    QTimer::singleShot(150, [&] {
        EXPECT_EQ(w.midiLearnButton(0)->text(), "cancel");
        EXPECT_FALSE(w.midiWaitingLabel()->isHidden());
        // Other controls take no click meanwhile.
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent click(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w.midiClearButton(3), &click);
        }
        m.ports->inject({0x90, 60, 100});
    });
    w.midiLearnButton(0)->click();
    EXPECT_GT(m.h.state().timerTicks, ticksBefore + 1) << "the timers ran during the wait";
    EXPECT_EQ(w.midiLearnButton(0)->text(), "N:60");
    EXPECT_EQ(m.h.prefs().midiControls[0].status, 0x90);
    EXPECT_EQ(m.h.prefs().midiControls[0].data2, 100);
    EXPECT_EQ(m.h.prefs().midiControls[3].status, 0x90) << "the swallowed click cleared nothing";
    EXPECT_TRUE(w.midiWaitingLabel()->isHidden());
    EXPECT_FALSE(m.inbox().hasMessage());
    m.h.ticks(0, 1);
    EXPECT_FALSE(m.playing());

    QTimer::singleShot(50, [&] { m.ports->inject({0xB2, 64, 127}); });
    w.midiLearnButton(1)->click();
    EXPECT_EQ(w.midiLearnButton(1)->text(), "?64") << "a controller on channel 3 has no word";

    // A second click ends the wait; the slot keeps what it had.
    QTimer::singleShot(100, [&] { w.midiLearnButton(0)->click(); });
    w.midiLearnButton(0)->click();
    EXPECT_EQ(w.midiLearnButton(0)->text(), "N:60");
    EXPECT_EQ(m.h.prefs().midiControls[0].data1, 60);
    EXPECT_TRUE(w.midiWaitingLabel()->isHidden());
}

TEST(MidiRemote, UserHotkeyAndDevicesComeBackAtTheNextStart) {
    MidiHarness m;
    m.h.app->settings().openSettingsWindow();
    QKeySequenceEdit* edit = m.window().hotkeyEdit(0);
    edit->setKeySequence(QKeySequence(Qt::Key_F5));
    emit edit->editingFinished();
    EXPECT_EQ(m.h.prefs().hotkeys[0], 0x74) << "kept as a virtual-key code";
    m.window().okButton()->click();
    ASSERT_TRUE(m.h.main().isVisible());
    m.h.main().activateWindow();
    QApplication::setActiveWindow(&m.h.main());

    m.h.pressKey(Qt::Key_F5);
    EXPECT_TRUE(m.playing());
    m.h.pressKey(Qt::Key_F5);
    EXPECT_FALSE(m.playing());
    m.h.pressKey(Qt::Key_Space);
    EXPECT_TRUE(m.playing()) << "the fixed key stays";
    m.h.pressKey(Qt::Key_Space);

    // The next start takes the hotkey from the preferences file.
    m.h.app->quitApplication();
    EXPECT_EQ(m.ports->openInputPort, -1) << "shutdown closes the devices";
    EXPECT_EQ(m.ports->openOutputPort, -1);
    m.h.app.reset();
    Application::Services s;
    s.programFolder = QString::fromStdString(m.h.home.str());
    s.dialogs = &m.h.dialogs;
    s.endOfSongPauseMs = 0;
    s.bindEngine = [&m](QString*) -> std::optional<EngineFunctions> { return m.h.recorder.functions(); };
    s.midiPorts = test::scriptedMidiPorts(m.ports);
    m.h.app = std::make_unique<Application>(std::move(s));
    ASSERT_TRUE(m.h.app->start(nullptr));
    EXPECT_EQ(m.h.prefs().hotkeys[0], 0x74);
    EXPECT_EQ(m.ports->openInputPort, 0) << "start-up opens the stored devices";
    EXPECT_EQ(m.ports->openOutputPort, 0);
    m.h.setRows({"Opener", "Ballad"});
    m.h.main().activateWindow();
    QApplication::setActiveWindow(&m.h.main());
    m.h.pressKey(Qt::Key_F5);
    EXPECT_TRUE(m.playing());
    m.h.pressKey(Qt::Key_F5);

    // In the program editor the hotkey plays and stops as well, and SPACE still does.
    for (const char* song : {"Opener", "Ballad"}) test::writeToneSong(m.h.home / "YourSongs", song, 5);
    m.h.main().controls().songEditButton->click();
    QWidget& editor = m.h.app->programEditor().window();
    ASSERT_TRUE(editor.isVisible());
    QApplication::setActiveWindow(&editor);
    m.h.pressKey(Qt::Key_F5, {}, &editor);
    EXPECT_TRUE(m.playing());
    m.h.pressKey(Qt::Key_Space, {}, &editor);
    EXPECT_FALSE(m.playing());
}
