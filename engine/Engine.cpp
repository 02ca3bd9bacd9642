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

#include <sys/stat.h>

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
    for (auto& bank : banks_)
        for (auto& s : bank) {
            s.gain.store(1.0f, std::memory_order_relaxed);
            s.outputPair.store(0, std::memory_order_relaxed);
        }
    masterVolume_.store(1.0f, std::memory_order_relaxed);
    playing_.store(false, std::memory_order_release);
}

void Engine::setTrackFile(int slot, uint8_t outputPair, float gain, int16_t pan, const char* path) {
    if (!validTrack(slot)) return;
    TrackSlot& s = slots()[slot];
    s.gain.store(playableLevel(gain), std::memory_order_relaxed);
    s.pan.store(static_cast<float>(pan), std::memory_order_relaxed);
    s.outputPair.store(outputPair, std::memory_order_relaxed);
    if (path && *path) s.setName(path);
}

const TrackSlot* Engine::slot(int slot) const {
    return validTrack(slot) ? &slots()[slot] : nullptr;
}

Engine::Built Engine::openSong(const Slots& named, int rate, const std::atomic<bool>* cancel) {
    Built b;
    // The video slot is not an audio track and does not count towards the length.
    b.roles = classifySlots(named);
    b.rate = rate;
    for (int i = 1; i <= kSlotCount && !(cancel && cancel->load(std::memory_order_relaxed)); ++i) {
        if (i == b.roles.midiSlot || i == b.roles.videoSlot) continue;
        b.decoders[i] = TrackDecoder::open(std::string(named[i].name()), b.rate, &b.whyUnreadable[i]);
        if (b.decoders[i]) b.length = std::max(b.length, b.decoders[i]->lengthSongBytes());
    }
    if (b.roles.midiSlot) b.song = midi::readMidiFile(std::string(named[b.roles.midiSlot].name())).song;
    if (b.song) b.length = std::max(b.length, b.song->lengthSongBytes());
    return b;
}

void Engine::report(const Built& b) {
    unreadableMidiFile_.clear();
    fontOfSong_.clear();
    if (b.roles.midiSlot && !b.song) unreadableMidiFile_ = slots()[b.roles.midiSlot].name();
    for (int i = 1; i <= kSlotCount; ++i) {
        const bool unread = !b.decoders[i] && !b.whyUnreadable[i].empty() && !slots()[i].name().empty();
        unreadableTrack_[i] = unread ? std::string(slots()[i].name()) : std::string();
        unreadableTrackWhy_[i] = unread ? b.whyUnreadable[i] : std::string();
    }
}

void Engine::assemble(Built& b, const PreparedKey& how, const std::atomic<bool>* cancel) {
    // A start past the end (more than 1000 per mille) stays at the end rather than wrapping.
    auto start = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{how.startPerMille} * b.length / 1000, b.length));
    if (how.exactStart) start = std::min<uint32_t>(*how.exactStart, b.length);
    // System playback begins on a multiple of eight seconds, and the audio joins it where it
    // is: it starts there and runs on from the moment the graph plays.
    b.systemMidi = b.song && !how.noSystemMidi && how.midiOut;
    if (b.systemMidi) start -= start % kSystemMidiStepSongBytes;
    b.start = start;
    b.startFrame = start / kSongBytesPerFrame;
    b.noSystemMidi = how.noSystemMidi;
    b.graph = std::make_shared<PlaybackGraph>();
    b.graph->setClockStart(b.startFrame, b.rate);
    // The MIDI track is added once the synth may be claimed for it (addMidiTrack).
    b.midiPending = b.song != nullptr;
    const Slots& live = banks_[static_cast<std::size_t>(b.bank)];
    for (int i = 1; i <= kSlotCount && !(cancel && cancel->load(std::memory_order_relaxed)); ++i) {
        auto& decoder = b.decoders[i];
        // A muted track is decoded too, so that raising its fader brings it in.
        if (!decoder || decoder->lengthSongBytes() < start || !decoder->seek(b.startFrame)) continue;
        auto track = std::make_unique<GraphTrack>(live[i], i, std::move(decoder), b.startFrame, b.rate);
        track->refill(kPrefillFrames);
        b.graph->add(std::move(track));
    }
}

