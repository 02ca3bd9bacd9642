#pragma once
// An audio file libsndfile decodes (WAV, AIFF, FLAC, Ogg Vorbis and Opus, MP3), measured
// so that a header that promises more than the file holds is not believed.

#include "engine/playback/AudioFileReader.h"

#include <memory>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace vl::engine {

class SndfileReader final : public AudioFileReader {
public:
    // nullptr when libsndfile does not know the file; `why` then says so in a few words.
    static std::unique_ptr<SndfileReader> open(const std::string& path, std::string* why = nullptr);
    ~SndfileReader() override;
    SndfileReader(const SndfileReader&) = delete;
    SndfileReader& operator=(const SndfileReader&) = delete;

    bool seek(int64_t frame) override;
    std::size_t read(float* out, std::size_t frames) override;

private:
    SndfileReader() = default;
    // Sets frames_ to what the file really holds; false when it cannot be read at all.
    bool checkLength(const std::string& path);

    SNDFILE* file_ = nullptr;
    std::vector<float> scratch_; // one chunk of interleaved frames
};

} // namespace vl::engine
