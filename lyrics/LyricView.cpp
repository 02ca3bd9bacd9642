#include "lyrics/LyricView.h"

#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "lyrics/LyricTextView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>

#include <algorithm>
#include <array>

namespace vl {

namespace {

constexpr std::array<QSize, 6> kScreenSizes = {QSize(800, 480),  QSize(800, 600),  QSize(1024, 768),
                                               QSize(1280, 768), QSize(1280, 800), QSize(1280, 1024)};

QRect screenArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The height of the window manager's title bar: known once the window has been framed,
// before that the style's estimate.
int titleBarOf(const QWidget& window) {
    const int known = window.geometry().top() - window.frameGeometry().top();
    return known > 0 ? known : window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

// The inside of a window of `size` at `place`, moved and if need be made smaller so that
// it lies on the screen below its title bar: the top of the lyric, BACK and the position
// bar are always in sight. Thin side and bottom borders may go past the screen's edge.
QRect fitOnScreen(QPoint place, QSize size, const QRect& area, int titleBar) {
    const QRect usable = area.adjusted(0, titleBar, 0, 0);
    size = size.boundedTo(usable.size());
    const int x = std::clamp(place.x(), usable.left(), usable.right() + 1 - size.width());
    const int y = std::clamp(place.y(), usable.top(), usable.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}

} // namespace

int lyricZoomPercent(int innerWidth, bool zoomOn) { return zoomOn ? std::max(1, innerWidth * 100 / 800) : 100; }

LyricView::LyricView(const InterfaceTexts& texts, const Fonts& fonts) : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("lyricView"));
    setWindowTitle(QStringLiteral("lyric view ..."));
    // A title bar without close, minimise or maximise boxes.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setStyleSheet(QStringLiteral("QWidget#lyricView { background-color: #000000; }"));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    lyricText_ = new LyricTextView(this);
    lyricText_->setObjectName(QStringLiteral("lyricText"));
    lyricText_->setGeometry(0, 40, 800, 519);

    lyricTopLine_ = new QLabel(QStringLiteral("TIME (m:s) 00:00"), this);
    lyricTopLine_->setObjectName(QStringLiteral("lyricTopLine"));
    lyricTopLine_->setGeometry(10, 6, 650, 26);
    lyricTopLine_->setFont(fonts[4]);
    lyricTopLine_->setStyleSheet(QStringLiteral("QLabel { color: #ffffff; background-color: #000000; }"));

    lyricPositionBar_ = new QProgressBar(this);
    lyricPositionBar_->setObjectName(QStringLiteral("lyricPositionBar"));
    lyricPositionBar_->setGeometry(0, 558, 802, 20);
    lyricPositionBar_->setRange(0, 1000);
    lyricPositionBar_->setValue(0);
    lyricPositionBar_->setTextVisible(false);

    leaveButton_ = new QPushButton(QStringLiteral("BACK"), this);
    leaveButton_->setObjectName(QStringLiteral("lyricLeaveButton"));
    leaveButton_->setGeometry(710, 0, 90, 32);
    leaveButton_->setFont(fonts[5]);
    leaveButton_->setToolTip(texts[TextId::LyricViewLeaveTooltip]);
    leaveButton_->setFocusPolicy(Qt::NoFocus);
    connect(leaveButton_, &QPushButton::clicked, this, &LyricView::leaveRequested);

    for (auto [key, signal] : {std::pair{Qt::Key_Return, &LyricView::returnPressed},
                               std::pair{Qt::Key_Enter, &LyricView::returnPressed},
                               std::pair{Qt::Key_Space, &LyricView::spacePressed}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, signal);
    }

    const QRect area = screenArea(*this);
    setGeometry(QRect(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2, kWidth,
                      kHeight));
    hide();
}

void LyricView::copyBufferToLyricText() {
    lyricText_->replaceDocument(lyricBuffer_.clone());
}

void LyricView::applyLyricZoom(bool zoomOn) {
    zoomOn_ = zoomOn;
    lyricText_->setZoom(lyricZoomPercent(width(), zoomOn));
}

void LyricView::fitLyricView() {
    const int w = width();
    const int h = height();
    lyricText_->setGeometry(0, 40, w, std::max(0, h - 60));
    lyricPositionBar_->setGeometry(0, h - 20, w, 20);
    leaveButton_->setGeometry(w - 95, 4, 90, 32);
}

void LyricView::applyScreenSize(int index) {
    if (index >= 0 && index < static_cast<int>(kScreenSizes.size())) {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        setGeometry(fitOnScreen(geometry().topLeft(), kScreenSizes[static_cast<std::size_t>(index)],
                                screenArea(*this), titleBarOf(*this)));
        return;
    }
    // Without a window manager nothing would enlarge the window, so ask for the size too.
    setGeometry(screenArea(*this));
    setWindowState(windowState() | Qt::WindowMaximized);
}

void LyricView::clearLyric() {
    lyricText_->clear();
    lyricBuffer_.clear();
}

void LyricView::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit leaveRequested();
}

void LyricView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitLyricView();
    lyricText_->setZoom(lyricZoomPercent(width(), zoomOn_));
}

} // namespace vl
