#include "midi/HotkeyValue.h"

#include <array>
#include <utility>

namespace vl {

namespace {

constexpr int kShift = 0x01;
constexpr int kControl = 0x02;
constexpr int kAlt = 0x04;

// Keys whose virtual-key code differs from the Qt key; letters, digits and space match.
// Return comes before the keypad's Enter, so a stored value reads back as Return.
constexpr std::array<std::pair<int, int>, 21> kNamedKeys{{
    {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},    {0x0D, Qt::Key_Return},   {0x13, Qt::Key_Pause},
    {0x1B, Qt::Key_Escape},    {0x21, Qt::Key_PageUp}, {0x22, Qt::Key_PageDown}, {0x23, Qt::Key_End},
    {0x24, Qt::Key_Home},      {0x25, Qt::Key_Left},   {0x26, Qt::Key_Up},       {0x27, Qt::Key_Right},
    {0x28, Qt::Key_Down},      {0x2D, Qt::Key_Insert}, {0x2E, Qt::Key_Delete},   {0x6A, Qt::Key_Asterisk},
    {0x6B, Qt::Key_Plus},      {0x6D, Qt::Key_Minus},  {0x6F, Qt::Key_Slash},    {0xBE, Qt::Key_Period},
    {0x0D, Qt::Key_Enter},
}};

int virtualKeyOf(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
        qtKey == Qt::Key_Space)
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    for (const auto& [vk, key] : kNamedKeys)
        if (key == qtKey) return vk;
    return 0;
}

int qtKeyOf(int virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9') ||
        virtualKey == ' ')
        return virtualKey;
    if (virtualKey >= 0x70 && virtualKey <= 0x87) return Qt::Key_F1 + (virtualKey - 0x70);
    for (const auto& [vk, key] : kNamedKeys)
        if (vk == virtualKey) return key;
    return 0;
}

} // namespace

int hotkeyValueFromKeys(const QKeySequence& keys) {
    if (keys.isEmpty()) return 0;
    const QKeyCombination combination = keys[0];
    const int vk = virtualKeyOf(combination.key());
    if (vk == 0) return 0;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    int flags = 0;
    if (mods & Qt::ShiftModifier) flags |= kShift;
    if (mods & Qt::ControlModifier) flags |= kControl;
    if (mods & Qt::AltModifier) flags |= kAlt;
    return vk | (flags << 8);
}

QKeySequence keysFromHotkeyValue(int value) {
    const int key = qtKeyOf(value & 0xFF);
    if (value <= 0 || key == 0) return {};
    const int flags = (value >> 8) & 0xFF;
    Qt::KeyboardModifiers mods;
    if (flags & kShift) mods |= Qt::ShiftModifier;
    if (flags & kControl) mods |= Qt::ControlModifier;
    if (flags & kAlt) mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

} // namespace vl