void Engine::attachEffects(const Built& b) {
    // Every audio track gets fresh effects with the stored sends and the play defaults,
    // set before the callback sees the graph. The MIDI track has none.
    dsp::EffectBus::Effects effects{};
    for (const auto& track : b.graph->tracks())
        effects[track->slotNumber()] = track->effects();
    effectBus_.attach(effects);
    fontOfSong_ = b.font;
}

void Engine::addMidiTrack(Built& b, const std::string& font) {
    if (!b.midiPending) return;
    b.midiPending = false;
    b.font = font;
    const int slot = b.roles.midiSlot;
    // First in the graph, so that the decoding thread's first pass renders on from the short
    // start it was given before it tops up the audio tracks.
    b.graph->addFirst(makeMidiTrack(banks_[static_cast<std::size_t>(b.bank)][slot], slot, b, font));
}

Engine::Built Engine::build(const PreparedKey& how, int bank, const std::string& font, bool midiNow,
                            const std::atomic<bool>& cancel) {
    // The names as they were asked for: the UI thread may name the next song's files meanwhile.
    Slots named;
    for (int i = 1; i <= kSlotCount; ++i) named[i].setName(how.names[i]);
    Built b = openSong(named, how.rate, &cancel);
    b.bank = bank;
    assemble(b, how, &cancel);
    if (midiNow) {
        // A dropped preparing claims no synth: the start that dropped it may have claimed it.
        std::lock_guard lock(prepareMutex_);
        if (!cancel.load(std::memory_order_relaxed)) addMidiTrack(b, font);
    }
    if (b.roles.videoSlot && !cancel.load(std::memory_order_relaxed))
        b.video = OpenedVideo::open(std::string(named[b.roles.videoSlot].name()), b.start);
    return b;
}

void Engine::startSessions(Built& b, const VL_VideoSink* sink) {
    if (b.song) {
        const PlaybackGraph* played = b.graph.get();
        midiSession_ = std::make_unique<midi::MidiSession>(
            b.song, midiTexts_, [played] { return played->positionSongBytes(); }, b.startFrame,
            b.systemMidi ? midiOutCallback_ : nullptr);
    }
    timecode_.start(*b.graph, b.song, {nullptr, b.startFrame, b.rate, device() ? device()->outputLatencyFrames() : 0},
                    midiOutCallback_);
    if (b.roles.videoSlot && sink) {
        const PlaybackGraph* played = b.graph.get();
        videoPlayer_ = std::make_unique<VideoPlayer>(
            std::string(slots()[b.roles.videoSlot].name()), *sink, [played] { return played->clockSongBytes(); },
            b.start, std::move(b.video));
    }
    playNowPending_ = !b.noSystemMidi;
    playNowAt_ = uint64_t{b.start} + midi::MidiSession::kFirstTextDelaySongBytes;
}

Engine::FileStamp Engine::stampOf(std::string_view path) {
    struct stat st {};
    if (path.empty() || ::stat(std::string(path).c_str(), &st) != 0) return {};
    return {uint64_t(st.st_ino), uint64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, true};
}

bool Engine::PreparedKey::startsAs(const PreparedKey& now) const {
    for (int i = 1; i <= kSlotCount; ++i)
        if (now.files[i].found && now.files[i] != files[i]) return false;
    return names == now.names && startPerMille == now.startPerMille && exactStart == now.exactStart &&
           rate == now.rate && noSystemMidi == now.noSystemMidi && midiOut == now.midiOut;
}

Engine::PreparedKey Engine::preparedKey(bool noSystemMidi) {
    PreparedKey key;
    for (int i = 1; i <= kSlotCount; ++i) {
        key.names[i] = slots()[i].name();
        key.files[i] = stampOf(key.names[i]);
    }
    key.startPerMille = startPerMille_;
    key.exactStart = exactStart_;
    key.rate = watch_.sampleRate();
    key.noSystemMidi = noSystemMidi;
    key.midiOut = midiOutCallback_ != nullptr;
    return key;
}

