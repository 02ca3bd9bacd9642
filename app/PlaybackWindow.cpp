#include "app/PlaybackWindow.h"

#include "app/VideoPlacement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace vl {

PlaybackWindow::PlaybackWindow(QWidget* parent) : QWidget(parent) {
    // The song's keys stay with the main window when the video comes up.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_QuitOnClose, false);
    sink_.context = this;
    sink_.show = [](void* self) { static_cast<PlaybackWindow*>(self)->showBlack(); };
    sink_.fitSize = [](void* self, int32_t* width, int32_t* height) {
        auto* window = static_cast<PlaybackWindow*>(self);
        *width = window->fitWidth_.load(std::memory_order_relaxed);
        *height = window->fitHeight_.load(std::memory_order_relaxed);
    };
    sink_.present = [](void* self, const VL_VideoFrame* frame) { static_cast<PlaybackWindow*>(self)->present(*frame); };
    storeFitSize();
}

void PlaybackWindow::storeFitSize() {
    const qreal ratio = devicePixelRatioF();
    fitWidth_.store(qRound(width() * ratio), std::memory_order_relaxed);
    fitHeight_.store(qRound(height() * ratio), std::memory_order_relaxed);
}

void PlaybackWindow::showBlack() {
    {
        std::lock_guard lock(mutex_);
        picture_ = QImage();
    }
    if (!isVisible()) placeClear();
    show();
    update();
}

void PlaybackWindow::placeClear() {
    // With a second screen the video belongs there, wherever the user put it.
    if (!keepClear_ || !keepClear_->isVisible() || isFullScreen() || QGuiApplication::screens().size() != 1) return;
    const QRect main = keepClear_->frameGeometry();
    // Until this window has been shown its frame is unknown; the main window's is alike.
    const QRect ownFrame = frameGeometry() != geometry() ? frameGeometry() : main;
    const QRect ownInside = frameGeometry() != geometry() ? geometry() : keepClear_->geometry();
    const QMargins frame(ownInside.left() - ownFrame.left(), ownInside.top() - ownFrame.top(),
                         ownFrame.right() - ownInside.right(), ownFrame.bottom() - ownInside.bottom());
    QScreen* onScreen = keepClear_->screen();
    if (!onScreen) return;
    const QRect place = placeClearOf(geometry(), frame, main, onScreen->availableGeometry());
    if (place != geometry()) setGeometry(place);
}

void PlaybackWindow::present(const VL_VideoFrame& frame) {
    QImage copy = QImage(frame.pixels, frame.width, frame.height, frame.stride, QImage::Format_RGB32).copy();
    {
        std::lock_guard lock(mutex_);
        picture_.swap(copy);
    }
    // The old picture is freed here, on the video thread, outside the lock.
    QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

QImage PlaybackWindow::picture() const {
    std::lock_guard lock(mutex_);
    return picture_;
}

void PlaybackWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage shown = picture();
    if (shown.isNull()) return;
    // Fitted by the engine to the size it last read; after a resize it is scaled until the
    // next picture comes.
    const QSizeF fitted = QSizeF(shown.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF target((width() - fitted.width()) / 2.0, (height() - fitted.height()) / 2.0, fitted.width(),
                        fitted.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, shown);
}

void PlaybackWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    storeFitSize();
}

void PlaybackWindow::toggleFullScreen() {
    if (isFullScreen()) {
        unsetCursor();
        showNormal();
        setGeometry(placeBeforeFullScreen_); // back on its own screen, where it was
        return;
    }
    placeBeforeFullScreen_ = geometry();
    // On stage the second screen is the one behind the band; the main window keeps the first.
    QScreen* target = screen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() > 1)
        for (QScreen* s : screens)
            if (s != QGuiApplication::primaryScreen()) {
                target = s;
                break;
            }
    if (target && target != screen()) {
        if (windowHandle()) windowHandle()->setScreen(target);
        move(target->geometry().topLeft());
    }
    setCursor(Qt::BlankCursor);
    showFullScreen();
}

void PlaybackWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    toggleFullScreen();
}

void PlaybackWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && isFullScreen())) {
        toggleFullScreen();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlaybackWindow::closeEvent(QCloseEvent* event) {
    // The show goes on without the picture; the next song's video opens the window again.
    event->accept();
    hide();
}

VL_VideoSink* videoSinkOf(QWidget* window) {
    auto* playback = qobject_cast<PlaybackWindow*>(window);
    return playback ? playback->videoSink() : nullptr;
}

} // namespace vl
