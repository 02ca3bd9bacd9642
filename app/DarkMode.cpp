// Dark mode: the main window maximised over everything, its controls replaced by the
// drawn stage setlist.
#include "app/Application.h"
#include "app/DarkSetlist.h"
#include "app/MainWindow.h"
#include "setlists/Setlists.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

namespace vl {

namespace {

QRect screenGeometry(bool available) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {0, 0, 1024, 768};
    return available ? screen->availableGeometry() : screen->geometry();
}

// Every window of the program stays above other programs' windows, or stops doing so.
// Changing the flag hides a shown window, so those are shown again.
void setAllTopmost(bool topmost, QWidget* except) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == except || !(w->windowType() == Qt::Window || w->windowType() == Qt::Dialog)) continue;
        if (w->testAttribute(Qt::WA_DontShowOnScreen)) continue;
        const bool shown = w->isVisible();
        w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
        if (shown) w->show();
    }
}

} // namespace

bool Application::darkMode() const { return main_ && main_->isMaximized(); }

void Application::toggleDarkMode() {
    if (darkMode()) leaveDarkMode();
    else enterDarkMode();
}

void Application::enterDarkMode() {
    MainWindow& w = *main_;
    // The stage picture keeps its own colours whatever the skin.
    w.darkCanvas->setStyleSheet(QString());
    setAllTopmost(true, &w);
    for (QWidget* control : w.stageHiddenControls()) control->hide();
    w.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Without a window manager nothing would enlarge the window, so ask for the size too.
    w.setGeometry(screenGeometry(true));
    w.showMaximized();
    w.activateWindow();
    w.raise();
    if (prefs().setlistTextSize.isEmpty()) prefs().setlistTextSize = QStringLiteral("12");
    placeDarkCanvas();
    w.client->setAutoFillBackground(true);
    QPalette background = w.client->palette();
    background.setColor(QPalette::Window, Qt::black);
    w.client->setPalette(background);
    state_.colours = ListColours::dark();
    repaintSongList();
    w.songList->setFocus();
}

void Application::placeDarkCanvas() {
    MainWindow& w = *main_;
    w.positionBar->setGeometry(8, 8, w.client->width() - 16, 16);
    const DarkLayout layout = darkLayout(prefs().setlistTextSize, w.client->height());
    state_.darkRows = layout.rows;
    fonts_.create(0, layout.rowFontPoints, true);
    fonts_.create(1, layout.rowFontPoints, true);
    fonts_.create(2, layout.hintFontPoints, false);
    w.darkCanvas->setGeometry(0, 34, w.client->width(), w.client->height());
    w.darkCanvas->show();
    w.darkCanvas->raise();
    w.positionBar->raise();
    darkPicture_ = QPixmap(std::max(1, w.client->width()), std::max(1, w.client->height()));
    drawDarkSetlist();
}

void Application::leaveDarkMode() {
    MainWindow& w = *main_;
    state_.colours = ListColours::normal();
    repaintSongList();
    w.setWindowFlag(Qt::WindowStaysOnTopHint, false);
    w.showNormal();
    const QRect screen = screenGeometry(false);
    w.setGeometry((screen.width() - MainWindow::kWidth) / 2, (screen.height() - MainWindow::kHeight) / 2 - 15,
                  MainWindow::kWidth, MainWindow::kHeight);
    w.darkCanvas->setGeometry(0, 0, 1, 1);
    setAllTopmost(false, &w);
    w.client->setAutoFillBackground(false);
    w.client->setPalette(QPalette());
    for (QWidget* control : {static_cast<QWidget*>(w.jumpToNextBox), static_cast<QWidget*>(w.autoPlayBox),
                             static_cast<QWidget*>(w.setlistFrame), static_cast<QWidget*>(w.songFrame),
                             static_cast<QWidget*>(w.lyricFrame), static_cast<QWidget*>(w.positionSlider)})
        control->setPalette(QPalette());
    w.positionSlider->setFocus();
    w.positionBar->setGeometry(MainWindow::normalBarGeometry());
    w.playButton->setText(playing() ? QStringLiteral("STOP") : QStringLiteral("PLAY"));
    w.darkCanvas->hide();
    if (playing()) {
        w.playAnimation->show();
        w.playMovie->start();
    } else {
        w.playAnimation->hide();
    }
    for (QWidget* control : w.stageHiddenControls())
        if (control != w.playAnimation) control->show();
    w.songList->setFocus();
}

void Application::drawDarkSetlist() {
    MainWindow& w = *main_;
    DarkSetlistPicture p;
    const int rowCount = w.songList->rowCount();
    for (int r = 0; r < rowCount; ++r) {
        const QTableWidgetItem* time = w.songList->item(r, 2);
        p.titles << w.songList->title(r);
        p.timeMissing.push_back(!time || time->text().isEmpty());
    }
    p.selected = w.songList->selectedRow();
    p.playingRow = playing() ? state_.currentSong : -1;
    p.rows = state_.darkRows;
    p.width = w.client->width();
    p.height = w.client->height() - 30;
    p.rowFont = fonts_[0];
    p.selectedFont = fonts_[1];
    p.hintFont = fonts_[2];
    p.keyHint = texts_[TextId::DarkModeKeyHint];
    if (darkPicture_.isNull()) darkPicture_ = QPixmap(1, 1);
    {
        QPainter painter(&darkPicture_);
        paintDarkSetlist(painter, p, state_.blinkPhase);
    }
    w.darkCanvas->setPixmap(darkPicture_);
}

void Application::repaintSongList() { setlists_->refreshSongList(false); }

} // namespace vl
