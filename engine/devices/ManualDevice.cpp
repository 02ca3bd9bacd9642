#include "engine/devices/ManualDevice.h"

#include "engine/AudioFormat.h"

#include <algorithm>

namespace vl::engine {

void ManualDevice::render(float* const* channels, int frames) {
    if (AudioSource* s = source_.load(std::memory_order_acquire)) {
        s->render_RT(channels, frames);
        return;
    }
    for (int c = 0; c < kOutputChannels; ++c)
        std::fill(channels[c], channels[c] + frames, 0.0f);
}

} // namespace vl::engine
