#include "engine/playback/TrackDecoder.h"

#include "engine/AudioFormat.h"
#include "engine/playback/StereoRing.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

namespace vl::engine {

namespace {

constexpr std::size_t kChunkFrames = 4096;
// Outside this range a header is broken or hostile: a 1 Hz file would need a resampling
// buffer of gigabytes.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;

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

// Whether frame `at` can really be decoded, on a handle of its own: a seek that fails
// can leave a decoder lost for good.
bool decodableAt(const std::string& path, sf_count_t at, float* scratch) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    const bool ok = sf_seek(file, at, SEEK_SET) == at && sf_readf_float(file, scratch, 1) == 1;
    sf_close(file);
    return ok;
}

// Frames a file cut short really holds: found by bisection over seeks, or, in a format
// that cannot seek, by decoding it through. At most `limit`; `scratch` holds a chunk.
sf_count_t measureFrames(const std::string& path, sf_count_t limit, float* scratch) {
    if (!decodableAt(path, 0, scratch)) return 0;
    sf_count_t good = 0, bad = limit; // frame `good` decodes, frame `bad` does not
    while (bad - good > 1) {
        const sf_count_t mid = good + (bad - good) / 2;
        (decodableAt(path, mid, scratch) ? good : bad) = mid;
    }
    if (good > 0) return good + 1;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return 0;
    sf_count_t frames = 0;
    for (sf_count_t n; frames < limit && (n = sf_readf_float(file, scratch, kChunkFrames)) > 0;)
        frames += n;
    sf_close(file);
    return std::min(frames, limit);
}

} // namespace

std::unique_ptr<TrackDecoder> TrackDecoder::open(const std::string& path, int outputRate, std::string* why) {
    const auto fail = [why](std::string reason) -> std::unique_ptr<TrackDecoder> {
        if (why) *why = std::move(reason);
        return nullptr;
    };
    std::error_code ec;
    // A FIFO or device would block the open; a directory is no audio file.
    if (path.empty() || !std::filesystem::exists(path, ec)) return fail("file not found");
    if (!std::filesystem::is_regular_file(path, ec)) return fail("not a file");
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return fail(sf_strerror(nullptr));
    std::unique_ptr<TrackDecoder> d(new TrackDecoder);
    d->file_ = file;
    if (info.samplerate < kMinRate || info.samplerate > kMaxRate)
        return fail("unusable sample rate " + std::to_string(info.samplerate) + " Hz");
    if (info.channels <= 0 || info.frames < 0) return fail("broken header");
    d->rate_ = info.samplerate;
    d->channels_ = info.channels;
    d->frames_ = info.frames;
    d->raw_.resize(kChunkFrames * static_cast<std::size_t>(info.channels));
    if (!d->checkLength(path)) return fail("cannot be decoded");
    d->stereo_.resize(kChunkFrames * 2);
    std::size_t outFrames = kChunkFrames;
    if (info.samplerate != outputRate) {
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        d->resampler_ = soxr_create(info.samplerate, outputRate, 2, &error, &io, &quality, nullptr);
        if (error || !d->resampler_) return fail("cannot be resampled");
        outFrames =
            static_cast<std::size_t>(std::ceil(double(kChunkFrames) * outputRate / info.samplerate)) + 256;
    }
    d->pending_.resize(outFrames * 2);
    return d;
}

TrackDecoder::~TrackDecoder() {
    if (resampler_) soxr_delete(resampler_);
    if (file_) sf_close(file_);
}

bool TrackDecoder::checkLength(const std::string& path) {
    // Lengths cross the interface as signed song bytes in places: none may pass 2^31 - 1.
    const auto limit =
        static_cast<sf_count_t>(double(kMaxLengthSongBytes) / kSongBytesPerFrame * rate_ / kSampleRate);
    frames_ = std::min<sf_count_t>(frames_, limit);
    if (frames_ == 0) return true;
    // A header may promise more than the file holds: a cut FLAC keeps its count, a cut Ogg
    // has none. The last chunk promised is decoded to see (a seek into the very last frame
    // of a FLAC can take half a second); libsndfile already trims a plain PCM file to its
    // size, so a sound file costs one seek and a chunk.
    const sf_count_t tail = std::min<sf_count_t>(frames_, kChunkFrames);
    if (sf_seek(file_, frames_ - tail, SEEK_SET) == frames_ - tail &&
        sf_readf_float(file_, raw_.data(), tail) == tail && sf_seek(file_, 0, SEEK_SET) == 0)
        return true;
    frames_ = measureFrames(path, frames_, raw_.data());
    // The failed probe may have left this handle lost: start afresh.
    sf_close(file_);
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    return file_ && info.samplerate == rate_ && info.channels == channels_;
}

uint32_t TrackDecoder::lengthSongBytes() const {
    const double bytes = double(frames_) * kSongBytesPerFrame * kSampleRate / rate_;
    return static_cast<uint32_t>(std::min(bytes, double(kMaxLengthSongBytes)));
}

bool TrackDecoder::seek(uint64_t frame) {
    const auto source = static_cast<sf_count_t>(double(frame) * rate_ / kSampleRate);
    endOfFile_ = finished_ = false;
    stereoPos_ = stereoCount_ = pendingPos_ = pendingCount_ = 0;
    if (resampler_) soxr_clear(resampler_);
    if (sf_seek(file_, source, SEEK_SET) == source) return true;
    // Formats without random access: read up to the instant from the start.
    if (sf_seek(file_, 0, SEEK_SET) != 0) return false;
    for (sf_count_t left = source; left > 0;) {
        const sf_count_t n = sf_readf_float(file_, raw_.data(), std::min<sf_count_t>(left, kChunkFrames));
        if (n <= 0) return false;
        left -= n;
    }
    return true;
}

std::size_t TrackDecoder::readStereo(float* out, std::size_t frames) {
    if (channels_ == 2) {
        const sf_count_t n = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    const sf_count_t got = sf_readf_float(file_, raw_.data(), static_cast<sf_count_t>(frames));
    if (got <= 0) return 0;
    const auto n = static_cast<std::size_t>(got);
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
