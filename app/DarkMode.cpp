#include "app/DarkMode.h"

#include "app/DarkClock.h"
#include "app/DarkSetlist.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "core/AppState.h"
#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "setlists/SongListModel.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

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

bool DarkMode::active() const { return p_.window.stageView(); }

void DarkMode::toggle() {
    if (active()) leave();
    else enter();
}

void DarkMode::followWindowState() {
    // Asked once the window system has settled; a passing state while the window is
    // re-created for its stacking flag is no request.
    const bool maximised = p_.window.isMaximized();
    if (maximised == p_.window.stageLaidOut()) return;
    if (maximised) enter();
    else leave();
}

void DarkMode::enter() {
    MainWindow& w = p_.window;
    setAllTopmost(true, &w);
    w.enterStageView(screenGeometry(true));
    Preferences& prefs = p_.settings.prefs();
    if (prefs.setlistTextSize.isEmpty()) prefs.setlistTextSize = QStringLiteral("12");
    placeCanvas();
    p_.state.colours = ListColours::dark();
    w.songList().repaintRows();
    w.focusSongList();
}

void DarkMode::placeCanvas() {
    const QSize client = p_.window.placeStageCanvas();
    clockBand_ = darkClockBand(client.height());
    clockFont_ = darkClockFont(clockBand_);
    const DarkLayout layout = darkLayout(p_.settings.prefs().setlistTextSize, client.height() - clockBand_);
    p_.state.darkRows = layout.rows;
    p_.fonts.create(0, layout.rowFontPoints, true);
    p_.fonts.create(1, layout.rowFontPoints, true);
    p_.fonts.create(2, layout.hintFontPoints, false);
    picture_ = QPixmap(std::max(1, client.width()), std::max(1, client.height()));
    draw();
}

void DarkMode::leave() {
    MainWindow& w = p_.window;
    p_.state.colours = ListColours::normal();
    w.songList().repaintRows();
    const QRect screen = screenGeometry(false);
    const QRect place((screen.width() - MainWindow::kWidth) / 2, (screen.height() - MainWindow::kHeight) / 2 - 15,
                      MainWindow::kWidth, MainWindow::kHeight);
    w.leaveStageView(place, p_.transport.playing());
    setAllTopmost(false, &w);
}

void DarkMode::draw() {
    const QSize client = p_.window.clientSize();
    DarkSetlistPicture p;
    for (const SongListRow& row : p_.songs.rows()) {
        p.titles << row.shownTitle();
        p.timeMissing.push_back(!row.timed());
    }
    p.selected = p_.songs.selectedRow();
    p.playingRow = p_.transport.playing() ? p_.state.currentSong : -1;
    p.rows = p_.state.darkRows;
    p.width = client.width();
    p.height = client.height() - 30 - clockBand_;
    p.rowFont = p_.fonts[0];
    p.selectedFont = p_.fonts[1];
    p.hintFont = p_.fonts[2];
    p.keyHint = p_.texts[TextId::DarkModeKeyHint];
    if (picture_.isNull()) picture_ = QPixmap(1, 1);
    {
        QPainter painter(&picture_);
        paintDarkClock(painter, p_.transport.songClock(), clockFont_, client.width(), clockBand_);
        painter.translate(0, clockBand_);
        paintDarkSetlist(painter, p, p_.state.blinkPhase);
    }
    p_.window.showStagePicture(picture_);
}

void DarkMode::drawClock() {
    if (!active() || picture_.isNull() || clockBand_ <= 0) return;
    {
        QPainter painter(&picture_);
        paintDarkClock(painter, p_.transport.songClock(), clockFont_, p_.window.clientSize().width(), clockBand_);
    }
    p_.window.showStagePicture(picture_);
}

} // namespace vl
