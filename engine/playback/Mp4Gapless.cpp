#include "engine/playback/Mp4Gapless.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>
#include <vector>

namespace vl::engine {

namespace {

// The movie header of a long song is a few hundred kilobytes; more is no sound file.
constexpr uint64_t kMaxMoovBytes = 64u << 20;

uint64_t bigEndian(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}

struct Bytes {
    const uint8_t* data = nullptr;
    std::size_t size = 0;
    bool has(std::size_t offset, std::size_t bytes) const { return offset <= size && bytes <= size - offset; }
    uint64_t at(std::size_t offset, int bytes) const { return has(offset, bytes) ? bigEndian(data + offset, bytes) : 0; }
};

// Calls `visit(type, body)` for each box in `in`; a box that runs past its parent ends the walk.
void forEachBox(Bytes in, const std::function<void(std::string_view, Bytes)>& visit) {
    for (std::size_t at = 0; in.has(at, 8);) {
        uint64_t size = in.at(at, 4);
        std::size_t header = 8;
        if (size == 1) {
            if (!in.has(at, 16)) return;
            size = in.at(at + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = in.size - at;
        }
        if (size < header || size > in.size - at) return;
        const std::string_view type(reinterpret_cast<const char*>(in.data + at + 4), 4);
        visit(type, Bytes{in.data + at + header, static_cast<std::size_t>(size - header)});
        at += static_cast<std::size_t>(size);
    }
}

Bytes child(Bytes in, std::string_view type) {
    Bytes found;
    forEachBox(in, [&](std::string_view t, Bytes body) {
        if (t == type && !found.data) found = body;
    });
    return found;
}

// A 'meta' box is a full box in MP4 files and a plain one in some QuickTime files.
Bytes metaChildren(Bytes meta) {
    if (meta.has(4, 4) && std::memcmp(meta.data + 4, "hdlr", 4) == 0) return meta;
    return meta.has(0, 4) ? Bytes{meta.data + 4, meta.size - 4} : Bytes{};
}

// The sample count of iTunes' " 00000000 PRIMING PADDING COUNT ..." text; 0 when absent.
int64_t itunesCount(Bytes ilst) {
    int64_t count = 0;
    forEachBox(ilst, [&](std::string_view type, Bytes item) {
        if (type != "----") return;
        Bytes name = child(item, "name"), data = child(item, "data");
        if (!name.has(0, 4) || !data.has(0, 8)) return;
        const std::string_view key(reinterpret_cast<const char*>(name.data + 4), name.size - 4);
        if (key != "iTunSMPB") return;
        std::istringstream fields(std::string(reinterpret_cast<const char*>(data.data + 8), data.size - 8));
        std::string field[4];
        for (auto& f : field)
            fields >> f;
        const long long n = std::strtoll(field[3].c_str(), nullptr, 16);
        if (n > 0) count = n;
    });
    return count;
}

Mp4Length fromMoov(Bytes moov) {
    Bytes mvhd = child(moov, "mvhd");
    const bool movieLong = mvhd.at(0, 1) == 1;
    const int64_t movieScale = static_cast<int64_t>(mvhd.at(movieLong ? 20 : 12, 4));
    Mp4Length length;
    forEachBox(moov, [&](std::string_view type, Bytes trak) {
        if (type != "trak" || length.timeScale) return;
        Bytes mdia = child(trak, "mdia");
        Bytes hdlr = child(mdia, "hdlr");
        if (!hdlr.has(8, 4) || std::memcmp(hdlr.data + 8, "soun", 4) != 0) return;
        Bytes mdhd = child(mdia, "mdhd");
        const bool isLong = mdhd.at(0, 1) == 1;
        length.timeScale = static_cast<int64_t>(mdhd.at(isLong ? 20 : 12, 4));
        const auto mediaLength = static_cast<int64_t>(mdhd.at(isLong ? 24 : 16, isLong ? 8 : 4));
        Bytes elst = child(child(trak, "edts"), "elst");
        const bool editLong = elst.at(0, 1) == 1;
        const std::size_t entry = editLong ? 20 : 12;
        // Exactly one edit that plays a stretch of the track: anything else is left to FFmpeg.
        if (elst.at(4, 4) != 1 || !elst.has(8, entry) || movieScale <= 0 || length.timeScale <= 0) return;
        const auto duration = static_cast<int64_t>(elst.at(8, editLong ? 8 : 4));
        const int64_t mediaTime = editLong ? static_cast<int64_t>(elst.at(16, 8))
                                           : static_cast<int32_t>(static_cast<uint32_t>(elst.at(12, 4)));
        if (mediaTime < 0 || duration <= 0 || duration > (int64_t{1} << 40)) return;
        const double scaled = double(duration) * double(length.timeScale) / double(movieScale);
        // The edit in movie ticks is rounded; the track's own length after the delay is exact
        // when it agrees to within a tick.
        const int64_t rest = mediaLength - mediaTime;
        const double tick = double(length.timeScale) / double(movieScale);
        length.frames = std::abs(double(rest) - scaled) <= tick + 1.0 ? rest : static_cast<int64_t>(scaled + 0.5);
    });
    if (const int64_t count = itunesCount(child(metaChildren(child(child(moov, "udta"), "meta")), "ilst")); count > 0)
        length.frames = count;
    else if (const int64_t c = itunesCount(child(metaChildren(child(moov, "meta")), "ilst")); c > 0)
        length.frames = c;
    if (length.timeScale <= 0) length.frames = 0;
    return length;
}

} // namespace

Mp4Length readMp4Length(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    uint8_t header[16];
    // The top level: the movie box may come before or after the sound data.
    for (uint64_t at = 0; in.seekg(static_cast<std::streamoff>(at)) && in.read(reinterpret_cast<char*>(header), 8);) {
        uint64_t size = bigEndian(header, 4);
        uint64_t headerSize = 8;
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(header + 8), 8)) break;
            size = bigEndian(header + 8, 8);
            headerSize = 16;
        }
        if (size < headerSize && size != 0) break;
        if (std::memcmp(header + 4, "moov", 4) == 0) {
            if (size == 0 || size - headerSize > kMaxMoovBytes) break;
            std::vector<uint8_t> moov(static_cast<std::size_t>(size - headerSize));
            if (!in.read(reinterpret_cast<char*>(moov.data()), static_cast<std::streamsize>(moov.size()))) break;
            return fromMoov(Bytes{moov.data(), moov.size()});
        }
        if (size == 0) break;
        at += size;
    }
    return {};
}

} // namespace vl::engine
