#pragma once
// The engine core: the state behind the exported VL_ functions. All public member
// functions are called from the program's UI thread; members marked _RT run on the
// audio thread.

#include "engine/MidiTexts.h"
#include "engine/Mixer.h"
#include "engine/TrackSlot.h"
#include "engine/devices/DeviceList.h"
#include "engine/devices/DeviceWatch.h"
#include "engine/dsp/EffectBus.h"
#include "engine/JobThread.h"
#include "engine/midi/MidiSession.h"
#include "engine/midi/SoundFontSynth.h"
#include "engine/playback/GraphKeeper.h"
#include "engine/playback/SlotRoles.h"
#include "engine/playback/TrackDecoder.h"
#include "engine/timecode/TimecodeOut.h"
#include "engine/video/VideoPlayer.h"
#include "vellamorinth_engine.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace vl::engine {

using MidiOutCallback = midi::MidiOutFunction;

struct TrackSends {
    int32_t reverbSend = 0;
    int32_t delaySend = 0;
};

struct ClickVars {
    bool enable = false;
    std::string text;
    float value = 0.0f;
    int32_t a = 0, b = 0, c = 0;
    float level = 0.0f;
};

class GraphTrack;
class ManualDevice;
class OutputDevice;
class PlaybackGraph;

struct EngineOptions {
    // false: nothing decodes ahead until serviceDecoder() is called (exact offline tests).
    bool decodingThread = true;
    // How often a lost or unavailable device is tried again (VL_Play tries at once too).
    std::chrono::milliseconds deviceRetry{250};
};

