#pragma once
// A control value (a gain, a mix, a feedback) that moves to its newest setting in a
// straight line over one audio block, so a change never clicks. The first block after
// construction or restart() starts at the setting itself: there is nothing to glide
// from. The caller walks the line inside its own loop, so a hot loop keeps its own
// arithmetic; the ramp keeps the state between blocks. Audio thread only.

namespace vl::engine::dsp {

class Ramp {
  public:
    Ramp() = default;
    explicit Ramp(float initial) : value_(initial), target_(initial) {}

    void set(float target) { target_ = target; }
    float target() const { return target_; }
    // The next block starts at the setting (after the effect's memory was wiped).
    void restart() { primed_ = false; }
    // False until the first block (or again after restart()).
    bool primed() const { return primed_; }

    // At a block's start: the value there.
    float start() {
        if (!primed_) {
            value_ = target_;
            primed_ = true;
        }
        return value_;
    }
    // Per sample over a block of n, after start().
    float stepOver(int n) const { return (target_ - value_) / static_cast<float>(n); }
    // At a block's end: the setting is reached.
    void finish() { value_ = target_; }

  private:
    float value_ = 0.0f;
    float target_ = 0.0f;
    bool primed_ = false;
};

} // namespace vl::engine::dsp
