#pragma once
// Brings the engine's copy of the mix up to date from the song program and the live
// values that no song stores (global mutes, sub-group routing, MIDI faders and master).

#include "core/EngineFunctions.h"
#include "songs/SongProgram.h"

#include <QString>

#include <array>

namespace vl {

// 7-bit MIDI values become factors with this scale, not 1/127: 127 gives 0.99949.
inline constexpr float kMidiScale = 0.00787f;

struct MixerInputs {
    std::array<bool, kPlayedTracks> globalMute{};
    std::array<int, 4> subgroupOutput{0, 1, 2, 3}; // sound-card pair of each sub-group
    bool midiMasterVolumeEnabled = false;
    const std::array<int, 17>* channelFaders = nullptr; // null: every fader at 127
    float* masterFactor = nullptr;                      // null: 1.0
};

// The sound-card output pair of a track's sub-group; values outside 0-3 pass unchanged.
int outputPairForSubgroup(int outputPair, const std::array<int, 4>& subgroupOutput);

// The 36 engine calls for tracks 1-8, both buses and the master level. Resets the MIDI
// master factor to 1.0 while the MIDI master option is off.
void applyMixerToEngine(const EngineFunctions& engine, const SongProgram& program, const MixerInputs& inputs);
// Only the eight tracks' levels (mute, faders), pans and pairs: the slots' own, unlike the
// buses and the master, which would reach the song that plays.
void applyTrackLevelsToEngine(const EngineFunctions& engine, const SongProgram& program, const MixerInputs& inputs);
// Only the eight tracks' equalisers and compressors: they reach the tracks of the song
// started or queued last.
void applyTrackEqAndCompressorToEngine(const EngineFunctions& engine, const SongProgram& program);

enum class GlobalMutes { Honour, Ignore };

// What a track without a file (no name, "no", or a name that leads out of its song folder)
// is handed: a path that opens nothing. An empty path would keep the slot's last file.
inline constexpr const char* kNoTrackFile = "/dev/null";

// Hands all eight slots to the engine, each with its full path or kNoTrackFile; a globally
// muted track (when honoured) gets a name that matches no file, so it plays nothing.
void handTracksToEngine(const EngineFunctions& engine, const SongProgram& program, const MixerInputs& inputs,
                        const QString& songsRoot, const QString& song, GlobalMutes mutes);

} // namespace vl
