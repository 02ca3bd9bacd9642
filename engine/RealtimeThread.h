#pragma once
// Marks the span of the audio callback on the calling thread, so that tests can catch an
// allocation or a lock made inside it.

namespace vl::engine {

bool insideAudioCallback();

class AudioCallbackScope {
public:
    AudioCallbackScope();
    ~AudioCallbackScope();
    AudioCallbackScope(const AudioCallbackScope&) = delete;
    AudioCallbackScope& operator=(const AudioCallbackScope&) = delete;
};

} // namespace vl::engine
