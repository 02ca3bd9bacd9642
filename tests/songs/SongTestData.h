#pragma once
// A song program with a distinct value in every field, for round trips.

#include "songs/SongProgram.h"

namespace vl::test {

inline SongProgram everyFieldSet() {
    SongProgram p;
    p.masterVolume = 0.37f;
    for (int t = 0; t < kTrackRecords; ++t) {
        TrackSettings& s = p.tracks[static_cast<std::size_t>(t)];
        s.fileName = QStringLiteral("track %1 Grüße.wav").arg(t + 1);
        s.pan = t * 7 - 50;
        s.volume = static_cast<float>((t * 6 + 3) * 0.01);
        s.outputPair = t % 4;
        s.mute = t % 2;
        s.eqActive = (t + 1) % 2;
        s.treble = t - 8;
        s.mid = 15 - t;
        s.bass = -t;
        s.compressorActive = t % 3 == 0;
        s.ratio = static_cast<float>(t + 1);
        s.threshold = static_cast<float>(-3 * t);
        s.release = static_cast<float>(10 + 60 * t);
        s.reverbSend = 5 * t;
        s.delaySend = 100 - 5 * t;
    }
    p.midiProgramChanges = {{{1, 5}, {10, 128}, {16, 1}}};
    p.effectBuses = {70, 4, 55, 375, 6};
    p.reserved = {-1, 2, 2147483647, -2147483647 - 1, 12345};
    return p;
}

} // namespace vl::test
