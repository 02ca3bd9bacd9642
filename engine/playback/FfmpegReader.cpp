#include "engine/playback/FfmpegReader.h"

#include "engine/playback/Mp4Gapless.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vl::engine {

namespace {

// Decoded ahead of a seek's target, so that a codec with overlapping frames (AAC, WMA)
// is warmed up when the target comes out.
constexpr double kPrerollSeconds = 0.2;
// The end is checked by decoding this much before where the file says it is.
constexpr double kTailSeconds = 0.5;
// A time stamp further ahead than this (or a second) is a broken one, not a gap to fill with silence.
constexpr int64_t kMaxGapFrames = 48000;

// Samples from `origin` to `stamp` (stream units) at `rate`; false when a hostile stamp
// lies so far out that the sum would overflow.
bool samplesBetween(int64_t stamp, int64_t origin, AVRational base, int rate, int64_t& samples) {
    int64_t ticks = 0;
    if (__builtin_sub_overflow(stamp, origin, &ticks)) return false;
    if (!(std::fabs(double(ticks) * base.num / base.den * rate) < 1e13)) return false;
    samples = av_rescale_q(ticks, base, AVRational{1, rate});
    return true;
}

template <typename T> float sampleValue(T v) {
    if constexpr (std::is_same_v<T, uint8_t>) return (float(v) - 128.0f) / 128.0f;
    else if constexpr (std::is_same_v<T, int16_t>) return float(v) / 32768.0f;
    else if constexpr (std::is_same_v<T, int32_t>) return float(double(v) / 2147483648.0);
    else if constexpr (std::is_same_v<T, int64_t>) return float(double(v) / 9223372036854775808.0);
    else return std::isfinite(v) ? float(std::clamp<double>(v, -8.0, 8.0)) : 0.0f; // hostile floats stay finite
}

// Frames [first, first + count) of `frame` as `channels` interleaved channels; a frame with
// fewer channels than the stream began with repeats its last one.
template <typename T>
void convert(const AVFrame& frame, bool planar, int first, int count, int channels, float* out) {
    const int have = frame.ch_layout.nb_channels;
    for (int c = 0; c < channels; ++c) {
        const int from = std::min(c, have - 1);
        const T* src = planar ? reinterpret_cast<const T*>(frame.extended_data[from])
                              : reinterpret_cast<const T*>(frame.extended_data[0]) + from;
        const int step = planar ? 1 : have;
        for (int i = 0; i < count; ++i)
            out[static_cast<std::size_t>(i) * channels + c] = sampleValue(src[(first + i) * step]);
    }
}

bool convertFrame(const AVFrame& frame, int first, int count, int channels, float* out) {
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const bool planar = av_sample_fmt_is_planar(format);
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8: convert<uint8_t>(frame, planar, first, count, channels, out); return true;
    case AV_SAMPLE_FMT_S16: convert<int16_t>(frame, planar, first, count, channels, out); return true;
    case AV_SAMPLE_FMT_S32: convert<int32_t>(frame, planar, first, count, channels, out); return true;
    case AV_SAMPLE_FMT_S64: convert<int64_t>(frame, planar, first, count, channels, out); return true;
    case AV_SAMPLE_FMT_FLT: convert<float>(frame, planar, first, count, channels, out); return true;
    case AV_SAMPLE_FMT_DBL: convert<double>(frame, planar, first, count, channels, out); return true;
    default: return false;
    }
}

} // namespace

std::unique_ptr<FfmpegReader> FfmpegReader::open(const std::string& path, std::string* why) {
    std::unique_ptr<FfmpegReader> r(new FfmpegReader);
    if (!r->start(path, why)) return nullptr;
    // The first frame fixes the rate, the channels and where the file's time begins.
    r->limit_ = INT64_MAX;
    if (!r->decodeNext() && r->rate_ == 0) {
        if (why) *why = "damaged: no sound decodes";
        return nullptr;
    }
    if (r->rate_ < kMinFileRate || r->rate_ > kMaxFileRate || r->channels_ <= 0 || r->channels_ > kMaxFileChannels) {
        if (why) *why = "damaged: impossible rate or channel count";
        return nullptr;
    }
    const double stampSamples = double(r->rate_) * double(r->timeBaseNum_) / double(r->timeBaseDen_);
    // Both the stamp and the origin it is measured from may be rounded.
    r->tolerance_ = 2 * static_cast<int64_t>(std::ceil(stampSamples)) + 1;
    if (!r->measure(path)) {
        if (why) *why = "damaged: no sound decodes";
        return nullptr;
    }
    return r;
}

