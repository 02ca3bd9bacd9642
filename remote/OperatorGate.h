#pragma once
// Who may drive the show from a page: the operator PIN, compared in constant time; wrong
// PINs counted per address, which is shut out for a while after too many; and the random
// session tokens handed out for a right PIN, which lapse. Any thread may call it.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vl {

class OperatorGate {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kWrongPinsBeforeLock = 9;
    static constexpr std::chrono::seconds kFirstLock{60};
    static constexpr std::chrono::hours kTokenLife{4};
    static constexpr std::size_t kMaxTokens = 64;

    // An empty PIN lets nobody in.
    explicit OperatorGate(QString pin);

    enum class PinResult { Accepted, Wrong, Locked };
    struct Answer {
        PinResult result = PinResult::Wrong;
        QByteArray token; // Accepted: the session's token
        int waitSeconds = 0; // Locked: until another PIN is heard
    };
    Answer tryPin(const std::string& address, const QString& pin, Clock::time_point now = Clock::now());
    bool admits(const QByteArray& token, Clock::time_point now = Clock::now());
    void forget(const QByteArray& token);

private:
    struct Address {
        int wrong = 0;
        Clock::time_point lockedUntil{};
        Clock::time_point lastWrong{};
    };
    struct Session {
        QByteArray token;
        Clock::time_point lapses;
    };
    void dropLapsed(Clock::time_point now);

    const QByteArray pin_;
    std::mutex mutex_;
    std::map<std::string, Address> addresses_;
    std::vector<Session> sessions_;
};

// Equal contents, in a time that depends only on the lengths' maximum.
bool sameInConstantTime(const QByteArray& a, const QByteArray& b);

} // namespace vl
