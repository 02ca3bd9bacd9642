#pragma once
// The lyric windows joined to the program: the main window's EDIT and SHOW, the keys and
// timer steps that show and hide the lyric view, and the transport's time, position and
// play state in both lyric windows.

#include "lyrics/Lyrics.h"

#include <QObject>

namespace vl {

class Application;

class LyricLink final : public QObject, public LyricHost {
    Q_OBJECT
public:
    explicit LyricLink(Application& app);
    ~LyricLink() override;

    Lyrics& lyrics() { return *lyrics_; }

    // EDIT and the "lyric editor" double-click action: the lyric made from its template
    // when missing (after asking), loaded, then the editor opens.
    void editLyric();

    QWidget* mainWindow() override;
    void focusSongList() override;
    QString lyricSongName() override;
    bool lyricSecondWindow() override;
    int screenSizeIndex() override;
    bool lyricZoom() override;

private:
    // The playing row while a song plays, else the highlighted one.
    int lyricRow();
    void takeHighlightedSong();
    void timerTick();
    void showCurrentSongTitle();
    void songStarting();
    void songStopped();

    Application& app_;
    std::unique_ptr<Lyrics> lyrics_;
};

} // namespace vl
