#include "remote/OperatorGate.h"

#include <QRandomGenerator>

#include <algorithm>

namespace vl {

namespace {

constexpr std::size_t kMaxAddresses = 1024;
constexpr std::chrono::minutes kForgetWrongAfter{30};
constexpr int kMaxLockDoublings = 4;

QByteArray newToken() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

} // namespace

bool sameInConstantTime(const QByteArray& a, const QByteArray& b) {
    const qsizetype n = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

OperatorGate::OperatorGate(QString pin) : pin_(pin.toUtf8()) {}

OperatorGate::Answer OperatorGate::tryPin(const std::string& address, const QString& pin, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    dropLapsed(now);
    Address& a = addresses_[address];
    if (now < a.lockedUntil) {
        const auto wait = std::chrono::ceil<std::chrono::seconds>(a.lockedUntil - now);
        return {PinResult::Locked, {}, static_cast<int>(wait.count())};
    }
    if (!pin_.isEmpty() && sameInConstantTime(pin.toUtf8(), pin_)) {
        addresses_.erase(address);
        if (sessions_.size() >= kMaxTokens) sessions_.erase(sessions_.begin());
        sessions_.push_back({newToken(), now + kTokenLife});
        return {PinResult::Accepted, sessions_.back().token, 0};
    }
    ++a.wrong;
    a.lastWrong = now;
    if (a.wrong >= kWrongPinsBeforeLock) {
        // Each wrong PIN past the limit doubles the wait, so guessing stays slow.
        const int doublings = std::min(a.wrong - kWrongPinsBeforeLock, kMaxLockDoublings);
        a.lockedUntil = now + kFirstLock * (1 << doublings);
    }
    return {PinResult::Wrong, {}, 0};
}

bool OperatorGate::admits(const QByteArray& token, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    dropLapsed(now);
    bool found = false;
    for (const Session& s : sessions_) found |= sameInConstantTime(s.token, token);
    return found && !token.isEmpty();
}

void OperatorGate::forget(const QByteArray& token) {
    std::lock_guard lock(mutex_);
    std::erase_if(sessions_, [&](const Session& s) { return s.token == token; });
}

void OperatorGate::dropLapsed(Clock::time_point now) {
    std::erase_if(sessions_, [&](const Session& s) { return s.lapses <= now; });
    std::erase_if(addresses_, [&](const auto& entry) {
        const Address& a = entry.second;
        return now >= a.lockedUntil && now - a.lastWrong > kForgetWrongAfter;
    });
    // A flood of addresses cannot grow the table without bound: the oldest go first.
    while (addresses_.size() > kMaxAddresses) {
        auto oldest = std::min_element(addresses_.begin(), addresses_.end(), [](const auto& x, const auto& y) {
            return x.second.lastWrong < y.second.lastWrong;
        });
        addresses_.erase(oldest);
    }
}

} // namespace vl

