#pragma once
// Builds Standard MIDI Files for engine tests and benchmarks. With the defaults (480 ticks
// per quarter note, 120 bpm) a second is 960 ticks.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vl::test {

struct SmfEvent {
    uint32_t tick;
    std::vector<uint8_t> bytes; // status and data, or FF type and data (length added), or F0 data
};

inline SmfEvent channelMessage(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2 = 0) {
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) return {tick, {status, d1}};
    return {tick, {status, d1, d2}};
}
inline SmfEvent meta(uint32_t tick, uint8_t type, const std::string& text) {
    std::vector<uint8_t> bytes(text.size() + 2);
    bytes[0] = 0xFF;
    bytes[1] = type;
    std::copy(text.begin(), text.end(), bytes.begin() + 2);
    return {tick, std::move(bytes)};
}
inline SmfEvent tempo(uint32_t tick, uint32_t microsPerQuarter) {
    return {tick, {0xFF, 0x51, uint8_t(microsPerQuarter >> 16), uint8_t(microsPerQuarter >> 8), uint8_t(microsPerQuarter)}};
}
constexpr uint32_t kTicksPerSecond = 960;
inline uint32_t at(double seconds) { return static_cast<uint32_t>(seconds * kTicksPerSecond + 0.5); }

inline void putVlq(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    do {
        tmp[n++] = v & 0x7F;
        v >>= 7;
    } while (v);
    while (n > 1) out.push_back(tmp[--n] | 0x80);
    out.push_back(tmp[0]);
}

// Events of each track must be in tick order. `runningStatus` leaves out repeated status bytes.
inline std::vector<uint8_t> buildSmf(const std::vector<std::vector<SmfEvent>>& tracks, int format = 1,
                                     uint16_t division = 480, bool runningStatus = false) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(format), 0, uint8_t(tracks.size()),
                                uint8_t(division >> 8), uint8_t(division)};
    for (const auto& track : tracks) {
        std::vector<uint8_t> body;
        uint32_t last = 0;
        uint8_t running = 0;
        for (const auto& e : track) {
            putVlq(body, e.tick - last);
            last = e.tick;
            const uint8_t status = e.bytes[0];
            if (status == 0xFF) {
                body.push_back(0xFF);
                body.push_back(e.bytes[1]);
                putVlq(body, static_cast<uint32_t>(e.bytes.size() - 2));
                body.insert(body.end(), e.bytes.begin() + 2, e.bytes.end());
            } else if (status == 0xF0) {
                body.push_back(0xF0);
                putVlq(body, static_cast<uint32_t>(e.bytes.size() - 1));
                body.insert(body.end(), e.bytes.begin() + 1, e.bytes.end());
            } else {
                if (!runningStatus || status != running) body.push_back(status);
                running = status;
                body.insert(body.end(), e.bytes.begin() + 1, e.bytes.end());
            }
        }
        putVlq(body, 0);
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        const auto n = static_cast<uint32_t>(body.size());
        out.insert(out.end(), {'M', 'T', 'r', 'k', uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

inline bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace vl::test
