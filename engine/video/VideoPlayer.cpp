#include "engine/video/VideoPlayer.h"

#include "engine/video/VideoDecoder.h"
#include "engine/video/VideoScaler.h"

#include <deque>

namespace vl::engine {

namespace {
// How often the song position is looked at while nothing is to be decoded: well under a
// picture's time, and the position itself moves only once per audio block.
constexpr auto kPoll = std::chrono::milliseconds(3);

struct Picture {
    FramePtr frame;
    uint32_t due = 0;
};
} // namespace

OpenedVideo OpenedVideo::open(const std::string& path, uint32_t startSongBytes) {
    OpenedVideo v;
    v.decoder = VideoDecoder::open(path);
    if (!v.decoder) return v;
    if (startSongBytes > 0) v.decoder->seek(startSongBytes);
    v.first = v.decoder->next(v.firstDue);
    return v;
}

VideoPlayer::VideoPlayer(std::string path, const VL_VideoSink& sink, std::function<uint32_t()> position,
                         uint32_t startSongBytes, OpenedVideo opened)
    : path_(std::move(path)), sink_(sink), position_(std::move(position)), start_(startSongBytes),
      opened_(std::move(opened)) {
    thread_ = std::thread([this] { run(); });
}

VideoPlayer::~VideoPlayer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool VideoPlayer::wait(std::chrono::milliseconds period) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, period, [this] { return stopping_; });
    return !stopping_;
}

void VideoPlayer::run() {
    // Opened ahead, or now: a file that cannot seek plays from its beginning, its pictures
    // still due by their time.
    const bool ready = opened_.decoder != nullptr;
    const auto decoder = ready ? std::move(opened_.decoder) : VideoDecoder::open(path_);
    if (!decoder) {
        state_.store(State::Failed, std::memory_order_release);
        return;
    }
    if (!ready && start_ > 0) decoder->seek(start_);
    const double aspect = decoder->displayAspect();
    VideoScaler scaler;
    std::deque<Picture> ahead;
    if (opened_.first) ahead.push_back({std::move(opened_.first), opened_.firstDue});
    bool ended = false;
    bool frontShown = false;
    bool anyShown = false;
    state_.store(State::Playing, std::memory_order_release);
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
        }
        const uint32_t now = position_();
        // A picture is the one for `now` when it is due and the next one is not yet: after a
        // start in the middle the pictures from the key picture up to it pass unseen.
        while (ahead.size() >= 2 && ahead[1].due <= now) {
            ahead.pop_front();
            frontShown = false;
        }
        const bool frontIsCurrent = !ahead.empty() && ahead.front().due <= now && (ahead.size() >= 2 || ended);
        if (frontIsCurrent && !frontShown) {
            frontShown = true;
            int32_t width = 0, height = 0;
            if (sink_.fitSize) sink_.fitSize(sink_.context, &width, &height);
            VL_VideoFrame out{};
            out.songBytes = ahead.front().due;
            if (sink_.present && scaler.convert(*ahead.front().frame, aspect, width, height, out)) {
                sink_.present(sink_.context, &out);
                anyShown = true;
            }
        }
        if (!ended && ahead.size() < kAheadPictures) {
            Picture p;
            p.frame = decoder->next(p.due);
            if (p.frame) {
                ahead.push_back(std::move(p));
            } else {
                ended = true;
                // Nothing decodable at all: as good as a file that did not open.
                if (ahead.empty() && !anyShown) state_.store(State::Failed, std::memory_order_release);
            }
            continue;
        }
        if (ended && ahead.size() <= 1 && frontShown) state_.store(State::Ended, std::memory_order_release);
        if (!wait(kPoll)) return;
    }
}

} // namespace vl::engine
