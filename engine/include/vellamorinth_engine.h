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

/* Video. The videoWindow handed to VL_Play is a VL_VideoSink* (or null: no picture). When the
 * song has a video track (the first slot whose file name ends in a video extension), VL_Play
 * calls show() and the engine's video thread, which VL_Play starts and VL_Stop joins, decodes
 * the file and calls present() with the picture due at the song's position, so the picture
 * follows the audio after a start in the middle and over long songs. A video that cannot be
 * opened or decoded presents nothing (the window stays black) and the audio plays on. The
 * video's own sound is not played. The sink and its context must stay valid until VL_Stop
 * (or the next VL_Play) returns; no call comes after that. */
typedef struct VL_VideoFrame {
    int32_t width, height; /* pixels, already scaled to fit the sink's size with the video's aspect */
    int32_t stride;        /* bytes from one row to the next */
    /* 32-bit pixels 0xffRRGGBB in native byte order; valid only during present() */
    const uint8_t* pixels;
    uint32_t songBytes;    /* the song position the picture is due at */
} VL_VideoFrame;

typedef struct VL_VideoSink {
    void* context;
    /* UI thread, in VL_Play: show the window, black until a picture arrives. */
    void (*show)(void* context);
    /* Video thread: the size in pixels to fit the picture into (the window's inner size);
     * 0 or less keeps the video's own size. */
    void (*fitSize)(void* context, int32_t* width, int32_t* height);
    /* Video thread: the picture to show from now on; copy what is needed before returning. */
    void (*present)(void* context, const VL_VideoFrame* frame);
} VL_VideoSink;

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
/* An empty path keeps the slot's file (a level change); a path that opens no file, such as
 * "/dev/null", empties the slot. Every slot, muted ones too, is decoded from VL_Play on, so
 * a gain raised while playing brings the track in. */
VL_API void VL_SetAFileName(int32_t slot, uint8_t outputPair, float gain, int16_t pan, const char* path);
VL_API void VL_SetClickVars(uint8_t enable, const char* text, float value, int32_t a, int32_t b, int32_t c,
                            float level);
VL_API void VL_SetMidiOutCallBack(VL_MidiOutCallback callback);
VL_API void VL_Quit(void);
VL_API void VL_Tanglewheel(int32_t value);

/* How the output device chosen with VL_InitAudioDriver is doing, so that the program can
 * tell the musician. Not one of the module's original functions: bind it as optional (an
 * older module lacks it) and poll it from a timer; it returns at once and never blocks.
 *
 *   VL_DEVICE_FINE (0)         the device plays, or none / "No sound" is chosen.
 *   VL_DEVICE_LOST (1)         the open device stopped: its sound server quit or crashed, or
 *                              the interface was unplugged (or its server hangs: no block for
 *                              0.7 s). Noticed within a second. Output is silent meanwhile.
 *   VL_DEVICE_UNAVAILABLE (2)  the device could not be opened when it was chosen.
 *
 * In states 1 and 2 the engine opens the same device again by itself, every 250 ms, and
 * once more at every VL_Play; the state returns to 0 as soon as it answers. A song that was
 * playing stays playing (VL_GetPlaying 1, its position standing still) and goes on where it
 * stopped once the device is back; call VL_Stop to end it instead. VL_Play returns 0 while
 * the device still does not answer. VL_InitAudioDriver and VL_Quit reset the state to 0
 * before they open or close anything. */
#define VL_DEVICE_FINE 0
#define VL_DEVICE_LOST 1
#define VL_DEVICE_UNAVAILABLE 2
VL_API int32_t VL_GetDeviceState(void);

/* Output meters. The loudest sample of each of the eight output channels (outputs 1 to 8,
 * pair 1/2 first) since the last call, where 1.0 is full scale, measured in the audio
 * callback before the output is clipped: a value above 1.0 means the channel clipped. Fills
 * the first `count` entries of `peaks` (at most 8), starts a new measurement and returns how
 * many it filled. Not one of the module's original functions: bind it as optional; it
 * returns at once and never blocks. */
