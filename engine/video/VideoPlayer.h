#pragma once
// The engine's video thread for one playing song with a video track. It opens the file,
// goes to the start point and decodes a few pictures ahead; each picture is handed to the
// program's sink when the song position (the audio's clock) reaches it, so the picture
// follows the audio whatever the decoding speed. It never touches the audio callback: the
// position is read from an atomic the callback advances. Started by VL_Play once the graph
// plays, joined by VL_Stop before the graph is let go.

#include "engine/video/VideoDecoder.h"
#include "vellamorinth_engine.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vl::engine {

// A video opened ahead, while its song was prepared: at the start point, its first picture
// decoded. Any thread; `decoder` is null when the file did not open.
struct OpenedVideo {
    static OpenedVideo open(const std::string& path, uint32_t startSongBytes);
    std::unique_ptr<VideoDecoder> decoder;
    FramePtr first;
    uint32_t firstDue = 0;
};

class VideoPlayer {
public:
    enum class State { Opening, Playing, Failed, Ended };

    // `position`: the played song position in song bytes, callable from any thread. With
    // `opened`, the thread goes on from there rather than opening the file.
    VideoPlayer(std::string path, const VL_VideoSink& sink, std::function<uint32_t()> position,
                uint32_t startSongBytes, OpenedVideo opened = {});
    ~VideoPlayer();
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    // Any thread (tests): Failed once the file turned out unplayable, Ended after its last picture.
    State state() const { return state_.load(std::memory_order_acquire); }
    // Pictures decoded ahead of the one shown.
    static constexpr std::size_t kAheadPictures = 4;

private:
    void run();
    bool wait(std::chrono::milliseconds period);

    const std::string path_;
    const VL_VideoSink sink_;
    const std::function<uint32_t()> position_;
    const uint32_t start_;
    OpenedVideo opened_; // the thread's from its start
    std::atomic<State> state_{State::Opening};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vl::engine
