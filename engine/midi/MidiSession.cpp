#include "engine/midi/MidiSession.h"

#include "engine/MidiTexts.h"
#include "engine/midi/MidiChase.h"
#include "engine/midi/MidiTextBuilder.h"

#include <algorithm>
#include <chrono>

namespace vl::engine::midi {

namespace {

using Clock = std::chrono::steady_clock;
// How often the played position is looked at for text events.
constexpr auto kTextPoll = std::chrono::milliseconds(5);

std::size_t firstMarkAt(const std::vector<MidiMark>& marks, uint32_t songBytes) {
    return static_cast<std::size_t>(
        std::lower_bound(marks.begin(), marks.end(), songBytes,
                         [](const MidiMark& m, uint32_t at) { return m.songBytes < at; }) -
        marks.begin());
}

// Moves `next` past the marks the position reached; returns the position of the last one
// passed, or -1 when none was.
int64_t passMarks(const std::vector<MidiMark>& marks, std::size_t& next, uint32_t position) {
    int64_t last = -1;
    for (; next < marks.size() && marks[next].songBytes <= position; ++next)
        last = marks[next].songBytes;
    return last;
}

} // namespace

MidiSession::MidiSession(std::shared_ptr<const MidiSong> song, MidiTexts& texts,
                         std::function<uint32_t()> position, uint64_t startFrame, MidiOutFunction out)
    : song_(std::move(song)), texts_(texts), position_(std::move(position)), startFrame_(startFrame), out_(out) {
    const uint32_t start = framesToSongBytes(startFrame_);
    nextEvent_ = firstEventAt(*song_, startFrame_);
    nextLyric_ = firstMarkAt(song_->marksOf(MarkKind::Lyric), start);
    nextText_ = firstMarkAt(song_->marksOf(MarkKind::Text), start);
    thread_ = std::thread([this] { run(); });
}

MidiSession::~MidiSession() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void MidiSession::updateTexts(uint32_t position) {
    // Each kind's events rebuild from that kind; when both passed one, the later counts.
    const int64_t lyric = passMarks(song_->marksOf(MarkKind::Lyric), nextLyric_, position);
    const int64_t text = passMarks(song_->marksOf(MarkKind::Text), nextText_, position);
    int64_t at = -1;
    int kind = 0;
    if (lyric >= 0 || text >= 0) {
        kind = text > lyric ? static_cast<int>(MarkKind::Text) : static_cast<int>(MarkKind::Lyric);
        at = std::max(lyric, text);
    }
    const int64_t firstAt = int64_t{framesToSongBytes(startFrame_)} + kFirstTextDelaySongBytes;
    if (!firstTextsBuilt_ && position >= firstAt) {
        firstTextsBuilt_ = true;
        if (at < firstAt) kind = 0, at = firstAt;
    }
    if (at < 0) return;
    const uint32_t now = position > kTextLookBackSongBytes ? position - kTextLookBackSongBytes : 0;
    MidiTextSet set = midiTextBuilder(*song_, kind, now);
    texts_.publish(std::move(set.recentLines), std::move(set.currentLine), std::move(set.upcomingText));
}

void MidiSession::send(const MidiEvent& e) {
    const uint8_t type = e.type();
    if (type == 0xF0) return; // system exclusive does not fit the MIDI-out function
    const int ch = e.channel();
    if (type == 0x90 && e.data2 > 0) sounding_[ch][e.data1] = true;
    if (type == 0x80 || (type == 0x90 && e.data2 == 0)) sounding_[ch][e.data1] = false;
    if (type == 0xB0 && e.data1 == 64) sustained_[ch] = e.data2 >= 64;
    const int size = type == 0xC0 || type == 0xD0 ? 2 : 3;
    out_(e.status, e.data1, size == 3 ? e.data2 : 0, size);
}

void MidiSession::playDue(uint64_t clockFrame) {
    const auto& events = song_->events;
    for (; nextEvent_ < events.size() && events[nextEvent_].frame <= clockFrame; ++nextEvent_)
        send(events[nextEvent_]);
}

void MidiSession::silenceOutput() {
    for (uint8_t ch = 0; ch < 16; ++ch) {
        for (uint8_t key = 0; key < 128; ++key)
            if (sounding_[ch][key]) out_(0x80 | ch, key, 0, 3);
        if (sustained_[ch]) out_(0xB0 | ch, 64, 0, 3);
    }
}

void MidiSession::run() {
    const auto started = Clock::now();
    if (out_)
        for (const MidiEvent& e : chaseState(*song_, startFrame_))
            send(e);
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        updateTexts(position_());
        auto wakeAt = Clock::now() + kTextPoll;
        if (out_) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
            playDue(startFrame_ + static_cast<uint64_t>(elapsed.count()) * 441 / 10000);
            if (nextEvent_ < song_->events.size()) {
                const uint64_t frames = song_->events[nextEvent_].frame - startFrame_;
                wakeAt = std::min(wakeAt, started + std::chrono::microseconds(frames * 10000 / 441));
            }
        }
        lock.lock();
        wake_.wait_until(lock, wakeAt, [this] { return stopping_; });
    }
    lock.unlock();
    if (out_) silenceOutput();
}

} // namespace vl::engine::midi
