#include "app/RehearsalRender.h"

#include "app/ShowCheck.h"
#include "app/WaveWriter.h"
#include "core/InterfaceTexts.h"
#include "core/TimeTexts.h"
#include "mixer/ApplyMixer.h"
#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "songs/ProgramFile.h"
#include "songs/SongFolders.h"
#include "songs/SongPaths.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <vector>

namespace vl {

namespace {

constexpr int kBlockFrames = 4096;
constexpr int kChannels = 8;
// The program lets a song's end ring out this long before it stops it.
constexpr uint64_t kRingOutFrames = 44100;

Preferences storedPreferences(const QString& programFolder) {
    Preferences prefs;
    if (const auto lines = readTextLines(preferencesPath(programFolder))) parsePreferences(*lines, prefs);
    return prefs;
}

QString outputsName(int pair) {
    if (pair == 0) return QStringLiteral("1-8");
    return QStringLiteral("%1/%2").arg(pair * 2 - 1).arg(pair * 2);
}

} // namespace

SongLocation locateSong(const QString& song, const QString& songsRoot) {
    if (!song.contains('/')) return {songsRoot, song};
    const QFileInfo folder(QDir::cleanPath(QDir(song).absolutePath()));
    QString root = folder.absolutePath();
    if (!root.endsWith('/')) root += '/';
    return {root, folder.fileName()};
}

RenderResult renderRehearsal(const EngineFunctions& engine, const InterfaceTexts& texts, const RenderRequest& request) {
    RenderResult result;
    const SongLocation where =
        locateSong(request.song, folderOfPath(rememberedSetlist(request.programFolder)));
    const QString folder = songFolderPath(where.songsRoot, where.title);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        result.message = texts[StatusText::CheckSongFolderMissing].arg(folder.isEmpty() ? request.song : folder);
        return result;
    }
    SongProgram program;
    const QString programPath = songProgramPath(where.songsRoot, where.title);
    const auto lines = readTextLines(programPath);
    if (!lines || !readProgramLines(*lines, program, FileNames::Included)) {
        result.message = texts[StatusText::CheckProgramUnreadable].arg(programPath);
        return result;
    }

    const Preferences prefs = storedPreferences(request.programFolder);
    MixerInputs inputs;
    inputs.globalMute = prefs.globalMute;
    inputs.subgroupOutput = prefs.subgroupOutput;
    engine.SetSoundFontPath((request.programFolder + QStringLiteral("Data/gm.sf2")).toUtf8().constData());
    engine.OpenOfflineDevice();
    // The same calls in the same order as PLAY.
    handTracksToEngine(engine, program, inputs, where.songsRoot, where.title, GlobalMutes::Honour);
    engine.SetSongPos(0);
    applyMixerToEngine(engine, program, inputs);
    const bool started = engine.Play(0, 1, nullptr) == 1;
    const uint64_t songFrames = engine.GetMaxSongPos() / 4;
    if (!started || songFrames == 0) {
        engine.Stop();
        result.message = texts[StatusText::RenderNothingPlays].arg(folder);
        return result;
    }
    applyMixerToEngine(engine, program, inputs);

    const int outChannels = request.pair == 0 ? kChannels : 2;
    const int firstChannel = request.pair == 0 ? 0 : (request.pair - 1) * 2;
    const uint64_t total = songFrames + kRingOutFrames;
    WaveWriter wave(request.output, outChannels);
    if (!WaveWriter::fits(total, outChannels)) {
        engine.Stop();
        result.message = texts[StatusText::RenderCannotWrite].arg(request.output, QStringLiteral("over 4 GiB"));
        return result;
    }
    if (!wave.open()) {
        engine.Stop();
        result.message = texts[StatusText::RenderCannotWrite].arg(request.output, wave.error());
        return result;
    }
    std::vector<float> planar(std::size_t(kBlockFrames) * kChannels);
    std::array<float*, kChannels> channels{};
    for (int c = 0; c < kChannels; ++c) channels[c] = planar.data() + std::size_t(c) * kBlockFrames;
    std::vector<float> interleaved(std::size_t(kBlockFrames) * outChannels);
    bool written = true;
    for (uint64_t done = 0; done < total && written;) {
        const int n = static_cast<int>(std::min<uint64_t>(kBlockFrames, total - done));
        engine.RenderOffline(channels.data(), n);
        for (int f = 0; f < n; ++f)
            for (int c = 0; c < outChannels; ++c)
                interleaved[std::size_t(f) * outChannels + c] = channels[firstChannel + c][f];
        written = wave.write(interleaved.data(), std::size_t(n));
        done += std::uint64_t(n);
    }
    engine.Stop();
    if (!written || !wave.finish()) {
        result.message = texts[StatusText::RenderCannotWrite].arg(request.output, wave.error());
        return result;
    }
    result.ok = true;
    result.message = texts[StatusText::RenderWritten].arg(request.output, minutesSeconds(songFrames * 4),
                                                          outputsName(request.pair));
    return result;
}

} // namespace vl
