#pragma once
// The user's hotkeys in the windows beside the main one. Those windows bring their own fixed
// keys; a hotkey on one of them takes it over, so that a key always runs exactly one command.

#include "midi/Shortcuts.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QShortcut;

namespace vl {

class WindowShortcuts {
public:
    WindowShortcuts(QWidget& window, ShortcutWindow kind, std::function<void(int number)> run);
    ~WindowShortcuts();
    WindowShortcuts(const WindowShortcuts&) = delete;
    WindowShortcuts& operator=(const WindowShortcuts&) = delete;

    // Replaces the hotkeys of an earlier call.
    void install(const std::array<int, 4>& hotkeys);

private:
    QPointer<QWidget> window_;
    ShortcutWindow kind_;
    std::function<void(int)> run_;
    std::vector<QPointer<QShortcut>> user_;
};

} // namespace vl
