#include "app/ShowCheck.h"

#include "core/InterfaceTexts.h"
#include "core/TimeTexts.h"
#include "lyrics/LyricFile.h"
#include "mixer/ApplyMixer.h"
#include "platform/TextFile.h"
#include "setlists/SetlistFile.h"
#include "settings/Preferences.h"
#include "songs/ProgramFile.h"
#include "songs/SongFolders.h"
#include "songs/SongInfoFile.h"
#include "songs/SongPaths.h"
#include "songs/TimecodeStartFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace vl {

namespace {

bool hasFile(const TrackSettings& track) {
    return !track.fileName.isEmpty() && track.fileName != QLatin1String("no");
}

// Rows the set editor adds between groups: empty, or a letter and "..".
bool isHeading(const QString& row) {
    static const QRegularExpression heading(QStringLiteral("^\\S\\.\\.$"));
    return row.trimmed().isEmpty() || heading.match(row).hasMatch();
}

// A row in capitals that names no song folder ("SET 1", "ENCORE") heads a part of the set.
bool isCapitalHeading(const QString& row, const QString& folder) {
    return row == row.toUpper() && row != row.toLower() && (folder.isEmpty() || !QFileInfo(folder).isDir());
}

CheckedFile fromProbe(const VL_FileProbe& probe) {
    CheckedFile f;
    f.role = probe.role;
    f.readable = probe.readable == 1;
    f.reason = QString::fromUtf8(probe.reason);
    f.lengthSongBytes = probe.lengthSongBytes;
    f.rate = probe.rate;
    f.channels = probe.channels;
    return f;
}

class SongChecker {
public:
    SongChecker(const EngineFunctions& engine, const InterfaceTexts& texts, const QString& songsRoot)
        : engine_(engine), texts_(texts), root_(songsRoot) {}

    CheckedSong check(int row, const QString& title) {
        CheckedSong song;
        song.row = row;
        song.title = title;
        song.folder = songFolderPath(root_, title);
        song.folderFound = !song.folder.isEmpty() && QFileInfo(song.folder).isDir();
        if (!song.folderFound) {
            song.problems << texts_[StatusText::CheckSongFolderMissing].arg(song.folder.isEmpty() ? title : song.folder);
            return song;
        }
        SongProgram program;
        const QString programPath = songProgramPath(root_, title);
        const auto lines = readTextLines(programPath);
        song.programRead = lines && readProgramLines(*lines, program, FileNames::Included);
        if (!song.programRead) {
            song.problems << texts_[StatusText::CheckProgramUnreadable].arg(programPath);
        } else {
            checkTracks(song, program);
        }
        song.lyricPath = lyricFilePath(root_, title);
        song.lyricReadable = readLyricSource(song.lyricPath).has_value();
        if (!song.lyricReadable) song.problems << texts_[StatusText::CheckLyricUnreadable].arg(song.lyricPath);
        checkInfo(song);
        // Lights and video would wait for the wrong time all song long.
        const QString timecode = timecodeStartPath(root_, title);
        if (readTimecodeStart(timecode).unreadable) song.problems << texts_[StatusText::CheckTimecodeUnreadable].arg(timecode);
        return song;
    }

    bool midiSeen() const { return midiSeen_; }

private:
    void checkTracks(CheckedSong& song, const SongProgram& program) {
        // The slots are set as a play sets them, so the engine finds the MIDI and video
        // slots by the same rule; an empty name keeps a slot's last file, so none is left
        // over from the song checked before.
        for (int slot = 1; slot <= kPlayedTracks; ++slot) engine_.SetAFileName(slot, 0, 0.0f, 0, "n\xC3\xB6");
        handTracksToEngine(engine_, program, MixerInputs{}, root_, song.title, GlobalMutes::Ignore);
        for (int i = 0; i < kPlayedTracks; ++i) {
            const TrackSettings& track = program.tracks[static_cast<std::size_t>(i)];
            if (!hasFile(track)) continue;
            VL_FileProbe probe{};
            engine_.ProbeSlot(i + 1, &probe);
            CheckedFile file = fromProbe(probe);
            file.track = i + 1;
            file.name = track.fileName;
            file.path = songFilePath(root_, song.title, track.fileName);
            if (file.role == VL_ROLE_MIDI) midiSeen_ = true;
            if (!file.readable) {
                const StatusText what = file.role == VL_ROLE_MIDI    ? StatusText::CheckMidiUnreadable
                                        : file.role == VL_ROLE_VIDEO ? StatusText::CheckVideoUnreadable
                                                                     : StatusText::CheckTrackUnreadable;
                song.problems << texts_[what].arg(file.track).arg(file.name, file.reason);
            } else if (file.role != VL_ROLE_VIDEO) {
                song.tracksSongBytes = std::max(song.tracksSongBytes, file.lengthSongBytes);
            }
            song.files.push_back(std::move(file));
        }
    }