#define VL_OUTPUT_CHANNELS 8
VL_API int32_t VL_GetOutputPeaks(float* peaks, int32_t count);
/* What the last VL_Play that started a song (not a measuring one) could not read, so that the
 * program can name it to the musician: which = VL_UNREADABLE_SOUND_FONT, the sound font the
 * song's MIDI track needs (the track then plays silent), or VL_UNREADABLE_MIDI_FILE, the song's
 * MIDI file (no MIDI track plays, no MIDI text shows). Answers the path as it was handed to the
 * engine, or an empty text when it was read or not needed; valid until the next VL_Play.
 * Returns at once. Not one of the module's original functions: bind it as optional. */
#define VL_UNREADABLE_SOUND_FONT 1
#define VL_UNREADABLE_MIDI_FILE 2
/* which = VL_UNREADABLE_TRACK + slot (1..8): an audio track's file that no decoder could read;
 * VL_UNREADABLE_TRACK_WHY + slot: why, in a few English words. */
#define VL_UNREADABLE_TRACK 10
#define VL_UNREADABLE_TRACK_WHY 20
VL_API const char* VL_GetUnreadableFile(int32_t which);
/* Reads the driver list again (VL_GetDriverName) without touching the open device, so that a
 * card plugged in or a JACK server started since shows up. The open device keeps its entry even
 * while it is too busy to be listed anew. VL_InitAudioDriver with an index from this list opens
 * that entry, found by its name if the system has moved it since. Not one of the module's
 * original functions: bind it as optional. */
VL_API void VL_RefreshDriverList(void);
/* The next VL_Play that starts a song begins exactly at `songBytes` (a frame's start; the end
 * when past it) instead of at the VL_SetSongPos per mille, once: a backup machine joins its
 * main to the frame. Returns at once. Not one of the module's original functions: bind it as
 * optional. */
VL_API void VL_SetStartSongBytes(uint32_t songBytes);
/* Checking a show and rendering a rehearsal mix without a sound device. Not among the
 * module's original functions: bind them as optional.
 *
 * VL_ProbeSlot tells what VL_Play would make of the file set for `slot` (1..8) with
 * VL_SetAFileName, through the same decoders and the same rule for which slot holds the
 * MIDI file and which the video, without playing anything. Returns `readable`. */
#define VL_ROLE_AUDIO 1
#define VL_ROLE_MIDI 2
#define VL_ROLE_VIDEO 3
#define VL_ROLE_SOUNDFONT 4
typedef struct VL_FileProbe {
    int32_t role;             /* VL_ROLE_... */
    int32_t readable;         /* 1: it plays */
    uint32_t lengthSongBytes; /* audio and MIDI: what the file adds to the song's length */
    int32_t rate;             /* audio: the file's own sample rate */
    int32_t channels;         /* audio: the file's own channel count */
    char reason[200];         /* readable 0: why, in a few words */
} VL_FileProbe;
VL_API int32_t VL_ProbeSlot(int32_t slot, VL_FileProbe* probe);
/* The sound font set with VL_SetSoundFontPath, as a song with a MIDI file would load it. */
VL_API int32_t VL_ProbeSoundFont(VL_FileProbe* probe);

/* Replaces the output device with one that plays only when VL_RenderOffline asks, so that
 * a song renders as fast as the machine goes. VL_InitAudioDriver or VL_Quit closes it. */
VL_API int32_t VL_OpenOfflineDevice(void);
/* The next `frames` frames of the eight output channels (four pairs) at 44,100 Hz into
 * channels[0..7], decoded on the calling thread first, so nothing is ever missed. Returns 0
 * (and silence) when the offline device is not the open one. */
VL_API int32_t VL_RenderOffline(float* const* channels, int32_t frames);

