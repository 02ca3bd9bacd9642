// The MIDI path on real JACK MIDI ports: messages arrive on RtMidi's JACK thread while the
// 55 ms and 250 ms timers take them on the UI thread, and two threads send through the one
// output at once. Built under ThreadSanitizer as well.
#include "midi/MidiDevices.h"
#include "midi/MidiRemote.h"
#include "midi/RtMidiPorts.h"
#include "midi/JackMidiInput.h"
#include "support/JackMidiPeer.h"
#include "support/SoundServers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

using namespace vl;
using vl::test::JackMidiPeer;

namespace {

// The application's side: a song list numbered 000-009, the rows selected recorded.
struct ListHost : MidiRemoteHost {
    MidiRules rules;
    std::vector<int> selections;
    std::vector<MidiAction> actions;
    MidiRules midiRules() override { return rules; }
    void applyMixer() override {}
    QStringList songNumbers() override {
        QStringList numbers;
        for (int i = 0; i < 10; ++i)
            numbers << QStringLiteral("00%1").arg(i);
        return numbers;
    }
    int playingSong() override { return -1; }
    void stopPlayback() override {}
    void selectSongFromMidi(int row) override { selections.push_back(row); }
    void runMidiAction(MidiAction action) override { actions.push_back(action); }
};

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

int entryOf(const QStringList& list, const std::string& port) {
    return static_cast<int>(list.indexOf(QStringLiteral("JACK: ") + QString::fromStdString(port)));
}

class MidiThreads : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        // One name a process, short: device names are cut at 31 characters.
        peer_ = std::make_unique<JackMidiPeer>("vltest-mp-" + std::to_string(getpid()));
        if (!peer_->running()) {
            if (std::getenv("JACK_DEFAULT_SERVER")) FAIL() << "JACK_DEFAULT_SERVER is set but no JACK server answers";
            GTEST_SKIP() << "no JACK server";
        }
    }
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    std::unique_ptr<JackMidiPeer> peer_;
};

} // namespace

