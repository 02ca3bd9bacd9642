// What VL_Play would make of a song's files, told without playing: the show check's one
// source of truth is the engine's own decoders.
#include "engine/Engine.h"

#include "engine/midi/MidiFile.h"
#include "engine/playback/SlotRoles.h"
#include "engine/playback/TrackDecoder.h"
#include "engine/video/VideoDecoder.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace vl::engine {

namespace {

void setReason(VL_FileProbe* probe, const std::string& reason) {
    std::strncpy(probe->reason, reason.c_str(), sizeof probe->reason - 1);
    probe->reason[sizeof probe->reason - 1] = '\0';
}

// Why a file that should be there cannot even be opened; empty when it can.
std::string unopenable(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return "file not found";
    if (!std::filesystem::is_regular_file(path, ec)) return "not a file";
    if (access(path.c_str(), R_OK) != 0) return "no permission to read it";
    return {};
}

const char* midiReason(midi::MidiReadError error) {
    switch (error) {
    case midi::MidiReadError::NotMidi: return "not a MIDI file";
    case midi::MidiReadError::UnsupportedFormat: return "unsupported MIDI format";
    case midi::MidiReadError::SmpteDivision: return "SMPTE timing is not supported";
    case midi::MidiReadError::Truncated: return "the file is cut short";
    case midi::MidiReadError::TooLarge: return "the file is too large";
    case midi::MidiReadError::None: break;
    }
    return "cannot be read";
}

} // namespace

int Engine::probeSlot(int slot, VL_FileProbe* probe) const {
    if (!probe) return 0;
    *probe = VL_FileProbe{};
    if (!validTrack(slot)) {
        setReason(probe, "no such track");
        return 0;
    }
    const std::string path(slots()[slot].name());
    const SlotRoles roles = classifySlots(slots());
    std::string why = unopenable(path);
    if (slot == roles.midiSlot) {
        probe->role = VL_ROLE_MIDI;
        if (why.empty()) {
            const midi::MidiReadResult read = midi::readMidiFile(path);
            if (read.song) probe->lengthSongBytes = read.song->lengthSongBytes();
            else why = midiReason(read.error);
        }
    } else if (slot == roles.videoSlot) {
        probe->role = VL_ROLE_VIDEO;
        if (why.empty() && !VideoDecoder::open(path)) why = "no video picture FFmpeg can decode";
    } else {
        probe->role = VL_ROLE_AUDIO;
        if (why.empty()) {
            if (const auto decoder = TrackDecoder::open(path, kSampleRate, &why)) {
                probe->lengthSongBytes = decoder->lengthSongBytes();
                probe->rate = decoder->fileRate();
                probe->channels = decoder->fileChannels();
            } else if (why.empty()) {
                why = "cannot be decoded";
            }
        }
    }
    probe->readable = why.empty() ? 1 : 0;
    setReason(probe, why);
    return probe->readable;
}

int Engine::probeSoundFont(VL_FileProbe* probe) const {
    if (!probe) return 0;
    *probe = VL_FileProbe{};
    probe->role = VL_ROLE_SOUNDFONT;
    const std::string path(soundFontPath_.data());
    std::string why = unopenable(path);
    // The header is enough: loading a General MIDI font takes seconds.
    if (why.empty() && !fluid_is_soundfont(path.c_str())) why = "not a sound font";
    probe->readable = why.empty() ? 1 : 0;
    setReason(probe, why);
    return probe->readable;
}

} // namespace vl::engine
