#pragma once
// One track file decoded to interleaved stereo float at the device's rate (44.1 kHz but for
// a JACK server running at another): libsndfile reads what it knows, FFmpeg the rest (AAC,
// ALAC, WMA, ...), files with other rates go through libsoxr, mono is doubled and more than
// two channels are mixed down. Used by one thread at a time: the UI thread while
// VL_Play builds the graph, the decoding thread afterwards.

#include "engine/AudioFormat.h"
#include "engine/playback/TrackSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct soxr;

namespace vl::engine {

class AudioFileReader;
class StereoRing;

class TrackDecoder final : public TrackSource {
public:
    // nullptr when the path is not a regular file with audio that libsndfile or FFmpeg can
    // decode; `why` (when given) then says why in a few words, to be shown with the name.
    static std::unique_ptr<TrackDecoder> open(const std::string& path, int outputRate = kSampleRate,
                                              std::string* why = nullptr);
    ~TrackDecoder() override;
    TrackDecoder(const TrackDecoder&) = delete;
    TrackDecoder& operator=(const TrackDecoder&) = delete;

    // The real duration in song bytes, whatever the rate and channel count: what the file
    // holds, not what its header promises, and never more than kMaxLengthSongBytes.
    uint32_t lengthSongBytes() const override;
    static constexpr uint32_t kMaxLengthSongBytes = 0x7fffffff;
    // The file's own rate and channel count.
    int fileRate() const { return rate_; }
    int fileChannels() const { return channels_; }

    // Positions the output at the instant of 44.1 kHz frame `frame`. False when the file cannot get there.
    bool seek(uint64_t frame);
    // Writes at most `budget` frames into the ring; returns how many were written.
    std::size_t fill(StereoRing& ring, std::size_t budget) override;
    // True once every frame of the file has been written out.
    bool finished() const override { return finished_ && pendingPos_ >= pendingCount_; }

private:
    TrackDecoder() = default;
    void produce();
    std::size_t readStereo(float* out, std::size_t frames);

    std::unique_ptr<AudioFileReader> reader_;
    soxr* resampler_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
    bool endOfFile_ = false;
    bool finished_ = false;

    std::vector<float> raw_;    // interleaved source channels
    std::vector<float> stereo_; // source rate, stereo
    std::size_t stereoPos_ = 0, stereoCount_ = 0;
    std::vector<float> pending_; // 44.1 kHz stereo, not yet in the ring
    std::size_t pendingPos_ = 0, pendingCount_ = 0;
};

} // namespace vl::engine
