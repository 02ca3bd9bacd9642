#include "engine/dsp/TrackEffects.h"

#include <algorithm>

namespace vl::engine::dsp {

template <typename Effect> void TrackEffects::Switched<Effect>::want(bool on) {
    // Switched back on before the old tail is wiped: the wipe goes on at its pace per block
    // and the effect fades in once its memory is clear, so no block pays for all of it.
    resume = on && phase == Phase::Clearing;
    if (on) {
        if (phase == Phase::Off || phase == Phase::FadingOut) phase = Phase::FadingIn;
    } else if (phase == Phase::On || phase == Phase::FadingIn) {
        phase = Phase::FadingOut;
    }
}

template <typename Effect> void TrackEffects::Switched<Effect>::startOn() {
    phase = Phase::On;
    mix = 1.0f;
}

template <typename Effect> void TrackEffects::Switched<Effect>::process(float* left, float* right, int n) {
    switch (phase) {
    case Phase::Off:
        return;
    case Phase::Clearing:
        if (effect.clearSome(kClearPerBlock)) phase = resume ? Phase::FadingIn : Phase::Off;
        return;
    case Phase::On:
        effect.process(left, right, n);
        return;
    case Phase::FadingIn:
    case Phase::FadingOut:
        break;
    }
    constexpr int kChunk = 64;
    const float step = (phase == Phase::FadingIn ? 1.0f : -1.0f) / kSwitchFade;
    float dryL[kChunk];
    float dryR[kChunk];
    for (int start = 0; start < n; start += kChunk) {
        const int m = std::min(kChunk, n - start);
        float* l = left + start;
        float* r = right + start;
        if (phase == Phase::On) {
            effect.process(l, r, m);
            continue;
        }
        if (phase != Phase::FadingIn && phase != Phase::FadingOut) return;
        std::copy(l, l + m, dryL);
        std::copy(r, r + m, dryR);
        effect.process(l, r, m);
        for (int i = 0; i < m; ++i) {
            mix = std::clamp(mix + step, 0.0f, 1.0f);
            l[i] = dryL[i] + mix * (l[i] - dryL[i]);
            r[i] = dryR[i] + mix * (r[i] - dryR[i]);
        }
        if (phase == Phase::FadingIn && mix >= 1.0f) {
            phase = Phase::On;
        } else if (phase == Phase::FadingOut && mix <= 0.0f) {
            phase = Phase::Clearing;
            effect.startClearing();
        }
    }
}

TrackEffects::TrackEffects(double sampleRate)
    : echo_(sampleRate), reverb_(sampleRate), compressor_(sampleRate), eq_(sampleRate) {
    compressor_.setParams(current_.compressor);
}

void TrackEffects::process(float* left, float* right, int n) {
    if (n <= 0) return;
    if (settings_.read(current_)) {
        eq_.setParams(current_.eq);
        compressor_.setParams(current_.compressor);
        reverb_.effect.setParams(current_.reverb);
        echo_.effect.setParams(current_.echo);
        reverb_.want(current_.reverbOn);
        echo_.want(current_.echoOn);
        if (!started_ && current_.reverbOn) reverb_.startOn();
        if (!started_ && current_.echoOn) echo_.startOn();
    }
    started_ = true;
    echo_.process(left, right, n);
    reverb_.process(left, right, n);
    compressor_.process(left, right, n);
    eq_.process(left, right, n);
}

} // namespace vl::engine::dsp
