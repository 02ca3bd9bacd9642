#include "DesktopProgram.h"

#include "settings/Preferences.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

namespace vl::test::desktop {

QString display() { return qEnvironmentVariable("VL_TEST_DISPLAY"); }

QString x11(const QString& tool, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display());
    p.setProcessEnvironment(env);
    p.start(tool, args);
    p.waitForFinished(20000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (done()) return true;
        QThread::msleep(100);
    }
    return done();
}

void click(const QString& window, int x, int y) {
    x11("xdotool", {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"});
}

QRect insideOf(const QString& window) {
    const QString info = x11("xwininfo", {"-id", window});
    auto value = [&](const char* label) {
        const auto m = QRegularExpression(QString(label) + R"(:\s+(-?\d+))").match(info);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")};
}

void closeBox(const QString& window) { x11("wmctrl", {"-i", "-c", window}); }

bool prepareHome(const TempFolder& home, QPoint place) {
    writeFile(home / "language", "english\r\n");
    Preferences chosen;
    chosen.audioDriverIndex = 1;
    chosen.mainWindowX = place.x();
    chosen.mainWindowY = place.y();
    chosen.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    return writePreferencesFile(QString::fromStdString((home / "prefs").string()), chosen, true);
}

Program::Program(const TempFolder& home, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.path().string()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", display());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kProgram, arguments);
    process.waitForStarted(10000);
}

Program::~Program() {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(10000);
    }
}

bool Program::running() {
    process.waitForFinished(0);
    return process.state() != QProcess::NotRunning;
}

QStringList Program::windows(const QString& title) {
    QStringList shown;
    const QStringList ids =
        x11("xdotool", {"search", "--all", "--pid", QString::number(process.processId()), "--name", "^" + title})
            .split('\n', Qt::SkipEmptyParts);
    for (const QString& id : ids)
        if (x11("xwininfo", {"-id", id}).contains("Map State: IsViewable")) shown.append(id);
    return shown;
}

QString Program::waitForWindow(const QString& title) {
    QString id;
    waitFor([&] {
        const QStringList ids = windows(title);
        if (!ids.isEmpty()) id = ids.first();
        return !id.isEmpty();
    });
    return id;
}

} // namespace vl::test::desktop
