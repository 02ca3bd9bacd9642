#include "app/MainWindow.h"

#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "settings/Preferences.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolTip>

#include <algorithm>

namespace vl {

namespace {

// Return in a number field ends the entry, as in any form, and hands the keys back to the
// song list; it must not also show the lyric of the highlighted row.
class ReturnEndsEntry : public QObject {
public:
    ReturnEndsEntry(QAbstractSpinBox* box, QWidget* next) : QObject(box), box_(box), next_(next) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        box_->interpretText();
        next_->setFocus();
        return true;
    }

private:
    QAbstractSpinBox* box_;
    QWidget* next_;
};

QGroupBox* frame(QWidget* parent, const char* caption, const QRect& place) {
    auto* f = new QGroupBox(QString::fromLatin1(caption), parent);
    f->setGeometry(place);
    return f;
}

QCheckBox* checkBox(QWidget* parent, const QString& caption, const QRect& place, const QString& tooltip) {
    auto* c = new QCheckBox(caption, parent);
    c->setGeometry(place);
    c->setToolTip(tooltip);
    return c;
}

using C = MainWindow::Controls;
using Cmd = MainWindow::Command;
using T = TextId;

// In the order they are made, which is also the order the keyboard focus takes.
const CommandButton kLeftCommands[] = {
    {&C::quitButton, "QUIT", {20, 25, 120, 37}, T::MainQuitTooltip, Cmd::Quit},
    {&C::settingsButton, "SETTINGS", {20, 65, 120, 37}, T::MainSettingsTooltip, Cmd::Settings},
    {&C::switchModeButton, "SW.MODE", {20, 105, 120, 40}, T::MainSwitchModeTooltip, Cmd::SwitchMode},
    {&C::setLoadButton, "SET LOAD", {20, 165, 120, 40}, T::MainSetLoadTooltip, Cmd::SetLoad},
    {&C::setEditButton, "SET EDIT", {20, 210, 120, 40}, T::MainSetEditTooltip, Cmd::SetEdit},
    {&C::setCreateButton, "SET CREATE", {20, 255, 120, 40}, T::MainSetCreateTooltip, Cmd::SetCreate},
    {&C::helpButton, "HELP", {30, 306, 100, 24}, T::MainHelpTooltip, Cmd::Help},
};
const CommandButton kTransportCommands[] = {
    {&C::upButton, "UP", {655, 25, 120, 37}, T::MainUpTooltip, Cmd::Up},
    {&C::downButton, "DOWN", {655, 65, 120, 40}, T::MainDownTooltip, Cmd::Down},
    {&C::playButton, "PLAY", {655, 110, 120, 40}, T::MainPlayTooltip, Cmd::Play},
};
const CommandButton kEditCommands[] = {
    {&C::songEditButton, "SONG EDIT", {655, 190, 120, 40}, T::MainSongEditTooltip, Cmd::SongEdit},
    {&C::showButton, "SHOW", {655, 265, 120, 40}, T::MainShowLyricTooltip, Cmd::Show},
    {&C::editButton, "EDIT", {655, 310, 120, 40}, T::MainEditLyricTooltip, Cmd::Edit},
};

} // namespace