bool FfmpegReader::start(const std::string& path, std::string* why) {
    avcodec_free_context(&codec_);
    format_ = openMediaFile(path, why);
    if (!format_) return false;
    path_ = path;
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0) {
        if (why) *why = stream_ == AVERROR_DECODER_NOT_FOUND ? "this kind of sound cannot be decoded" : "holds no sound";
        return false;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_) format_->streams[i]->discard = AVDISCARD_ALL;
    const AVStream* stream = format_->streams[stream_];
    codec_ = avcodec_alloc_context3(codec);
    if (!codec_ || avcodec_parameters_to_context(codec_, stream->codecpar) < 0) return false;
    // Frames come with time stamps in the stream's units, moved on past any skipped delay.
    codec_->pkt_timebase = stream->time_base;
    codec_->thread_count = 1;
    if (const int error = avcodec_open2(codec_, codec, nullptr); error < 0) {
        if (why) *why = std::string("cannot decode ") + avcodec_get_name(stream->codecpar->codec_id);
        return false;
    }
    if (stream->time_base.num <= 0 || stream->time_base.den <= 0) return false;
    timeBaseNum_ = stream->time_base.num;
    timeBaseDen_ = stream->time_base.den;
    if (!packet_) packet_ = av_packet_alloc();
    if (!frame_) frame_ = av_frame_alloc();
    decodedPos_ = decodedCount_ = 0;
    draining_ = drained_ = false;
    placed_ = atStart_ = true;
    next_ = target_ = 0;
    return packet_ && frame_;
}

FfmpegReader::~FfmpegReader() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
}

bool FfmpegReader::measure(const std::string& path) {
    const AVRational rate{1, rate_}, base{static_cast<int>(timeBaseNum_), static_cast<int>(timeBaseDen_)};
    const AVStream* stream = format_->streams[stream_];
    int64_t promised = -1, exact = -1;
    if (format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        if (stream->duration > 0) {
            const int64_t begin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : originPts_;
            int64_t lead = 0, length = 0;
            if (samplesBetween(begin, originPts_, base, rate_, lead) &&
                samplesBetween(stream->duration, 0, base, rate_, length))
                promised = lead + length;
        } else if (format_->duration > 0) {
            promised = av_rescale_q(format_->duration, AV_TIME_BASE_Q, rate);
        }
    }
    if (std::strstr(format_->iformat->name, "mp4")) {
        const Mp4Length mp4 = readMp4Length(path);
        if (mp4.frames > 0 && mp4.timeScale > 0)
            promised = exact = std::min(av_rescale(mp4.frames, rate_, mp4.timeScale), maxFrames(rate_));
    }
    const auto tail = static_cast<int64_t>(kTailSeconds * rate_);
    promised = std::min(promised, maxFrames(rate_) + tail);
    int64_t end = promised > 0 ? endFrom(std::max<int64_t>(0, promised - tail)) : -1;
    if (end < 0) {
        // What the header says is not there: the file is cut short, or says nothing.
        const int64_t scanned = scanPackets();
        if (scanned > 0) end = endFrom(std::max<int64_t>(0, scanned - tail));
    }
    if (end < 0) end = endFrom(0);
    if (end <= 0) return false;
    frames_ = std::min(end, maxFrames(rate_));
    if (exact > 0) frames_ = std::min(frames_, exact); // the padding after the last real sample
    limit_ = frames_;
    return seek(0);
}

int64_t FfmpegReader::endFrom(int64_t frame) {
    limit_ = INT64_MAX;
    if (!seek(frame)) return -1;
    int64_t end = -1;
    const int64_t most = maxFrames(rate_);
    while (end <= most && decodeNext()) {
        next_ += static_cast<int64_t>(decodedCount_ - decodedPos_);
        decodedPos_ = decodedCount_;
        end = next_;
    }
    return end;
}

int64_t FfmpegReader::scanPackets() {
    if (!rewind()) return -1;
    atStart_ = false;
    const AVRational base{static_cast<int>(timeBaseNum_), static_cast<int>(timeBaseDen_)};
    int64_t end = -1, at = 0, length = 0;
    while (av_read_frame(format_.get(), packet_) >= 0) {
        if (packet_->stream_index == stream_ && !(packet_->flags & AV_PKT_FLAG_CORRUPT) &&
            packet_->pts != AV_NOPTS_VALUE && hasOrigin_ && samplesBetween(packet_->pts, originPts_, base, rate_, at) &&
            samplesBetween(packet_->duration, 0, base, rate_, length))
            end = std::min(std::max(end, at + length), maxFrames(rate_));
        av_packet_unref(packet_);
    }
    return end;
}

bool FfmpegReader::rewind() {
    if (atStart_) return true;
    // Opened afresh: a seek to the very start lands after an MP4's delay frame in some
    // demuxers, and a codec needs that frame to make the first samples right.
    const int64_t limit = limit_;
    if (!start(path_, nullptr)) return false;
    limit_ = limit;
    return true;
}

