#pragma once
// The keys of each window with the command number each one runs: the fixed keys and the
// user's four hotkeys (play / stop, program up, program down, show lyric).

#include <QKeySequence>

#include <array>
#include <vector>

namespace vl {

enum class ShortcutWindow { Main, LyricView, ProgramEditor, ChannelEffects };

struct ShortcutKey {
    int number; // the command (1-7, 10, 20, 30, 40, 65-90 for the letters)
    QKeySequence key;
};

// A hotkey of 0 adds nothing. A hotkey on a key the window already has takes that key over,
// and of two hotkeys on one key the first counts: a key must run exactly one command, or
// it would run none.
std::vector<ShortcutKey> shortcutKeys(ShortcutWindow window, const std::array<int, 4>& hotkeys);

} // namespace vl
