#include "midi/Shortcuts.h"

#include "midi/HotkeyValue.h"

#include <algorithm>

namespace vl {

namespace {

enum Hotkey { PlayStop = 0, ProgramUp = 1, ProgramDown = 2, ShowLyric = 3 };

struct HotkeyCommand {
    Hotkey hotkey;
    int number;
};

std::vector<ShortcutKey> fixedKeys(ShortcutWindow window) {
    switch (window) {
    case ShortcutWindow::Main: {
        std::vector<ShortcutKey> keys = {{1, QKeySequence(Qt::Key_Up)},    {2, QKeySequence(Qt::Key_Down)},
                                         {3, QKeySequence(Qt::Key_Space)}, {4, QKeySequence(Qt::Key_Return)},
                                         {5, QKeySequence(Qt::Key_Left)},  {6, QKeySequence(Qt::Key_Right)},
                                         {7, QKeySequence(Qt::Key_Tab)}};
        for (int letter = 'A'; letter <= 'Z'; ++letter)
            keys.push_back({letter, QKeySequence(letter)});
        return keys;
    }
    case ShortcutWindow::LyricView:
        return {{10, QKeySequence(Qt::Key_Return)}, {40, QKeySequence(Qt::Key_Space)}};
    case ShortcutWindow::ProgramEditor:
        return {{20, QKeySequence(Qt::Key_Space)}};
    case ShortcutWindow::ChannelEffects:
        return {{30, QKeySequence(Qt::Key_Space)}};
    }
    return {};
}

std::vector<HotkeyCommand> hotkeyCommands(ShortcutWindow window) {
    switch (window) {
    case ShortcutWindow::Main: return {{ProgramUp, 1}, {ProgramDown, 2}, {PlayStop, 3}, {ShowLyric, 4}};
    case ShortcutWindow::LyricView: return {{ShowLyric, 10}, {PlayStop, 40}};
    case ShortcutWindow::ProgramEditor: return {{PlayStop, 20}};
    case ShortcutWindow::ChannelEffects: return {{PlayStop, 30}};
    }
    return {};
}

} // namespace

std::vector<ShortcutKey> shortcutKeys(ShortcutWindow window, const std::array<int, 4>& hotkeys) {
    std::vector<ShortcutKey> user;
    for (const HotkeyCommand& c : hotkeyCommands(window)) {
        const QKeySequence key = keysFromHotkeyValue(hotkeys[static_cast<std::size_t>(c.hotkey)]);
        const bool taken = std::any_of(user.begin(), user.end(), [&](const ShortcutKey& k) { return k.key == key; });
        if (!key.isEmpty() && !taken) user.push_back({c.number, key});
    }
    std::vector<ShortcutKey> keys;
    for (const ShortcutKey& fixed : fixedKeys(window)) {
        const bool overridden =
            std::any_of(user.begin(), user.end(), [&](const ShortcutKey& k) { return k.key == fixed.key; });
        if (!overridden) keys.push_back(fixed);
    }
    keys.insert(keys.end(), user.begin(), user.end());
    // The keypad's Enter is the same key to the user, and to the hotkey values of other systems.
    const std::size_t count = keys.size();
    for (std::size_t i = 0; i < count; ++i) {
        const QKeyCombination combination = keys[i].key[0];
        if (combination.key() == Qt::Key_Return)
            keys.push_back({keys[i].number, QKeySequence(QKeyCombination(combination.keyboardModifiers(), Qt::Key_Enter))});
    }
    return keys;
}

} // namespace vl