/* The next song ready before PLAY. Hand the song that would start next with
 * VL_SetAFileName and VL_SetSongPos as for VL_Play, then VL_PrepareSong: its files are
 * opened and measured, the start of every track decoded and the MIDI synth made ready. While
 * a song plays, call VL_BeginNextSong first, as for a segue, so that the playing song keeps
 * its levels; after VL_PrepareSong, VL_SetAFileName reaches the playing song again, and the
 * synth stays the playing song's until the prepared one starts. A VL_Play (or
 * VL_QueueNextSong) with the same files, start and noSystemMidi then starts it as it is;
 * any other VL_Play, another VL_PrepareSong or a change of device drops it. Holds one song:
 * about 1 MB of decoded sound per track at 44.1 or 48 kHz. Returns 1 when the song is being
 * prepared. Not among the module's original functions: bind it as optional. */
VL_API int32_t VL_PrepareSong(uint8_t noSystemMidi);

/* A segue: the next song starts in the audio callback itself, `pauseMs` after the last
 * sample of the playing one (0: in the same block). While a song plays, call
 * VL_BeginNextSong, hand the next song's tracks with VL_SetAFileName (the playing song keeps
 * its own) and VL_SetSongPos, then VL_QueueNextSong (arguments as VL_Play; returns 1 when
 * queued, 0 when nothing plays or a song is queued already). Poll VL_GetNextSongStarted:
 * it returns 1 once, when the queued song has taken over (2 when that song has a video and
 * the window's show() was called); its length, position and MIDI
 * texts are then the ones reported, and the mixer calls reach it. VL_Stop drops a queued
 * song. Not among the module's original functions: bind them as optional. */
VL_API void VL_BeginNextSong(void);
VL_API int32_t VL_QueueNextSong(uint32_t pauseMs, uint8_t noSystemMidi, void* videoWindow);
VL_API int32_t VL_GetNextSongStarted(void);
/* Timecode out, for the songs VL_Play starts from now on. Not one of the module's original
 * functions: bind them as optional.
 *
 * rate: 24, 25, 2997 (29.97 drop frame) or 30 frames per second; another value counts as 25.
 * start*: the label of the song's time 0 (hh:mm:ss:ff; a label drop frame skips counts as the
 * next one). The timecode of a song position is start + position, also after a start in the
 * middle of the song.
 * mtc 1: MIDI time code through the MIDI-out callbacks: a full frame (F0 7F 7F 01 01 hh mm ss
 * ff F7) when a song starts and when it stops (a locate is a stop and a start), quarter
 * frames (F1 xx) while it plays, each leaving when the sample it belongs to leaves the output
 * (the device's output latency taken into account).
 * midiClock 1, for a song with a MIDI file: Start (FA), or in the middle of the song a Song
 * Position Pointer (F2, on the next sixteenth note) and Continue (FB), then the clock (F8), 24
 * a quarter note by the file's tempo map. The program's own MIDI Stop at a stop ends it.
 * ltcChannel 1..8: linear timecode (SMPTE 12M, biphase mark) at ltcLevelDb dBFS (-60..0) on
 * that output channel, which then carries nothing else; 0: none.
 *
 * Timecode messages go through the VL_SetMidiOutBytesCallBack function when one is set (whole
 * messages, system exclusive too), else through the VL_MidiOutCallback as (status, data1,
 * data2, length) without the full frames. They are sent from the engine's timecode thread, which
 * VL_Play starts and VL_Stop joins, beside the MIDI thread of system MIDI playback: a program
 * that sends both to one output must take one message at a time. */
typedef struct VL_Timecode {
    int32_t rate;
    int32_t startHours, startMinutes, startSeconds, startFrames;
    int32_t mtc;
    int32_t midiClock;
    int32_t ltcChannel;
    float ltcLevelDb;
} VL_Timecode;
VL_API void VL_SetTimecode(const VL_Timecode* timecode);
typedef int32_t (*VL_MidiOutBytesCallback)(const uint8_t* bytes, int32_t length);
VL_API void VL_SetMidiOutBytesCallBack(VL_MidiOutBytesCallback callback);

#ifdef __cplusplus
}
#endif

#endif
