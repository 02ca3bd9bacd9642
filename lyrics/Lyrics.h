#pragma once
// The lyric subsystem: the lyric view and the lyric editor, the song's lyric as loaded,
// edited, imported and saved, and the switching between them and the main window.

#include "lyrics/TimeTags.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class QWidget;

namespace vl {

class Dialogs;
class Fonts;
class InterfaceTexts;
class LyricEditor;
class LyricView;
struct AppState;
struct EngineFunctions;

// What the lyric windows need from the rest of the program.
class LyricHost {
public:
    virtual ~LyricHost() = default;
    virtual QWidget* mainWindow() = 0;
    virtual void focusSongList() = 0;
    // The song whose lyric is meant: the playing row while playing, else the selected one;
    // empty when there is none.
    virtual QString lyricSongName() = 0;
    virtual bool lyricSecondWindow() = 0;
    virtual int screenSizeIndex() = 0;
    virtual bool lyricZoom() = 0;
};

struct LyricContext {
    AppState& state;
    const EngineFunctions& engine;
    const InterfaceTexts& texts;
    const Fonts& fonts;
    Dialogs& dialogs;
    LyricHost& host;
};

class Lyrics : public QObject {
    Q_OBJECT
public:
    enum class LoadResult { NoSong = 0, Loaded = 1, NoLyricFile = 2 };
    enum class SaveResult { Unchanged, Declined, Saved, Failed };

    explicit Lyrics(LyricContext context);
    ~Lyrics() override;

    LyricView& view() const { return *view_; }
    LyricEditor& editor() const { return *editor_; }

    const QString& lyricSource() const { return lyricSource_; }
    const QString& loadedLyricText() const { return loadedLyricText_; }
    bool lyricEdited() const { return lyricEdited_; }
    const QString& lyricSongName() const { return lyricSongName_; }

    LoadResult loadLyric();
    SaveResult saveLyricIfEdited();
    // False when the lyric could not be saved: the editor stays open with the text.
    bool leaveLyricEditor();
    void openLyricEditor();
    void importLyric();
    void clearForMidiLyric();
    // Plain, time-tagged or MIDI lyric, by the lyric as loaded.
    void selectLyricMode();
    void showLyricView();
    // A start that wants the lyric seen: shows the view, never closes it as SHOW would.
    void showLyricViewForPlay();
    // The timer's part in the second-window mode: the view comes back beside the main window.
    void keepSecondWindow();

    // Every fast tick: the view follows the song by `lyricMode`.
    void updateLyricDisplay();
    void resetLyricFollower() { follower_ = {}; }
    const LyricFollower& follower() const { return follower_; }

private:
    void showInEditorAndView(const QString& rtf);
    void scrollPlainLyric();
    void followTimeTags();
    void showTimedStretch(const QString& text);
    void showMidiLyric();

    LyricContext ctx_;
    std::unique_ptr<LyricView> view_;
    std::unique_ptr<LyricEditor> editor_;
    QString lyricSource_;
    QString loadedLyricText_;
    bool lyricEdited_ = false;
    QString lyricSongName_;
    LyricFollower follower_;
};

// A file picker filter from the Windows form "shown text|*.a;*.b": "shown text (*.a *.b)".
QString pickerFilter(const QString& windowsFilter);

} // namespace vl
