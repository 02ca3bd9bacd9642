#pragma once
// The real program started on the test desktop (Xvfb with openbox, named in
// VL_TEST_DISPLAY by the test script) and driven from outside with the X tools.

#include "support/TempFolder.h"

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

namespace vl::test::desktop {

inline const QString kProgram = QStringLiteral(VL_BIN_DIR "/vellamorinth");

QString display();
// Runs an X tool on the test display; its standard output.
QString x11(const QString& tool, const QStringList& args);
bool waitFor(const std::function<bool()>& done, int ms = 30000);
void click(const QString& window, int x, int y);
// The inside of a window on the screen, as xwininfo reports it.
QRect insideOf(const QString& window);
// The close box, as the window manager delivers it.
void closeBox(const QString& window);
// A program folder as the last clean shutdown left it: English, audio driver 1 chosen,
// the main window's inside at `place`.
bool prepareHome(const TempFolder& home, QPoint place = {0, 0});

struct Program {
    QProcess process;

    explicit Program(const TempFolder& home, const QStringList& arguments = {});
    ~Program();
    bool running();
    // The program's shown top-level windows whose title starts so (xdotool's own
    // visibility filter also lists withdrawn windows, so the map state is asked).
    QStringList windows(const QString& title);
    QString waitForWindow(const QString& title);
    bool endsWithin(int ms) { return process.waitForFinished(ms) && process.exitStatus() == QProcess::NormalExit; }
};

} // namespace vl::test::desktop
