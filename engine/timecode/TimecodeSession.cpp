#include "engine/timecode/TimecodeSession.h"

#include "engine/AudioFormat.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace vl::engine::timecode {

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kNever = std::numeric_limits<double>::infinity();
// Past a callback's stamp the position runs on for at most this long: a device that stopped
// calling back holds the timecode where it is.
constexpr double kLongestGapSeconds = 0.25;
// Quarter frames this late (a stalled output) are not sent in a burst: a full frame resets.
constexpr double kLateFrames = 4.0;
constexpr double kLongestWaitSeconds = 0.01;
constexpr auto kWaitForFirstBlock = std::chrono::milliseconds(1);
constexpr int kClocksPerQuarter = 24;
constexpr int kClocksPerSixteenth = 6;
constexpr uint64_t kLastSongPosition = 0x3FFF;

int64_t nowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

} // namespace

TimecodeSession::TimecodeSession(const TimecodeSettings& settings, std::shared_ptr<const midi::MidiSong> song,
                                 PlayedClock clock, MidiBytesOut out)
    : settings_(settings), rate_(rateFromCode(settings.rateCode)), startIndex_(frameIndexOf(settings.start, rate_)),
      song_(settings.midiClock ? std::move(song) : nullptr), clock_(clock), out_(std::move(out)),
      startSeconds_(double(clock.startFrame) / kSampleRate) {
    thread_ = std::thread([this] { run(); });
}

TimecodeSession::~TimecodeSession() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool TimecodeSession::audibleSeconds(double& seconds) const {
    uint64_t frames = 0;
    int64_t stampNanos = 0;
    if (!clock_.stamp->read(frames, stampNanos)) return false;
    const double since = std::clamp(double(nowNanos() - stampNanos) * 1e-9, 0.0, kLongestGapSeconds);
    const double played = double(frames) + since * clock_.rate - clock_.latencyFrames;
    seconds = startSeconds_ + played / clock_.rate;
    return true;
}

void TimecodeSession::send(std::initializer_list<uint8_t> bytes) {
    out_(bytes.begin(), static_cast<int>(bytes.size()));
}

void TimecodeSession::sendFullFrame(double songSeconds) {
    const auto frame = static_cast<int64_t>(std::floor(std::max(0.0, songSeconds) * rate_.num / rate_.den));
    const TimecodeLabel l = labelOf(startIndex_ + frame, rate_);
    send({0xF0, 0x7F, 0x7F, 0x01, 0x01, static_cast<uint8_t>(rate_.mtcCode << 5 | l.hours),
          static_cast<uint8_t>(l.minutes), static_cast<uint8_t>(l.seconds), static_cast<uint8_t>(l.frames), 0xF7});
}

void TimecodeSession::restartQuarterFrames(double songSeconds) {
    groupFrame_ = static_cast<int64_t>(std::ceil(std::max(0.0, songSeconds) * rate_.num / rate_.den - 1e-9));
    piece_ = 0;
}

double TimecodeSession::quarterFrameDue() const {
    if (!settings_.mtc) return kNever;
    return (double(groupFrame_) + piece_ * 0.25) * rate_.den / rate_.num;
}

void TimecodeSession::sendQuarterFrame() {
    // The eight pieces of a group carry the label of the frame piece 0 went out with.
    const TimecodeLabel l = labelOf(startIndex_ + groupFrame_, rate_);
    int nibble = 0;
    switch (piece_) {
    case 0: nibble = l.frames & 0xF; break;
    case 1: nibble = l.frames >> 4; break;
    case 2: nibble = l.seconds & 0xF; break;
    case 3: nibble = l.seconds >> 4; break;
    case 4: nibble = l.minutes & 0xF; break;
    case 5: nibble = l.minutes >> 4; break;
    case 6: nibble = l.hours & 0xF; break;
    default: nibble = rate_.mtcCode << 1 | l.hours >> 4; break;
    }
    send({0xF1, static_cast<uint8_t>(piece_ << 4 | nibble)});
    if (++piece_ == 8) {
        piece_ = 0;
        groupFrame_ += 2;
    }
}

double TimecodeSession::clockDue() const {
    if (!song_) return kNever;
    return song_->secondsAtTick(double(pulse_) * song_->division / kClocksPerQuarter);
}

void TimecodeSession::startClock(double songSeconds) {
    // The first clock at or after the start; in the middle of a song, on a sixteenth note,
    // the steps a Song Position Pointer counts in.
    pulse_ = 0;
    while (clockDue() < songSeconds)
        ++pulse_;
    if (pulse_ == 0) {
        send({0xFA});
        return;
    }
    const uint64_t sixteenth = std::min((pulse_ + kClocksPerSixteenth - 1) / kClocksPerSixteenth, kLastSongPosition);
    pulse_ = sixteenth * kClocksPerSixteenth;
    send({0xF2, static_cast<uint8_t>(sixteenth & 0x7F), static_cast<uint8_t>(sixteenth >> 7)});
    send({0xFB});
}

void TimecodeSession::run() {
    if (settings_.mtc) {
        sendFullFrame(startSeconds_);
        restartQuarterFrames(startSeconds_);
    }
    if (song_) startClock(startSeconds_);
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        auto wait = std::chrono::duration_cast<Clock::duration>(kWaitForFirstBlock);
        double now = 0.0;
        if (audibleSeconds(now)) {
            if (now - quarterFrameDue() > kLateFrames * rate_.den / rate_.num) {
                sendFullFrame(now);
                restartQuarterFrames(now);
            }
            while (quarterFrameDue() <= now)
                sendQuarterFrame();
            while (clockDue() <= now) {
                send({0xF8});
                ++pulse_;
            }
            const double ahead = std::min({quarterFrameDue() - now, clockDue() - now, kLongestWaitSeconds});
            wait = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(ahead));
        }
        lock.lock();
        wake_.wait_for(lock, wait, [this] { return stopping_; });
    }
    lock.unlock();
    double stoppedAt = startSeconds_;
    if (settings_.mtc) {
        audibleSeconds(stoppedAt);
        sendFullFrame(stoppedAt);
    }
}

} // namespace vl::engine::timecode
