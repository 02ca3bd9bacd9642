#pragma once
// The sample memory of a delay-based effect, allocated once, and the delay lines
// carved from it. Clearing can be spread over several audio blocks, so switching
// an effect off never costs one long memset inside the callback.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vl::engine::dsp {

class DelayMemory {
  public:
    explicit DelayMemory(std::size_t samples) : samples_(samples, 0.0f) {}

    float* take(std::size_t count) {
        float* p = samples_.data() + used_;
        used_ += count;
        return p;
    }
    // Clears at most budget samples; true when everything is clear.
    bool clearSome(std::size_t budget) {
        const std::size_t end = std::min(samples_.size(), clearCursor_ + budget);
        std::fill(samples_.begin() + static_cast<std::ptrdiff_t>(clearCursor_),
                  samples_.begin() + static_cast<std::ptrdiff_t>(end), 0.0f);
        clearCursor_ = end;
        return clearCursor_ == samples_.size();
    }
    void startClearing() { clearCursor_ = 0; }

  private:
    std::vector<float> samples_;
    std::size_t used_ = 0;
    std::size_t clearCursor_ = 0;
};

// A circular delay line whose length is a power of two.
class DelayLine {
  public:
    DelayLine() = default;
    DelayLine(DelayMemory& memory, std::size_t sizePowerOfTwo)
        : data_(memory.take(sizePowerOfTwo)), mask_(sizePowerOfTwo - 1) {}

    void write(float x) {
        data_[pos_] = x;
        pos_ = (pos_ + 1) & mask_;
    }
    // The sample written delay writes ago (delay >= 1).
    float read(std::size_t delay) const { return data_[(pos_ - delay) & mask_]; }
    // Copies count samples, oldest first, starting with the one written `ago` writes
    // ago (count <= ago, so only samples already written are read).
    void copyRecent(std::size_t ago, std::size_t count, float* out) const {
        const std::size_t start = (pos_ - ago) & mask_;
        const std::size_t first = std::min(count, mask_ + 1 - start);
        std::copy(data_ + start, data_ + start + first, out);
        std::copy(data_, data_ + (count - first), out + first);
    }
    void writeBlock(const float* in, std::size_t count) {
        const std::size_t first = std::min(count, mask_ + 1 - pos_);
        std::copy(in, in + first, data_ + pos_);
        std::copy(in + first, in + count, data_);
        pos_ = (pos_ + count) & mask_;
    }
    // Feeds count new samples in place: f(delayed, fresh, offset, span) is called for
    // stretches in which neither the samples written `delay` writes ago nor the write
    // position wrap, reads `delayed` and fills `fresh` (count <= delay).
    template <typename F> void feed(std::size_t delay, std::size_t count, F&& f) {
        for (std::size_t done = 0; done < count;) {
            const std::size_t read = (pos_ - delay) & mask_;
            const std::size_t span = std::min({count - done, mask_ + 1 - read, mask_ + 1 - pos_});
            f(static_cast<const float*>(data_ + read), data_ + pos_, done, span);
            pos_ = (pos_ + span) & mask_;
            done += span;
        }
    }
    void resetPosition() { pos_ = 0; }

    static std::size_t sizeFor(std::size_t maxDelay) {
        std::size_t size = 1;
        while (size < maxDelay + 2)
            size <<= 1;
        return size;
    }

  private:
    float* data_ = nullptr;
    std::size_t mask_ = 0;
    std::size_t pos_ = 0;
};

} // namespace vl::engine::dsp
