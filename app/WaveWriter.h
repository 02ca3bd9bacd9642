#pragma once
// A 16-bit PCM WAV file at 44,100 Hz, written under a temporary name and put in place only
// when finished, so a render that fails never leaves half a file under the name asked for.

#include <QString>

#include <cstdint>

typedef struct sf_private_tag SNDFILE;

namespace vl {

class WaveWriter {
public:
    WaveWriter(const QString& path, int channels);
    ~WaveWriter(); // unfinished: the temporary file goes

    // False with error() set when the file cannot be made.
    bool open();
    // Interleaved frames of float samples, clipped to the 16-bit range.
    bool write(const float* interleaved, std::size_t frames);
    // Completes the header and renames the file into place.
    bool finish();
    QString error() const { return error_; }

    // Data beyond 4 GiB does not fit a WAV header.
    static bool fits(uint64_t frames, int channels);

private:
    QString path_;
    QString partial_;
    int channels_;
    SNDFILE* file_ = nullptr;
    QString error_;
};

} // namespace vl
