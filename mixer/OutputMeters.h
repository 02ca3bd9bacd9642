#pragma once
// The program editor's output meters: one bar per output pair showing the louder of its two
// channels, and above it a clip light that stays lit for a moment after the pair clipped, so
// that a mix too hot for the sound card shows while the song is being set up.

#include <QWidget>

#include <array>

namespace vl {

class OutputMeters : public QWidget {
  public:
    static constexpr int kPairs = 4;
    static constexpr int kChannels = 2 * kPairs;
    // How long a clip light stays on after the last clipped reading.
    static constexpr qint64 kClipHoldMs = 2000;
    // The bar's range: from this level in dB up to full scale.
    static constexpr float kFloorDb = -48.0f;

    explicit OutputMeters(QWidget* parent = nullptr);

    // One reading of the engine's channel peaks (1.0 full scale, above it clipped), taken at
    // `nowMs` on a steady clock.
    void showPeaks(const std::array<float, kChannels>& channelPeaks, qint64 nowMs);
    // Bars down, lights off: a song opened anew.
    void reset();

    bool clipLit(int pair) const { return clipUntil_[static_cast<std::size_t>(pair)] > now_; }
    // The bar's height, 0 (at or below the floor) to 1 (full scale).
    float barLevel(int pair) const { return bars_[static_cast<std::size_t>(pair)]; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<float, kPairs> bars_{};
    std::array<qint64, kPairs> clipUntil_{};
    qint64 now_ = 0;
    qint64 lastReading_ = -1;
};

} // namespace vl