bool FfmpegReader::seek(int64_t frame) {
    if (!format_ || !codec_) return false; // lost in a failed reopen
    frame = std::max<int64_t>(frame, 0);
    const auto preroll = static_cast<int64_t>(kPrerollSeconds * rate_) +
                         av_rescale(format_->streams[stream_]->codecpar->seek_preroll, rate_,
                                    std::max(1, format_->streams[stream_]->codecpar->sample_rate));
    const int64_t from = frame - preroll;
    bool there = false;
    if (from > 0 && hasOrigin_) {
        const AVRational rate{1, rate_}, base{static_cast<int>(timeBaseNum_), static_cast<int>(timeBaseDen_)};
        int64_t stamp = 0;
        there = !__builtin_add_overflow(originPts_, av_rescale_q(from, rate, base), &stamp) &&
                av_seek_frame(format_.get(), stream_, stamp, AVSEEK_FLAG_BACKWARD) >= 0;
        if (there) {
            atStart_ = false;
            avcodec_flush_buffers(codec_);
            decodedPos_ = decodedCount_ = 0;
            placed_ = draining_ = drained_ = false;
        }
    }
    // Formats without random access decode up to the instant from the start.
    if (!there && !rewind()) return false;
    target_ = frame;
    return true;
}

bool FfmpegReader::decodeNext() {
    decodedPos_ = decodedCount_ = 0;
    atStart_ = false;
    if (!format_ || !codec_) return false;
    while (!drained_) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received == 0) {
            const bool kept = place();
            av_frame_unref(frame_);
            if (kept) return true;
            continue;
        }
        if (received != AVERROR(EAGAIN) || draining_) {
            drained_ = true;
            break;
        }
        if (av_read_frame(format_.get(), packet_) < 0) {
            // The end (or a read that fails for good): what the decoder still holds comes out.
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        // A damaged packet is skipped; the time stamps keep what follows in place.
        if (packet_->stream_index == stream_) avcodec_send_packet(codec_, packet_);
        av_packet_unref(packet_);
    }
    return false;
}

bool FfmpegReader::place() {
    const int count = frame_->nb_samples;
    if (count <= 0 || frame_->ch_layout.nb_channels <= 0) return false;
    if (rate_ == 0) { // the first frame of all
        rate_ = frame_->sample_rate > 0 ? frame_->sample_rate : codec_->sample_rate;
        channels_ = frame_->ch_layout.nb_channels;
        hasOrigin_ = frame_->best_effort_timestamp != AV_NOPTS_VALUE;
        if (hasOrigin_) originPts_ = frame_->best_effort_timestamp;
        if (rate_ < kMinFileRate || rate_ > kMaxFileRate || channels_ > kMaxFileChannels) return false;
    }
    const int channels = channels_;
    const int64_t expected = placed_ ? next_ : target_; // where a continuous stream goes on
    int64_t at = expected;
    const AVRational base{static_cast<int>(timeBaseNum_), static_cast<int>(timeBaseDen_)};
    int64_t stamped = 0;
    if (frame_->best_effort_timestamp != AV_NOPTS_VALUE && hasOrigin_ &&
        samplesBetween(frame_->best_effort_timestamp, originPts_, base, rate_, stamped)) {
        // Rounded stamps (milliseconds in Matroska) would tear a continuous stream apart.
        if (!placed_ || std::llabs(stamped - next_) > tolerance_) at = stamped;
        if (at - expected > std::min<int64_t>(kMaxGapFrames, rate_)) at = expected;
    }
    const int64_t floor = std::max(expected, target_);
    if (at + count <= floor) { // before the target, or heard already
        next_ = std::max(expected, at + count);
        placed_ = true;
        return false;
    }
    const int first = static_cast<int>(std::max<int64_t>(0, floor - at));
    const int64_t silence = std::max<int64_t>(0, at - floor); // a gap keeps what follows in time
    const std::size_t frames = static_cast<std::size_t>(silence) + static_cast<std::size_t>(count - first);
    if (decoded_.size() < frames * channels) decoded_.resize(frames * channels);
    std::fill_n(decoded_.begin(), static_cast<std::size_t>(silence) * channels, 0.0f);
    if (!convertFrame(*frame_, first, count - first, channels, decoded_.data() + silence * channels)) return false;
    decodedPos_ = 0;
    decodedCount_ = frames;
    next_ = floor;
    placed_ = true;
    return true;
}

std::size_t FfmpegReader::read(float* out, std::size_t frames) {
    std::size_t done = 0;
    while (done < frames) {
        if (decodedPos_ < decodedCount_) {
            const int64_t left = limit_ - next_;
            if (left <= 0) break;
            const std::size_t n = std::min({frames - done, decodedCount_ - decodedPos_, static_cast<std::size_t>(left)});
            const auto width = static_cast<std::size_t>(channels_);
            std::copy_n(decoded_.data() + decodedPos_ * width, n * width, out + done * width);
            decodedPos_ += n;
            next_ += static_cast<int64_t>(n);
            done += n;
            continue;
        }
        if (placed_ && next_ >= limit_) break;
        if (!decodeNext()) break;
    }
    return done;
}

} // namespace vl::engine
