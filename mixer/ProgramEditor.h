#pragma once
// The program editor and its channel effects window at work: opening on the selected song,
// copying the controls into the song program on every fast tick (so every edit is heard at
// once), importing track files into the song folder, the mixer file, and OK with its save.

#include "mixer/ApplyMixer.h"
#include "mixer/SongProgramStore.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QWidget;

namespace vl {

class ChannelEffectsWindow;
class Dialogs;
class Fonts;
class InterfaceTexts;
class ProgramEditorWindow;
class TimecodeStartField;
struct AppState;
struct EngineFunctions;
struct SongProgram;

// What the editor needs from the running program.
class ProgramEditorHost {
  public:
    virtual ~ProgramEditorHost() = default;
    virtual QWidget* mainWindow() = 0;
    // The song an editor may open: the playing row while a song plays, else the selected
    // one; empty when the highlight is not on the current song.
    virtual QString songToEdit() = 0;
    // Reads the program of the playing or the selected song (the latter becomes `selectedRow`).
    virtual LoadOutcome loadSongProgram() = 0;
    virtual QString currentSongTitle() = 0;
    virtual MixerInputs mixerInputs() = 0;
    virtual void startPlayback(bool reload) = 0;
    // The song list's times read again (the set list not taken), and its keyboard focus.
    virtual void refreshSongList() = 0;
};

struct ProgramEditorContext {
    const AppState& state;
    SongProgram& program;
    SongProgramStore& store;
    const EngineFunctions& engine;
    Dialogs& dialogs;
    const InterfaceTexts& texts;
    const Fonts& fonts;
    ProgramEditorHost& host;
};

class ProgramEditor : public QObject {
    Q_OBJECT
  public:
    explicit ProgramEditor(ProgramEditorContext context);
    ~ProgramEditor() override;

    ProgramEditorWindow& window() { return *window_; }
    ChannelEffectsWindow& effects() { return *effects_; }
    bool visible() const;

    // SONG EDIT: makes sure the song has a program file, then shows the editor in the main
    // window's place. False when nothing opened.
    bool openProgramEditor();
    // The controls from the song program; with `reload` the program is read first.
    void fillProgramEditor(bool reload);
    void fillChannelEffects();
    // The controls into the song program, then the mixer into the engine.
    void readProgramEditor();
    void readChannelEffects();
    // The fast tick's work while the windows show.
    void fastTick();

    // Whether OK saves: set by the click that opened the editor, and by every touch and
    // edit after it.
    bool programDirty() const { return programDirty_; }
    void markChanged() { programDirty_ = true; }
    int effectEditTrack() const { return effectEditTrack_; }

    // The windows' buttons.
    void confirm();
    void importTrack(int row);
    void loadMixer();
    void saveMixer();
    void editEffects(int row);
    // "STOP" while a song plays, "PLAY" after.
    void showPlaying(bool playing);

  private:
    QString mixerPath() const;
    // The engine's output peaks since the last tick onto the meters.
    void readMeters();
    void startFromEmptyProgram();

    ProgramEditorContext ctx_;
    std::unique_ptr<ProgramEditorWindow> window_;
    std::unique_ptr<TimecodeStartField> timecode_;
    ChannelEffectsWindow* effects_; // a window of its own that stays over the editor, owned by it
    bool programDirty_ = false;
    int effectEditTrack_ = 0;
    QString editedSong_; // the song whose program the editor shows
    QElapsedTimer meterClock_;
};

} // namespace vl
