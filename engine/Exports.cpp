// The module's C interface: each export forwards to the process's one engine.
#include "engine/Engine.h"
#include "vellamorinth_engine.h"

using vl::engine::processEngine;

extern "C" {

void VL_WndMainProc(void*, uint32_t, uint32_t, int32_t) {}
int32_t VL_Play(uint8_t measureOnly, uint8_t noSystemMidi, void* videoWindow) {
    return processEngine().play(measureOnly != 0, noSystemMidi != 0, videoWindow);
}
int32_t VL_Stop(void) { return processEngine().stop(); }
uint32_t VL_GetSongPos(void) { return processEngine().songPosition(); }
uint32_t VL_GetMaxSongPos(void) { return processEngine().maxLength(); }
void VL_SetSongPos(uint32_t perMille) { processEngine().setStartPerMille(perMille); }
void VL_SetStartSongBytes(uint32_t songBytes) { processEngine().setExactStart(songBytes); }
int32_t VL_GetPlaying(void) { return processEngine().playing(); }
void VL_SetEq(int32_t track, float lowDb, float midDb, float highDb) {
    processEngine().setEq(track, lowDb, midDb, highDb);
}
void VL_SetCompr(int32_t track, int32_t ratio, int32_t thresholdDb, int32_t releaseMs, int32_t gainDb) {
    processEngine().setCompressor(track, ratio, thresholdDb, releaseMs, gainDb);
}
void VL_SendEff(int32_t track, int16_t reverbSend, int16_t delaySend) {
    processEngine().sendEffects(track, reverbSend, delaySend);
}
void VL_SetBusReverb(int32_t, int32_t timeStep) { processEngine().setBusReverb(timeStep); }
void VL_SetBusDelay(int32_t, int32_t delayMs, int32_t feedbackStep) {
    processEngine().setBusDelay(delayMs, feedbackStep);
}
void VL_SetBusEffVol(int16_t reverbLevel, int16_t delayLevel) {
    processEngine().setBusEffectLevels(reverbLevel, delayLevel);
}
void VL_SetMasterVol(float volume) { processEngine().setMasterVolume(volume); }
void VL_SetSoundFontPath(const char* path) { processEngine().setSoundFontPath(path); }
int32_t VL_GetMidiTextUpdated(uint8_t force) { return processEngine().midiTextUpdated(force == 1); }
const char* VL_GetMidiText(int32_t which) { return processEngine().midiText(which); }
int32_t VL_GetMidiPlayNow(void) { return processEngine().midiPlayNow(); }
int32_t VL_StreamMidiFile(const char*) { return 1; }
int32_t VL_CheckAudioFile(const char*) { return 1; }
int32_t VL_InitAudioDriver(int32_t device, void* window) { return processEngine().initAudioDriver(device, window); }
int32_t VL_ASIO_ControlPanel(void) { return processEngine().openControlPanel(); }
const char* VL_GetDriverName(int32_t index) { return processEngine().driverName(index); }
void VL_SetAFileName(int32_t slot, uint8_t outputPair, float gain, int16_t pan, const char* path) {
    processEngine().setTrackFile(slot, outputPair, gain, pan, path);
}
void VL_SetClickVars(uint8_t enable, const char* text, float value, int32_t a, int32_t b, int32_t c, float level) {
    processEngine().setClickVars(enable != 0, text, value, a, b, c, level);
}
void VL_SetMidiOutCallBack(VL_MidiOutCallback callback) { processEngine().setMidiOutCallback(callback); }
void VL_Quit(void) { processEngine().quit(); }
int32_t VL_PrepareSong(uint8_t noSystemMidi) { return processEngine().prepare(noSystemMidi != 0); }
void VL_BeginNextSong(void) { processEngine().beginNextSong(); }
int32_t VL_QueueNextSong(uint32_t pauseMs, uint8_t noSystemMidi, void* videoWindow) {
    return processEngine().queueNext(pauseMs, noSystemMidi != 0, videoWindow);
}
int32_t VL_GetNextSongStarted(void) { return processEngine().takeNextStarted(); }
int32_t VL_GetDeviceState(void) { return static_cast<int32_t>(processEngine().deviceState()); }
int32_t VL_GetOutputPeaks(float* peaks, int32_t count) { return processEngine().takeOutputPeaks(peaks, count); }
const char* VL_GetUnreadableFile(int32_t which) { return processEngine().unreadableFile(which); }
void VL_RefreshDriverList(void) { processEngine().refreshDriverList(); }
void VL_Tanglewheel(int32_t) {}
int32_t VL_ProbeSlot(int32_t slot, VL_FileProbe* probe) { return processEngine().probeSlot(slot, probe); }
int32_t VL_ProbeSoundFont(VL_FileProbe* probe) { return processEngine().probeSoundFont(probe); }
int32_t VL_OpenOfflineDevice(void) { return processEngine().openOfflineDevice(); }
int32_t VL_RenderOffline(float* const* channels, int32_t frames) {
    return processEngine().renderOffline(channels, frames);
}

void VL_SetTimecode(const VL_Timecode* t) {
    if (!t) return;
    vl::engine::timecode::TimecodeSettings s;
    s.rateCode = t->rate;
    s.start = {t->startHours, t->startMinutes, t->startSeconds, t->startFrames};
    s.mtc = t->mtc != 0;
    s.midiClock = t->midiClock != 0;
    s.ltcChannel = t->ltcChannel;
    s.ltcLevelDb = t->ltcLevelDb;
    processEngine().setTimecode(s);
}
void VL_SetMidiOutBytesCallBack(VL_MidiOutBytesCallback callback) {
    processEngine().setMidiOutBytesCallback(callback);
}

} // extern "C"
