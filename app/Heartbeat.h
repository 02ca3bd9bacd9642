#pragma once
// A measurement of the interface thread: when VELLAMORINTH_HEARTBEAT names a file, a timer
// ticks every 10 ms and every tick that comes more than 20 ms late is written there as
// "<ms since start> <ms late>", so that a benchmark sees what any action froze.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

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
    QElapsedTimer clock_;
    qint64 last_ = 0;
    std::FILE* log_ = nullptr;
};

} // namespace vl