class Engine {
public:
    explicit Engine(EngineOptions options = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Track slots 1..8; any other number is ignored.
    void setTrackFile(int slot, uint8_t outputPair, float gain, int16_t pan, const char* path);
    const TrackSlot* slot(int slot) const;

    void setStartPerMille(uint32_t perMille) { startPerMille_ = perMille; }
    // The next start, once, at this song position instead of the per mille one.
    void setExactStart(uint32_t songBytes) { exactStart_ = songBytes; }

    int play(bool measureOnly, bool noSystemMidi, void* videoWindow);
    // The song in the slots is opened, measured and prefilled from the start position, so
    // that a play() or queueNext() of the same slots starts it as it is. While nothing
    // plays its MIDI synth is made ready too; while a song plays, the slots are the ones
    // beginNextSong() gave the next song, the synth stays the playing song's until the start,
    // and the slots are the playing song's again afterwards. One song at a time: preparing
    // another, or playing any other, drops it. The opening and prefilling run on a thread of
    // their own: this returns at once.
    int prepare(bool noSystemMidi);
    // Once the preparing is done: whether a song is prepared (tests).
    bool hasPrepared();
    // A segue: while a song plays, the slots are handed the next song after beginNextSong()
    // (the playing song keeps its own), and queueNext() builds it (or takes it prepared) and has the callback start
    // it `pauseMs` after the playing song's end, in the same block when 0. Returns 0 when
    // nothing plays or a song is queued already.
    void beginNextSong();
    int queueNext(uint32_t pauseMs, bool noSystemMidi, void* videoWindow);
    // Polled: 1 once the queued song has taken over (2: and its video window was shown); it
    // is the playing song from then on.
    int takeNextStarted();
    int stop();
    int playing() const { return playing_.load(std::memory_order_acquire) ? 1 : 0; }
    uint32_t songPosition() const;
    uint32_t maxLength() const { return maxLength_; }

    void setMasterVolume(float volume);
    float masterVolume() const { return masterVolume_.load(std::memory_order_relaxed); }

    void setEq(int track, float lowDb, float midDb, float highDb);
    void setCompressor(int track, int ratio, int thresholdDb, int releaseMs, int gainDb);
    void sendEffects(int track, int16_t reverbSend, int16_t delaySend);
    void setBusReverb(int timeStep);
    void setBusDelay(int delayMs, int feedbackStep);
    void setBusEffectLevels(int16_t reverbLevel, int16_t delayLevel);
    TrackSends sends(int track) const;
    int16_t busReverbLevel() const { return effectBus_.reverbLevel(); }
    int16_t busDelayLevel() const { return effectBus_.delayLevel(); }
    // The settings of a playing track's effects, nullptr when it has none (tests).
    const dsp::TrackEffectSettings* trackEffects(int track) const { return effectBus_.settings(track); }

    void setSoundFontPath(const char* path);
    const char* soundFontPath() const { return soundFontPath_.data(); }

    int midiTextUpdated(bool force) { return midiTexts_.takeUpdated(force); }
    const char* midiText(int which) const { return midiTexts_.text(which); }
    // Raised 0.25 s into a song played with system MIDI playback requested.
    int midiPlayNow();
    // The playing song's video thread, nullptr when it has none (tests, benchmarks).
    const VideoPlayer* videoPlayer() const { return videoPlayer_.get(); }
    // Sound fonts loaded so far (tests, benchmarks).
    int soundFontLoads() const { return synth_.fontLoads(); }
    midi::SoundFontSynth::FontState soundFontState() const { return synth_.state(); }
    // Waits until the font named is loaded or found unreadable (tests, benchmarks).
    bool waitForSoundFont(std::chrono::milliseconds timeout) { return synth_.waitSettled(timeout); }
    // What the last start (not a measuring one) could not read: the path handed over, or
    // "" when it was read or not needed (VL_GetUnreadableFile).
    static constexpr int kUnreadableSoundFont = 1;
    static constexpr int kUnreadableMidiFile = 2;
    static constexpr int kUnreadableTrack = VL_UNREADABLE_TRACK;
    static constexpr int kUnreadableTrackWhy = VL_UNREADABLE_TRACK_WHY;
    const char* unreadableFile(int which) const;

    int initAudioDriver(int device, void* window);
    const char* driverName(int index) const;
    void refreshDriverList();
    int deviceCount() const { return devices_.count(); }
    int openControlPanel();
    // Any thread: how the chosen device is doing (VL_GetDeviceState).
    DeviceState deviceState() const { return watch_.state(); }
    void quit();

    void setMidiOutCallback(MidiOutCallback callback) { midiOutCallback_ = callback; }
    MidiOutCallback midiOutCallback() const { return midiOutCallback_; }
    // Timecode of the songs started from now on (VL_SetTimecode, VL_SetMidiOutBytesCallBack).
    void setTimecode(const timecode::TimecodeSettings& settings) { timecode_.set(settings); }
    const timecode::TimecodeSettings& timecodeSettings() const { return timecode_.settings(); }
    void setMidiOutBytesCallback(timecode::MidiBytesFunction callback) { timecode_.setBytesOut(callback); }
    void setClickVars(bool enable, const char* text, float value, int32_t a, int32_t b, int32_t c,
                      float level);
    const ClickVars& clickVars() const { return clickVars_; }

    // What play() would make of a slot's file, or of the sound font (VL_ProbeSlot).
    int probeSlot(int slot, VL_FileProbe* probe) const;
    int probeSoundFont(VL_FileProbe* probe) const;
    // A song rendered as fast as it goes (VL_OpenOfflineDevice, VL_RenderOffline): the
    // caller's thread decodes and then acts as the audio thread.
    int openOfflineDevice();
    int renderOffline(float* const* channels, int frames);

    // Tests and benchmarks: stops, closes the open device and runs `device` in its place; a
    // device that does not open is kept and tried again.
    bool openDevice(std::unique_ptr<OutputDevice> device);
    ManualDevice& openManualDevice(int rate = kSampleRate);
    OutputDevice* device() const { return watch_.device(); }
    const DeviceList& devices() const { return devices_; }
    const EngineCounters& counters() const { return mixer_.counters(); }
    // VL_GetOutputPeaks: any thread, never blocks.
    int takeOutputPeaks(float* peaks, int count);
    // Without a decoding thread: one refill pass on the caller's thread; with one, a wake-up.
    void serviceDecoder() { keeper_.service(); }
    std::size_t retiredGraphs() { return keeper_.retiredCount(); }

    static constexpr std::size_t kSoundFontPathCapacity = 260;
    // Decoded on the calling thread by VL_Play before the first block can ask for it.
    static constexpr std::size_t kPrefillFrames = 16384;
    // Rendering a dense MIDI file is slower than decoding: VL_Play renders only a short
    // start, and the decoding thread, woken as the graph is handed over, the rest.
    static constexpr std::size_t kMidiPrefillFrames = 2048;
    // System MIDI playback starts on a multiple of eight seconds.
    static constexpr uint32_t kSystemMidiStepSongBytes = 8 * 176400;
    static constexpr std::chrono::seconds kOfflineFontWait{60};

private:
    using Slots = std::array<TrackSlot, kSlotCount + 1>;
    // What a start builds before the callback sees it.
    struct Built {
        SlotRoles roles;
        int rate = kSampleRate;
        uint32_t length = 0;
        std::array<std::unique_ptr<TrackDecoder>, kSlotCount + 1> decoders;
        std::shared_ptr<const midi::MidiSong> song;
        uint32_t start = 0;
        uint64_t startFrame = 0;
        bool systemMidi = false;
        bool noSystemMidi = false;
        std::shared_ptr<PlaybackGraph> graph;
        std::array<std::string, kSlotCount + 1> whyUnreadable;
        std::string font; // the sound font its MIDI track plays with; "" without one
        bool waitForFont = false; // a rehearsal render: exact, it waits for the font
        OpenedVideo video;        // a prepared song's: opened at the start point
        int bank = 0;             // the slots its tracks follow
        bool midiPending = false; // its MIDI track is still to be added (addMidiTrack)
    };
    // Which file a name stood for: one replaced under the same name is another.
    struct FileStamp {
        uint64_t inode = 0, size = 0;
        int64_t modifiedNs = 0;
        bool found = false;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(std::string_view path);
    // What a prepared song was made of: a play() of the same starts it.
    struct PreparedKey {
        std::array<std::string, kSlotCount + 1> names;
        std::array<FileStamp, kSlotCount + 1> files;
        uint32_t startPerMille = 0;
        std::optional<uint32_t> exactStart; // song bytes; in place of the per mille, for one start
        int rate = 0;
        bool noSystemMidi = false;
        bool midiOut = false;
        // A file gone since keeps the prepared song, which holds it open.
        bool startsAs(const PreparedKey& now) const;
    };
    PreparedKey preparedKey(bool noSystemMidi);
    Slots& slots() { return banks_[static_cast<std::size_t>(bank_)]; }
    const Slots& slots() const { return banks_[static_cast<std::size_t>(bank_)]; }
    // Opens and measures the files `named`; touches nothing of the engine's (any thread).
    static Built openSong(const Slots& named, int rate, const std::atomic<bool>* cancel = nullptr);
    // UI thread: what could not be read is kept for the notice line.
    void report(const Built& b);
    // The graph of the audio tracks from the start position on, prefilled; its tracks follow
    // the levels of the slots of `b.bank`. Any thread; `cancel` ends it early (what is built
    // then is dropped).
    void assemble(Built& b, const PreparedKey& how, const std::atomic<bool>* cancel = nullptr);
    // The MIDI track, once the synth may be claimed for it (claiming it silences the song
    // that had it): at once when a song starts or is prepared while nothing plays, at its
    // start when it was prepared beside a playing song.
    void addMidiTrack(Built& b, const std::string& font);
    // UI thread: the prepared song when it was made of the slots as they are `now`.
    std::optional<Built> takePrepared(const PreparedKey& now);
    // UI thread, right before the callback gets the graph.
    void attachEffects(const Built& b);
    // The preparing thread's whole job.
    Built build(const PreparedKey& how, int bank, const std::string& font, bool midiNow,
                const std::atomic<bool>& cancel);
    void startSessions(Built& b, const VL_VideoSink* sink);
    void dropQueued();
    void dropPrepared();
    void resetState();
    std::unique_ptr<GraphTrack> makeMidiTrack(const TrackSlot& live, int slot, const Built& b, const std::string& font);
    void closeDevice();
    void retireGraph();
    static bool validTrack(int track) { return track >= 1 && track <= kSlotCount; }

    // Index 0 unused, as in the interface. Two banks: a queued song's slots are not the playing one's.
    std::array<Slots, 2> banks_{};
    int bank_ = 0;        // the slots the UI thread hands songs to
    int playingBank_ = 0; // the slots the playing song follows
    std::optional<Built> queued_;
    std::mutex prepareMutex_;                       // the two below, and a preparing's claim of the synth
    std::optional<Built> prepared_;                 // the preparing thread's result
    std::shared_ptr<std::atomic<bool>> cancelPrepare_; // of the preparing handed over last
    PreparedKey preparedKey_;
    bool preparing_ = false; // a song of preparedKey_ was handed to the preparing thread
    const VL_VideoSink* queuedSink_ = nullptr;
    uint32_t startPerMille_ = 0;
    std::optional<uint32_t> exactStart_;
    uint32_t maxLength_ = 0;
    std::atomic<bool> playing_{false};
    std::atomic<float> masterVolume_{1.0f};
    // Sends and bus levels outlive the graph; the graph's tracks own the effects.
    dsp::EffectBus effectBus_;
    std::array<char, kSoundFontPathCapacity> soundFontPath_{};
    MidiTexts midiTexts_;
    // Outlives every graph: a retired graph's MIDI track may still hold on to it.
    midi::SoundFontSynth synth_;
    std::string fontOfSong_; // the font the last start (not a measuring one) needed; "" when none
    std::string unreadableMidiFile_;
    std::array<std::string, kSlotCount + 1> unreadableTrack_;
    std::array<std::string, kSlotCount + 1> unreadableTrackWhy_;
    ManualDevice* offline_ = nullptr; // the open device when openOfflineDevice() opened it
    bool playNowPending_ = false;
    uint64_t playNowAt_ = 0;

    DeviceList devices_;
    std::optional<DeviceEntry> openEntry_; // what initAudioDriver opened
    int openIndex_ = 0;
    void* window_ = nullptr;
    Mixer mixer_{masterVolume_};
    GraphKeeper keeper_;
    std::shared_ptr<PlaybackGraph> graph_; // the graph the callback was handed, UI side
    std::unique_ptr<midi::MidiSession> midiSession_; // reads graph_'s position: ends first
    timecode::TimecodeOut timecode_;                 // its thread reads graph_'s clock: ends first
    std::unique_ptr<VideoPlayer> videoPlayer_;       // reads graph_'s clock: ends first
    DeviceWatch watch_;                    // the device: pulls from the mixer

    MidiOutCallback midiOutCallback_ = nullptr;
    ClickVars clickVars_;
    JobThread preparer_; // last: ends before what its jobs use
};

// The one engine of this process, behind the exported functions.
Engine& processEngine();

} // namespace vl::engine
