#include "engine/Engine.h"

#include <algorithm>
#include <cstring>

namespace vl::engine {

Engine::Engine() { resetState(); }

Engine::~Engine() { quit(); }

void Engine::resetState() {
    for (auto& s : slots_) {
        s.gain.store(1.0f, std::memory_order_relaxed);
        s.outputPair.store(0, std::memory_order_relaxed);
    }
    masterVolume_.store(1.0f, std::memory_order_relaxed);
    playing_.store(false, std::memory_order_release);
}

void Engine::setTrackFile(int slot, uint8_t outputPair, float gain, int16_t pan, const char* path) {
    if (!validTrack(slot)) return;
    TrackSlot& s = slots_[slot];
    s.gain.store(gain, std::memory_order_relaxed);
    s.pan.store(static_cast<float>(pan), std::memory_order_relaxed);
    s.outputPair.store(outputPair, std::memory_order_relaxed);
    if (path && *path) s.setName(path);
}

const TrackSlot* Engine::slot(int slot) const { return validTrack(slot) ? &slots_[slot] : nullptr; }

int Engine::play(bool measureOnly, bool /*noSystemMidi*/, void* /*videoWindow*/) {
    stop();
    // Closed: no device, so no slot mixer can be made.
    return measureOnly ? static_cast<int>(maxLength_) : 0;
}

int Engine::stop() {
    if (!playing_.load(std::memory_order_acquire)) return 1;
    playing_.store(false, std::memory_order_release);
    midiTexts_.clear();
    midiPlayNow_.store(false, std::memory_order_relaxed);
    return 1;
}

uint32_t Engine::songPosition() const { return 0; }

void Engine::setEq(int track, float, float, float) {
    if (!validTrack(track)) return;
}

void Engine::setCompressor(int track, int, int, int, int) {
    if (!validTrack(track)) return;
}

void Engine::sendEffects(int track, int16_t reverbSend, int16_t delaySend) {
    if (!validTrack(track)) return;
    sends_[track].reverbSend = reverbSend;
    sends_[track].delaySend = delaySend;
}

void Engine::setBusReverb(int) {}

void Engine::setBusDelay(int, int) {}

void Engine::setBusEffectLevels(int16_t reverbLevel, int16_t delayLevel) {
    busReverbLevel_ = reverbLevel;
    busDelayLevel_ = delayLevel;
}

TrackSends Engine::sends(int track) const { return validTrack(track) ? sends_[track] : TrackSends{}; }

void Engine::setSoundFontPath(const char* path) {
    soundFontPath_.fill('\0');
    if (path) std::strncpy(soundFontPath_.data(), path, soundFontPath_.size() - 1);
}

int Engine::midiPlayNow() { return midiPlayNow_.exchange(false, std::memory_order_acq_rel) ? 1 : 0; }

int Engine::initAudioDriver(int device, void* /*window*/) {
    stop();
    resetState();
    if (device == -1) return 0;
    return 1;
}

const char* Engine::driverName(int index) const {
    if (index < 0 || index >= deviceCount_) return "no";
    return deviceNames_[index].c_str();
}

int Engine::openControlPanel() { return 0; }

void Engine::quit() { stop(); }

void Engine::setClickVars(bool enable, const char* text, float value, int32_t a, int32_t b, int32_t c,
                          float level) {
    clickVars_.enable = enable;
    clickVars_.text = text ? text : "";
    clickVars_.value = value;
    clickVars_.a = a;
    clickVars_.b = b;
    clickVars_.c = c;
    clickVars_.level = enable ? level : 0.0f;
}

Engine& processEngine() {
    static Engine engine;
    return engine;
}

} // namespace vl::engine
