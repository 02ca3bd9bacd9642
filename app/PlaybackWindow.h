#pragma once
// `playbackWindow`: the window behind the band that shows the song's video. It is the
// engine's video sink: the engine's video thread hands it the picture due at the song
// position, already fitted to the window's size; the window keeps the video's aspect on
// black, and stays black while there is no picture. Double click or F11 puts it full screen
// on a second screen when there is one (Escape leaves).

#include "vellamorinth_engine.h"

#include <QImage>
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
    // The picture shown now; null while black (tests).
    QImage picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showBlack();                          // UI thread, from VL_Play
    void present(const VL_VideoFrame& frame);  // video thread
    void storeFitSize();

    VL_VideoSink sink_{};
    // Read by the video thread: the inner size in device pixels.
    std::atomic<int> fitWidth_{0};
    std::atomic<int> fitHeight_{0};
    mutable std::mutex mutex_; // the picture, between the video thread and painting
    QImage picture_;
    QRect placeBeforeFullScreen_;
};

// The video sink of the program's playback window; nullptr for any other widget.
VL_VideoSink* videoSinkOf(QWidget* window);

} // namespace vl
