#pragma once
// The program's command line: what this run does and the settings it overrides for this
// run only. One table in RunOptions.cpp lists every option; a new one is a row there and a
// field here.

#include "settings/TimecodeChoice.h"

#include <QString>
#include <QStringList>

namespace vl {

enum class RunCommand { Run, Help, Version, Check, Render };

// The show's network for this run, over the settings.
struct ShowNetworkOverrides {
    int oscPort = 0;       // the OSC server on this port; 0: as set
    QStringList followers; // HOST:PORT; not empty: this machine leads them
    bool follow = false;   // this machine follows a main
};

struct RunOptions {
    RunCommand command = RunCommand::Run;
    QString home;          // --home DIR: the program folder of this run
    QStringList qtOptions; // Qt's own options (-platform ...), handed on to QApplication
    // check [SETLIST] [--json]
    QString setlist; // empty: the remembered setlist
    bool json = false;
    // render SONG OUT.wav [--pair N | --all]
    QString song;
    QString output;
    int pair = 1; // 1-4; 0: all eight channels
    ShowNetworkOverrides network; // --osc-port, --follower, --follow
    // --web-port N --web-pin PIN: the band view on for this run; 0: as the settings say
    int webPort = 0;
    QString webPin;
    // --segue-ms N: the pause between songs for this run; -1: the setting's
    int segueMs = -1;
    // --timecode-fps, --ltc-channel, --mtc, --midi-clock: over the settings for this run
    TimecodeOverride timecode;
    // Not empty: the command line is wrong; said on stderr with the usage, exit status 2.
    QString error;
};

// `arguments` without the program's name.
RunOptions parseRunOptions(const QStringList& arguments);

// The usage lines (for an error) and the whole help (for --help).
QString usageText();
QString helpText();
QString versionText();

// Exit status of a command line the program cannot follow.
inline constexpr int kUsageExitStatus = 2;

} // namespace vl
