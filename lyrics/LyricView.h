#pragma once
// The lyric view the performer reads on stage: a black window with the lyric in big rich
// text, the elapsed time and next song on the top line, a position bar along the bottom
// and the leave button "BACK". Text is composed in the hidden buffer and then moved whole
// into the visible text, so the view never shows a half-made stretch.

#include <QTextDocument>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vl {

class Fonts;
class InterfaceTexts;
class LyricTextView;

// The zoom of the lyric text for a view `innerWidth` wide: the width's share of 800 pixels
// in whole percent when the zoom is on, else 100.
int lyricZoomPercent(int innerWidth, bool zoomOn);

class LyricView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 802;
    static constexpr int kHeight = 578;
    static constexpr int kMaxScreenSize = 6; // "max": maximised

    LyricView(const InterfaceTexts& texts, const Fonts& fonts);

    LyricTextView& lyricText() const { return *lyricText_; }
    QTextDocument& lyricBuffer() { return lyricBuffer_; }
    QLabel& lyricTopLine() const { return *lyricTopLine_; }
    QProgressBar& lyricPositionBar() const { return *lyricPositionBar_; }
    QPushButton& leaveButton() const { return *leaveButton_; }

    // lyricText gets exactly the formatted content of lyricBuffer; the clipboard is left alone.
    void copyBufferToLyricText();
    void applyLyricZoom(bool zoomOn);
    // The controls fitted to the window's inner size.
    void fitLyricView();
    // Inner size by screen size number (0..5) keeping the place, or maximised (6).
    void applyScreenSize(int index);
    // Empties text and buffer, as a stop of playback does.
    void clearLyric();

signals:
    void leaveRequested();  // BACK, or the window manager's close
    void returnPressed();   // shortcut 10
    void spacePressed();    // shortcut 40

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    LyricTextView* lyricText_ = nullptr;
    QTextDocument lyricBuffer_;
    QLabel* lyricTopLine_ = nullptr;
    QProgressBar* lyricPositionBar_ = nullptr;
    QPushButton* leaveButton_ = nullptr;
    bool zoomOn_ = false; // the zoom follows the window when the window manager sizes it late
};

} // namespace vl
