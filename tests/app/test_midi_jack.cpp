// The real program on the JACK dummy server with its real MIDI ports: a stage client sends
// a learnt controller and a program change into the program's input and records what the
// program's output sends at play and at stop.
#include "AppHarness.h"
#include "ToneSong.h"

#include "platform/TextFile.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "songs/ProgramFile.h"
#include "songs/SongProgram.h"
#include "support/JackMidiPeer.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace vl;
using vl::test::AppHarness;
using vl::test::JackMidiPeer;
using Bytes = std::vector<unsigned char>;

namespace {

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// A late cycle on a loaded machine may drop a MIDI event on its way, as a cable might: the
// pedal is pressed again.
bool deliver(JackMidiPeer& stage, const Bytes& message, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        stage.send(message);
        if (waitFor(done, 1500)) return true;
    }
    return false;
}

void writeSong(const std::filesystem::path& songsRoot, const std::string& song, MidiProgramChange change) {
    const std::filesystem::path folder = songsRoot / song;
    std::filesystem::create_directories(folder);
    test::writeToneWave(folder / "tone.wav", 20, 440);
    SongProgram program;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.5f;
    program.midiProgramChanges[0] = change;
    writeTextLines(QString::fromStdString((folder / (song + ".p")).string()),
                   writeProgramLines(program, FileNames::Included));
    writeTextLines(QString::fromStdString((folder / "inf").string()), {QString::number(20 * 176400)});
}

int entryOf(QComboBox* list, const std::string& port) {
    return list->findText((QStringLiteral("JACK: ") + QString::fromStdString(port)).left(32));
}

} // namespace

TEST(MidiJack, StageClientDrivesTheProgramAndHearsItsPlayAndStop) {
    JackMidiPeer stage("vltest-stage");
    if (!stage.running()) {
        if (std::getenv("JACK_DEFAULT_SERVER")) FAIL() << "JACK_DEFAULT_SERVER is set but no JACK server answers";
        GTEST_SKIP() << "no JACK server";
    }
    AppHarness h(test::realEngine());
    writeSong(h.home / "YourSongs", "Opener", {});
    writeSong(h.home / "YourSongs", "Ballad", {2, 10});
    h.app->engine().InitAudioDriver(0, &h.main());
    h.setRows({"Opener", "Ballad"});
    h.prefs().programChangeSelectsSong = true;

    // The device lists were filled at start-up; the user picks the stage ports.
    SettingsWindow& w = *h.app->settings().window();
    const int in = entryOf(w.midiInList(), stage.sendPort());
    const int out = entryOf(w.midiOutList(), stage.receivePort());
    ASSERT_GT(in, 0);
    ASSERT_GT(out, 0);
    w.midiInList()->setCurrentIndex(in);
    w.midiActivateButton(1)->click();
    w.midiOutList()->setCurrentIndex(out);
    w.midiActivateButton(2)->click();
    EXPECT_EQ(h.prefs().midiInIndex, in);
    EXPECT_EQ(h.prefs().midiOutIndex, out);

    // Learn play / stop from the pedal (an earlier test's shutdown left the loops asked to end).
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    h.app->settings().openSettingsWindow();
    int sends = 0;
    QTimer pedal;
    QObject::connect(&pedal, &QTimer::timeout, [&] {
        if (sends++ < 5) stage.send({0xB0, 20, 127});
        else w.midiLearnButton(0)->click(); // give up rather than wait for ever
    });
    pedal.start(400);
    w.midiLearnButton(0)->click();
    pedal.stop();
    ASSERT_EQ(w.midiLearnButton(0)->text(), "C:20");
    w.okButton()->click();

    ASSERT_TRUE(deliver(stage, {0xC0, 1}, [&] { return h.app->songs().selectedRow() == 1; }));
    // Another song than the one started last: whatever played stops first.
    EXPECT_TRUE(waitFor([&] { return stage.receivedCount() >= 1; }, 1000));
    EXPECT_EQ(stage.received().front(), (Bytes{0xFC}));
    stage.clearReceived();
    ASSERT_TRUE(deliver(stage, {0xB0, 20, 127}, [&] { return h.app->engine().GetPlaying() == 1; }));
    const int xruns = stage.xruns();
    waitFor([&] { return stage.receivedCount() >= 33; }, 2000);
    const auto played = stage.received();
    if (stage.xruns() == xruns) {
        ASSERT_EQ(played.size(), 33u);
    }
    for (std::size_t i = 0; i < played.size(); ++i) {
        if (i < 32) {
            const auto status = static_cast<unsigned char>(0xB0 | (i / 2));
            EXPECT_EQ(played[i], (i % 2 ? Bytes{status, 121, 0} : Bytes{status, 7, 115})) << i;
        } else {
            EXPECT_EQ(played[i], (Bytes{0xC1, 9})) << "the song's program change, after the start";
        }
    }

    stage.clearReceived();
    ASSERT_TRUE(deliver(stage, {0xB0, 20, 127}, [&] { return h.app->engine().GetPlaying() == 0; }));
    waitFor([&] { return stage.receivedCount() >= 1; }, 1000);
    waitFor([] { return false; }, 200);
    EXPECT_EQ(stage.received(), (std::vector<Bytes>{{0xFC}})) << "one MIDI Stop, nothing else";
}
