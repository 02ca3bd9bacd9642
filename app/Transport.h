#pragma once
// Play and stop of the current song, the start point, the position displays and the end
// of a song with its jump to the next row. Runs on the UI thread, like every engine call.

#include "app/DarkClock.h"
#include "mixer/ApplyMixer.h"

#include <QDeadlineTimer>
#include <QObject>

#include <functional>
#include <optional>

class QWidget;

namespace vl {

class Dialogs;
class InterfaceTexts;
class MainWindow;
class Settings;
class SongListModel;
class SongProgramStore;
struct AppState;
struct EngineFunctions;
struct SongProgram;

class Transport : public QObject {
    Q_OBJECT
public:
    struct Parts {
        AppState& state;
        const EngineFunctions& engine;
        SongListModel& songs;
        SongProgram& program;
        SongProgramStore& programStore;
        Settings& settings;
        MainWindow& window;
        QWidget& playbackWindow;
        Dialogs& dialogs;
        const InterfaceTexts& texts;
        // For this run only (the command line, tests): the pause between songs in place of
        // the setting.
        std::optional<int> segueMsForRun;
    };
    explicit Transport(Parts parts) : p_(parts) {}

    bool playing() const;
    void startPlayback(bool reload);
    void stopPlayback();
    // The fast tick's work: position displays, and the end of the song once it has rung out.
    void updatePositionDisplays();
    void updateTimeDisplay();
    // The playing song's elapsed and remaining time; while stopped, the selected song's length.
    const SongClock& songClock() const { return clock_; }
    void showSliderTime(int value);
    void positionSliderMoved();
    void moveStartPosition(int delta);
    // The live values the mixer takes besides the song program.
    MixerInputs mixerInputs() const;
    void applyMixer();
    // The next start begins at the song position (in seconds) this answers right before the
    // engine starts, given how long the last start took; once.
    void startNextAt(std::function<double(double lastStartSeconds)> seconds) { exactStart_ = std::move(seconds); }
    // While the lyric editor is open the end of a song does not advance.
    void setLyricEditorOpen(std::function<bool()> open) { lyricEditorOpen_ = std::move(open); }
    // While the program editor shows, its song stays the current one and no load
    // overwrites the edit.
    void setProgramEditorVisible(std::function<bool()> visible) { editorVisible_ = std::move(visible); }

signals:
    // The time text changed (whole seconds); `topLine` adds the next song's title.
    void timeTextChanged(const QString& timeText, const QString& topLine);
    // The song's clock shows other figures (whole seconds, or a start or stop).
    void songClockChanged();
    // A song started or stopped (the stage view redraws).
    void playbackChanged();
    // Automatic play started the next song with the lyric in its second window.
    void lyricWanted();
    // A start is under way (the lyric loads); a stop happened; the end of a song moved the
    // selection on to the next row; the song's position was shown.
    void songStarting();
    void songStopped();
    void songAdvanced();
    void positionShown(int perMille);
    // Around the engine's start and stop, for the MIDI output.
    void aboutToStartEngine();
    void engineStarted();
    void engineStopped();
    // What the start of a song had to say (a refused row, a file that cannot be read); empty: nothing.
    void songNoticeChanged(const QString& text);

private:
    bool atEndOfSong() const;
    void finishSong();
    // False when the program file of the song to play could not be read.
    bool loadSelectedSongProgram();
    // Why `song` cannot play, for the notice line; empty when it can.
    QString whyNotPlayable(const QString& song, bool programRead) const;
    // The files the engine could not read at this start, for the notice line.
    QString unreadableFiles(const QString& song) const;
    SongClock readClock() const;
    bool editorVisible() const { return editorVisible_ && editorVisible_(); }

    // The song that would start next is handed to the engine to prepare once the highlight
    // rests, so that its PLAY, or the segue to it, starts at once: while stopped the
    // highlighted row; while a song plays another highlighted row, or with "jump To Next"
    // the row after the playing one.
    void prepareUpcomingSong();
    // The program of `song` read into `program`; false when it cannot be read.
    bool readProgramOf(const QString& song, SongProgram& program) const;
    // The pause after a song before automatic play starts the next.
    int segueMs() const;
    // A pause shorter than the default is kept by the engine itself: the next song is
    // handed to it while this one still plays, and it starts in the audio callback.
    bool segueWanted() const;
    void queueNextSong();
    void takeOverQueuedSong(int started);
    // The font loads on the engine's own thread: a fault found after the start still reaches
    // the notice line, once.
    bool fontFault() const;
    void showLateFontFault();

    Parts p_;
    std::optional<QDeadlineTimer> endOfSongDeadline_;
    QString playingTitle_;
    bool segueQueued_ = false;
    bool segueTried_ = false; // this song's end was handed over once, or could not be
    int segueRow_ = -1;
    int restingRow_ = -1;
    int preparedRow_ = -1;
    int preparedStart_ = -1;
    // The playing song's rings fill first: nothing is prepared beside it before this.
    static constexpr int kPrepareBesideAfterMs = 2000;
    QDeadlineTimer besideFrom_;
    bool fontFaultShown_ = false;
    std::function<bool()> lyricEditorOpen_;
    std::function<bool()> editorVisible_;
    SongClock clock_;
    std::function<double(double)> exactStart_;
    double lastStartSeconds_ = 0; // how long the engine took to start the last song
};

} // namespace vl