    void checkInfo(CheckedSong& song) {
        song.infoSongBytes = readSongInfoLength(songInfoPath(root_, song.title));
        if (!song.programRead) return;
        if (!song.infoSongBytes) {
            song.problems << texts_[StatusText::CheckInfoMissing];
            return;
        }
        // What the song list shows is whole seconds: the same seconds agree.
        song.infoAgrees = songBytesToSeconds(*song.infoSongBytes) == songBytesToSeconds(song.tracksSongBytes);
        const bool allRead = std::all_of(song.files.begin(), song.files.end(), [](const CheckedFile& f) { return f.readable; });
        // An unreadable track is already told; its length is unknown.
        if (!song.infoAgrees && allRead)
            song.problems << texts_[StatusText::CheckInfoLength].arg(
                minutesSeconds(uint64_t(std::max<int64_t>(*song.infoSongBytes, 0))), minutesSeconds(song.tracksSongBytes));
    }

    const EngineFunctions& engine_;
    const InterfaceTexts& texts_;
    const QString root_;
    bool midiSeen_ = false;
};

} // namespace

QString rememberedSetlist(const QString& programFolder) {
    Preferences prefs;
    prefs.setlistPath = programFolder + QStringLiteral("YourSongs/Setlist.txt");
    const QString fallback = prefs.setlistPath;
    if (const auto lines = readTextLines(preferencesPath(programFolder))) parsePreferences(*lines, prefs);
    const QFileInfo file(prefs.setlistPath);
    // As the program reads it: a path that names no place falls back to the default.
    if (prefs.setlistPath.isEmpty() || !file.isAbsolute() || !QFileInfo(file.absolutePath()).isDir())
        return fallback;
    return prefs.setlistPath;
}

ShowCheck checkShow(const EngineFunctions& engine, const InterfaceTexts& texts, const QString& programFolder,
                    const QString& setlistPath) {
    ShowCheck show;
    show.programFolder = programFolder;
    show.setlistPath = setlistPath;
    show.songsRoot = folderOfPath(setlistPath);
    const auto rows = readSetlist(setlistPath);
    show.setlistRead = rows.has_value();
    if (!rows) {
        show.problems << texts[StatusText::CheckSetlistUnreadable].arg(setlistPath);
        return show;
    }
    SongChecker checker(engine, texts, show.songsRoot);
    for (int i = 0; i < rows->size(); ++i) {
        const QString& title = (*rows)[i];
        if (isHeading(title) || isCapitalHeading(title, songFolderPath(show.songsRoot, title))) continue;
        CheckedSong song = checker.check(i + 1, title);
        show.filesChecked += static_cast<int>(song.files.size());
        show.songs.push_back(std::move(song));
    }
    show.soundFontNeeded = checker.midiSeen();
    if (show.soundFontNeeded) {
        const QString font = programFolder + QStringLiteral("Data/gm.sf2");
        engine.SetSoundFontPath(font.toUtf8().constData());
        VL_FileProbe probe{};
        engine.ProbeSoundFont(&probe);
        show.soundFont = fromProbe(probe);
        show.soundFont.name = QStringLiteral("gm.sf2");
        show.soundFont.path = font;
        ++show.filesChecked;
        if (!show.soundFont.readable)
            show.problems << texts[StatusText::CheckSoundFontUnreadable].arg(font, show.soundFont.reason);
    }
    for (const CheckedSong& song : show.songs)
        for (const QString& problem : song.problems)
            show.problems << texts[StatusText::CheckRowPrefix].arg(song.row).arg(song.title) + problem;
    return show;
}

} // namespace vl
