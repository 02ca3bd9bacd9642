#pragma once
// The commands of the command line that run without a window: --help, --version, check
// and render, and a command line the program cannot follow.

#include "app/RunOptions.h"

namespace vl {

QStringList commandArguments(int argc, char** argv);

// True when the program starts with its windows (after applying what the options set for
// this run); otherwise runCommand() handles the run.
bool startsWindows(const RunOptions& options);

// Runs without QApplication, display or sound device; returns the exit status.
int runCommand(const RunOptions& options, int argc, char** argv);

} // namespace vl