MainWindow::MainWindow(const InterfaceTexts& texts, const Fonts& fonts, const QString& programFolder) {
    Controls& c = controls_;
    setObjectName(QStringLiteral("mainWindow"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    c.client = new QWidget(this);
    c.client->setObjectName(QStringLiteral("mainClient"));
    setCentralWidget(c.client);
    using T = TextId;

    // Frames first, so the buttons they group lie above them.
    c.setlistFrame = frame(c.client, "SETLIST", {10, 150, 140, 150});
    c.songFrame = frame(c.client, "SONG", {645, 5, 140, 237});
    c.lyricFrame = frame(c.client, "LYRIC", {645, 245, 140, 115});

    for (const CommandButton& b : kLeftCommands) c.*b.button = commandButton(b, fonts, texts);

    c.songList = new SongListWidget(c.client);
    c.songList->setObjectName(QStringLiteral("songList"));
    c.songList->setGeometry(155, 20, 485, 403);
    c.songList->setFont(fonts[3]);

    for (const CommandButton& b : kTransportCommands) c.*b.button = commandButton(b, fonts, texts);
    c.playButton->setObjectName(QStringLiteral("playButton"));
    c.positionSlider = new QSlider(Qt::Horizontal, c.client);
    c.positionSlider->setObjectName(QStringLiteral("positionSlider"));
    c.positionSlider->setGeometry(655, 155, 120, 30);
    c.positionSlider->setRange(0, 1000);
    c.positionSlider->setToolTip(texts[T::MainPositionSliderTooltip]);
    for (const CommandButton& b : kEditCommands) c.*b.button = commandButton(b, fonts, texts);

    c.playAnimation = new QLabel(c.client);
    c.playAnimation->setObjectName(QStringLiteral("playAnimation"));
    c.playAnimation->setGeometry(35, 340, 90, 50);
    c.playMovie = new QMovie(programFolder + QStringLiteral("Data/play.gif"), QByteArray(), c.playAnimation);
    c.playAnimation->setMovie(c.playMovie);
    c.playAnimation->hide();

    c.jumpToNextBox = checkBox(c.client, texts[T::MainJumpToNextCheck], {670, 365, 90, 20}, texts[T::MainJumpToNextTooltip]);
    c.jumpToNextBox->setObjectName(QStringLiteral("jumpToNextBox"));
    c.autoPlayBox = checkBox(c.client, QStringLiteral(" autom. play"), {670, 390, 90, 20}, texts[T::MainAutoPlayTooltip]);
    c.autoPlayBox->setObjectName(QStringLiteral("autoPlayBox"));
    c.segueBox = new QSpinBox(c.client);
    c.segueBox->setObjectName(QStringLiteral("segueBox"));
    c.segueBox->setGeometry(670, 413, 112, 20);
    c.segueBox->setRange(0, kMaxSegueMs);
    c.segueBox->setSingleStep(50);
    c.segueBox->setSuffix(texts[StatusText::SegueSuffix]);
    c.segueBox->setToolTip(texts[StatusText::SegueTooltip]);
    c.segueBox->installEventFilter(new ReturnEndsEntry(c.segueBox, c.songList));

    c.songClock = new QLabel(QStringLiteral("--:--  --:--"), c.client);
    c.songClock->setObjectName(QStringLiteral("songClock"));
    c.songClock->setGeometry(10, 396, 140, 30);
    c.songClock->setAlignment(Qt::AlignCenter);
    QFont clockFont(Fonts::arialFamily());
    clockFont.setBold(true);
    clockFont.setPixelSize(19);
    c.songClock->setFont(clockFont);
    c.songClock->setEnabled(false);

    c.positionBar = new QProgressBar(c.client);
    c.positionBar->setObjectName(QStringLiteral("positionBar"));
    c.positionBar->setGeometry(normalBarGeometry());
    c.positionBar->setRange(0, 1000);
    c.positionBar->setValue(0);
    c.positionBar->setTextVisible(false);

    c.darkCanvas = new QLabel(c.client);
    c.darkCanvas->setObjectName(QStringLiteral("darkCanvas"));
    c.darkCanvas->setGeometry(0, 0, 100, 100);
    c.darkCanvas->setPixmap(QPixmap(1, 1));
    c.darkCanvas->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.darkCanvas->hide();

    c.notice = new QLabel(c.client);
    c.notice->setObjectName(QStringLiteral("notice"));
    c.notice->setAlignment(Qt::AlignCenter);
    c.notice->setAutoFillBackground(true);
    c.notice->setStyleSheet(QStringLiteral("QLabel { background: rgb(242, 41, 13); color: white; font-weight: bold; }"));
    c.notice->hide();
    connect(c.positionSlider, &QSlider::valueChanged, this, &MainWindow::startPointMoved);
}

std::vector<QWidget*> MainWindow::stageHiddenControls() const {
    const Controls& c = controls_;
    return {c.playAnimation, c.songList,   c.settingsButton, c.switchModeButton, c.setLoadButton,  c.setEditButton,
            c.setCreateButton, c.setlistFrame, c.helpButton,   c.songFrame,        c.upButton,       c.downButton,
            c.playButton,    c.positionSlider, c.songEditButton, c.lyricFrame,    c.showButton,     c.editButton,
            c.jumpToNextBox, c.autoPlayBox,    c.segueBox,       c.quitButton,     c.songClock};
}

void MainWindow::setUpSongListColumns(const Fonts& fonts) {
    SongListWidget* songList = controls_.songList;
    songList->setColumnCount(4);
    songList->setHorizontalHeaderLabels(
        {QStringLiteral("songtitle"), QStringLiteral("set time"), QStringLiteral("time"), QStringLiteral("num")});
    songList->horizontalHeader()->setFont(fonts[9]);
    songList->setBaseColumnWidths({248, 85, 70, 55});
    songList->horizontalHeader()->setHighlightSections(false);
    songList->repaintRows();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

void MainWindow::keepNormalSize() { setFixedSize(kWidth, kHeight); }

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMaximized() != stageLaidOut_)
        emit maximisedFromOutside();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (isMaximized()) emit maximisedResized();
}

QPushButton* MainWindow::commandButton(const CommandButton& spec, const Fonts& fonts, const InterfaceTexts& texts) {
    auto* b = new QPushButton(QString::fromLatin1(spec.caption), controls_.client);
    b->setGeometry(spec.place);
    b->setFont(fonts[8]);
    b->setToolTip(texts[spec.tooltip]);
    b->setFocusPolicy(Qt::StrongFocus);
    connect(b, &QPushButton::clicked, this, [this, command = spec.command] { emit commandClicked(command); });
    return b;
}

void MainWindow::showPlaying(bool playing) {
    controls_.playButton->setText(playing ? QStringLiteral("STOP") : QStringLiteral("PLAY"));
    if (playing) {
        controls_.playAnimation->show();
        controls_.playMovie->start();
    } else {
        controls_.playAnimation->hide();
        controls_.playMovie->stop();
    }
}

void MainWindow::showPosition(int perMille) {
    controls_.positionBar->setValue(std::clamp(perMille, 0, 1000));
    setStartPoint(perMille);
}

int MainWindow::startPoint() const { return controls_.positionSlider->value(); }

void MainWindow::setStartPoint(int perMille) {
    // A programmatic move is not a user seek.
    QSlider* slider = controls_.positionSlider;
    const QSignalBlocker quiet(slider);
    slider->setValue(std::clamp(perMille, slider->minimum(), slider->maximum()));
}

void MainWindow::showSliderTime(const QString& text) {
    QSlider* slider = controls_.positionSlider;
    slider->setToolTip(text);
    if (slider->isVisible()) QToolTip::showText(slider->mapToGlobal(QPoint(0, slider->height())), text, slider);
}

void MainWindow::showSongClock(const QString& elapsed, const QString& remaining, bool running) {
    controls_.songClock->setText(elapsed + QStringLiteral("  ") + remaining);
    controls_.songClock->setEnabled(running);
}

bool MainWindow::jumpToNext() const { return controls_.jumpToNextBox->isChecked(); }

bool MainWindow::autoPlay() const { return controls_.autoPlayBox->isChecked(); }

void MainWindow::focusSongList() { controls_.songList->setFocus(); }

void MainWindow::focusPlayButton() { controls_.playButton->setFocus(); }

void MainWindow::showNotice(const QString& text) {
    deviceNotice_ = text;
    refreshNotice();
}

void MainWindow::showSongNotice(const QString& text) {
    songNotice_ = text;
    refreshNotice();
}

void MainWindow::showLinkNotice(const QString& text) {
    linkNotice_ = text;
    refreshNotice();
}

void MainWindow::refreshNotice() {
    QLabel* notice = controls_.notice;
    QString text;
    for (const QString* part : {&linkNotice_, &deviceNotice_, &songNotice_})
        if (!part->isEmpty()) text += (text.isEmpty() ? QString() : QStringLiteral("   \u2014   ")) + *part;
    if (text.isEmpty()) {
        notice->hide();
        return;
    }
    notice->setText(text);
    notice->setGeometry(0, 0, controls_.client->width(), 22);
    notice->show();
    notice->raise();
}

void MainWindow::enterStageView(const QRect& screen) {
    const Controls& c = controls_;
    // The stage view is black whatever the skin: only a widget's own style sheet outranks
    // the application's.
    c.darkCanvas->setStyleSheet(QStringLiteral("QLabel { background-color: #000000; border: none; }"));
    c.client->setStyleSheet(QStringLiteral("QWidget#mainClient { background-color: #000000; }"));
    for (QWidget* control : stageHiddenControls()) control->hide();
    stageLaidOut_ = true;
    setMinimumSize(0, 0);
    setMaximumSize(3000, 2000);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Without a window manager nothing would enlarge the window, so ask for the size too.
    setGeometry(screen);
    showMaximized();
    activateWindow();
    raise();
    c.client->setAutoFillBackground(true);
    QPalette background = c.client->palette();
    background.setColor(QPalette::Window, Qt::black);
    c.client->setPalette(background);
}

QSize MainWindow::placeStageCanvas() {
    const Controls& c = controls_;
    c.positionBar->setGeometry(8, 8, c.client->width() - 16, 16);
    c.darkCanvas->setGeometry(0, 34, c.client->width(), c.client->height());
    c.darkCanvas->show();
    c.darkCanvas->raise();
    c.positionBar->raise();
    return c.client->size();
}

QSize MainWindow::clientSize() const { return controls_.client->size(); }

void MainWindow::showStagePicture(const QPixmap& picture) { controls_.darkCanvas->setPixmap(picture); }

void MainWindow::leaveStageView(const QRect& place, bool playing) {
    const Controls& c = controls_;
    stageLaidOut_ = false;
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    showNormal();
    setGeometry(place);
    keepNormalSize();
    c.darkCanvas->setGeometry(0, 0, 1, 1);
    c.client->setAutoFillBackground(false);
    c.client->setPalette(QPalette());
    c.client->setStyleSheet(QString());
    for (QWidget* control : {static_cast<QWidget*>(c.jumpToNextBox), static_cast<QWidget*>(c.autoPlayBox),
                             static_cast<QWidget*>(c.setlistFrame), static_cast<QWidget*>(c.songFrame),
                             static_cast<QWidget*>(c.lyricFrame), static_cast<QWidget*>(c.positionSlider)})
        control->setPalette(QPalette());
    c.positionSlider->setFocus();
    c.positionBar->setGeometry(normalBarGeometry());
    c.darkCanvas->hide();
    showPlaying(playing);
    for (QWidget* control : stageHiddenControls())
        if (control != c.playAnimation) control->show();
    c.songList->setFocus();
}

QWidget* MainWindow::positionBarView() const { return controls_.positionBar; }

} // namespace vl
