// The whole program with the real engine: the stored sound card is found by its name, one
// that is not there is named in a message, and a JACK server started later is offered
// without a restart. The main window's two transport checks come back after a restart.
#include "app/Application.h"
#include "app/MainWindow.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace vl;

namespace {

struct Program {
    ScriptedDialogs dialogs;
    std::unique_ptr<Application> app;

    explicit Program(const test::TempFolder& home) {
        Application::Services s;
        s.programFolder = QString::fromStdString(home.str());
        s.dialogs = &dialogs;
        s.askLanguage = [] { return std::string("english"); };
        s.bindEngine = [](QString* error) -> std::optional<EngineFunctions> {
            auto bound = bindEngineModule(QStringLiteral(VL_BIN_DIR "/") + kEngineModuleName, error);
            if (!bound) return std::nullopt;
            return bound->functions;
        };
        app = std::make_unique<Application>(std::move(s));
        if (!app->start(nullptr)) throw std::runtime_error("start-up failed");
    }
    ~Program() { app->quitApplication(); }
    QString openDriver() { return QString::fromUtf8(app->engine().GetDriverName(app->prefs().audioDriverIndex)); }
};

// A file as the last clean end left it, with `card` chosen at a position that has moved since.
void storeCard(const test::TempFolder& home, const QString& card) {
    test::writeFile(home / "language", "english\r\n");
    Preferences p;
    p.audioDriverIndex = 1;
    p.audioDriverName = card;
    p.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    writePreferencesFile(preferencesPath(QString::fromStdString(home.str())), p, true);
}

bool programOnJack(const std::string& server) {
    QProcess lsp;
    lsp.start(QStringLiteral("jack_lsp"), {QStringLiteral("-s"), QString::fromStdString(server)});
    lsp.waitForFinished(5000);
    return lsp.readAllStandardOutput().contains("vellamorinth:");
}

} // namespace

TEST(SoundCardByName, AMissingCardIsNamedAndAServerStartedLaterIsOfferedWithoutARestart) {
    test::PrivateJackServer server("vltest-byname-" + std::to_string(getpid()));
    test::ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    test::TempFolder home;
    storeCard(home, QStringLiteral("JACK"));

    Program p(home);
    ASSERT_EQ(p.dialogs.asked.size(), 1u);
    EXPECT_EQ(p.dialogs.asked[0].title, "sound card missing...");
    EXPECT_TRUE(p.dialogs.asked[0].text.startsWith("The sound card \"JACK\" is not there"));
    SettingsWindow& w = *p.app->settings().window();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(p.openDriver(), "No sound") << "nothing else is opened in its place";
    w.okButton()->click();

    ASSERT_TRUE(server.start());
    p.app->settings().openSettingsWindow();
    EXPECT_EQ(w.audioDriverList()->currentText(), "JACK") << "the card asked for is offered at once";
    EXPECT_TRUE(w.audioActivateButton()->isEnabled());
    w.audioActivateButton()->click();
    EXPECT_EQ(p.openDriver(), "JACK");
    EXPECT_TRUE(programOnJack(server.name()));
    w.okButton()->click();
    EXPECT_EQ(p.app->prefs().audioDriverName, "JACK");
}

TEST(SoundCardByName, JumpToNextAndAutoPlayAreRemembered) {
    test::TempFolder home;
    storeCard(home, QStringLiteral("No sound"));
    {
        Program p(home);
        p.app->main()->controls().jumpToNextBox->setChecked(true);
        p.app->main()->controls().autoPlayBox->setChecked(true);
    }
    Program again(home);
    EXPECT_TRUE(again.app->main()->controls().jumpToNextBox->isChecked());
    EXPECT_TRUE(again.app->main()->controls().autoPlayBox->isChecked());
    again.app->main()->controls().autoPlayBox->setChecked(false);
    again.app->quitApplication();
    Program third(home);
    EXPECT_TRUE(third.app->main()->controls().jumpToNextBox->isChecked());
    EXPECT_FALSE(third.app->main()->controls().autoPlayBox->isChecked());
}
