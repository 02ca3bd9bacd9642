#include "app/Heartbeat.h"

namespace vl {

Heartbeat::Heartbeat() {
    const QByteArray path = qgetenv("VELLAMORINTH_HEARTBEAT");
    if (path.isEmpty()) return;
    log_ = std::fopen(path.constData(), "a");
    if (!log_) return;
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &Heartbeat::tick);
    last_ = std::chrono::steady_clock::now();
    timer_.start();
}

Heartbeat::~Heartbeat() {
    if (log_) std::fclose(log_);
}

void Heartbeat::tick() {
    using namespace std::chrono;
    const steady_clock::time_point now = steady_clock::now();
    const long long late = duration_cast<milliseconds>(now - last_).count() - kTickMs;
    last_ = now;
    if (late <= kReportLateMs) return;
    std::fprintf(log_, "%lld %lld\n", static_cast<long long>(duration_cast<milliseconds>(now.time_since_epoch()).count()), late);
    std::fflush(log_);
}

} // namespace vl
