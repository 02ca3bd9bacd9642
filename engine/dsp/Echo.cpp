#include "engine/dsp/Echo.h"

#include "engine/dsp/Dsp.h"
#include "engine/dsp/VectorClones.h"

namespace vl::engine::dsp {

namespace {

float percent(float v, float fallback) {
    return std::isnan(v) ? fallback : std::clamp(v, 0.0f, 100.0f) * 0.01f;
}

} // namespace

void Echo::Tap::request(std::size_t d) {
    if (fadePos >= 0 || d == delay) return;
    nextDelay = d;
    fadePos = 0;
}

float Echo::Tap::read(const DelayLine& line) const {
    const float now = line.read(delay);
    if (fadePos < 0) return now;
    const float t = static_cast<float>(fadePos + 1) / kTimeFade;
    return now + t * (line.read(nextDelay) - now);
}

void Echo::Tap::advance() {
    if (fadePos < 0) return;
    if (++fadePos >= kTimeFade) {
        delay = nextDelay;
        fadePos = -1;
    }
}

Echo::Echo(double sampleRate)
    : rate_(effectRate(sampleRate)),
      lineSize_(DelayLine::sizeFor(static_cast<std::size_t>(msToSamples(kMaxDelayMs, rate_)))),
      memory_(2 * lineSize_), lineL_(memory_, lineSize_), lineR_(memory_, lineSize_) {
    tapL_.delay = tapR_.delay = pendingL_ = pendingR_ = delaySamples(500.0f, 1);
}

std::size_t Echo::delaySamples(float ms, std::size_t fallback) const {
    if (std::isnan(ms)) return fallback;
    return static_cast<std::size_t>(msToSamples(std::clamp(ms, kMinDelayMs, kMaxDelayMs), rate_));
}

void Echo::setParams(const EchoParams& p) {
    wet_.set(percent(p.wetDryPercent, wet_.target()));
    feedback_.set(percent(p.feedbackPercent, feedback_.target()));
    pendingL_ = delaySamples(p.leftMs, pendingL_);
    pendingR_ = delaySamples(p.rightMs, pendingR_);
    panDelay_ = p.panDelay;
}

void Echo::startClearing() {
    memory_.startClearing();
    lineL_.resetPosition();
    lineR_.resetPosition();
    wet_.restart();
    feedback_.restart();
}

bool Echo::clearSome(std::size_t budget) {
    return memory_.clearSome(budget);
}

void Echo::process(float* left, float* right, int n) {
    if (n <= 0) return;
    if (!wet_.primed()) {
        // Nothing in the lines yet to crossfade from: the taps start at the set times.
        tapL_.delay = pendingL_;
        tapR_.delay = pendingR_;
        tapL_.fadePos = tapR_.fadePos = -1;
    }
    const float wet = wet_.start();
    const float feedback = feedback_.start();
    // A new time waits until a running crossfade has finished.
    tapL_.request(pendingL_);
    tapR_.request(pendingR_);
    const float wetStep = wet_.stepOver(n);
    const float feedbackStep = feedback_.stepOver(n);
    if (wetStep == 0.0f && feedbackStep == 0.0f && tapL_.fadePos < 0 && tapR_.fadePos < 0)
        processSteady(left, right, n, wet, feedback);
    else
        processGliding(left, right, n, wet, wetStep, feedback, feedbackStep);
    wet_.finish();
    feedback_.finish();
}

void Echo::processGliding(float* left, float* right, int n, float wet, float wetStep, float feedback,
                          float feedbackStep) {
    for (int i = 0; i < n; ++i) {
        wet += wetStep;
        feedback += feedbackStep;
        const float echoL = tapL_.read(lineL_);
        const float echoR = tapR_.read(lineR_);
        const float inL = left[i];
        const float inR = right[i];
        if (panDelay_) {
            lineL_.write(0.5f * (inL + inR) + feedback * echoR);
            lineR_.write(feedback * echoL);
        } else {
            lineL_.write(inL + feedback * echoL);
            lineR_.write(inR + feedback * echoR);
        }
        tapL_.advance();
        tapR_.advance();
        left[i] = inL + wet * (echoL - inL);
        right[i] = inR + wet * (echoR - inR);
    }
}

VL_VECTOR_CLONES void Echo::processSteady(float* left, float* right, int n, float wet, float feedback) {
    // A chunk no longer than the shorter delay reads only samples written before it,
    // so it can be read, mixed and written back as whole blocks.
    const auto shortest = static_cast<int>(std::min<std::size_t>({tapL_.delay, tapR_.delay, kChunk}));
    float echoL[kChunk], echoR[kChunk], intoL[kChunk], intoR[kChunk];
    for (int start = 0; start < n; start += shortest) {
        const int count = std::min(shortest, n - start);
        const auto size = static_cast<std::size_t>(count);
        lineL_.copyRecent(tapL_.delay, size, echoL);
        lineR_.copyRecent(tapR_.delay, size, echoR);
        float* l = left + start;
        float* r = right + start;
        if (panDelay_) {
            for (int i = 0; i < count; ++i) {
                intoL[i] = 0.5f * (l[i] + r[i]) + feedback * echoR[i];
                intoR[i] = feedback * echoL[i];
            }
        } else {
            for (int i = 0; i < count; ++i) {
                intoL[i] = l[i] + feedback * echoL[i];
                intoR[i] = r[i] + feedback * echoR[i];
            }
        }
        lineL_.writeBlock(intoL, size);
        lineR_.writeBlock(intoR, size);
        for (int i = 0; i < count; ++i) {
            l[i] = l[i] + wet * (echoL[i] - l[i]);
            r[i] = r[i] + wet * (echoR[i] - r[i]);
        }
    }
}

} // namespace vl::engine::dsp
