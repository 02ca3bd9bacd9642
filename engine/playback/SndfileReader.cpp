#include "engine/playback/SndfileReader.h"

#include <sndfile.h>

#include <algorithm>

namespace vl::engine {

namespace {

constexpr sf_count_t kChunkFrames = 4096;

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

std::unique_ptr<SndfileReader> SndfileReader::open(const std::string& path, std::string* why) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        if (why) *why = sf_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<SndfileReader> r(new SndfileReader);
    r->file_ = file;
    if (info.samplerate < kMinFileRate || info.samplerate > kMaxFileRate || info.channels <= 0 ||
        info.channels > kMaxFileChannels || info.frames < 0) {
        if (why) *why = "damaged: impossible rate or channel count";
        return nullptr;
    }
    r->rate_ = info.samplerate;
    r->channels_ = info.channels;
    r->frames_ = info.frames;
    r->scratch_.resize(static_cast<std::size_t>(kChunkFrames * info.channels));
    if (!r->checkLength(path)) {
        if (why) *why = "damaged: cannot be read";
        return nullptr;
    }
    return r;
}

SndfileReader::~SndfileReader() {
    if (file_) sf_close(file_);
}

bool SndfileReader::checkLength(const std::string& path) {
    frames_ = std::min<sf_count_t>(frames_, maxFrames(rate_));
    if (frames_ == 0) return true;
    // A header may promise more than the file holds: a cut FLAC keeps its count, a cut Ogg
    // has none. The last chunk promised is decoded to see (a seek into the very last frame
    // of a FLAC can take half a second); libsndfile already trims a plain PCM file to its
    // size, so a sound file costs one seek and a chunk.
    const sf_count_t tail = std::min<sf_count_t>(frames_, kChunkFrames);
    if (sf_seek(file_, frames_ - tail, SEEK_SET) == frames_ - tail &&
        sf_readf_float(file_, scratch_.data(), tail) == tail && sf_seek(file_, 0, SEEK_SET) == 0)
        return true;
    frames_ = measureFrames(path, frames_, scratch_.data());
    // The failed probe may have left this handle lost: start afresh.
    sf_close(file_);
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    return file_ && info.samplerate == rate_ && info.channels == channels_;
}

bool SndfileReader::seek(int64_t frame) {
    const auto source = static_cast<sf_count_t>(frame);
    if (sf_seek(file_, source, SEEK_SET) == source) return true;
    // Formats without random access: read up to the instant from the start.
    if (sf_seek(file_, 0, SEEK_SET) != 0) return false;
    for (sf_count_t left = source; left > 0;) {
        const sf_count_t n = sf_readf_float(file_, scratch_.data(), std::min(left, kChunkFrames));
        if (n <= 0) return false;
        left -= n;
    }
    return true;
}

std::size_t SndfileReader::read(float* out, std::size_t frames) {
    const sf_count_t n = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

} // namespace vl::engine