TEST_F(MidiThreads, MessagesFromTheJackThreadReachTheTimersAndBothSendersShareTheOutput) {
    MidiDevices devices(std::make_unique<RtMidiPorts>("vltest-program"));
    const QStringList inputs = devices.inputList();
    const QStringList outputs = devices.outputList();
    const int in = entryOf(inputs, peer_->sendPort());
    const int out = entryOf(outputs, peer_->receivePort());
    ASSERT_GT(in, 0) << inputs.join(", ").toStdString();
    ASSERT_GT(out, 0) << outputs.join(", ").toStdString();
    EXPECT_FALSE(inputs.join(' ').contains(QStringLiteral("vltest-program"))) << "the program's own ports are left out";
    ASSERT_TRUE(devices.openInput(in - 1));
    ASSERT_TRUE(devices.openOutput(out - 1));

    AppState state;
    ListHost host;
    host.rules.programChangeSelectsSong = true;
    host.rules.controls[1] = {0xB0, 64, 127};
    const int xrunsBefore = peer_->xruns();
    QTimer fast, slow;
    QObject::connect(&fast, &QTimer::timeout, [&] { processMidiInput(devices, state, host); });
    QObject::connect(&slow, &QTimer::timeout, [&] { processMidiInput(devices, state, host); });
    fast.start(55);
    slow.start(250);

    // The engine's MIDI thread plays a file through the output while the UI thread stops.
    constexpr int kEngineNotes = 200;
    std::thread engine([&] {
        for (int i = 0; i < kEngineNotes; ++i) {
            MidiDevices::forwardEngineMidiOut(0x90, 60, i % 2 ? 0 : 100, 3);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    MidiDevices::setEngineMidiOutTarget(&devices);
    // Program changes faster than the ticks: each is taken in turn, the last one stays.
    for (int i = 0; i < 30; ++i) {
        peer_->send({0xC0, static_cast<unsigned char>(i % 10)});
        devices.sendShortMessage(0xFC, 0, 0, 0);
        waitFor([] { return false; }, 7);
    }
    peer_->send({0xC0, 7});
    EXPECT_TRUE(waitFor([&] { return !host.selections.empty() && host.selections.back() == 7; }));
    peer_->send({0xB0, 64, 127});
    EXPECT_TRUE(waitFor([&] { return !host.actions.empty(); }));
    engine.join();
    MidiDevices::setEngineMidiOutTarget(nullptr);

    EXPECT_EQ(host.actions, std::vector<MidiAction>{MidiAction::ProgramUp});
    for (int row : host.selections)
        EXPECT_TRUE(row >= 0 && row < 10) << row;
    // Every message arrives whole: interleaved sends never mix their bytes.
    int stops = 0, notes = 0;
    const auto count = [&] {
        stops = notes = 0;
        for (const auto& message : peer_->received()) {
            if (message == std::vector<unsigned char>{0xFC}) ++stops;
            else if (message.size() == 3 && message[0] == 0x90 && message[1] == 60) ++notes;
            else ADD_FAILURE() << "unexpected message of " << message.size() << " bytes";
        }
        return stops == 30;
    };
    const bool all = waitFor(count);
    // A cycle the loaded machine finished late drops the MIDI events that were on the way.
    if (peer_->xruns() == xrunsBefore) {
        EXPECT_TRUE(all);
        EXPECT_EQ(stops, 30);
    }
    EXPECT_GT(stops, 0);
    EXPECT_GT(notes, 0);
    EXPECT_LE(notes, kEngineNotes);

    devices.closeInput();
    peer_->send({0xC0, 3});
    waitFor([] { return false; }, 100);
    EXPECT_EQ(host.selections.back(), 7) << "a closed input hands nothing on";
}

// A pedal board and a keyboard with its clock on one cable: every press reaches the action
// among 20,000 other messages a second, and so it does after a system exclusive message
// that never ends, among a trickle of 30 a second.
TEST_F(MidiThreads, EveryPedalPressArrivesAmongHeavyTrafficAndAfterAnUnendedSysEx) {
    MidiDevices devices(std::make_unique<RtMidiPorts>("vltest-program"));
    const int in = entryOf(devices.inputList(), peer_->sendPort());
    ASSERT_GT(in, 0);
    ASSERT_TRUE(devices.openInput(in - 1));

    AppState state;
    ListHost host;
    host.rules.valueSensitive = true;
    host.rules.controls[0] = {0xB0, 64, 127}; // play / stop: the sustain pedal pressed
    QTimer fast, slow;
    QObject::connect(&fast, &QTimer::timeout, [&] { processMidiInput(devices, state, host); });
    QObject::connect(&slow, &QTimer::timeout, [&] { processMidiInput(devices, state, host); });
    fast.start(55);
    slow.start(250);
    const int xrunsBefore = peer_->xruns();
    const auto press = [&](std::size_t expected) {
        peer_->send({0xB0, 64, 127});
        waitFor([&] { return host.actions.size() >= expected; }, 1500);
        peer_->send({0xB0, 64, 0});
        waitFor([] { return false; }, 60);
    };

    // The keyboard's aftertouch, mod wheel, notes and its clock.
    peer_->setTraffic({{0xD0, 40}, {0xB0, 1, 64}, {0xF8}, {0x90, 60, 90}, {0x80, 60, 0}}, 20000);
    const uint64_t trafficBefore = peer_->trafficSent();
    QElapsedTimer heavy;
    heavy.start();
    for (std::size_t i = 1; i <= 4; ++i)
        press(i);
    const double rate = static_cast<double>(peer_->trafficSent() - trafficBefore) * 1000.0 /
                        static_cast<double>(std::max<qint64>(1, heavy.elapsed()));
    const std::size_t heavyPresses = host.actions.size();

    peer_->send({0xF0, 0x7E, 0x7F, 0x06, 0x01}); // a device inquiry cut off before its F7
    peer_->setTraffic({{0xB0, 1, 64}, {0xF8}}, 30);
    for (std::size_t i = 5; i <= 14; ++i)
        press(i);
    const std::size_t all = host.actions.size();
    fast.stop();
    slow.stop();

    RecordProperty("traffic_per_second", static_cast<int>(rate));
    RecordProperty("xruns", peer_->xruns() - xrunsBefore);
    EXPECT_GT(rate, 15000) << "traffic per second while the pedal was pressed";
    EXPECT_EQ(devices.inbox().dropped(), 0u);
    EXPECT_GT(all, heavyPresses) << "the input hears again after the unended system exclusive message";
    // A cycle the loaded machine finished late drops the MIDI events that were on the way.
    if (peer_->xruns() == xrunsBefore) {
        EXPECT_EQ(heavyPresses, 4u);
        EXPECT_EQ(all, 14u);
    }
    for (MidiAction action : host.actions)
        EXPECT_EQ(action, MidiAction::PlayStop);
}

// A pulled cable on the JACK side: the server dies under an open MIDI input, the engine's
// retries fail meanwhile, and the input is closed later (another port chosen, or quit).
TEST(JackMidiInputLoss, AnInputWhoseServerDiedClosesWithoutACrash) {
    test::PrivateJackServer server("vltest-midiloss-" + std::to_string(getpid()));
    if (!server.start()) GTEST_SKIP() << "no jackd";
    test::ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    std::unique_ptr<JackMidiInput> input;
    {
        JackMidiPeer peer("vltest-midiloss-peer");
        ASSERT_TRUE(peer.running());
        input = JackMidiInput::open("vltest-midiloss-in", "in", peer.sendPort(), [](void*, uint32_t) noexcept {}, nullptr);
        ASSERT_NE(input, nullptr);
    }
    server.kill();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    jack_status_t status{};
    EXPECT_EQ(jack_client_open("vltest-midiloss-retry", JackNoStartServer, &status), nullptr);
    input.reset();
}
