#include "app/WindowShortcuts.h"

#include <QShortcut>

#include <algorithm>

namespace vl {

WindowShortcuts::WindowShortcuts(QWidget& window, ShortcutWindow kind, std::function<void(int)> run)
    : window_(&window), kind_(kind), run_(std::move(run)) {}

WindowShortcuts::~WindowShortcuts() {
    for (const QPointer<QShortcut>& s : user_)
        delete s.data();
}

void WindowShortcuts::install(const std::array<int, 4>& hotkeys) {
    for (const QPointer<QShortcut>& s : user_)
        delete s.data();
    user_.clear();
    if (!window_) return;
    const std::vector<ShortcutKey> fixed = shortcutKeys(kind_, {0, 0, 0, 0});
    std::vector<ShortcutKey> user = shortcutKeys(kind_, hotkeys);
    std::erase_if(user, [&](const ShortcutKey& k) {
        return std::any_of(fixed.begin(), fixed.end(),
                           [&](const ShortcutKey& f) { return f.key == k.key && f.number == k.number; });
    });
    // The window's own keys step aside where a hotkey lies on them.
    for (QShortcut* own : window_->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly)) {
        const bool taken =
            std::any_of(user.begin(), user.end(), [&](const ShortcutKey& k) { return k.key == own->key(); });
        own->setEnabled(!taken);
    }
    for (const ShortcutKey& k : user) {
        auto* shortcut = new QShortcut(k.key, window_);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        QObject::connect(shortcut, &QShortcut::activated, window_, [run = run_, n = k.number] { run(n); });
        user_.emplace_back(shortcut);
    }
}

} // namespace vl
