// The main window's set commands, UP / DOWN and row drags, in a whole started program.
#include "app/Application.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "setlists/SongListModel.h"
#include "support/TempFolder.h"
#include "support/ui/RecordingEngine.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vl;

namespace {

struct StartedProgram {
    test::TempFolder home;
    ScriptedDialogs dialogs;
    test::RecordingEngine recorder;
    std::unique_ptr<Application> app;

    explicit StartedProgram(const std::string& setlist) {
        test::writeFile(home / "language", "english\r\n");
        test::writeFile(home / "YourSongs" / "Setlist.txt", setlist);
        test::writeFile(home / "YourSongs" / "A" / "inf", "10584000\r\n");
        start();
    }
    // A fresh application in the same program folder, as at the next run.
    void start() {
        Application::Services s;
        s.programFolder = QString::fromStdString(home.str());
        s.dialogs = &dialogs;
        s.askLanguage = [] { return std::string("english"); };
        const EngineFunctions functions = recorder.functions();
        s.bindEngine = [functions](QString*) -> std::optional<EngineFunctions> { return functions; };
        app = std::make_unique<Application>(std::move(s));
        if (!app->start(nullptr)) throw std::runtime_error("start-up failed");
        dialogs.asked.clear(); // the first start's driver notice
    }
    ~StartedProgram() {
        app->quitApplication();
        app.reset();
        test::RecordingEngine::current = nullptr;
    }
    void restart() {
        app->quitApplication();
        app.reset();
        start();
    }
    MainWindow& main() { return *app->main(); }
    QStringList rows() { return app->songs().titles(); }
};

} // namespace

TEST(MainWindowSetlists, StartUpLoadsTheSetlistAndShutdownClearsTheUndoStore) {
    auto program = std::make_unique<StartedProgram>("SET 1\r\nA\r\nB\r\n");
    EXPECT_EQ(program->rows(), (QStringList{"SET 1", "A", "B"}));
    EXPECT_EQ(program->main().controls().songList->item(1, 1)->text(), "01:00");
    EXPECT_EQ(program->app->setlists().editor().songRows(), QStringList{"A"});
    const auto undo = program->home / "undo";
    EXPECT_TRUE(std::filesystem::exists(undo / "undo0"));
    program->app->quitApplication();
    EXPECT_FALSE(std::filesystem::exists(undo));
}

TEST(MainWindowSetlists, SetCommandsOpenTheirWindowsOrAreRefusedWhilePlaying) {
    StartedProgram p("A\r\n");
    p.recorder.playing = 1;
    for (QPushButton* b : {p.main().controls().setLoadButton, p.main().controls().setEditButton, p.main().controls().setCreateButton})
        b->click();
    ASSERT_EQ(p.dialogs.asked.size(), 3u);
    for (const auto& asked : p.dialogs.asked)
        EXPECT_EQ(asked.text, "Stop audio first !");
    EXPECT_FALSE(p.app->setlists().editor().isVisible());

    p.recorder.playing = 0;
    p.dialogs.asked.clear();
    p.main().controls().setEditButton->click();
    SetEditor& editor = p.app->setlists().editor();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(p.main().isVisible());
    editor.textField()->setText("SET 1");
    editor.addText();
    editor.close(); // the window manager's close box: the editor's only other way back is OK
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(p.main().isVisible());
    EXPECT_EQ(p.rows(), (QStringList{"A", "SET 1"}));
    EXPECT_EQ(test::readFile(p.home / "YourSongs" / "Setlist.txt"), "A\r\nSET 1\r\n");

    p.dialogs.fileAnswers.push_back(QString::fromStdString((p.home / "YourSongs" / "empty").string()));
    p.main().controls().setCreateButton->click();
    EXPECT_TRUE(p.rows().isEmpty());
    EXPECT_EQ(test::readFile(p.home / "YourSongs" / "empty.txt"), "");
    EXPECT_EQ(p.dialogs.asked.at(0).title, "create/save setlist...");
}

TEST(MainWindowSetlists, UpDownAndDraggedRowsReachTheSetEditor) {
    StartedProgram p("A\r\nB\r\nC\r\n");
    MainWindow& w = p.main();
    w.controls().downButton->click();
    w.controls().downButton->click();
    w.controls().downButton->click();
    EXPECT_EQ(p.app->state().selectedRow, 2);
    EXPECT_EQ(p.app->state().currentSong, 2);
    w.controls().upButton->click();
    EXPECT_EQ(p.app->state().currentSong, 1);

    p.app->state().dragSourceRow = 0;
    p.app->mainLoop().songListRowDropped(2);
    EXPECT_EQ(p.rows(), (QStringList{"B", "C", "A"}));
    EXPECT_EQ(p.app->setlists().editor().rows(), (QStringList{"B", "C", "A"}));
    EXPECT_EQ(w.controls().songList->item(2, 1)->text(), "01:00");
    EXPECT_EQ(test::readFile(p.home / "YourSongs" / "Setlist.txt"), "B\r\nC\r\nA\r\n");
    p.app->setlists().editor().undo();
    EXPECT_EQ(p.app->setlists().editor().rows(), (QStringList{"A", "B", "C"}));
}

// The setlist loaded or created last is the one the next run starts with.
TEST(MainWindowSetlists, LastLoadedOrCreatedSetlistComesBackAtRestart) {
    StartedProgram p("A\r\n");
    test::writeFile(p.home / "Show" / "Tour.txt", "B\r\nA\r\n");
    const QString tour = QString::fromStdString((p.home / "Show" / "Tour.txt").string());
    p.dialogs.fileAnswers.push_back(tour);
    p.main().controls().setLoadButton->click();
    ASSERT_EQ(p.rows(), (QStringList{"B", "A"}));
    p.restart();
    EXPECT_EQ(p.app->state().setlistPath, tour);
    EXPECT_EQ(p.rows(), (QStringList{"B", "A"}));

    const QString created = QString::fromStdString((p.home / "Show" / "Encore.txt").string());
    p.dialogs.fileAnswers.push_back(created);
    p.main().controls().setCreateButton->click();
    p.restart();
    EXPECT_EQ(p.app->state().setlistPath, created);
    EXPECT_TRUE(p.rows().isEmpty());
}
