#include "engine/midi/SoundFontSynth.h"

#include <fluidsynth.h>

namespace vl::engine::midi {

namespace {

// The engine reports failures as silence and a notice; FluidSynth would print them.
void quietLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

} // namespace

SoundFontSynth::SoundFontSynth() : thread_([this] { run(); }) {}

SoundFontSynth::~SoundFontSynth() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    loaded_.free();
}

void SoundFontSynth::Loaded::free() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    synth = nullptr;
    settings = nullptr;
}

SoundFontSynth::Loaded SoundFontSynth::load(const std::string& fontPath, int rate) {
    quietLibrary();
    Loaded l;
    l.settings = new_fluid_settings();
    if (!l.settings) return l;
    fluid_settings_setnum(l.settings, "synth.sample-rate", rate);
    fluid_settings_setnum(l.settings, "synth.gain", kGain);
    // Rendered on the decoding thread only, under this object's lock.
    fluid_settings_setint(l.settings, "synth.cpu-cores", 1);
    fluid_settings_setint(l.settings, "synth.threadsafe-api", 0);
    // Pinning a full font in memory could fail and gains nothing.
    fluid_settings_setint(l.settings, "synth.lock-memory", 0);
    l.synth = new_fluid_synth(l.settings);
    if (!l.synth || fluid_synth_sfload(l.synth, fontPath.c_str(), 1) == FLUID_FAILED) l.free();
    return l;
}

bool SoundFontSynth::pendingLocked() const {
    if (wantedPath_.empty() || wantedRate_ <= 0) return false;
    if (wantedPath_ == loadedPath_ && wantedRate_ == loadedRate_) return false;
    return !(wantedPath_ == failedPath_ && wantedRate_ == failedRate_);
}

void SoundFontSynth::want(const std::string& fontPath, int rate, bool retryFailed) {
    {
        std::lock_guard lock(mutex_);
        wantedPath_ = fontPath;
        wantedRate_ = rate;
        if (retryFailed && fontPath == failedPath_ && rate == failedRate_) failedPath_.clear();
        if (!pendingLocked()) return;
    }
    changed_.notify_all();
}

void SoundFontSynth::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || pendingLocked(); });
        if (stopping_) return;
        const std::string path = wantedPath_;
        const int rate = wantedRate_;
        loading_ = true;
        lock.unlock();
        Loaded fresh = load(path, rate);
        lock.lock();
        loading_ = false;
        if (fresh.synth) {
            std::swap(loaded_, fresh);
            loadedPath_ = path;
            loadedRate_ = rate;
            ++serial_;
            ++fontLoads_;
            if (path == failedPath_) failedPath_.clear();
        } else {
            failedPath_ = path;
            failedRate_ = rate;
        }
        changed_.notify_all();
        // The font it replaced is freed without holding up the renderer.
        lock.unlock();
        fresh.free();
        lock.lock();
    }
}

uint64_t SoundFontSynth::claim(const std::string& fontPath, int rate) {
    // Counted before the lock: the renderer holding it lets go at its next piece.
    const uint64_t claim = generation_.fetch_add(1, std::memory_order_relaxed) + 1;
    want(fontPath, rate, true);
    std::lock_guard lock(mutex_);
    if (loaded_.synth) fluid_synth_system_reset(loaded_.synth);
    return claim;
}

SoundFontSynth::Access SoundFontSynth::access(uint64_t claim) {
    Access a{std::unique_lock(mutex_), nullptr, 0, 0};
    // Only the font asked for: never the one it replaces, nor one made for another rate.
    if (claim != 0 && current(claim) && loaded_.synth && loadedPath_ == wantedPath_ && loadedRate_ == wantedRate_) {
        a.synth = loaded_.synth;
        a.rate = loadedRate_;
        a.serial = serial_;
    }
    return a;
}

SoundFontSynth::FontState SoundFontSynth::state() const {
    std::lock_guard lock(mutex_);
    if (wantedPath_.empty()) return FontState::None;
    if (wantedPath_ == loadedPath_ && wantedRate_ == loadedRate_) return FontState::Ready;
    if (wantedPath_ == failedPath_ && wantedRate_ == failedRate_) return FontState::Failed;
    return FontState::Loading;
}

bool SoundFontSynth::failed(const std::string& fontPath) const {
    std::lock_guard lock(mutex_);
    return !fontPath.empty() && fontPath == failedPath_ && fontPath == wantedPath_ && wantedRate_ == failedRate_;
}

bool SoundFontSynth::waitSettled(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return stopping_ || (!pendingLocked() && !loading_); });
}

int SoundFontSynth::fontLoads() const {
    std::lock_guard lock(mutex_);
    return fontLoads_;
}

} // namespace vl::engine::midi
