#pragma once
// What an output device pulls from: eight planar float channels per call.

namespace vl::engine {

class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Audio thread: fill channels[0..7] with `frames` samples each. Never blocks.
    virtual void render_RT(float* const* channels, int frames) = 0;
};

} // namespace vl::engine
