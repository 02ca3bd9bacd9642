// Start-up and shutdown: in-process with the real engine module, and the real program
// as a separate process.
#include "AppHarness.h"
#include "app/Application.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace vl;
namespace fs = std::filesystem;

namespace {

const QString kBin = QStringLiteral(VL_BIN_DIR);

std::map<uint32_t, int> wndProcTimerCalls;
void recordingWndMainProc(void*, uint32_t message, uint32_t wParam, int32_t) {
    if (message == MainLoop::kTimerMessage) ++wndProcTimerCalls[wParam];
}

struct InProcess {
    test::TempFolder home;
    ScriptedDialogs dialogs;
    bool windowsExistedAtBinding = true;
    bool asked = false;
    std::unique_ptr<Application> app;

    explicit InProcess(const char* language) {
        if (language) test::writeFile(home / "language", std::string(language) + "\r\n");
        test::writeChosenDriver(home);
        Application::Services s;
        s.programFolder = QString::fromStdString(home.str());
        s.dialogs = &dialogs;
        s.askLanguage = [this] { asked = true; return std::string("deutsch"); };
        s.bindEngine = [this](QString* error) -> std::optional<EngineFunctions> {
            windowsExistedAtBinding = !QApplication::topLevelWidgets().isEmpty();
            auto binding = bindEngineModule(kBin + "/" + kEngineModuleName, error);
            if (!binding) return std::nullopt;
            EngineFunctions f = binding->functions;
            f.WndMainProc = &recordingWndMainProc;
            return f;
        };
        app = std::make_unique<Application>(std::move(s));
    }
};

void processEventsFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

QProcessEnvironment programEnvironment(const fs::path& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

} // namespace

TEST(Startup, BindsEngineBeforeAnyWindowThenRunsBothTimers) {
    InProcess p("english");
    wndProcTimerCalls.clear();
    QString error;
    ASSERT_TRUE(p.app->start(&error)) << error.toStdString();
    EXPECT_FALSE(p.windowsExistedAtBinding);
    EXPECT_FALSE(p.asked);
    ASSERT_NE(p.app->mainWindow(), nullptr);
    EXPECT_EQ(p.app->mainWindow()->windowTitle(), defaultWindowTitle());
    EXPECT_TRUE(p.app->mainWindow()->isVisible());
    EXPECT_FALSE(p.app->playbackWindow()->isVisible());
    EXPECT_EQ(p.app->playbackWindow()->size(), QSize(804, 460));
    EXPECT_TRUE(p.app->timersRunning());
    processEventsFor(700);
    EXPECT_GE(wndProcTimerCalls[0], 6);
    EXPECT_GE(wndProcTimerCalls[1], 2);
    EXPECT_GT(wndProcTimerCalls[0], wndProcTimerCalls[1]);
    const AppState& s = p.app->state();
    EXPECT_EQ(s.songsRoot, QString::fromStdString(p.home.str()) + "YourSongs/");
    EXPECT_EQ(s.soundFontPath, QString::fromStdString(p.home.str()) + "Data/gm.sf2");
    // The record starts at row 1; loading the setlist at start-up selects the first row.
    EXPECT_EQ(s.selectedRow, 0);
    EXPECT_EQ(s.channelFaders[15], 127);
    EXPECT_EQ(s.channelFaders[16], 0);
    p.app->quitApplication();
}

TEST(Startup, LanguageFileChoosesTheTexts) {
    {
        InProcess p("deutsch");
        ASSERT_TRUE(p.app->start(nullptr));
        EXPECT_EQ(p.app->texts()[TextId::MainJumpToNextCheck], " autom. weiter");
        p.app->quitApplication();
    }
    {
        InProcess p("english");
        ASSERT_TRUE(p.app->start(nullptr));
        EXPECT_EQ(p.app->texts()[TextId::MainJumpToNextCheck], " jump To Next");
        p.app->quitApplication();
    }
    {
        InProcess p("klingon");
        ASSERT_TRUE(p.app->start(nullptr));
        for (int i = 0; i < static_cast<int>(TextId::Count); ++i)
            EXPECT_TRUE(p.app->texts()[static_cast<TextId>(i)].isEmpty());
        EXPECT_TRUE(p.app->timersRunning());
        p.app->quitApplication();
    }
}

// Texts Qt supplies itself follow the chosen language too.
TEST(Startup, QtOwnTextsFollowTheLanguage) {
    for (const char* language : {"deutsch", "english"}) {
        vl::test::AppHarness h(std::nullopt, language);
        const bool german = std::string(language) == "deutsch";
        const auto hotkeys = h.app->settings().window()->findChildren<QKeySequenceEdit*>();
        ASSERT_FALSE(hotkeys.isEmpty());
        for (QKeySequenceEdit* hotkey : hotkeys) {
            const QString placeholder = hotkey->findChild<QLineEdit*>()->placeholderText();
            EXPECT_EQ(placeholder == "Press shortcut", !german) << placeholder.toStdString();
            EXPECT_FALSE(placeholder.isEmpty());
        }
        QMessageBox question(QMessageBox::Question, "confirm ...", "?", QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(question.button(QMessageBox::No)->text(), german ? "&Nein" : "&No");
    }
}

TEST(Startup, FirstStartAsksAndKeepsTheLanguage) {
    InProcess p(nullptr);
    ASSERT_TRUE(p.app->start(nullptr));
    EXPECT_TRUE(p.asked);
    EXPECT_EQ(test::readFile(p.home / "language"), "deutsch\r\n");
    EXPECT_EQ(p.app->texts()[TextId::SettingsEditButton], "BUFFER");
    p.app->quitApplication();
}

TEST(Startup, QuitRemovesTheUndoStoreAndStopsTimers) {
    InProcess p("english");
    ASSERT_TRUE(p.app->start(nullptr));
    test::writeFile(p.home / "undo" / "undo1", "a\r\n");
    test::writeFile(p.home / "undo" / "undo2", "b\r\n");
    fs::permissions(p.home / "undo" / "undo2", fs::perms::owner_read);
    p.app->quitApplication();
    EXPECT_FALSE(fs::exists(p.home / "undo"));
    EXPECT_FALSE(p.app->timersRunning());
    EXPECT_TRUE(p.app->quitDone());
}

// A close box in dark mode only leaves it; the end of the session quits from there too.
TEST(Startup, TerminationSignalQuitsFromDarkMode) {
    InProcess p("english");
    ASSERT_TRUE(p.app->start(nullptr));
    p.app->darkMode().toggle();
    p.app->handleCloseRequest();
    EXPECT_FALSE(p.app->darkMode().active());
    EXPECT_FALSE(p.app->quitDone());
    p.app->darkMode().toggle();
    p.app->handleTerminationSignal();
    EXPECT_TRUE(p.app->quitDone());
}

TEST(ProgramProcess, CloseRequestEndsWithExitCodeZeroAndNoUndoFolder) {
    test::TempFolder home;
    test::writeFile(home / "language", "english\r\n");
    test::writeFile(home / "undo" / "undo0", "x\r\n");
    test::writeChosenDriver(home);
    QProcess program;
    program.setProcessEnvironment(programEnvironment(home.path()));
    program.start(kBin + "/vellamorinth", {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Started the way a user would: the seeded Data folder appears.
    QElapsedTimer t;
    t.start();
    while (!fs::exists(home / "Data" / "emptySong.p") && t.elapsed() < 20000) QThread::msleep(50);
    QThread::msleep(1500);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    program.terminate(); // SIGTERM: the program treats it as a close request
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_FALSE(fs::exists(home / "undo"));
    EXPECT_TRUE(fs::exists(home / "YourSongs"));
    EXPECT_TRUE(fs::is_symlink(home / "Data" / "gm.sf2"));
}

TEST(ProgramProcess, MissingEngineModuleExitsOneWithAMessage) {
    test::TempFolder dir;
    test::writeFile(dir / "language", "english\r\n");
    fs::copy_file(fs::path(VL_BIN_DIR) / "vellamorinth", dir / "vellamorinth");
    QProcess program;
    QProcessEnvironment env = programEnvironment(dir.path());
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString((dir / "vellamorinth").string()), {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(err.contains("libvellamorinth-engine.so")) << err.toStdString();
}
