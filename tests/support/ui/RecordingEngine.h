#pragma once
// A recording stand-in for the engine module's function table: every call is logged
// with its arguments in order, and the answers of the query functions are scripted.
// One recorder per process (the table holds plain function pointers).

#include "core/EngineFunctions.h"

#include <string>
#include <vector>

namespace vl::test {

struct EngineCall {
    std::string name;       // without the "VL_" prefix, e.g. "SetAFileName"
    std::vector<double> n;  // numeric arguments in order
    std::string text;       // the text argument, if any
};

struct RecordingEngine {
    // Scripted answers.
    int playResult = 1;           // VL_Play(0, ...)
    uint32_t measureResult = 0;   // VL_Play(1, ...)
    int playing = 0;
    int deviceState = 0;          // VL_GetDeviceState
    uint32_t songPos = 0;
    uint32_t maxSongPos = 0;
    // A card behind entry 1, which the harness's stored choice names.
    std::vector<std::string> driverNames{"No sound", "ALSA: Test Card"};
    // VL_Play(0, ...) with a 1 result sets playing to 1; VL_Stop clears it.
    bool playSetsPlaying = true;

    std::vector<EngineCall> calls;

    // Installs this recorder and answers a table bound to it.
    EngineFunctions functions();
    std::vector<std::string> names() const;
    std::vector<EngineCall> callsNamed(const std::string& name) const;
    void clear() { calls.clear(); }

    static RecordingEngine* current;
};

} // namespace vl::test
