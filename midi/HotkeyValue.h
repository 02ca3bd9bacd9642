#pragma once
// Hotkeys are stored as the value a hotkey control reports: the virtual-key code in the
// low byte, modifier flags in the next (shift 0x01, control 0x02, alt 0x04); 0 = none.
// This keeps files written on other systems meaningful here.

#include <QKeySequence>

namespace vl {

// 0 when the key has no virtual-key code (or the sequence is empty).
int hotkeyValueFromKeys(const QKeySequence& keys);

// An empty sequence for 0 or a code that has no key here.
QKeySequence keysFromHotkeyValue(int value);

} // namespace vl