void Engine::dropPrepared() {
    preparing_ = false;
    std::optional<Built> dropped;
    {
        std::lock_guard lock(prepareMutex_);
        if (cancelPrepare_) cancelPrepare_->store(true, std::memory_order_relaxed);
        dropped.swap(prepared_);
    }
    // Its files and rings are let go of off the UI thread, which never waits for a preparing
    // it dropped: that one ends on its own and leaves nothing behind.
    if (dropped) preparer_.post([d = std::make_shared<Built>(std::move(*dropped))] {});
}

int Engine::prepare(bool noSystemMidi) {
    const bool beside = playing_.load(std::memory_order_acquire);
    // Beside a playing song only into the slots beginNextSong() gave the next song.
    if (beside && (queued_ || bank_ == playingBank_)) return 0;
    const PreparedKey key = preparedKey(noSystemMidi);
    const int bank = bank_;
    if (beside) bank_ = playingBank_; // the mixer's calls reach the playing song again
    if (preparing_ && preparedKey_.startsAs(key)) return 1;
    dropPrepared();
    if (!watch_.ensureOpen()) return 0;
    preparedKey_ = key;
    preparing_ = true;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard lock(prepareMutex_);
        cancelPrepare_ = cancel;
    }
    // The synth is the playing song's until the prepared one starts.
    preparer_.post([this, key, bank, cancel, midiNow = !beside, font = std::string(soundFontPath_.data())] {
        std::optional<Built> b = build(key, bank, font, midiNow, *cancel);
        std::lock_guard lock(prepareMutex_);
        if (!cancel->load(std::memory_order_relaxed)) b.swap(prepared_);
    });
    return 1;
}

bool Engine::hasPrepared() {
    preparer_.wait();
    std::lock_guard lock(prepareMutex_);
    return prepared_.has_value();
}

std::optional<Engine::Built> Engine::takePrepared(const PreparedKey& now) {
    std::optional<Built> ready;
    if (preparing_ && preparedKey_.startsAs(now)) {
        preparer_.wait();
        std::lock_guard lock(prepareMutex_);
        ready.swap(prepared_);
    }
    dropPrepared();
    if (!ready) return ready;
    // Prepared in the other slots: the levels just handed over go with it, and the mixer's
    // calls follow it there.
    if (ready->bank != bank_) {
        auto& to = banks_[static_cast<std::size_t>(ready->bank)];
        for (int i = 1; i <= kSlotCount; ++i) to[i].copyFrom(slots()[i]);
        bank_ = ready->bank;
    }
    addMidiTrack(*ready, soundFontPath_.data());
    return ready;
}

int Engine::play(bool measureOnly, bool noSystemMidi, void* videoWindow) {
    // An exact start is for this start only, whatever becomes of it.
    struct ForgetExactStart {
        std::optional<uint32_t>& start;
        ~ForgetExactStart() { start.reset(); }
    } forget{exactStart_};
    stop();
    const bool deviceOpen = !measureOnly && watch_.ensureOpen(); // a lost device: one more try
    // A prepared song of the same slots starts as it is (once its preparing is done); any
    // other start drops it.
    std::optional<Built> ready;
    PreparedKey key;
    if (!measureOnly) {
        key = preparedKey(noSystemMidi);
        ready = takePrepared(key);
    }
    Built b = ready ? std::move(*ready) : openSong(slots(), watch_.sampleRate());
    b.bank = bank_;
    playingBank_ = bank_;
    maxLength_ = b.length;
    if (measureOnly) return static_cast<int>(maxLength_);
    report(b);
    if (!deviceOpen) return 0;
    // The window shows (black) even when the video then fails to open: the song still plays.
    const auto* sink = static_cast<const VL_VideoSink*>(videoWindow);
    if (b.roles.videoSlot && sink && sink->show) sink->show(sink->context);
    if (!b.graph) {
        b.waitForFont = offline_ != nullptr;
        assemble(b, key);
        addMidiTrack(b, soundFontPath_.data());
    }
    // On the interface thread, prepared or not: the timecode settings are this start's.
    timecode_.addLtc(*b.graph, b.startFrame, b.rate, kPrefillFrames);
    attachEffects(b);
    graph_ = b.graph;
    keeper_.setActive(graph_);
    mixer_.publish(graph_.get());
    playing_.store(true, std::memory_order_release);
    startSessions(b, sink);
    return 1;
}

