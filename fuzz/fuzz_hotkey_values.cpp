// Hotkey values as the prefs file stores them, any 32-bit number: the keys they stand for
// map back to one value that then stays the same.
#include "midi/HotkeyValue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int value = 0;
    std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
    const QKeySequence keys = vl::keysFromHotkeyValue(value);
    const int once = vl::hotkeyValueFromKeys(keys);
    if (vl::hotkeyValueFromKeys(vl::keysFromHotkeyValue(once)) != once) std::abort();
    if (keys.isEmpty() && once != 0) std::abort();
    return 0;
}
