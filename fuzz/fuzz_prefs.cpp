// The preferences reader on arbitrary file contents: never crashes, always 64 lines back.
#include "platform/TextFile.h"
#include "settings/Preferences.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList lines = vl::splitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    vl::Preferences prefs;
    vl::parsePreferences(lines, prefs);
    const QStringList marked = vl::formatPreferences(prefs, false);
    vl::Preferences reset;
    if (!vl::parsePreferences(marked, reset).crashDetected) std::abort();
    const QStringList written = vl::formatPreferences(prefs, true);
    if (written.size() != vl::kPreferencesLineCount) std::abort();
    // What we write must read back to the same record.
    vl::Preferences again;
    vl::parsePreferences(written, again);
    if (!(again == prefs)) std::abort();
    return 0;
}
