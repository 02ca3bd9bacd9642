// The crash marker with the real program: killed while running, started again.
#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
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
bool prepareHome(const test::TempFolder& home) {
    if (!fs::exists(kProgram.toStdString())) return false;
    test::writeFile(home / "language", "english\r\n");
    Preferences chosen;
    chosen.audioDriverIndex = 1;
    chosen.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    return writePreferencesFile(QString::fromStdString((home / "prefs").string()), chosen, true);
}

} // namespace

TEST(CrashProcess, KilledRunIsNoticedAtTheNextStartAndTheDriversAreReset) {
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home));

    {
        Program run(home);
        ASSERT_TRUE(run.waitUntil([&] { return firstLines(home / "prefs").value(0) == "@audiodriver"; }))
            << run.err.toStdString();
        EXPECT_EQ(firstLines(home / "prefs"), QStringList({"@audiodriver", "1", "@mididriver", "0", "0"}));
        EXPECT_FALSE(run.err.contains("crashed?")) << run.err.toStdString();
        run.killHard();
    }
    {
        Program again(home);
        ASSERT_TRUE(again.waitUntil([&] { return again.err.contains("crashed?..."); }))
            << again.err.toStdString();
        EXPECT_TRUE(
            again.err.contains("seems that you had a crash ! please reselect audio and midi driver ..."));
        ASSERT_TRUE(again.waitUntil([&] { return firstLines(home / "prefs").value(1) == "0"; }));
        EXPECT_EQ(firstLines(home / "prefs"), QStringList({"@audiodriver", "0", "@mididriver", "0", "0"}));
        again.killHard();
    }
}

TEST(CrashProcess, CleanEndLeavesPlainLabelsAndTheChoice) {
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home));

    Program run(home);
    ASSERT_TRUE(run.waitUntil([&] { return firstLines(home / "prefs").value(0) == "@audiodriver"; }))
        << run.err.toStdString();
    QThread::msleep(500);
    run.process.terminate(); // a close request
    ASSERT_TRUE(run.process.waitForFinished(20000));
    EXPECT_EQ(run.process.exitCode(), 0) << run.process.readAllStandardError().toStdString();
    EXPECT_EQ(firstLines(home / "prefs"), QStringList({"audiodriver", "1", "mididriver", "0", "0"}));
}
