/* Public interface of the Vellamorinth audio engine module (libvellamorinth-engine.so).
 *
 * One engine per process. Positions and lengths are "song bytes": bytes of 44,100 Hz
 * 16-bit stereo PCM, 176,400 per second. Texts are NUL-terminated UTF-8; texts the
 * engine returns stay valid until the next call that rebuilds them, texts passed in
 * are copied. Every function is called from one thread, the program's UI thread. */
#ifndef VELLAMORINTH_ENGINE_H
#define VELLAMORINTH_ENGINE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VL_BUILDING_ENGINE)
#define VL_API __attribute__((visibility("default")))
#else
#define VL_API
#endif

/* System MIDI playback: when VL_Play(.., noSystemMidi = 0, ..) plays a song with a MIDI file,
 * the engine plays the file's channel messages in time through this function, as
 * (status, data1, data2, length): length is 3, or 2 for program change and channel pressure
 * (data2 is then 0). The engine calls it only from its MIDI thread, a non-real-time thread
 * that VL_Play starts and VL_Stop joins: never from the audio callback and never after
 * VL_Stop returns. At stop it switches off the notes it left sounding. The result is ignored. */
typedef int32_t (*VL_MidiOutCallback)(int32_t status, int32_t data1, int32_t data2, int32_t length);

VL_API void VL_WndMainProc(void* window, uint32_t message, uint32_t wParam, int32_t lParam);
VL_API int32_t VL_Play(uint8_t measureOnly, uint8_t noSystemMidi, void* videoWindow);
VL_API int32_t VL_Stop(void);
VL_API uint32_t VL_GetSongPos(void);
VL_API uint32_t VL_GetMaxSongPos(void);
VL_API void VL_SetSongPos(uint32_t perMille);
VL_API int32_t VL_GetPlaying(void);
VL_API void VL_SetEq(int32_t track, float lowDb, float midDb, float highDb);
VL_API void VL_SetCompr(int32_t track, int32_t ratio, int32_t thresholdDb, int32_t releaseMs, int32_t gainDb);
VL_API void VL_SendEff(int32_t track, int16_t reverbSend, int16_t delaySend);
VL_API void VL_SetBusReverb(int32_t ignored, int32_t timeStep);
VL_API void VL_SetBusDelay(int32_t ignored, int32_t delayMs, int32_t feedbackStep);
VL_API void VL_SetBusEffVol(int16_t reverbLevel, int16_t delayLevel);
VL_API void VL_SetMasterVol(float volume);
VL_API void VL_SetSoundFontPath(const char* path);
VL_API int32_t VL_GetMidiTextUpdated(uint8_t force);
/* The three MIDI texts (1 recent lines, 2 current line, 3 upcoming text) are taken as one set
 * when VL_GetMidiTextUpdated(0) answers 1, and stay valid and unchanged until it next does
 * or until VL_Stop. */
VL_API const char* VL_GetMidiText(int32_t which);
VL_API int32_t VL_GetMidiPlayNow(void);
VL_API int32_t VL_StreamMidiFile(const char* path);
VL_API int32_t VL_CheckAudioFile(const char* path);
VL_API int32_t VL_InitAudioDriver(int32_t device, void* window);
VL_API int32_t VL_ASIO_ControlPanel(void);
VL_API const char* VL_GetDriverName(int32_t index);
VL_API void VL_SetAFileName(int32_t slot, uint8_t outputPair, float gain, int16_t pan, const char* path);
VL_API void VL_SetClickVars(uint8_t enable, const char* text, float value, int32_t a, int32_t b, int32_t c,
                            float level);
VL_API void VL_SetMidiOutCallBack(VL_MidiOutCallback callback);
VL_API void VL_Quit(void);
VL_API void VL_Tanglewheel(int32_t value);

#ifdef __cplusplus
}
#endif

#endif
