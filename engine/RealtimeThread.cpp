#include "engine/RealtimeThread.h"

namespace vl::engine {

namespace {
thread_local bool tlInside = false;
}

bool insideAudioCallback() {
    return tlInside;
}

AudioCallbackScope::AudioCallbackScope() {
    tlInside = true;
}

AudioCallbackScope::~AudioCallbackScope() {
    tlInside = false;
}

} // namespace vl::engine
