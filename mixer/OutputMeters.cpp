#include "mixer/OutputMeters.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vl {

namespace {

// A bar falls this fast after a peak, as a desk's meter does, so a short peak can be read.
constexpr float kFallDbPerSecond = 24.0f;
constexpr int kLightHeight = 10;
constexpr int kLabelHeight = 12;
constexpr int kGap = 3;

float barOf(float peak) {
    if (!(peak > 0.0f)) return 0.0f;
    const float db = 20.0f * std::log10(peak);
    return std::clamp(1.0f - db / OutputMeters::kFloorDb, 0.0f, 1.0f);
}

} // namespace

OutputMeters::OutputMeters(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("outputMeters"));
}

void OutputMeters::showPeaks(const std::array<float, kChannels>& channelPeaks, qint64 nowMs) {
    const qint64 elapsed = lastReading_ < 0 ? 0 : std::max<qint64>(0, nowMs - lastReading_);
    const float fall = kFallDbPerSecond * static_cast<float>(elapsed) / 1000.0f / -kFloorDb;
    for (int pair = 0; pair < kPairs; ++pair) {
        const auto i = static_cast<std::size_t>(pair);
        const float peak = std::max(channelPeaks[2 * i], channelPeaks[2 * i + 1]);
        bars_[i] = std::max(barOf(peak), bars_[i] - fall);
        if (peak > 1.0f) clipUntil_[i] = nowMs + kClipHoldMs;
    }
    now_ = nowMs;
    lastReading_ = nowMs;
    update();
}

void OutputMeters::reset() {
    bars_.fill(0.0f);
    clipUntil_.fill(0);
    lastReading_ = -1;
    update();
}

void OutputMeters::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int columnWidth = (width() - (kPairs - 1) * kGap) / kPairs;
    const int barTop = kLightHeight + kGap;
    const int barHeight = height() - barTop - kLabelHeight;
    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);
    for (int pair = 0; pair < kPairs; ++pair) {
        const int x = pair * (columnWidth + kGap);
        p.fillRect(x, 0, columnWidth, kLightHeight, clipLit(pair) ? QColor(255, 32, 16) : QColor(70, 18, 14));
        p.fillRect(x, barTop, columnWidth, barHeight, QColor(24, 24, 24));
        const int lit = static_cast<int>(std::lround(barLevel(pair) * static_cast<float>(barHeight)));
        // Green up to -12 dB, yellow above it, as on a desk.
        const int yellowFrom = static_cast<int>(std::lround((1.0f - 12.0f / -kFloorDb) * barHeight));
        const int green = std::min(lit, yellowFrom);
        p.fillRect(x, barTop + barHeight - green, columnWidth, green, QColor(40, 200, 60));
        if (lit > green) p.fillRect(x, barTop + barHeight - lit, columnWidth, lit - green, QColor(240, 210, 40));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(x - kGap, height() - kLabelHeight, columnWidth + 2 * kGap, kLabelHeight), Qt::AlignCenter,
                   QStringLiteral("%1/%2").arg(2 * pair + 1).arg(2 * pair + 2));
    }
}

} // namespace vl
