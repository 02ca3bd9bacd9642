#include "engine/midi/MidiChase.h"

#include <algorithm>
#include <array>

namespace vl::engine::midi {

namespace {

// Data entry and the parameter numbers it acts on only mean something in their order.
bool parameterNumberController(uint8_t cc) {
    return cc == 6 || cc == 38 || cc == 96 || cc == 97 || (cc >= 98 && cc <= 101);
}

struct ChannelState {
    std::array<int16_t, 120> controllers; // -1: never set; 120..127 are mode messages
    int16_t program = -1;
    int32_t bend = -1;
    int16_t pressure = -1;
    std::vector<MidiEvent> parameterNumbers;
    ChannelState() { controllers.fill(-1); }
};

} // namespace

std::size_t firstEventAt(const MidiSong& song, uint64_t frame) {
    const auto it = std::lower_bound(song.events.begin(), song.events.end(), frame,
                                     [](const MidiEvent& e, uint64_t f) { return e.frame < f; });
    return static_cast<std::size_t>(it - song.events.begin());
}

std::vector<MidiEvent> chaseState(const MidiSong& song, uint64_t frame) {
    std::vector<MidiEvent> out;
    std::array<ChannelState, 16> channels;
    const std::size_t end = firstEventAt(song, frame);
    for (std::size_t i = 0; i < end; ++i) {
        const MidiEvent& e = song.events[i];
        ChannelState& c = channels[e.channel()];
        switch (e.type()) {
        case 0xB0:
            if (parameterNumberController(e.data1))
                c.parameterNumbers.push_back(e);
            else if (e.data1 < c.controllers.size())
                c.controllers[e.data1] = e.data2;
            break;
        case 0xC0: c.program = e.data1; break;
        case 0xD0: c.pressure = e.data1; break;
        case 0xE0: c.bend = e.data1 | e.data2 << 7; break;
        case 0xF0:
            if (e.status == 0xF0) out.push_back(e);
            break;
        default: break;
        }
    }
    auto cc = [&](uint8_t channel, uint8_t number, int16_t value) {
        if (value >= 0)
            out.push_back({frame, static_cast<uint8_t>(0xB0 | channel), number, static_cast<uint8_t>(value), 0, 0});
    };
    for (uint8_t ch = 0; ch < 16; ++ch) {
        const ChannelState& c = channels[ch];
        cc(ch, 0, c.controllers[0]);
        cc(ch, 32, c.controllers[32]);
        if (c.program >= 0)
            out.push_back({frame, static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(c.program), 0, 0, 0});
        for (uint8_t n = 1; n < c.controllers.size(); ++n)
            if (n != 32) cc(ch, n, c.controllers[n]);
        out.insert(out.end(), c.parameterNumbers.begin(), c.parameterNumbers.end());
        if (c.bend >= 0)
            out.push_back({frame, static_cast<uint8_t>(0xE0 | ch), static_cast<uint8_t>(c.bend & 0x7F),
                           static_cast<uint8_t>(c.bend >> 7), 0, 0});
        if (c.pressure >= 0)
            out.push_back({frame, static_cast<uint8_t>(0xD0 | ch), static_cast<uint8_t>(c.pressure), 0, 0, 0});
    }
    return out;
}

} // namespace vl::engine::midi
