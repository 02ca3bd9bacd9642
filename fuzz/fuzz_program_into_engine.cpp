// Program and mixer files on arbitrary bytes, carried on through the mixer into the real
// engine's effect mappings: whatever a damaged file holds, no arithmetic on the way may
// overflow (UBSan) and the engine takes every value.
#include "core/EngineFunctions.h"
#include "mixer/ApplyMixer.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

vl::EngineFunctions engine() {
    vl::EngineFunctions f;
    f.SetEq = &VL_SetEq;
    f.SetCompr = &VL_SetCompr;
    f.SendEff = &VL_SendEff;
    f.SetBusReverb = &VL_SetBusReverb;
    f.SetBusDelay = &VL_SetBusDelay;
    f.SetBusEffVol = &VL_SetBusEffVol;
    f.SetMasterVol = &VL_SetMasterVol;
    f.SetAFileName = &VL_SetAFileName;
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const vl::EngineFunctions functions = engine();
    const QStringList lines = vl::splitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const vl::FileNames names : {vl::FileNames::Included, vl::FileNames::Left}) {
        vl::SongProgram program;
        if (!vl::readProgramLines(lines, program, names)) continue;
        std::array<int, 17> faders{};
        faders.fill(127);
        float masterFactor = 1.0f;
        vl::MixerInputs inputs;
        inputs.channelFaders = &faders;
        inputs.masterFactor = &masterFactor;
        vl::applyMixerToEngine(functions, program, inputs);
        vl::handTracksToEngine(functions, program, inputs, QStringLiteral("/nonexistent/"), QStringLiteral("Song"),
                               vl::GlobalMutes::Ignore);
    }
    return 0;
}