void Engine::beginNextSong() {
    if (playing_.load(std::memory_order_acquire) && !queued_) bank_ = playingBank_ ^ 1;
}

int Engine::queueNext(uint32_t pauseMs, bool noSystemMidi, void* videoWindow) {
    if (!playing_.load(std::memory_order_acquire) || !graph_ || queued_ || bank_ == playingBank_) return 0;
    const PreparedKey key = preparedKey(noSystemMidi);
    std::optional<Built> ready = takePrepared(key);
    Built b = ready ? std::move(*ready) : openSong(slots(), watch_.sampleRate());
    b.bank = bank_;
    report(b);
    if (!b.graph) {
        assemble(b, key);
        addMidiTrack(b, soundFontPath_.data());
    }
    // On the interface thread, prepared or not: the timecode settings are this start's.
    timecode_.addLtc(*b.graph, b.startFrame, b.rate, kPrefillFrames);
    attachEffects(b);
    // The playing song's end on the device's clock, and the pause after it.
    const int rate = graph_->clockRate();
    const uint64_t endFrame = maxLength_ / kSongBytesPerFrame, from = graph_->clockStartFrame();
    const uint64_t at = (endFrame > from ? endFrame - from : 0) * uint64_t(rate) / kSampleRate +
                        uint64_t{pauseMs} * uint64_t(rate) / 1000;
    queuedSink_ = static_cast<const VL_VideoSink*>(videoWindow);
    queued_ = std::move(b);
    keeper_.setNext(queued_->graph);
    mixer_.queue(queued_->graph.get(), at);
    return 1;
}

int Engine::takeNextStarted() {
    if (!queued_ || mixer_.current() != queued_->graph.get()) return 0;
    // The callback itself let go of the song before; it is retired like a stopped one.
    midiSession_.reset();
    timecode_.stop();
    videoPlayer_.reset();
    midiTexts_.clear();
    keeper_.retire(std::move(graph_), mixer_.epoch());
    Built b = std::move(*queued_);
    queued_.reset();
    playingBank_ = b.bank;
    graph_ = b.graph;
    keeper_.setActive(graph_);
    keeper_.setNext(nullptr);
    maxLength_ = b.length;
    const bool video = b.roles.videoSlot && queuedSink_;
    if (video && queuedSink_->show) queuedSink_->show(queuedSink_->context);
    startSessions(b, queuedSink_);
    keeper_.reclaim(false);
    return video ? 2 : 1;
}

void Engine::dropQueued() {
    if (!queued_) return;
    mixer_.queue(nullptr, 0);
    keeper_.setNext(nullptr);
    keeper_.retire(std::move(queued_->graph), mixer_.epoch());
    queued_.reset();
}

std::unique_ptr<GraphTrack> Engine::makeMidiTrack(const TrackSlot& live, int slot, const Built& b,
                                                  const std::string& font) {
    // Also for a muted MIDI track: raising its fader must bring it in.
    const uint64_t claim = synth_.claim(font, b.rate);
    // A rehearsal render is exact: it waits for the font a live start never waits for.
    if (b.waitForFont) synth_.waitSettled(kOfflineFontWait);
    auto renderer = std::make_unique<midi::MidiRenderer>(b.song, &synth_, claim, b.startFrame, b.rate);
    auto track = std::make_unique<GraphTrack>(live, slot, std::move(renderer), b.startFrame, b.rate, false);
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
    dropQueued();
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
    // Loaded now, so that the first song with a MIDI track finds it ready.
    synth_.want(soundFontPath_.data(), watch_.sampleRate());
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
    dropPrepared(); // made for the device's rate
    offline_ = nullptr;
    watch_.close();
    keeper_.reclaim(true); // no callback runs any more
}

bool Engine::openDevice(std::unique_ptr<OutputDevice> device) {
    stop();
    closeDevice();
    const bool started = watch_.start(std::move(device));
    // A device of another rate needs the font made for its rate.
    synth_.want(soundFontPath_.data(), watch_.sampleRate());
    return started;
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
    // Also when the font failed after the start: the notice line is brought up to date.
    if (which == kUnreadableSoundFont) return synth_.failed(fontOfSong_) ? fontOfSong_.c_str() : "";
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
