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
    clock_.start();
    timer_.start();
}

Heartbeat::~Heartbeat() {
    if (log_) std::fclose(log_);
}

void Heartbeat::tick() {
    const qint64 now = clock_.elapsed();
    const qint64 late = now - last_ - kTickMs;
    last_ = now;
    if (late <= kReportLateMs) return;
    std::fprintf(log_, "%lld %lld\n", static_cast<long long>(now), static_cast<long long>(late));
    std::fflush(log_);
}

} // namespace vl
