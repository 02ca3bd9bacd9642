#pragma once
// Loading and saving the song program of one song folder, with the confirmation before a
// save and the info file written after it.

#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "mixer/ApplyMixer.h"
#include "platform/Dialogs.h"
#include "songs/SongProgram.h"

#include <QString>

namespace vl {

// What the song list shows at the moment of a load.
struct SongChoice {
    bool programEditorVisible = false; // a load then leaves the edit in progress alone
    QString playingSong;               // row `playingSong`
    QString selectedSong;              // the row selected now
};

enum class ChosenRow { None, Playing, Selected };

// Failed: the user said Yes but the file could not be written; the user was told.
enum class SaveOutcome { NotSaved, Saved, Failed };

struct LoadOutcome {
    ChosenRow row = ChosenRow::None; // Selected: the caller makes it `selectedRow`
    QString song;
    bool read = false; // false: the record kept its values
};

class SongProgramStore {
  public:
    SongProgramStore(SongProgram& program, const EngineFunctions& engine, Dialogs& dialogs,
                     const InterfaceTexts& texts, void* playbackWindow = nullptr)
        : program_(program), engine_(engine), dialogs_(dialogs), texts_(texts),
          playbackWindow_(playbackWindow) {}

    // Reads the program of the playing song while the engine plays, else of the selected one.
    LoadOutcome loadSongProgram(const QString& songsRoot, const SongChoice& choice);

    // Asks "save changes ?", then writes the program and the info file of the song whose
    // program was last read, in the songs root it was read from (of `currentSong` under
    // `songsRoot` when none was). A program that cannot be written keeps the old file, is
    // said in a message, and measures nothing.
    SaveOutcome saveSongProgram(const QString& songsRoot, const QString& currentSong, const MixerInputs& mixer);

    // The song whose program was read last, or tried: a song whose file could not be read
    // is still the one an edit belongs to. Empty before the first load.
    const QString& loadedSong() const { return loadedSong_; }
    void setPlaybackWindow(void* window) { playbackWindow_ = window; }

  private:
    void writeSongInfo(const QString& songsRoot, const QString& song, const MixerInputs& mixer);
    bool playing() const { return engine_.GetPlaying && engine_.GetPlaying() == 1; }

    SongProgram& program_;
    const EngineFunctions& engine_;
    Dialogs& dialogs_;
    const InterfaceTexts& texts_;
    void* playbackWindow_;
    QString loadedSong_;
    QString loadedRoot_;
};

} // namespace vl
