// A song rendered as fast as the machine goes, for a rehearsal mix: the caller's thread
// tops up the rings and then pulls the block, so a render never misses a frame.
#include "engine/Engine.h"

#include "engine/devices/ManualDevice.h"

#include <algorithm>

namespace vl::engine {

int Engine::openOfflineDevice() {
    ManualDevice& device = openManualDevice(kSampleRate);
    offline_ = &device;
    return 1;
}

int Engine::renderOffline(float* const* channels, int frames) {
    if (!channels || frames <= 0) return 0;
    if (!offline_ || device() != offline_) {
        for (int c = 0; c < kOutputChannels; ++c)
            if (channels[c]) std::fill(channels[c], channels[c] + frames, 0.0f);
        return 0;
    }
    // Rings hold over two seconds: in pieces of a second the decoder stays ahead.
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, kSampleRate);
        keeper_.refillNow();
        float* part[kOutputChannels];
        for (int c = 0; c < kOutputChannels; ++c)
            part[c] = channels[c] + done;
        offline_->render(part, n);
        done += n;
    }
    return 1;
}

} // namespace vl::engine
