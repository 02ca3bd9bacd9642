#include "app/WaveWriter.h"

#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vl {

namespace {

constexpr int kRate = 44100;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 80;

void put16(QByteArray& b, uint16_t v) {
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, uint32_t v) {
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

} // namespace

WaveWriter::WaveWriter(const QString& path, int channels)
    : path_(path), file_(path + QStringLiteral(".partial")), channels_(channels) {}

WaveWriter::~WaveWriter() {
    if (!finished_ && file_.isOpen()) {
        file_.close();
        file_.remove();
    }
}

bool WaveWriter::fits(uint64_t frames, int channels) {
    return frames * uint64_t(channels) * 2 <= kMaxDataBytes;
}

bool WaveWriter::open() {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = file_.errorString();
        return false;
    }
    return writeHeader(0);
}

bool WaveWriter::writeHeader(uint64_t frames) {
    // More than two channels need the extensible format; the outputs are no speakers, so
    // no channel mask.
    const bool extensible = channels_ > 2;
    const auto dataBytes = static_cast<uint32_t>(frames * uint64_t(channels_) * 2);
    const uint32_t fmtBytes = extensible ? 40 : 16;
    QByteArray h;
    h.append("RIFF", 4);
    put32(h, 4 + 8 + fmtBytes + 8 + dataBytes);
    h.append("WAVEfmt ", 8);
    put32(h, fmtBytes);
    put16(h, extensible ? 0xFFFE : 1);
    put16(h, static_cast<uint16_t>(channels_));
    put32(h, kRate);
    put32(h, kRate * uint32_t(channels_) * 2);
    put16(h, static_cast<uint16_t>(channels_ * 2));
    put16(h, 16);
    if (extensible) {
        put16(h, 22);
        put16(h, 16);
        put32(h, 0);
        // KSDATAFORMAT_SUBTYPE_PCM
        static const unsigned char pcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                              0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        h.append(reinterpret_cast<const char*>(pcm), 16);
    }
    h.append("data", 4);
    put32(h, dataBytes);
    if (!file_.seek(0) || file_.write(h) != h.size()) {
        error_ = file_.errorString();
        return false;
    }
    return true;
}

bool WaveWriter::write(const float* interleaved, std::size_t frames) {
    const std::size_t n = frames * static_cast<std::size_t>(channels_);
    buffer_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const long v = std::lround(std::fmax(-1.0f, std::fmin(1.0f, interleaved[i])) * 32767.0f);
        buffer_[i] = qToLittleEndian(static_cast<int16_t>(v));
    }
    const auto bytes = static_cast<qint64>(n * 2);
    if (file_.write(reinterpret_cast<const char*>(buffer_.data()), bytes) != bytes) {
        error_ = file_.errorString();
        return false;
    }
    frames_ += frames;
    return true;
}

bool WaveWriter::finish() {
    if (!writeHeader(frames_) || !file_.flush()) return false;
    file_.close();
    // rename() replaces an older file of the name in one step.
    if (std::rename(QFile::encodeName(file_.fileName()).constData(), QFile::encodeName(path_).constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        file_.remove();
        return false;
    }
    finished_ = true;
    return true;
}

} // namespace vl
