#pragma once
// The one FluidSynth synthesizer of the engine with its loaded sound font. Loading a full
// General MIDI font takes seconds, so the font stays loaded across songs while its path
// and the output rate stay the same. Each new song claims the synth; a renderer of an
// earlier song, still being drained on the decoding thread, then gets no synth any more.
// Never used on the audio thread.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace vl::engine::midi {

class SoundFontSynth {
public:
    SoundFontSynth() = default;
    ~SoundFontSynth();
    SoundFontSynth(const SoundFontSynth&) = delete;
    SoundFontSynth& operator=(const SoundFontSynth&) = delete;

    // UI thread: makes the synth ready for a new song at `rate` with the font at `fontPath`
    // (loaded only when it is not the one loaded) and silences every channel. Returns the
    // claim to pass to access(); 0 when no synth could be made. A font that fails to load
    // leaves a synth that renders silence.
    uint64_t claim(const std::string& fontPath, int rate);

    // Exclusive use of the synth while the Access lives; `synth` is null when a later
    // claim took it over.
    struct Access {
        std::unique_lock<std::mutex> lock;
        fluid_synth_t* synth = nullptr;
    };
    Access access(uint64_t claim);
    // Any thread: false once a later claim was made. A renderer looks between pieces, so a
    // new song waits for at most one piece of the old one.
    bool current(uint64_t claim) const { return generation_.load(std::memory_order_relaxed) == claim; }

    // How many fonts were loaded so far (tests, benchmarks).
    int fontLoads() const;
    // Whether the last claim's font is loaded (a synth without one renders silence).
    bool fontLoaded() const;

    // Output level of the synth: a dense General MIDI arrangement stays below full scale.
    static constexpr double kGain = 0.4;

private:
    void release();

    mutable std::mutex mutex_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    int rate_ = 0;
    int fontId_ = -1;
    std::string fontPath_; // the loaded font; empty when none
    std::atomic<uint64_t> generation_{0};
    int fontLoads_ = 0;
};

} // namespace vl::engine::midi
