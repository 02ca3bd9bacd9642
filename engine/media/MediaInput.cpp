#include "engine/media/MediaInput.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <mutex>

namespace vl::engine {

void FormatCloser::operator()(AVFormatContext* format) const { avformat_close_input(&format); }

std::string mediaErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

namespace {

void quiet() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

FormatPtr openMediaFile(const std::string& path, std::string* why) {
    quiet();
    AVFormatContext* raw = nullptr;
    if (const int error = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); error < 0) {
        if (why) *why = error == AVERROR_INVALIDDATA ? "not a sound or video file" : mediaErrorText(error);
        return nullptr;
    }
    FormatPtr format(raw);
    if (const int error = avformat_find_stream_info(format.get(), nullptr); error < 0) {
        if (why) *why = "damaged: " + mediaErrorText(error);
        return nullptr;
    }
    return format;
}

bool soundOnly(const std::string& path) {
    // The container's header names its streams; nothing needs decoding to tell.
    quiet();
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return false;
    const FormatPtr format(raw);
    bool sound = false;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) sound = true;
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return false;
    }
    return sound;
}

} // namespace vl::engine
