#include "engine/Engine.h"

#include "engine/devices/ControlPanel.h"
#include "engine/devices/ManualDevice.h"
#include "engine/midi/MidiRenderer.h"
#include "engine/playback/PlaybackGraph.h"
#include "engine/playback/SlotRoles.h"
#include "engine/playback/TrackDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vl::engine {

namespace {

// A level that is no number, or an infinite one, would turn a whole output pair into
// noise or silence: what it scales (one track, or all for the master) is silent instead.
float playableLevel(float level) {
    return std::isfinite(level) ? level : 0.0f;
}

} // namespace

Engine::Engine(EngineOptions options)
    : keeper_(mixer_, options.decodingThread), watch_(mixer_, options.deviceRetry) {
    resetState();
}

Engine::~Engine() {
    quit();
}

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
    s.gain.store(playableLevel(gain), std::memory_order_relaxed);
    s.pan.store(static_cast<float>(pan), std::memory_order_relaxed);
    s.outputPair.store(outputPair, std::memory_order_relaxed);
    if (path && *path) s.setName(path);
}

const TrackSlot* Engine::slot(int slot) const {
    return validTrack(slot) ? &slots_[slot] : nullptr;
}

int Engine::play(bool measureOnly, bool noSystemMidi, void* videoWindow) {
    stop();
    // The video slot is not an audio track and does not count towards the length.
    const SlotRoles roles = classifySlots(slots_);
    const bool deviceOpen = !measureOnly && watch_.ensureOpen(); // a lost device: one more try
    const int rate = watch_.sampleRate();
    std::array<std::unique_ptr<TrackDecoder>, kSlotCount + 1> decoders;
    std::array<std::string, kSlotCount + 1> whyUnreadable;
    maxLength_ = 0;
    for (int i = 1; i <= kSlotCount; ++i) {
        if (i == roles.midiSlot || i == roles.videoSlot) continue;
        decoders[i] = TrackDecoder::open(std::string(slots_[i].name()), rate, &whyUnreadable[i]);
        if (decoders[i]) maxLength_ = std::max(maxLength_, decoders[i]->lengthSongBytes());
    }
    std::shared_ptr<const midi::MidiSong> song;
    if (roles.midiSlot) song = midi::readMidiFile(std::string(slots_[roles.midiSlot].name())).song;
    if (song) maxLength_ = std::max(maxLength_, song->lengthSongBytes());
    if (measureOnly) return static_cast<int>(maxLength_);
    unreadableMidiFile_.clear();
    unreadableSoundFont_.clear();
    if (roles.midiSlot && !song) unreadableMidiFile_ = slots_[roles.midiSlot].name();
    for (int i = 1; i <= kSlotCount; ++i) {
        const bool unread = !decoders[i] && !whyUnreadable[i].empty() && !slots_[i].name().empty();
        unreadableTrack_[i] = unread ? std::string(slots_[i].name()) : std::string();
        unreadableTrackWhy_[i] = unread ? whyUnreadable[i] : std::string();
    }
    if (!deviceOpen) return 0;

    // A start past the end (more than 1000 per mille) stays at the end rather than wrapping.
    auto start =
        static_cast<uint32_t>(std::min<uint64_t>(uint64_t{startPerMille_} * maxLength_ / 1000, maxLength_));
    // System playback begins on a multiple of eight seconds, and the audio joins it where it
    // is: it starts there and runs on from the moment the graph plays.
    const bool systemMidi = song && !noSystemMidi && midiOutCallback_;
    if (systemMidi) start -= start % kSystemMidiStepSongBytes;
    const uint64_t startFrame = start / kSongBytesPerFrame;
    // The window shows (black) even when the video then fails to open: the song still plays.
    const auto* sink = static_cast<const VL_VideoSink*>(videoWindow);
    if (roles.videoSlot && sink && sink->show) sink->show(sink->context);
    auto graph = std::make_shared<PlaybackGraph>();
    graph->setClockStart(startFrame, rate);
    // First in the graph, so that the decoding thread's first pass renders on from the short
    // start VL_Play gives it before it tops up the audio tracks.
    if (song) graph->add(makeMidiTrack(roles.midiSlot, song, startFrame, rate));
    for (int i = 1; i <= kSlotCount; ++i) {
        auto& decoder = decoders[i];
        // A muted track is decoded too, so that raising its fader brings it in.
        if (!decoder || decoder->lengthSongBytes() < start || !decoder->seek(startFrame)) continue;
        auto track = std::make_unique<GraphTrack>(slots_[i], i, std::move(decoder), startFrame, rate);
        track->refill(kPrefillFrames);
        graph->add(std::move(track));
    }
    timecode_.addLtc(*graph, startFrame, rate, kPrefillFrames);
    // Every audio track gets fresh effects with the stored sends and the play defaults,
    // set before the callback sees the graph. The MIDI track has none.
    dsp::EffectBus::Effects effects{};
    for (const auto& track : graph->tracks())
        effects[track->slotNumber()] = track->effects();
    effectBus_.attach(effects);
    graph_ = graph;
    keeper_.setActive(graph);
    mixer_.publish(graph.get());
    playing_.store(true, std::memory_order_release);
    if (song) {
        const PlaybackGraph* played = graph.get();
        midiSession_ = std::make_unique<midi::MidiSession>(
            song, midiTexts_, [played] { return played->positionSongBytes(); }, startFrame,
            systemMidi ? midiOutCallback_ : nullptr);
    }
    timecode_.start(*graph, song, {nullptr, startFrame, rate, device() ? device()->outputLatencyFrames() : 0},
                    midiOutCallback_);
    if (roles.videoSlot && sink) {
        const PlaybackGraph* played = graph.get();
        videoPlayer_ = std::make_unique<VideoPlayer>(
            std::string(slots_[roles.videoSlot].name()), *sink, [played] { return played->clockSongBytes(); },
            start);
    }
    playNowPending_ = !noSystemMidi;
    playNowAt_ = uint64_t{start} + midi::MidiSession::kFirstTextDelaySongBytes;
    return 1;
}

