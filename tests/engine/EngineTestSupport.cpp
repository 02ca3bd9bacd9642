#include "EngineTestSupport.h"

#include "AudioFileWriter.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace vl::test {

void writeAudio(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                const std::function<float(int64_t, int)>& sample, int format) {
    ASSERT_TRUE(writeAudioFile(path, rate, channels, frames, sample, format)) << path;
}

void writeTone(const std::filesystem::path& path, int rate, int channels, double seconds, double hz,
               float amplitude, int format) {
    ASSERT_TRUE(writeToneFile(path, rate, channels, seconds, hz, amplitude, format)) << path;
}

Outputs renderFrames(vl::engine::Engine& engine, vl::engine::ManualDevice& device, int frames, int block,
                     bool service) {
    Outputs out;
    for (auto& c : out)
        c.assign(static_cast<std::size_t>(frames), 0.0f);
    for (int done = 0; done < frames;) {
        const int n = std::min(block, frames - done);
        if (service) engine.serviceDecoder();
        float* channels[vl::engine::kOutputChannels];
        for (int c = 0; c < vl::engine::kOutputChannels; ++c)
            channels[c] = out[c].data() + done;
        device.render(channels, n);
        done += n;
    }
    return out;
}

int deviceEntry(const vl::engine::Engine& engine, const std::string& name) {
    for (int i = 0; i < engine.deviceCount(); ++i)
        if (engine.driverName(i) == name) return i;
    return -1;
}

bool openListed(vl::engine::Engine& engine, const std::string& name) {
    engine.initAudioDriver(-1, nullptr);
    const int index = deviceEntry(engine, name);
    return index >= 0 && engine.initAudioDriver(index, nullptr) == 1;
}

double toneRms(double amplitude) {
    return amplitude * vl::engine::kTrackLevel / std::sqrt(2.0);
}

void loadTracks(vl::engine::Engine& engine, const std::filesystem::path& dir,
                const std::vector<std::pair<std::string, uint8_t>>& files) {
    for (int slot = 1; slot <= 8; ++slot) {
        const bool given = std::size_t(slot) <= files.size();
        const auto& [name, pair] = given ? files[slot - 1] : std::pair<std::string, uint8_t>{"none", 0};
        engine.setTrackFile(slot, pair, 1.0f, 0, (dir / name).c_str());
    }
}

} // namespace vl::test

#if defined(__SANITIZE_THREAD__)
// The recorder reads port buffers that the engine's JACK client wrote in the same process;
// the server orders the two clients through its own futexes and pipes, which
// ThreadSanitizer cannot see. FluidSynth loads a sound font's samples on OpenMP threads,
// which libgomp joins through futexes ThreadSanitizer cannot see either.
extern "C" const char* __tsan_default_suppressions() {
    return "race:vl::test::JackRecorder::process\ncalled_from_lib:libgomp.so.1\n";
}
#endif
