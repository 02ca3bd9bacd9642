#include "core/EngineFunctions.h"

#include <dlfcn.h>

namespace vl {

const char* const kEngineFunctionNames[kEngineFunctionCount] = {
    "VL_WndMainProc",      "VL_Play",          "VL_Stop",            "VL_GetSongPos",
    "VL_GetMaxSongPos",    "VL_SetSongPos",    "VL_GetPlaying",      "VL_SetEq",
    "VL_SetCompr",         "VL_SendEff",       "VL_SetBusReverb",    "VL_SetBusDelay",
    "VL_SetBusEffVol",     "VL_SetMasterVol",  "VL_SetSoundFontPath", "VL_GetMidiTextUpdated",
    "VL_GetMidiText",      "VL_GetMidiPlayNow", "VL_StreamMidiFile", "VL_CheckAudioFile",
    "VL_InitAudioDriver",  "VL_ASIO_ControlPanel", "VL_GetDriverName", "VL_SetAFileName",
    "VL_SetClickVars",     "VL_SetMidiOutCallBack", "VL_Quit",       "VL_Tanglewheel"};

namespace {

template <typename Fn> bool resolve(void* module, int index, Fn& slot, QString* error) {
    void* symbol = dlsym(module, kEngineFunctionNames[index]);
    if (!symbol) {
        if (error)
            *error = QStringLiteral("The engine module has no function %1.")
                         .arg(QString::fromLatin1(kEngineFunctionNames[index]));
        return false;
    }
    slot = reinterpret_cast<Fn>(symbol);
    return true;
}

} // namespace

std::optional<EngineBinding> bindEngineModule(const QString& modulePath, QString* error) {
    void* module = dlopen(modulePath.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        if (error)
            *error = QStringLiteral("Cannot load the engine module %1: %2")
                         .arg(modulePath, QString::fromLocal8Bit(dlerror()));
        return std::nullopt;
    }
    EngineBinding b;
    b.module = module;
    EngineFunctions& f = b.functions;
    int i = 0;
    const bool ok = resolve(module, i++, f.WndMainProc, error) && resolve(module, i++, f.Play, error) &&
                    resolve(module, i++, f.Stop, error) && resolve(module, i++, f.GetSongPos, error) &&
                    resolve(module, i++, f.GetMaxSongPos, error) && resolve(module, i++, f.SetSongPos, error) &&
                    resolve(module, i++, f.GetPlaying, error) && resolve(module, i++, f.SetEq, error) &&
                    resolve(module, i++, f.SetCompr, error) && resolve(module, i++, f.SendEff, error) &&
                    resolve(module, i++, f.SetBusReverb, error) && resolve(module, i++, f.SetBusDelay, error) &&
                    resolve(module, i++, f.SetBusEffVol, error) && resolve(module, i++, f.SetMasterVol, error) &&
                    resolve(module, i++, f.SetSoundFontPath, error) &&
                    resolve(module, i++, f.GetMidiTextUpdated, error) &&
                    resolve(module, i++, f.GetMidiText, error) && resolve(module, i++, f.GetMidiPlayNow, error) &&
                    resolve(module, i++, f.StreamMidiFile, error) &&
                    resolve(module, i++, f.CheckAudioFile, error) &&
                    resolve(module, i++, f.InitAudioDriver, error) &&
                    resolve(module, i++, f.ASIO_ControlPanel, error) &&
                    resolve(module, i++, f.GetDriverName, error) && resolve(module, i++, f.SetAFileName, error) &&
                    resolve(module, i++, f.SetClickVars, error) &&
                    resolve(module, i++, f.SetMidiOutCallBack, error) && resolve(module, i++, f.Quit, error) &&
                    resolve(module, i++, f.Tanglewheel, error);
    if (!ok) {
        dlclose(module);
        return std::nullopt;
    }
    f.GetDeviceState = reinterpret_cast<decltype(f.GetDeviceState)>(dlsym(module, "VL_GetDeviceState"));
    f.GetOutputPeaks = reinterpret_cast<decltype(f.GetOutputPeaks)>(dlsym(module, "VL_GetOutputPeaks"));
    f.GetUnreadableFile = reinterpret_cast<decltype(f.GetUnreadableFile)>(dlsym(module, "VL_GetUnreadableFile"));
    f.RefreshDriverList = reinterpret_cast<decltype(f.RefreshDriverList)>(dlsym(module, "VL_RefreshDriverList"));
    f.SetStartSongBytes = reinterpret_cast<decltype(f.SetStartSongBytes)>(dlsym(module, "VL_SetStartSongBytes"));
    f.ProbeSlot = reinterpret_cast<decltype(f.ProbeSlot)>(dlsym(module, "VL_ProbeSlot"));
    f.ProbeSoundFont = reinterpret_cast<decltype(f.ProbeSoundFont)>(dlsym(module, "VL_ProbeSoundFont"));
    f.OpenOfflineDevice = reinterpret_cast<decltype(f.OpenOfflineDevice)>(dlsym(module, "VL_OpenOfflineDevice"));
    f.RenderOffline = reinterpret_cast<decltype(f.RenderOffline)>(dlsym(module, "VL_RenderOffline"));
    f.PrepareSong = reinterpret_cast<decltype(f.PrepareSong)>(dlsym(module, "VL_PrepareSong"));
    f.BeginNextSong = reinterpret_cast<decltype(f.BeginNextSong)>(dlsym(module, "VL_BeginNextSong"));
    f.QueueNextSong = reinterpret_cast<decltype(f.QueueNextSong)>(dlsym(module, "VL_QueueNextSong"));
    f.GetNextSongStarted = reinterpret_cast<decltype(f.GetNextSongStarted)>(dlsym(module, "VL_GetNextSongStarted"));
    f.SetTimecode = reinterpret_cast<decltype(f.SetTimecode)>(dlsym(module, "VL_SetTimecode"));
    f.SetMidiOutBytesCallBack =
        reinterpret_cast<decltype(f.SetMidiOutBytesCallBack)>(dlsym(module, "VL_SetMidiOutBytesCallBack"));
    return b;
}

} // namespace vl
