#pragma once
// A measurement of the interface thread: when VELLAMORINTH_HEARTBEAT names a file, a timer
// ticks every 10 ms and every tick that comes more than 20 ms late is written there as
// "<ms of the steady clock> <ms late>", so that a benchmark sees what any of its actions froze.

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace vl {

class Heartbeat : public QObject {
public:
    // Does nothing when the variable is not set.
    Heartbeat();
    ~Heartbeat() override;

    static constexpr int kTickMs = 10;
    static constexpr int kReportLateMs = 20;

private:
    void tick();

    QTimer timer_;
    std::chrono::steady_clock::time_point last_;
    std::FILE* log_ = nullptr;
};

} // namespace vl
