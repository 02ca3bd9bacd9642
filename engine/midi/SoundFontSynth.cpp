#include "engine/midi/SoundFontSynth.h"

#include <fluidsynth.h>

namespace vl::engine::midi {

namespace {

// The engine reports failures as silence; FluidSynth would print them.
void quietLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

} // namespace

SoundFontSynth::~SoundFontSynth() {
    release();
}

void SoundFontSynth::release() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
    synth_ = nullptr;
    settings_ = nullptr;
    fontId_ = -1;
    fontPath_.clear();
}

uint64_t SoundFontSynth::claim(const std::string& fontPath, int rate) {
    // Counted before the lock: the renderer holding it lets go at its next piece.
    const uint64_t claim = generation_.fetch_add(1, std::memory_order_relaxed) + 1;
    std::lock_guard lock(mutex_);
    if (!synth_ || rate != rate_) {
        release();
        quietLibrary();
        settings_ = new_fluid_settings();
        if (!settings_) return 0;
        fluid_settings_setnum(settings_, "synth.sample-rate", rate);
        fluid_settings_setnum(settings_, "synth.gain", kGain);
        // Rendered on the decoding thread only, under this object's lock.
        fluid_settings_setint(settings_, "synth.cpu-cores", 1);
        fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
        // Pinning a full font in memory could fail and gains nothing two seconds ahead.
        fluid_settings_setint(settings_, "synth.lock-memory", 0);
        synth_ = new_fluid_synth(settings_);
        if (!synth_) {
            release();
            return 0;
        }
        rate_ = rate;
    }
    if (fontPath != fontPath_ || fontId_ < 0) {
        if (fontId_ >= 0) fluid_synth_sfunload(synth_, fontId_, 1);
        fontPath_.clear();
        fontId_ = fontPath.empty() ? FLUID_FAILED : fluid_synth_sfload(synth_, fontPath.c_str(), 1);
        if (fontId_ >= 0) {
            fontPath_ = fontPath;
            ++fontLoads_;
        } else {
            fontId_ = -1; // tried again at the next song: the file may appear
        }
    }
    fluid_synth_system_reset(synth_);
    return claim;
}

SoundFontSynth::Access SoundFontSynth::access(uint64_t claim) {
    Access a{std::unique_lock(mutex_), nullptr};
    if (claim != 0 && current(claim)) a.synth = synth_;
    return a;
}

bool SoundFontSynth::fontLoaded() const {
    std::lock_guard lock(mutex_);
    return synth_ && fontId_ >= 0;
}

int SoundFontSynth::fontLoads() const {
    std::lock_guard lock(mutex_);
    return fontLoads_;
}

} // namespace vl::engine::midi
