#pragma once
// The program's table of the engine module's functions, bound by name at start-up.

#include "vellamorinth_engine.h"

#include <QString>

#include <optional>

namespace vl {

struct EngineFunctions {
    decltype(&::VL_WndMainProc) WndMainProc = nullptr;
    decltype(&::VL_Play) Play = nullptr;
    decltype(&::VL_Stop) Stop = nullptr;
    decltype(&::VL_GetSongPos) GetSongPos = nullptr;
    decltype(&::VL_GetMaxSongPos) GetMaxSongPos = nullptr;
    decltype(&::VL_SetSongPos) SetSongPos = nullptr;
    decltype(&::VL_GetPlaying) GetPlaying = nullptr;
    decltype(&::VL_SetEq) SetEq = nullptr;
    decltype(&::VL_SetCompr) SetCompr = nullptr;
    decltype(&::VL_SendEff) SendEff = nullptr;
    decltype(&::VL_SetBusReverb) SetBusReverb = nullptr;
    decltype(&::VL_SetBusDelay) SetBusDelay = nullptr;
    decltype(&::VL_SetBusEffVol) SetBusEffVol = nullptr;
    decltype(&::VL_SetMasterVol) SetMasterVol = nullptr;
    decltype(&::VL_SetSoundFontPath) SetSoundFontPath = nullptr;
    decltype(&::VL_GetMidiTextUpdated) GetMidiTextUpdated = nullptr;
    decltype(&::VL_GetMidiText) GetMidiText = nullptr;
    decltype(&::VL_GetMidiPlayNow) GetMidiPlayNow = nullptr;
    decltype(&::VL_StreamMidiFile) StreamMidiFile = nullptr;
    decltype(&::VL_CheckAudioFile) CheckAudioFile = nullptr;
    decltype(&::VL_InitAudioDriver) InitAudioDriver = nullptr;
    decltype(&::VL_ASIO_ControlPanel) ASIO_ControlPanel = nullptr;
    decltype(&::VL_GetDriverName) GetDriverName = nullptr;
    decltype(&::VL_SetAFileName) SetAFileName = nullptr;
    decltype(&::VL_SetClickVars) SetClickVars = nullptr;
    decltype(&::VL_SetMidiOutCallBack) SetMidiOutCallBack = nullptr;
    decltype(&::VL_Quit) Quit = nullptr;
    decltype(&::VL_Tanglewheel) Tanglewheel = nullptr;
    // Beyond the 28: bound when the module has it; an engine without it never reports a loss.
    decltype(&::VL_GetDeviceState) GetDeviceState = nullptr;
    // Bound when the module has it; without it the program editor shows no output meters.
    decltype(&::VL_GetOutputPeaks) GetOutputPeaks = nullptr;
    // Bound when the module has it; without it an unreadable file goes unnamed.
    decltype(&::VL_GetUnreadableFile) GetUnreadableFile = nullptr;
    // Bound when the module has it; without it a follower starts at the per mille position.
    decltype(&::VL_SetStartSongBytes) SetStartSongBytes = nullptr;
    // Optional too: without it the driver list is read only at start-up.
    decltype(&::VL_RefreshDriverList) RefreshDriverList = nullptr;
    // Beyond the 28, for the show check and the rehearsal render; null in an older module.
    decltype(&::VL_ProbeSlot) ProbeSlot = nullptr;
    decltype(&::VL_ProbeSoundFont) ProbeSoundFont = nullptr;
    decltype(&::VL_OpenOfflineDevice) OpenOfflineDevice = nullptr;
    decltype(&::VL_RenderOffline) RenderOffline = nullptr;
    // Optional: without it every PLAY opens its song then.
    decltype(&::VL_PrepareSong) PrepareSong = nullptr;
    // Optional: without them the next song starts after the end of a song as before.
    decltype(&::VL_BeginNextSong) BeginNextSong = nullptr;
    decltype(&::VL_QueueNextSong) QueueNextSong = nullptr;
    decltype(&::VL_GetNextSongStarted) GetNextSongStarted = nullptr;
    // Optional: an older module sends no timecode.
    decltype(&::VL_SetTimecode) SetTimecode = nullptr;
    decltype(&::VL_SetMidiOutBytesCallBack) SetMidiOutBytesCallBack = nullptr;
};

constexpr int kEngineFunctionCount = 28;
// The exported names in the order the program resolves them.
extern const char* const kEngineFunctionNames[kEngineFunctionCount];

// File name of the engine module, looked for beside the program.
inline constexpr const char* kEngineModuleName = "libvellamorinth-engine.so";

struct EngineBinding {
    EngineFunctions functions;
    void* module = nullptr;
};

// Loads the module and resolves every name in table order. On failure: nullopt and
// `error` names the module or the first function that could not be found.
std::optional<EngineBinding> bindEngineModule(const QString& modulePath, QString* error);

} // namespace vl