std::unique_ptr<GraphTrack> Engine::makeMidiTrack(int slot, std::shared_ptr<const midi::MidiSong> song,
                                                  uint64_t startFrame, int rate) {
    // Also for a muted MIDI track: raising its fader must bring it in.
    const uint64_t claim = synth_.claim(soundFontPath_.data(), rate);
    if (!claim || !synth_.fontLoaded()) unreadableSoundFont_ = soundFontPath_.data();
    auto renderer =
        std::make_unique<midi::MidiRenderer>(std::move(song), claim ? &synth_ : nullptr, claim, startFrame, rate);
    auto track = std::make_unique<GraphTrack>(slots_[slot], slot, std::move(renderer), startFrame, rate, false);
    track->refill(kMidiPrefillFrames);
    return track;
}

void Engine::retireGraph() {
    effectBus_.detach();
    mixer_.publish(nullptr);
    const uint64_t epoch = mixer_.epoch();
    keeper_.setActive(nullptr);
    keeper_.retire(std::move(graph_), epoch);
    keeper_.reclaim(false);
}

int Engine::stop() {
    if (!playing_.load(std::memory_order_acquire)) return 1;
    playing_.store(false, std::memory_order_release);
    // Joined first: no text is built and no MIDI message sent once the texts are emptied.
    midiSession_.reset();
    timecode_.stop();
    videoPlayer_.reset();
    retireGraph();
    midiTexts_.clear();
    playNowPending_ = false;
    return 1;
}

void Engine::setMasterVolume(float volume) {
    masterVolume_.store(playableLevel(volume), std::memory_order_relaxed);
}

uint32_t Engine::songPosition() const {
    return graph_ ? graph_->positionSongBytes() : 0;
}

void Engine::setEq(int track, float lowDb, float midDb, float highDb) {
    effectBus_.setEq(track, lowDb, midDb, highDb);
}

void Engine::setCompressor(int track, int ratio, int thresholdDb, int releaseMs, int gainDb) {
    effectBus_.setCompressor(track, ratio, thresholdDb, releaseMs, gainDb);
}

void Engine::sendEffects(int track, int16_t reverbSend, int16_t delaySend) {
    effectBus_.sendEffects(track, reverbSend, delaySend);
}

void Engine::setBusReverb(int timeStep) { effectBus_.setBusReverb(timeStep); }

