#pragma once
// Runs the built program as a user runs it from a shell: no display, no platform plugin,
// no VELLAMORINTH_HOME unless given.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vl::test {

struct CommandOutcome {
    int status = -1; // -1: did not end normally
    QString out;
    QString err;
};

inline CommandOutcome runProgram(const QStringList& arguments, int timeoutMs = 60000) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "VELLAMORINTH_HOME"}) env.remove(name);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VL_BIN_DIR "/vellamorinth"), arguments);
    CommandOutcome outcome;
    if (!program.waitForFinished(timeoutMs)) {
        program.kill();
        program.waitForFinished();
        return outcome;
    }
    outcome.out = QString::fromUtf8(program.readAllStandardOutput());
    outcome.err = QString::fromUtf8(program.readAllStandardError());
    if (program.exitStatus() == QProcess::NormalExit) outcome.status = program.exitCode();
    return outcome;
}

} // namespace vl::test
