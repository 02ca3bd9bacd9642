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
#include "engine/MidiFileWriter.h"
#include "support/JackMidiPeer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
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

// A song's MIDI file played through the program's MIDI output: the engine's MIDI thread
// and the program's transport send through the same port.
TEST(MidiJack, SongMidiFilePlaysThroughTheOutputBetweenTheResetAndTheStop) {
    JackMidiPeer synth("vltest-synth");
    if (!synth.running()) {
        if (std::getenv("JACK_DEFAULT_SERVER")) FAIL() << "JACK_DEFAULT_SERVER is set but no JACK server answers";
        GTEST_SKIP() << "no JACK server";
    }
    AppHarness h(test::realEngine());
    const std::filesystem::path folder = h.home / "YourSongs" / "Band";
    writeSong(h.home / "YourSongs", "Band", {});
    using test::at;
    using test::channelMessage;
    const std::vector<uint8_t> smf = test::buildSmf({{channelMessage(0, 0xC0, 5), channelMessage(at(0.2), 0x90, 60, 100),
                                                      channelMessage(at(0.5), 0x80, 60, 0),
                                                      channelMessage(at(0.7), 0x90, 64, 100),
                                                      channelMessage(at(19), 0x80, 64, 0)}});
    std::ofstream(folder / "band.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(smf.data()), static_cast<std::streamsize>(smf.size()));
    SongProgram program;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.5f;
    program.tracks[1].fileName = "band.mid";
    program.tracks[1].volume = 0.5f;
    writeTextLines(QString::fromStdString((folder / "Band.p").string()), writeProgramLines(program, FileNames::Included));
    h.app->engine().InitAudioDriver(0, &h.main());
    h.setRows({"Band"});

    SettingsWindow& w = *h.app->settings().window();
    const int out = entryOf(w.midiOutList(), synth.receivePort());
    ASSERT_GT(out, 0);
    w.midiOutList()->setCurrentIndex(out);
    w.midiActivateButton(2)->click();
    w.noMidiFileToMidiOutCheck()->setChecked(false);
    ASSERT_FALSE(h.prefs().noMidiFileToMidiOut);

    synth.clearReceived();
    const int xruns = synth.xruns();
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.app->engine().GetPlaying(), 1);
    const Bytes held{0x90, 64, 100};
    ASSERT_TRUE(waitFor([&] {
        const auto got = synth.received();
        return std::find(got.begin(), got.end(), held) != got.end();
    }, 3000));
    h.app->transport().stopPlayback();
    waitFor([&] { const auto got = synth.received(); return !got.empty() && got.back() == Bytes{0xFC}; }, 1000);

    const auto got = synth.received();
    ASSERT_FALSE(got.empty());
    const auto indexOf = [&](const Bytes& m) { return std::find(got.begin(), got.end(), m) - got.begin(); };
    const auto end = static_cast<std::ptrdiff_t>(got.size());
    EXPECT_EQ(got.back(), (Bytes{0xFC})) << "the MIDI Stop comes last";
    // A cycle the loaded machine finished late may have dropped events on the way.
    if (synth.xruns() != xruns) return;
    ASSERT_LT(indexOf({0xC0, 5}), end) << "the file's program change";
    EXPECT_LT(indexOf({0xBF, 121, 0}), indexOf({0xC0, 5})) << "the reset comes before the file";
    EXPECT_LT(indexOf({0x90, 60, 100}), indexOf({0x80, 60, 0}));
    EXPECT_LT(indexOf({0x80, 60, 0}), indexOf(held));
    EXPECT_LT(indexOf(held), indexOf({0x80, 64, 0})) << "the note left sounding is switched off at the stop";
    EXPECT_LT(indexOf({0x80, 64, 0}), end);
}