void Engine::setBusDelay(int delayMs, int feedbackStep) { effectBus_.setBusDelay(delayMs, feedbackStep); }

void Engine::setBusEffectLevels(int16_t reverbLevel, int16_t delayLevel) {
    effectBus_.setBusLevels(reverbLevel, delayLevel);
}

TrackSends Engine::sends(int track) const {
    const dsp::EffectBus::Sends s = effectBus_.sends(track);
    return TrackSends{s.reverb, s.delay};
}

void Engine::setSoundFontPath(const char* path) {
    soundFontPath_.fill('\0');
    if (path) std::strncpy(soundFontPath_.data(), path, soundFontPath_.size() - 1);
}

int Engine::midiPlayNow() {
    if (!playNowPending_ || songPosition() < playNowAt_) return 0;
    playNowPending_ = false;
    return 1;
}

int Engine::initAudioDriver(int device, void* window) {
    stop();
    resetState();
    window_ = window;
    // The caller chose from the list it read last; that entry may have moved since.
    const DeviceEntry* seen = devices_.entry(device);
    const std::string chosen = seen ? seen->name : std::string();
    closeDevice();
    openEntry_.reset();
    devices_ = DeviceList::enumerate();
    if (device == -1) return 0;
    // A chosen card that is gone is not replaced by whatever took its place in the list.
    if (const DeviceEntry* now = devices_.entry(device); !chosen.empty() && (!now || now->name != chosen))
        device = devices_.find(chosen);
    // An index without an entry opens nothing; the engine stays open but silent.
    if (auto d = devices_.makeDevice(device)) {
        openDevice(std::move(d));
        openEntry_ = *devices_.entry(device);
        openIndex_ = device;
    }
    return 1;
}

const char* Engine::driverName(int index) const {
    return devices_.name(index);
}

void Engine::refreshDriverList() {
    // A device that is being reconnected keeps the list as it is, and an open JACK client
    // keeps its entry without asking: libjack asked for a server while its own client's
    // server is gone crashes when that client is closed.
    if (openEntry_ && deviceState() != DeviceState::Fine) return;
    DeviceList fresh = DeviceList::enumerate(!(openEntry_ && openEntry_->kind == DeviceKind::Jack));
    // A sound card in use may refuse to be probed; it keeps its place in the list.
    if (openEntry_ && fresh.find(openEntry_->name) < 0) fresh.insert(openIndex_, *openEntry_);
    if (openEntry_) openIndex_ = std::max(0, fresh.find(openEntry_->name));
    devices_ = std::move(fresh);
}

int Engine::openControlPanel() {
    return device() && startControlPanel(device()->kind()) ? 1 : 0;
}

void Engine::closeDevice() {
    offline_ = nullptr;
    watch_.close();
    keeper_.reclaim(true); // no callback runs any more
}

bool Engine::openDevice(std::unique_ptr<OutputDevice> device) {
    stop();
    closeDevice();
    return watch_.start(std::move(device));
}

ManualDevice& Engine::openManualDevice(int rate) {
    auto device = std::make_unique<ManualDevice>(rate);
    ManualDevice& manual = *device;
    openDevice(std::move(device));
    return manual;
}

void Engine::quit() {
    stop();
    closeDevice();
    openEntry_.reset();
}

int Engine::takeOutputPeaks(float* peaks, int count) {
    if (!peaks || count <= 0) return 0;
    const int filled = count < kOutputChannels ? count : kOutputChannels;
    mixer_.takePeaks(peaks, filled);
    return filled;
}

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

const char* Engine::unreadableFile(int which) const {
    if (which == kUnreadableSoundFont) return unreadableSoundFont_.c_str();
    if (which == kUnreadableMidiFile) return unreadableMidiFile_.c_str();
    if (which > kUnreadableTrack && which <= kUnreadableTrack + kSlotCount)
        return unreadableTrack_[static_cast<std::size_t>(which - kUnreadableTrack)].c_str();
    if (which > kUnreadableTrackWhy && which <= kUnreadableTrackWhy + kSlotCount)
        return unreadableTrackWhy_[static_cast<std::size_t>(which - kUnreadableTrackWhy)].c_str();
    return "";
}

Engine& processEngine() {
    static Engine engine;
    return engine;
}

} // namespace vl::engine
