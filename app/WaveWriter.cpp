#include "app/WaveWriter.h"

#include <QFile>

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vl {

namespace {

constexpr int kRate = 44100;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 80;

} // namespace

WaveWriter::WaveWriter(const QString& path, int channels)
    : path_(path), partial_(path + QStringLiteral(".partial")), channels_(channels) {}

WaveWriter::~WaveWriter() {
    if (!file_) return;
    sf_close(file_);
    QFile::remove(partial_);
}

bool WaveWriter::fits(uint64_t frames, int channels) {
    return frames * uint64_t(channels) * 2 <= kMaxDataBytes;
}

bool WaveWriter::open() {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels_;
    // More than two channels need the extensible format.
    info.format = (channels_ > 2 ? SF_FORMAT_WAVEX : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
    file_ = sf_open(QFile::encodeName(partial_).constData(), SFM_WRITE, &info);
    if (!file_) {
        error_ = QString::fromLocal8Bit(sf_strerror(nullptr));
        return false;
    }
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

bool WaveWriter::write(const float* interleaved, std::size_t frames) {
    if (sf_writef_float(file_, interleaved, static_cast<sf_count_t>(frames)) == static_cast<sf_count_t>(frames))
        return true;
    error_ = QString::fromLocal8Bit(sf_strerror(file_));
    return false;
}

bool WaveWriter::finish() {
    const int closed = sf_close(file_);
    file_ = nullptr;
    // rename() replaces an older file of the name in one step.
    if (closed != 0 ||
        std::rename(QFile::encodeName(partial_).constData(), QFile::encodeName(path_).constData()) != 0) {
        error_ = closed != 0 ? QString::fromLocal8Bit(sf_error_number(closed))
                             : QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partial_);
        return false;
    }
    return true;
}

} // namespace vl
