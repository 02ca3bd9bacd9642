#pragma once
// Writes generated audio files (tones, ramps) for engine tests and benchmarks.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace vl::test {

// `sample(frame, channel)` gives each value; `format` is libsndfile's (default 16-bit WAV).
// 16-bit files get value x 32768, the inverse of how they are read, so a value on the
// 16-bit grid reads back exactly.
template <typename SampleFn>
bool writeAudioFile(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                    SampleFn sample, int format = 0) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format ? format : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const bool pcm16 = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
    std::vector<float> block(static_cast<std::size_t>(4096 * channels));
    std::vector<short> shorts(block.size());
    bool ok = true;
    for (int64_t done = 0; done < frames && ok;) {
        const int64_t n = std::min<int64_t>(4096, frames - done);
        for (int64_t f = 0; f < n; ++f)
            for (int c = 0; c < channels; ++c)
                block[static_cast<std::size_t>(f * channels + c)] = sample(done + f, c);
        if (pcm16) {
            for (std::size_t i = 0; i < block.size(); ++i)
                shorts[i] = static_cast<short>(std::clamp(std::lrint(block[i] * 32768.0f), -32768L, 32767L));
            ok = sf_writef_short(file, shorts.data(), n) == n;
        } else {
            ok = sf_writef_float(file, block.data(), n) == n;
        }
        done += n;
    }
    return sf_close(file) == 0 && ok;
}

// A sine of `hz` at `amplitude` on every channel.
inline bool writeToneFile(const std::filesystem::path& path, int rate, int channels, double seconds,
                          double hz, float amplitude, int format = 0) {
    return writeAudioFile(
        path, rate, channels, static_cast<int64_t>(seconds * rate),
        [&](int64_t f, int) {
            return amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * double(f) / rate));
        },
        format);
}

} // namespace vl::test
