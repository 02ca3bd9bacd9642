#include "engine/video/VideoDecoder.h"

#include "engine/media/MediaInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/hwcontext.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <atomic>
#include <cmath>

namespace vl::engine {

namespace {

constexpr double kSongBytesPerSecond = 176400.0;

// The hardware format the decoder was offered, kept in the codec context's opaque field.
AVPixelFormat pickHardwareFormat(AVCodecContext* codec, const AVPixelFormat* offered) {
    const auto wanted = static_cast<AVPixelFormat>(reinterpret_cast<intptr_t>(codec->opaque));
    for (const AVPixelFormat* f = offered; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == wanted) return *f;
    // No hardware surface for this stream after all: the first software format.
    for (const AVPixelFormat* f = offered; *f != AV_PIX_FMT_NONE; ++f)
        if (!(av_pix_fmt_desc_get(*f)->flags & AV_PIX_FMT_FLAG_HWACCEL)) return *f;
    return AV_PIX_FMT_NONE;
}

// A hardware device the codec can decode on, or nullptr; its surface format in `format`.
AVBufferRef* hardwareDevice(const AVCodec* codec, AVPixelFormat& format) {
    for (int i = 0;; ++i) {
        const AVCodecHWConfig* config = avcodec_get_hw_config(codec, i);
        if (!config) return nullptr;
        if (!(config->methods & AV_CODEC_HW_CONFIG_METHOD_HW_DEVICE_CTX)) continue;
        // A device type that failed once is not asked again: the machine will not grow one.
        static std::atomic<uint32_t> failed{0};
        const uint32_t bit = 1u << (static_cast<unsigned>(config->device_type) & 31u);
        if (failed.load(std::memory_order_relaxed) & bit) continue;
        AVBufferRef* device = nullptr;
        if (av_hwdevice_ctx_create(&device, config->device_type, nullptr, nullptr, 0) == 0) {
            format = config->pix_fmt;
            return device;
        }
        failed.fetch_or(bit, std::memory_order_relaxed);
    }
}

} // namespace

void FrameDeleter::operator()(AVFrame* frame) const { av_frame_free(&frame); }

std::unique_ptr<VideoDecoder> VideoDecoder::open(const std::string& path) {
    std::unique_ptr<VideoDecoder> d(new VideoDecoder);
    d->format_ = openMediaFile(path).release();
    if (!d->format_) return nullptr;
    const AVCodec* codec = nullptr;
    d->stream_ = av_find_best_stream(d->format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (d->stream_ < 0 || !codec) return nullptr;
    const AVStream* stream = d->format_->streams[d->stream_];
    // Hardware first where a device answers; a codec that will not open on it opens in software.
    for (const bool hardware : {true, false}) {
        avcodec_free_context(&d->codec_);
        av_buffer_unref(&d->hwDevice_);
        d->codec_ = avcodec_alloc_context3(codec);
        if (!d->codec_ || avcodec_parameters_to_context(d->codec_, stream->codecpar) < 0) return nullptr;
        if (d->codec_->width <= 0 || d->codec_->height <= 0) return nullptr;
        // Two decoding threads: the audio's decoding thread keeps a core of its own.
        d->codec_->thread_count = 2;
        AVPixelFormat hwFormat = AV_PIX_FMT_NONE;
        if (hardware && !(d->hwDevice_ = hardwareDevice(codec, hwFormat))) continue;
        if (d->hwDevice_) {
            d->codec_->hw_device_ctx = av_buffer_ref(d->hwDevice_);
            d->codec_->opaque = reinterpret_cast<void*>(static_cast<intptr_t>(hwFormat));
            d->codec_->get_format = pickHardwareFormat;
        }
        if (avcodec_open2(d->codec_, codec, nullptr) == 0) break;
        if (!hardware) return nullptr;
    }
    d->packet_ = av_packet_alloc();
    if (!d->packet_) return nullptr;
    d->secondsPerTick_ = av_q2d(stream->time_base);
    if (d->secondsPerTick_ <= 0.0) return nullptr;
    d->startPts_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const AVRational rate = av_guess_frame_rate(d->format_, const_cast<AVStream*>(stream), nullptr);
    if (rate.num > 0 && rate.den > 0) d->frameSeconds_ = std::clamp(av_q2d(av_inv_q(rate)), 0.001, 1.0);
    return d;
}

VideoDecoder::~VideoDecoder() {
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    av_buffer_unref(&hwDevice_);
    avformat_close_input(&format_);
}

double VideoDecoder::displayAspect() const {
    const AVRational sar = av_guess_sample_aspect_ratio(format_, format_->streams[stream_], nullptr);
    const double pixel = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    return pixel * codec_->width / codec_->height;
}

bool VideoDecoder::seek(uint32_t songBytes) {
    const double seconds = songBytes / kSongBytesPerSecond;
    const auto target = startPts_ + static_cast<int64_t>(seconds / secondsPerTick_);
    if (av_seek_frame(format_, stream_, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec_);
    draining_ = drained_ = false;
    lastDue_ = -1.0;
    return true;
}

uint32_t VideoDecoder::dueOf(const AVFrame& frame) {
    double seconds = lastDue_ < 0.0 ? 0.0 : lastDue_ + frameSeconds_;
    if (frame.best_effort_timestamp != AV_NOPTS_VALUE)
        seconds = static_cast<double>(frame.best_effort_timestamp - startPts_) * secondsPerTick_;
    lastDue_ = seconds;
    const double bytes = std::clamp(seconds * kSongBytesPerSecond, 0.0, 4294967295.0);
    return static_cast<uint32_t>(bytes);
}

bool VideoDecoder::receive(FramePtr& out) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return false;
    if (avcodec_receive_frame(codec_, frame.get()) < 0) return false;
    if (frame->hw_frames_ctx) {
        FramePtr software(av_frame_alloc());
        if (!software || av_hwframe_transfer_data(software.get(), frame.get(), 0) < 0) return false;
        av_frame_copy_props(software.get(), frame.get());
        frame = std::move(software);
    }
    out = std::move(frame);
    return true;
}

FramePtr VideoDecoder::next(uint32_t& dueSongBytes) {
    FramePtr frame;
    while (!drained_) {
        if (receive(frame)) {
            if (frame->width <= 0 || frame->height <= 0) continue;
            dueSongBytes = dueOf(*frame);
            return frame;
        }
        if (draining_) {
            drained_ = true;
            break;
        }
        const int read = av_read_frame(format_, packet_);
        if (read < 0) {
            // The end (or a read that fails for good): the pictures still inside come out.
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        // A damaged packet is skipped; the decoder picks up at the next good one.
        if (packet_->stream_index == stream_) avcodec_send_packet(codec_, packet_);
        av_packet_unref(packet_);
    }
    return nullptr;
}

} // namespace vl::engine
