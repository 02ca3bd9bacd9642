#pragma once
// The one FluidSynth synthesizer of the engine with its loaded sound font. Loading a full
// General MIDI font takes up to a second from disk, so it is loaded on a thread of its own
// as soon as the font and the output rate are known, and stays loaded across songs while
// they stay the same. Each new song claims the synth; a renderer of an earlier song, still
// being drained on the decoding thread, then gets no synth any more. A song claimed while
// the font still loads renders silence until it is there. Never used on the audio thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace vl::engine::midi {

class SoundFontSynth {
public:
    SoundFontSynth();
    ~SoundFontSynth();
    SoundFontSynth(const SoundFontSynth&) = delete;
    SoundFontSynth& operator=(const SoundFontSynth&) = delete;

    // The font to have ready at `rate`; loaded on the loading thread unless it is the one
    // loaded, or the last try of it failed and `retryFailed` is false. Never waits.
    void want(const std::string& fontPath, int rate, bool retryFailed = false);

    // UI thread: makes the synth ready for a new song at `rate` with the font at `fontPath`
    // (asked for when it is not the one loaded; a failed font is tried again, as the file
    // may have appeared) and silences every channel. Returns the claim to pass to access().
    uint64_t claim(const std::string& fontPath, int rate);

    // Exclusive use of the synth while the Access lives; `synth` is null when a later
    // claim took it over or while no font is loaded. `serial` changes with every font
    // loaded, so that a renderer knows when to set up the song's state on a fresh synth.
    struct Access {
        std::unique_lock<std::mutex> lock;
        fluid_synth_t* synth = nullptr;
        int rate = 0;
        uint64_t serial = 0;
    };
    Access access(uint64_t claim);
    // Any thread: false once a later claim was made. A renderer looks between pieces, so a
    // new song waits for at most one piece of the old one.
    bool current(uint64_t claim) const { return generation_.load(std::memory_order_relaxed) == claim; }

    enum class FontState { None, Loading, Ready, Failed };
    // The state of the font last asked for (None: no font named).
    FontState state() const;
    // Whether `fontPath` was tried and could not be loaded, and is still the one asked for.
    bool failed(const std::string& fontPath) const;
    // Waits until the font asked for is loaded or failed (offline renders, tests); false on timeout.
    bool waitSettled(std::chrono::milliseconds timeout);

    // How many fonts were loaded so far (tests, benchmarks).
    int fontLoads() const;

    // Output level of the synth: a dense General MIDI arrangement stays below full scale.
    static constexpr double kGain = 0.4;

private:
    struct Loaded {
        fluid_settings_t* settings = nullptr;
        fluid_synth_t* synth = nullptr;
        void free();
    };
    static Loaded load(const std::string& fontPath, int rate);
    void run();
    bool pendingLocked() const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Loaded loaded_;
    std::string loadedPath_;
    int loadedRate_ = 0;
    uint64_t serial_ = 0;
    std::string wantedPath_;
    int wantedRate_ = 0;
    std::string failedPath_; // the last try that failed, at failedRate_
    int failedRate_ = 0;
    bool loading_ = false;
    bool stopping_ = false;
    std::atomic<uint64_t> generation_{0};
    int fontLoads_ = 0;
    std::thread thread_;
};

} // namespace vl::engine::midi
