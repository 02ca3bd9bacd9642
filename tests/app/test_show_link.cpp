// Two instances of the program on one machine, each with its own JACK dummy server and
// program folder: the main, driven over OSC, leads the follower. Both must start the same
// song together (the clicks of the song timed on their JACK ports against the system
// clock), and when the main is killed mid-song the follower plays on to the end and says
// the main is lost.
#include "DesktopProgram.h"
#include "OscTestClient.h"
#include "ToneSong.h"
#include "support/SoundServers.h"

#include "platform/TextFile.h"
#include "settings/Preferences.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

using namespace vl;

namespace {

constexpr double kClickEvery = 0.5; // seconds of song between clicks
constexpr double kSongSeconds = 6;

// A process with its output in a file.
struct Process {
    QProcess process;
    std::filesystem::path output;
    void start(const std::filesystem::path& out, const QString& program, const QStringList& args,
               const QProcessEnvironment& env) {
        output = out;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputFile(QString::fromStdString(out.string()));
        process.start(program, args);
        process.waitForStarted(10000);
    }
    QString text() const { return QString::fromStdString(test::readFile(output)); }
    ~Process() {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();
        if (!process.waitForFinished(10000)) process.kill();
        process.waitForFinished(5000);
    }
};

// One machine: a JACK server, a program folder, the program, and a listener for its clicks.
struct Machine {
    std::unique_ptr<test::PrivateJackServer> server;
    test::TempFolder home;
    Process program, clicks;

    bool start(const std::string& serverName, const QStringList& args) {
        server = std::make_unique<test::PrivateJackServer>(serverName);
        if (!server->start()) return false;
        std::filesystem::create_directories(home / "YourSongs");
        test::writeFile(home / "language", "english\r\n");
        test::writeToneSong(home / "YourSongs", "Click", kSongSeconds);
        test::writeClickWave(home / "YourSongs" / "Click" / "tone.wav", kSongSeconds, kClickEvery);
        test::writeToneSong(home / "YourSongs", "Other", 3);
        test::writeFile(home / "YourSongs" / "Setlist.txt", "Other\r\nClick\r\n");
        Preferences prefs;
        prefs.audioDriverIndex = 1;
        prefs.audioDriverName = QStringLiteral("JACK");
        prefs.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
        writePreferencesFile(preferencesPath(QString::fromStdString(home.str())), prefs, true);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.path().string()));
        env.insert("JACK_DEFAULT_SERVER", QString::fromStdString(serverName));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.start(home / "output", test::desktop::kProgram, args, env);
        // Listening once the program's ports are there.
        return test::desktop::waitFor([&] {
            clicks.process.waitForFinished(0);
            if (clicks.process.state() == QProcess::NotRunning)
                clicks.start(home / "clicks", QStringLiteral(VL_BIN_DIR "/vl-jack-clicks"), {"vellamorinth", "600"}, env);
            return clicks.text().startsWith("listening");
        });
    }
    // The times (microseconds, system monotonic clock) of the clicks heard so far.
    std::vector<double> clickTimes() const {
        std::vector<double> times;
        for (const QString& line : clicks.text().split('\n', Qt::SkipEmptyParts).mid(1)) times.push_back(line.toDouble());
        return times;
    }
};

} // namespace

TEST(ShowLink, TheFollowerStartsWithTheMainAndPlaysOnWhenTheMainDies) {
    const std::string tag = std::to_string(getpid());
    const int mainPort = 21000 + int(getpid() % 10000), followerPort = mainPort + 1;
    Machine follower, main;
    ASSERT_TRUE(follower.start("vltest-follow-" + tag, {"--follow", "--osc-port", QString::number(followerPort)}))
        << follower.program.text().toStdString() << follower.clicks.text().toStdString();
    ASSERT_TRUE(main.start("vltest-main-" + tag, {"--osc-port", QString::number(mainPort), "--follower",
                                                  QStringLiteral("127.0.0.1:%1").arg(followerPort)}));
    test::OscTestClient remote(mainPort);

    // Twenty starts: the first click of each (half a second into the song) on both machines.
    std::vector<double> offsetsMs;
    for (int start = 0; start < 20; ++start) {
        const std::size_t m0 = main.clickTimes().size(), f0 = follower.clickTimes().size();
        remote.send("/vellamorinth/select", "s", "Click");
        remote.send("/vellamorinth/play", "");
        ASSERT_TRUE(test::desktop::waitFor(
            [&] { return main.clickTimes().size() > m0 && follower.clickTimes().size() > f0; }, 5000))
            << "start " << start << "\nmain:\n" << main.program.text().toStdString() << "\nfollower:\n"
            << follower.program.text().toStdString();
        offsetsMs.push_back((follower.clickTimes()[f0] - main.clickTimes()[m0]) / 1000.0);
        remote.send("/vellamorinth/stop", "");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::vector<double> sorted = offsetsMs;
    std::sort(sorted.begin(), sorted.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    std::printf("follower start offset over %zu starts: median %.2f ms, worst %.2f ms (follower minus main)\n",
                sorted.size(), sorted[sorted.size() / 2], sorted.back());
    for (double ms : offsetsMs) EXPECT_LT(std::abs(ms), 10.0) << "the follower starts within 10 ms of the main";

    // The main dies two seconds into the song; the follower plays on to its end.
    const std::size_t f0 = follower.clickTimes().size();
    remote.send("/vellamorinth/select", "s", "Click");
    remote.send("/vellamorinth/play", "");
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    ::kill(pid_t(main.program.process.processId()), SIGKILL);
    EXPECT_TRUE(test::desktop::waitFor([&] { return follower.program.text().contains("MAIN LOST"); }, 3000))
        << follower.program.text().toStdString();
    test::desktop::waitFor([] { return false; }, int(kSongSeconds * 1000));
    EXPECT_EQ(follower.clickTimes().size() - f0, std::size_t(kSongSeconds / kClickEvery) - 1)
        << "every click of the song, the last one included";
    EXPECT_EQ(follower.program.process.state(), QProcess::Running);
}
