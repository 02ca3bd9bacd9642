#pragma once
// Songs of eight generated tracks in a temporary folder, shared by the engine benchmarks.

#include "tests/engine/AudioFileWriter.h"

#include "engine/Engine.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace vl::bench {

class MediaFolder {
public:
    MediaFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vlbench-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~MediaFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    MediaFolder(const MediaFolder&) = delete;
    MediaFolder& operator=(const MediaFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Eight tracks of `seconds`, each its own tone, in the given rate and format; made once.
    std::vector<std::string> song(const std::string& name, double seconds, int rate, int format = 0,
                                  const char* extension = ".wav") {
        std::vector<std::string> paths;
        for (int t = 0; t < 8; ++t) {
            const auto path = path_ / (name + std::to_string(t) + extension);
            if (!std::filesystem::exists(path) &&
                !vl::test::writeToneFile(path, rate, 2, seconds, 110.0 * (t + 1), 0.1f, format))
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
            paths.push_back(path.string());
        }
        return paths;
    }

private:
    std::filesystem::path path_;
};

inline constexpr int kMp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;

// Slot t + 1 plays track t on pair t / 2, as a song spread over four pairs would.
inline void loadSong(vl::engine::Engine& engine, const std::vector<std::string>& tracks) {
    for (int t = 0; t < 8; ++t)
        engine.setTrackFile(t + 1, static_cast<uint8_t>(t / 2), 0.8f, static_cast<int16_t>(t * 20 - 70),
                            tracks[t].c_str());
}

// Every track with both sends, its equaliser and its compressor on, as a mixer file
// sets them after the start.
inline void allEffectsOn(vl::engine::Engine& engine) {
    engine.setBusEffectLevels(90, 100);
    for (int t = 1; t <= 8; ++t) {
        engine.sendEffects(t, 80, 60);
        engine.setEq(t, 3.0f, -2.0f, 5.0f);
        engine.setCompressor(t, 4, -24, 150, 2);
    }
    engine.setBusReverb(4);
    engine.setBusDelay(350, 2);
}

// The audio callback's underruns and times since the engine opened its device.
inline void reportCallback(benchmark::State& state, const vl::engine::Engine& engine) {
    const auto& counters = engine.counters();
    state.counters["underruns"] = double(counters.underruns.load());
    state.counters["max_callback_us"] = double(counters.maxCallbackNanos.load()) / 1000.0;
    state.counters["mean_callback_us"] = double(counters.callbackNanos.load()) / 1000.0 /
                                         double(std::max<uint64_t>(1, counters.blocks.load()));
}

} // namespace vl::bench
