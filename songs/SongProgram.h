#pragma once
// The one song mix held in memory: what plays on each track and every mixer value.

#include <QString>

#include <array>
#include <cstdint>

namespace vl {

inline constexpr int kTrackRecords = 18; // records in memory
inline constexpr int kStoredTracks = 16; // tracks kept in program and mixer files
inline constexpr int kPlayedTracks = 8;  // tracks handed to the engine as slots 1-8
inline constexpr int kLegacyTracks = 6;  // tracks of a "v1.0" file
inline constexpr int kFileNameMax = 255; // characters of a track's file name
inline constexpr int kProgramChanges = 3;
inline constexpr int kReservedValues = 5;

struct TrackSettings {
    QString fileName;       // bare name inside the song folder; "no" or empty = no file
    int32_t pan = 0;        // -100 left .. +100 right
    float volume = 0.0f;    // linear 0.0-1.0
    int32_t outputPair = 0; // sub-group 0-3 ("1/2" .. "7/8")
    int32_t mute = 0;
    int32_t eqActive = 0;
    int32_t treble = 0; // dB -15..+15
    int32_t mid = 0;
    int32_t bass = 0;
    int32_t compressorActive = 0;
    float ratio = 0.0f;     // 1-20
    float threshold = 0.0f; // dB -60..0
    float release = 0.0f;   // ms 10-1000
    int32_t reverbSend = 0; // 0-100
    int32_t delaySend = 0;  // 0-100

    bool operator==(const TrackSettings&) const = default;
};

struct MidiProgramChange {
    int32_t channel = 0; // 1-16, 0 = no entry
    int32_t program = 0; // 1-128, 0 = no entry

    bool operator==(const MidiProgramChange&) const = default;
};

struct EffectBusSettings {
    int32_t reverbVolume = 0;  // 0-100
    int32_t reverbTime = 0;    // 0-10
    int32_t delayVolume = 0;   // 0-100
    int32_t delayTime = 0;     // ms 0-1000
    int32_t delayFeedback = 0; // 0-10

    bool operator==(const EffectBusSettings&) const = default;
};

struct SongProgram {
    std::array<TrackSettings, kTrackRecords> tracks{};
    float masterVolume = 0.8f;
    std::array<MidiProgramChange, kProgramChanges> midiProgramChanges{};
    EffectBusSettings effectBuses{};
    std::array<int32_t, kReservedValues> reserved{}; // kept unchanged through load and save

    bool operator==(const SongProgram&) const = default;
};

} // namespace vl
