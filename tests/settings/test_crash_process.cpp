// The crash marker with the real program: killed while running, started again.
#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <functional>

using namespace vl;
namespace fs = std::filesystem;

namespace {

const QString kProgram = QStringLiteral(VL_BIN_DIR "/vellamorinth");

struct Program {
    QProcess process;
    QByteArray err;

    explicit Program(const test::TempFolder& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.path().string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(kProgram, {});
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
    // Polls until `done` holds while the program runs; false on timeout or exit.
    bool waitUntil(const std::function<bool()>& done, int ms = 30000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            process.waitForReadyRead(50);
            err += process.readAllStandardError();
            if (done()) return true;
            if (process.state() == QProcess::NotRunning) return false;
        }
        return false;
    }
    void killHard() {
        process.kill(); // SIGKILL: nothing runs on the way out
        process.waitForFinished(10000);
    }
};

QStringList firstLines(const fs::path& prefs) {
    const auto lines = readTextLines(QString::fromStdString(prefs.string()));
    return lines ? lines->mid(0, 5) : QStringList();
}

// A program folder as the last clean shutdown left it: audio driver 1 chosen and confirmed.
bool prepareHome(const test::TempFolder& home, const QString& card = {}) {
    if (!fs::exists(kProgram.toStdString())) return false;
    test::writeFile(home / "language", "english\r\n");
    Preferences chosen;
    chosen.audioDriverIndex = 1;
    chosen.audioDriverName = card;
    chosen.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    return writePreferencesFile(QString::fromStdString((home / "prefs").string()), chosen, true);
}

bool programOnJack(const std::string& server) {
    QProcess lsp;
    lsp.start(QStringLiteral("jack_lsp"), {QStringLiteral("-s"), QString::fromStdString(server)});
    lsp.waitForFinished(5000);
    return lsp.readAllStandardOutput().contains("vellamorinth:");
}

} // namespace

TEST(CrashProcess, AShowKilledWithoutNewSettingsStartsAgainOnItsSoundCard) {
    test::PrivateJackServer server("vltest-crash-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    test::ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    test::TempFolder home;
    // JACK was chosen when it came first after "No sound"; other cards are listed before it now.
    ASSERT_TRUE(prepareHome(home, QStringLiteral("JACK")));

    for (const char* run : {"first", "after the crash"}) {
        Program program(home);
        ASSERT_TRUE(program.waitUntil([&] { return programOnJack(server.name()); }))
            << run << " run: " << program.err.toStdString();
        EXPECT_FALSE(program.err.contains("crashed?")) << program.err.toStdString();
        EXPECT_EQ(firstLines(home / "prefs"), QStringList({"audiodriver", "1", "mididriver", "0", "0"}));
        program.killHard();
    }
}

TEST(CrashProcess, CleanEndLeavesPlainLabelsAndTheChoice) {
    test::PrivateJackServer server("vltest-cleanend-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    test::ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home, QStringLiteral("JACK")));

    Program run(home);
    ASSERT_TRUE(run.waitUntil([&] { return programOnJack(server.name()); })) << run.err.toStdString();
    run.process.terminate(); // a close request
    ASSERT_TRUE(run.process.waitForFinished(20000));
    EXPECT_EQ(run.process.exitCode(), 0) << run.process.readAllStandardError().toStdString();
    const QStringList lines = readTextLines(QString::fromStdString((home / "prefs").string())).value_or(QStringList());
    EXPECT_EQ(lines.value(0), "audiodriver");
    EXPECT_EQ(lines.value(2), "mididriver");
    EXPECT_EQ(lines.value(64), "JACK");
}
