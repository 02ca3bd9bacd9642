#pragma once
// `playbackWindow`: the window behind the band that shows the song's video. It is the
// engine's video sink: the engine's video thread hands it the picture due at the song
// position, already fitted to the window's size; the window keeps the video's aspect on
// black, and stays black while there is no picture. Double click or F11 puts it full screen
// on a second screen when there is one (Escape leaves). Its close box only hides it: the
// song plays on, and the next song with a video brings it back.

#include "vellamorinth_engine.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <mutex>

namespace vl {

class PlaybackWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlaybackWindow(QWidget* parent = nullptr);

    // What VL_Play is handed as its video window.
    VL_VideoSink* videoSink() { return &sink_; }
    void toggleFullScreen();
    // On a single screen the window opens clear of this one's controls.
    void keepClearOf(QWidget* window) { keepClear_ = window; }
    // The picture shown now; null while black (tests).
    QImage picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showBlack();                          // UI thread, from VL_Play
    void present(const VL_VideoFrame& frame);  // video thread
    void storeFitSize();
    void placeClear();

    VL_VideoSink sink_{};
    // Read by the video thread: the inner size in device pixels.
    std::atomic<int> fitWidth_{0};
    std::atomic<int> fitHeight_{0};
    mutable std::mutex mutex_; // the picture, between the video thread and painting
    QImage picture_;
    QRect placeBeforeFullScreen_;
    QPointer<QWidget> keepClear_;
};

// The video sink of the program's playback window; nullptr for any other widget.
VL_VideoSink* videoSinkOf(QWidget* window);

} // namespace vl
