#include "engine/dsp/ParametricEq.h"

#include "engine/dsp/Dsp.h"
#include "engine/dsp/VectorClones.h"

namespace vl::engine::dsp {

namespace {

// The bands in chain order in one pass, both channels at once. Band b works on
// sample t - kLag * b in step t: the bands of one step do not wait for each other,
// their recursions overlap, and a band's output has kLag steps to get ready for
// the next band. Inlined, so that each build of filterActive gets its own copy.
template <int N>
[[gnu::always_inline]] inline void filterTogether(EqBand* const* bands, float* left, float* right, int n) {
    constexpr int kLag = 4;
    StereoBiquadCoefficients coefficients[N];
    StereoBiquad filters[N];
    // Each band's last inputs by sample index; in memory, so that the output
    // histories keep the registers.
    Double2 inputs[N][4];
    for (int b = 0; b < N; ++b) {
        const auto& h = bands[b]->history();
        coefficients[b] = StereoBiquadCoefficients(bands[b]->coefficients());
        filters[b] = StereoBiquad{{h[0].y1, h[1].y1}, {h[0].y2, h[1].y2}};
        inputs[b][3] = Double2{h[0].x1, h[1].x1};
        inputs[b][2] = Double2{h[0].x2, h[1].x2};
    }
    Double2 carry[N][kLag]{}; // each band's outputs not yet taken by the next band
    const auto step = [&](int t, bool checked) {
        // Last band first: it takes its input before the band ahead replaces it.
        for (int b = N - 1; b >= 0; --b) {
            const int i = t - kLag * b;
            if (checked && (i < 0 || i >= n)) continue;
            const Double2 x = b == 0 ? Double2{left[i], right[i]} : carry[b - 1][t % kLag];
            inputs[b][i & 3] = x;
            const Double2 y =
                filters[b].process(coefficients[b], x, inputs[b][(i - 1) & 3], inputs[b][(i - 2) & 3]);
            const Vec4 out = narrowed(y);
            if (b == N - 1) {
                left[i] = out[0];
                right[i] = out[1];
            } else {
                carry[b][t % kLag] = widened(out);
            }
        }
    };
    const int fill = kLag * (N - 1);
    const int steps = n + fill;
    int t = 0;
    for (; t < std::min(fill, steps); ++t)
        step(t, true);
    for (; t < n; ++t)
        step(t, false);
    for (; t < steps; ++t)
        step(t, true);
    for (int b = 0; b < N; ++b) {
        auto& h = bands[b]->history();
        const Double2 x1 = inputs[b][(n - 1) & 3], x2 = inputs[b][(n - 2) & 3];
        h[0] = {x1[0], x2[0], filters[b].y1[0], filters[b].y2[0]};
        h[1] = {x1[1], x2[1], filters[b].y1[1], filters[b].y2[1]};
    }
}

VL_VECTOR_CLONES void filterActive(EqBand* const* active, int count, float* left, float* right, int n) {
    switch (count) {
    case 1:
        filterTogether<1>(active, left, right, n);
        break;
    case 2:
        filterTogether<2>(active, left, right, n);
        break;
    case 3:
        filterTogether<3>(active, left, right, n);
        break;
    default:
        break;
    }
}

} // namespace

// A centre near or past Nyquist would give an unstable filter at the lowest rates.
EqBand::EqBand(double centreHz, double bandwidthSemitones, double sampleRate)
    : centreHz_(std::min(centreHz, 0.45 * effectRate(sampleRate))), octaves_(bandwidthSemitones / 12.0),
      rate_(effectRate(sampleRate)) {}

void EqBand::setGainDb(float db) {
    if (std::isnan(db)) return; // keeps the previous gain
    pendingDb_ = std::clamp(db, -kMaxGainDb, kMaxGainDb);
}

void EqBand::reset() {
    gainDb_ = pendingDb_ = 0.0f;
    fadePos_ = -1;
    current_ = next_ = BiquadCoefficients{};
    state_ = nextState_ = {};
}

void EqBand::startFade() {
    gainDb_ = pendingDb_;
    next_ = gainDb_ == 0.0f ? BiquadCoefficients{} : peakingCoefficients(centreHz_, octaves_, gainDb_, rate_);
    nextState_ = state_;
    fadePos_ = 0;
}

void EqBand::prepare() {
    if (fadePos_ < 0 && pendingDb_ != gainDb_) startFade();
}

void EqBand::process(float* left, float* right, int n) {
    prepare();
    int i = 0;
    if (fadePos_ >= 0) {
        for (; i < n && fadePos_ < kFadeLength; ++i, ++fadePos_) {
            const double t = (fadePos_ + 1) / static_cast<double>(kFadeLength);
            const double oldL = state_[0].process(current_, left[i]);
            const double oldR = state_[1].process(current_, right[i]);
            const double newL = nextState_[0].process(next_, left[i]);
            const double newR = nextState_[1].process(next_, right[i]);
            left[i] = static_cast<float>(oldL + t * (newL - oldL));
            right[i] = static_cast<float>(oldR + t * (newR - oldR));
        }
        if (fadePos_ >= kFadeLength) {
            fadePos_ = -1;
            current_ = next_;
            state_ = nextState_;
        }
    }
    if (i == n) return;
    if (gainDb_ == 0.0f && fadePos_ < 0) {
        state_[0].passThrough(left + i, n - i);
        state_[1].passThrough(right + i, n - i);
        return;
    }
    for (; i < n; ++i) {
        left[i] = static_cast<float>(state_[0].process(current_, left[i]));
        right[i] = static_cast<float>(state_[1].process(current_, right[i]));
    }
}

ParametricEq::ParametricEq(double sampleRate)
    : low_(kLowHz, kLowSemitones, sampleRate), mid_(kMidHz, kMidSemitones, sampleRate),
      high_(kHighHz, kHighSemitones, sampleRate) {}

void ParametricEq::setParams(const EqParams& params) {
    low_.setGainDb(params.lowDb);
    mid_.setGainDb(params.midDb);
    high_.setGainDb(params.highDb);
}

void ParametricEq::process(float* left, float* right, int n) {
    EqBand* const chain[] = {&low_, &mid_, &high_};
    bool fading = false;
    for (EqBand* band : chain) {
        band->prepare();
        fading = fading || band->fading();
    }
    if (fading || n <= 0) {
        for (EqBand* band : chain)
            band->process(left, right, n);
        return;
    }
    // A bypassed band still keeps the history of its input, which is the output of
    // the band before it: its last samples are taken before they are overwritten.
    const int tail = std::min(n, 2);
    float lastL[2], lastR[2];
    std::copy(left + n - tail, left + n, lastL + 2 - tail);
    std::copy(right + n - tail, right + n, lastR + 2 - tail);
    EqBand* active[3];
    int count = 0;
    for (EqBand* band : chain)
        if (!band->bypassed()) active[count++] = band;
    filterActive(active, count, left, right, n);
    for (EqBand* band : chain) {
        auto& h = band->history();
        if (band->bypassed()) {
            h[0].passThrough(lastL + 2 - tail, tail);
            h[1].passThrough(lastR + 2 - tail, tail);
        } else {
            lastL[0] = static_cast<float>(h[0].y2);
            lastL[1] = static_cast<float>(h[0].y1);
            lastR[0] = static_cast<float>(h[1].y2);
            lastR[1] = static_cast<float>(h[1].y1);
        }
    }
}

void ParametricEq::reset() {
    low_.reset();
    mid_.reset();
    high_.reset();
}

} // namespace vl::engine::dsp
