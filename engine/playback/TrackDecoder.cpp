#include "engine/playback/TrackDecoder.h"

#include "engine/AudioFormat.h"
#include "engine/playback/FfmpegReader.h"
#include "engine/playback/SndfileReader.h"
#include "engine/playback/StereoRing.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vl::engine {

namespace {

constexpr std::size_t kChunkFrames = 4096;

// Extra channels beyond the first two are spread on both sides at half level, and the
// whole is scaled so that a full-scale file cannot exceed full scale.
void mixDown(const float* in, int channels, std::size_t frames, float* out) {
    const float extra = 0.5f;
    const float norm = 1.0f / (1.0f + extra * static_cast<float>(channels - 2));
    for (std::size_t f = 0; f < frames; ++f) {
        const float* s = in + f * static_cast<std::size_t>(channels);
        float both = 0.0f;
        for (int c = 2; c < channels; ++c)
            both += s[c];
        out[f * 2] = (s[0] + extra * both) * norm;
        out[f * 2 + 1] = (s[1] + extra * both) * norm;
    }
}

} // namespace

std::unique_ptr<TrackDecoder> TrackDecoder::open(const std::string& path, int outputRate, std::string* why) {
    std::error_code ec;
    // A FIFO or device would block the open; a directory is no audio file.
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
        if (why) *why = path.empty() || !std::filesystem::exists(path, ec) ? "file not found" : "not a file";
        return nullptr;
    }
    std::unique_ptr<TrackDecoder> d(new TrackDecoder);
    // libsndfile first: it knows its formats' lengths without decoding them.
    if (!(d->reader_ = SndfileReader::open(path)) && !(d->reader_ = FfmpegReader::open(path, why)))
        return nullptr;
    d->rate_ = d->reader_->rate();
    d->channels_ = d->reader_->channels();
    d->frames_ = d->reader_->frames();
    d->raw_.resize(kChunkFrames * static_cast<std::size_t>(d->channels_));
    d->stereo_.resize(kChunkFrames * 2);
    std::size_t outFrames = kChunkFrames;
    if (d->rate_ != outputRate) {
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        d->resampler_ = soxr_create(d->rate_, outputRate, 2, &error, &io, &quality, nullptr);
        if (error || !d->resampler_) {
            if (why) *why = "cannot be resampled";
            return nullptr;
        }
        outFrames = static_cast<std::size_t>(std::ceil(double(kChunkFrames) * outputRate / d->rate_)) + 256;
    }
    d->pending_.resize(outFrames * 2);
    return d;
}

TrackDecoder::~TrackDecoder() {
    if (resampler_) soxr_delete(resampler_);
}

uint32_t TrackDecoder::lengthSongBytes() const {
    const double bytes = double(frames_) * kSongBytesPerFrame * kSampleRate / rate_;
    return static_cast<uint32_t>(std::min(bytes, double(kMaxLengthSongBytes)));
}

bool TrackDecoder::seek(uint64_t frame) {
    const auto source = static_cast<int64_t>(double(frame) * rate_ / kSampleRate);
    endOfFile_ = finished_ = false;
    stereoPos_ = stereoCount_ = pendingPos_ = pendingCount_ = 0;
    if (resampler_) soxr_clear(resampler_);
    return reader_->seek(source);
}

std::size_t TrackDecoder::readStereo(float* out, std::size_t frames) {
    if (channels_ == 2) return reader_->read(out, frames);
    const std::size_t n = reader_->read(raw_.data(), frames);
    if (channels_ == 1) {
        for (std::size_t f = 0; f < n; ++f)
            out[f * 2] = out[f * 2 + 1] = raw_[f];
    } else {
        mixDown(raw_.data(), channels_, n, out);
    }
    return n;
}

void TrackDecoder::produce() {
    pendingPos_ = pendingCount_ = 0;
    if (!resampler_) {
        pendingCount_ = endOfFile_ ? 0 : readStereo(pending_.data(), kChunkFrames);
        if (pendingCount_ == 0) endOfFile_ = finished_ = true;
        return;
    }
    if (stereoPos_ == stereoCount_ && !endOfFile_) {
        stereoPos_ = 0;
        stereoCount_ = readStereo(stereo_.data(), kChunkFrames);
        if (stereoCount_ == 0) endOfFile_ = true;
    }
    const std::size_t capacity = pending_.size() / 2;
    std::size_t used = 0, made = 0;
    if (stereoPos_ < stereoCount_) {
        soxr_process(resampler_, stereo_.data() + stereoPos_ * 2, stereoCount_ - stereoPos_, &used,
                     pending_.data(), capacity, &made);
        stereoPos_ += used;
        if (used == 0 && made == 0) endOfFile_ = finished_ = true; // the filter refuses input
    } else {
        // Input ended: drain what the filter still holds.
        soxr_process(resampler_, nullptr, 0, nullptr, pending_.data(), capacity, &made);
        if (made == 0) finished_ = true;
    }
    pendingCount_ = made;
}

std::size_t TrackDecoder::fill(StereoRing& ring, std::size_t budget) {
    std::size_t pushed = 0;
    while (pushed < budget) {
        if (pendingPos_ < pendingCount_) {
            const std::size_t n = ring.write(pending_.data() + pendingPos_ * 2,
                                             std::min(pendingCount_ - pendingPos_, budget - pushed));
            if (n == 0) break;
            pendingPos_ += n;
            pushed += n;
            continue;
        }
        if (finished_) break;
        produce();
    }
    return pushed;
}

} // namespace vl::engine
