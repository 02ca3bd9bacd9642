// vl-make-demo HOME: fills the program folder HOME with a ready-to-play setlist of
// generated songs, so a first start has something to play at once.
#include "DemoSynth.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongPaths.h"
#include "songs/SongProgram.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using vl::demo::SongStyle;
using vl::demo::Stereo;

struct DemoTrack {
    const char* file;
    Stereo (*make)(const SongStyle&);
    float volume;
    int pan;
    int subgroup; // the click goes to its own pair, as a drummer's in-ear mix would
};

const DemoTrack kTracks[] = {
    {"drums.wav", &vl::demo::drums, 0.9f, 0, 0},
    {"bass.wav", &vl::demo::bass, 0.8f, 0, 0},
    {"pad.wav", &vl::demo::pad, 0.6f, 0, 0},
    {"click.wav", &vl::demo::click, 0.7f, 0, 1},
};

struct DemoSong {
    const char* name;
    SongStyle style;
};

bool writeWave(const QString& path, Stereo samples) {
    float peak = 0;
    for (float v : samples) peak = std::max(peak, std::fabs(v));
    if (peak > 0)
        for (float& v : samples) v *= 0.7f / peak;
    SF_INFO info{};
    info.samplerate = vl::demo::kSampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file) return false;
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / 2);
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

bool writeSongProgram(const QString& songsRoot, const QString& song) {
    vl::SongProgram program;
    for (std::size_t t = 0; t < std::size(kTracks); ++t) {
        vl::TrackSettings& track = program.tracks[t];
        track.fileName = QString::fromLatin1(kTracks[t].file);
        track.volume = kTracks[t].volume;
        track.pan = kTracks[t].pan;
        track.outputPair = kTracks[t].subgroup;
        track.ratio = 1;
        track.release = 400;
    }
    program.tracks[2].reverbSend = 30; // the pad sits a little back
    program.effectBuses = {60, 5, 40, 350, 3};
    return vl::writeTextLines(vl::songProgramPath(songsRoot, song),
                              vl::writeProgramLines(program, vl::FileNames::Included));
}

bool writeSong(const QString& songsRoot, const DemoSong& song) {
    const QString folder = songsRoot + QString::fromUtf8(song.name) + "/";
    if (!QDir().mkpath(folder)) return false;
    for (const DemoTrack& track : kTracks)
        if (!writeWave(folder + track.file, track.make(song.style))) return false;
    // The song's length in song bytes: 4 bytes a frame at 44,100 Hz.
    const int64_t length = vl::demo::songFrames(song.style) * 4;
    // A lyric of the title alone, for SHOW and EDIT to have something.
    const QString lyric = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48 %1\\par}")
                              .arg(QString::fromUtf8(song.name));
    return vl::writeTextLines(vl::songInfoPath(songsRoot, QString::fromUtf8(song.name)), {QString::number(length)}) &&
           vl::writeTextLines(folder + QString::fromUtf8(song.name) + ".rtf", {lyric}) &&
           writeSongProgram(songsRoot, QString::fromUtf8(song.name));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vl-make-demo PROGRAM-FOLDER\n");
        return 2;
    }
    const QString home = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + "/";
    const QString songsRoot = home + "YourSongs/";
    const DemoSong songs[] = {
        {"Morning Drive", {112, 16, 40, {0, 5, 7, 5}, false, 11}},
        {"Blue Harbour", {92, 12, 45, {0, 8, 3, 10}, true, 12}},
        {"Night Train", {128, 18, 43, {0, 3, 5, 3}, true, 13}},
        {"Paper Moon", {100, 12, 38, {0, 7, 9, 5}, false, 14}},
        {"Last Call", {84, 10, 41, {0, 5, 2, 7}, false, 15}},
    };
    QStringList setlist{QStringLiteral("SET 1")};
    for (const DemoSong& song : songs) {
        if (!writeSong(songsRoot, song)) {
            std::fprintf(stderr, "vl-make-demo: could not write the song %s under %s\n", song.name,
                         songsRoot.toLocal8Bit().constData());
            return 1;
        }
        if (QString::fromUtf8(song.name) == QLatin1String("Last Call")) setlist << QStringLiteral("SET 2");
        setlist << QString::fromUtf8(song.name);
    }
    if (!vl::writeTextLines(songsRoot + "Setlist.txt", setlist)) {
        std::fprintf(stderr, "vl-make-demo: could not write %sSetlist.txt\n", songsRoot.toLocal8Bit().constData());
        return 1;
    }
    std::printf("vl-make-demo: %zu songs in %s\n", std::size(songs), songsRoot.toLocal8Bit().constData());
    return 0;
}
