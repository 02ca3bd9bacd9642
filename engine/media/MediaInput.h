#pragma once
// A media file opened with FFmpeg's demuxers, shared by the track and video decoders.

#include <memory>
#include <string>

struct AVFormatContext;

namespace vl::engine {

struct FormatCloser {
    void operator()(AVFormatContext* format) const;
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;

// The file's container with its streams found; nullptr when FFmpeg cannot read it, and then
// `why` (when given) says so in a few words. FFmpeg stays quiet on the console: a broken
// file is reported by the caller, not logged.
FormatPtr openMediaFile(const std::string& path, std::string* why = nullptr);
// True when the file holds sound but no moving picture (a cover picture does not count), as
// an ".mp4" or ".webm" of music does; false also when FFmpeg cannot open it.
bool soundOnly(const std::string& path);
// FFmpeg's own text for an error code.
std::string mediaErrorText(int code);

} // namespace vl::engine
