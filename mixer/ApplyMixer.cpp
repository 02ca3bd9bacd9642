#include "mixer/ApplyMixer.h"

#include "songs/SongPaths.h"
#include "songs/ValueLines.h"

#include <algorithm>
#include <cstdint>

namespace vl {
namespace {

// Stored values come from files and may lie far outside the engine's small argument types.
int16_t toInt16(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}
uint8_t toPair(int pair) {
    return static_cast<uint8_t>(pair);
}

} // namespace

int outputPairForSubgroup(int outputPair, const std::array<int, 4>& subgroupOutput) {
    if (outputPair < 0 || outputPair > 3) return outputPair;
    return subgroupOutput[static_cast<std::size_t>(outputPair)];
}

void applyTrackLevelsToEngine(const EngineFunctions& engine, const SongProgram& program,
                              const MixerInputs& inputs) {
    for (int i = 0; i < kPlayedTracks; ++i) {
        const TrackSettings& track = program.tracks[static_cast<std::size_t>(i)];
        const int out = outputPairForSubgroup(track.outputPair, inputs.subgroupOutput);
        float level = 0.0f;
        // Mute is a flag: a damaged file's mute of -5 must not turn into a gain of 6.
        if (!inputs.globalMute[static_cast<std::size_t>(i)] && track.mute == 0) {
            const int fader =
                inputs.channelFaders ? (*inputs.channelFaders)[static_cast<std::size_t>(i)] : 127;
            level = static_cast<float>(static_cast<double>(track.volume) *
                                       (fader * static_cast<double>(kMidiScale)));
        }
        engine.SetAFileName(i + 1, toPair(out), level, toInt16(track.pan), "");
    }
}

void applyMixerToEngine(const EngineFunctions& engine, const SongProgram& program,
                        const MixerInputs& inputs) {
    const auto& buses = program.effectBuses;
    applyTrackLevelsToEngine(engine, program, inputs);
    engine.SetBusEffVol(toInt16(buses.reverbVolume), toInt16(buses.delayVolume));
    for (int i = 0; i < kPlayedTracks; ++i) {
        const TrackSettings& track = program.tracks[static_cast<std::size_t>(i)];
        engine.SendEff(i + 1, toInt16(track.reverbSend), toInt16(track.delaySend));
    }
    float localFactor = 1.0f;
    float& masterFactor = inputs.masterFactor ? *inputs.masterFactor : localFactor;
    if (!inputs.midiMasterVolumeEnabled) masterFactor = 1.0f;
    engine.SetMasterVol(program.masterVolume * masterFactor);
    engine.SetBusReverb(0, buses.reverbTime);
    engine.SetBusDelay(0, buses.delayTime, buses.delayFeedback);
    applyTrackEqAndCompressorToEngine(engine, program);
}

void applyTrackEqAndCompressorToEngine(const EngineFunctions& engine, const SongProgram& program) {
    for (int i = 0; i < kPlayedTracks; ++i) {
        const TrackSettings& track = program.tracks[static_cast<std::size_t>(i)];
        if (track.eqActive == 1)
            engine.SetEq(i + 1, static_cast<float>(track.bass), static_cast<float>(track.mid),
                         static_cast<float>(track.treble));
        else
            engine.SetEq(i + 1, 0.0f, 0.0f, 0.0f);
    }
    for (int i = 0; i < kPlayedTracks; ++i) {
        const TrackSettings& track = program.tracks[static_cast<std::size_t>(i)];
        if (track.compressorActive == 1)
            engine.SetCompr(i + 1, roundToInt(track.ratio), roundToInt(track.threshold),
                            roundToInt(track.release), 0);
        else
            engine.SetCompr(i + 1, 1, 0, 400, 0);
    }
}

void handTracksToEngine(const EngineFunctions& engine, const SongProgram& program, const MixerInputs& inputs,
                        const QString& songsRoot, const QString& song, GlobalMutes mutes) {
    for (int i = 0; i < kPlayedTracks; ++i) {
        const TrackSettings& track = program.tracks[static_cast<std::size_t>(i)];
        if (mutes == GlobalMutes::Honour && inputs.globalMute[static_cast<std::size_t>(i)]) {
            engine.SetAFileName(i + 1, 0, 0.0f, 0, "n\xC3\xB6");
            continue;
        }
        const bool none = track.fileName.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0;
        const QByteArray path = none ? QByteArray() : songFilePath(songsRoot, song, track.fileName).toUtf8();
        engine.SetAFileName(i + 1, toPair(outputPairForSubgroup(track.outputPair, inputs.subgroupOutput)),
                            track.volume, toInt16(track.pan), path.isEmpty() ? kNoTrackFile : path.constData());
    }
}

} // namespace vl
