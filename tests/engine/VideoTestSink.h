#pragma once
// A video sink for engine tests and benchmarks: records what the engine's video thread
// presents, and reads back the frame number that counterVideo() painted into a picture.

#include "vellamorinth_engine.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vl::test {

// Makes a video with ffmpeg: `fps` pictures a second, each with its frame number n painted as
// two grey levels (left half n % 16, right half n / 16), and a 1 kHz tone as its own sound.
// `codec` holds ffmpeg's output options. False when ffmpeg fails.
inline bool counterVideo(const std::filesystem::path& path, double seconds, int fps, const std::string& size,
                         const std::string& codec) {
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i color=c=black:s=" + size + ":r=" + std::to_string(fps) +
        ":d=" + std::to_string(seconds) + " -f lavfi -i sine=frequency=1000:sample_rate=44100:duration=" +
        std::to_string(seconds) +
        " -vf \"format=yuv420p,geq=lum=if(lt(X\\,W/2)\\,16+13*mod(N\\,16)\\,16+13*floor(N/16)):cb=128:cr=128\" " +
        codec + " '" + path.string() + "'";
    return std::system(command.c_str()) == 0;
}

// The frame number of a counterVideo() picture, from the grey of each half; -1 when a half
// is no counter grey.
inline int counterFrame(const VL_VideoFrame& f) {
    auto digit = [&](int x) {
        const uint8_t* p = f.pixels + static_cast<std::ptrdiff_t>(f.height / 2) * f.stride + x * 4;
        const double level = (p[0] + p[1] + p[2]) / 3.0 * 219.0 / 255.0 / 13.0; // video range, 13 a step
        const long d = std::lround(level);
        return std::abs(level - static_cast<double>(d)) < 0.3 && d >= 0 && d < 16 ? static_cast<int>(d) : -1;
    };
    const int low = digit(f.width / 4), high = digit(f.width * 3 / 4);
    return low < 0 || high < 0 ? -1 : high * 16 + low;
}

class VideoTestSink {
public:
    struct Shown {
        int frame;          // counterFrame() of the picture
        uint32_t songBytes; // when it was due
        int width, height;
    };

    VideoTestSink() {
        sink_.context = this;
        sink_.show = [](void* c) { static_cast<VideoTestSink*>(c)->shows_++; };
        sink_.fitSize = [](void* c, int32_t* w, int32_t* h) {
            auto* self = static_cast<VideoTestSink*>(c);
            *w = self->fitWidth;
            *h = self->fitHeight;
        };
        sink_.present = [](void* c, const VL_VideoFrame* f) {
            auto* self = static_cast<VideoTestSink*>(c);
            std::lock_guard lock(self->mutex_);
            self->shown_.push_back({counterFrame(*f), f->songBytes, f->width, f->height});
        };
    }
    VL_VideoSink* sink() { return &sink_; }
    int shows() const { return shows_; }
    std::vector<Shown> shown() {
        std::lock_guard lock(mutex_);
        return shown_;
    }
    // Waits (at most five seconds) until the last picture shown is frame `frame`.
    bool waitForFrame(int frame) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard lock(mutex_);
                if (!shown_.empty() && shown_.back().frame == frame) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    int fitWidth = 0, fitHeight = 0; // read by the video thread; set before play

private:
    VL_VideoSink sink_{};
    int shows_ = 0; // UI thread only
    std::mutex mutex_;
    std::vector<Shown> shown_;
};

} // namespace vl::test
