#include "mixer/SongProgramStore.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongPaths.h"


namespace vl {

LoadOutcome SongProgramStore::loadSongProgram(const QString& songsRoot, const SongChoice& choice) {
    LoadOutcome outcome;
    if (choice.programEditorVisible) return outcome;
    const bool fromPlaying = playing();
    outcome.row = fromPlaying ? ChosenRow::Playing : ChosenRow::Selected;
    outcome.song = fromPlaying ? choice.playingSong : choice.selectedSong;
    const auto lines = readTextLines(songProgramPath(songsRoot, outcome.song));
    outcome.read = lines && readProgramLines(*lines, program_, FileNames::Included);
    // Even when nothing could be read, what is edited now is this song's program: a save
    // must never carry it into the folder of the song loaded before.
    loadedSong_ = outcome.song;
    loadedRoot_ = songsRoot;
    return outcome;
}

SaveOutcome SongProgramStore::saveSongProgram(const QString& songsRoot, const QString& currentSong,
                                              const MixerInputs& mixer) {
    if (!isSavableSongName(currentSong)) return SaveOutcome::NotSaved;
    // The record holds the program last read; it belongs in that song's folder only.
    const bool loaded = !loadedSong_.isEmpty();
    const QString song = loaded ? loadedSong_ : currentSong;
    const QString root = loaded ? loadedRoot_ : songsRoot;
    if (!isSavableSongName(song)) return SaveOutcome::NotSaved;
    if (!dialogs_.askYesNo(texts_[TextId::ConfirmTitle], texts_[TextId::MessageSaveChanges]))
        return SaveOutcome::NotSaved;
    const QString path = songProgramPath(root, song);
    if (!writeTextLines(path, writeProgramLines(program_, FileNames::Included))) {
        dialogs_.message(texts_[TextId::MessageTemplateErrorTitle], texts_[StatusText::ProgramNotSaved].arg(path));
        return SaveOutcome::Failed;
    }
    writeSongInfo(root, song, mixer);
    return SaveOutcome::Saved;
}

void SongProgramStore::writeSongInfo(const QString& songsRoot, const QString& song,
                                     const MixerInputs& mixer) {
    // The file must be writable before the engine is driven to measure for it.
    const QString path = songInfoPath(songsRoot, song);
    if (!canReplaceFile(path)) return;
    QStringList lines;
    if (!playing()) {
        applyMixerToEngine(engine_, program_, mixer);
        handTracksToEngine(engine_, program_, mixer, songsRoot, song, GlobalMutes::Ignore);
        lines.append(QString::number(engine_.Play(1, 0, playbackWindow_)));
    }
    if (playing()) lines.append(QString::number(engine_.GetMaxSongPos()));
    writeTextLines(path, lines);
}

} // namespace vl
