#include "app/MainWindow.h"

#include "app/Fonts.h"
#include "app/InterfaceTexts.h"
#include "app/ListColours.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace vl {

namespace {

QPushButton* button(QWidget* parent, const char* caption, const QRect& place, const Fonts& fonts,
                    const QString& tooltip) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setGeometry(place);
    b->setFont(fonts[8]);
    b->setToolTip(tooltip);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

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

} // namespace

MainWindow::MainWindow(const InterfaceTexts& texts, const Fonts& fonts, const QString& programFolder) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("mainClient"));
    setCentralWidget(client);
    using T = TextId;

    // Frames first, so the buttons they group lie above them.
    setlistFrame = frame(client, "SETLIST", {10, 150, 140, 150});
    songFrame = frame(client, "SONG", {645, 5, 140, 237});
    lyricFrame = frame(client, "LYRIC", {645, 245, 140, 115});

    quitButton = button(client, "QUIT", {20, 25, 120, 37}, fonts, texts[T::MainQuitTooltip]);
    settingsButton = button(client, "SETTINGS", {20, 65, 120, 37}, fonts, texts[T::MainSettingsTooltip]);
    switchModeButton = button(client, "SW.MODE", {20, 105, 120, 40}, fonts, texts[T::MainSwitchModeTooltip]);
    setLoadButton = button(client, "SET LOAD", {20, 165, 120, 40}, fonts, texts[T::MainSetLoadTooltip]);
    setEditButton = button(client, "SET EDIT", {20, 210, 120, 40}, fonts, texts[T::MainSetEditTooltip]);
    setCreateButton = button(client, "SET CREATE", {20, 255, 120, 40}, fonts, texts[T::MainSetCreateTooltip]);
    helpButton = button(client, "HELP", {30, 306, 100, 24}, fonts, texts[T::MainHelpTooltip]);

    songList = new SongListWidget(client);
    songList->setObjectName(QStringLiteral("songList"));
    songList->setGeometry(155, 20, 485, 403);
    songList->setFont(fonts[3]);

    upButton = button(client, "UP", {655, 25, 120, 37}, fonts, texts[T::MainUpTooltip]);
    downButton = button(client, "DOWN", {655, 65, 120, 40}, fonts, texts[T::MainDownTooltip]);
    playButton = button(client, "PLAY", {655, 110, 120, 40}, fonts, texts[T::MainPlayTooltip]);
    playButton->setObjectName(QStringLiteral("playButton"));
    positionSlider = new QSlider(Qt::Horizontal, client);
    positionSlider->setObjectName(QStringLiteral("positionSlider"));
    positionSlider->setGeometry(655, 155, 120, 30);
    positionSlider->setRange(0, 1000);
    positionSlider->setToolTip(texts[T::MainPositionSliderTooltip]);
    songEditButton = button(client, "SONG EDIT", {655, 190, 120, 40}, fonts, texts[T::MainSongEditTooltip]);
    showButton = button(client, "SHOW", {655, 265, 120, 40}, fonts, texts[T::MainShowLyricTooltip]);
    editButton = button(client, "EDIT", {655, 310, 120, 40}, fonts, texts[T::MainEditLyricTooltip]);

    playAnimation = new QLabel(client);
    playAnimation->setObjectName(QStringLiteral("playAnimation"));
    playAnimation->setGeometry(35, 340, 90, 50);
    playMovie = new QMovie(programFolder + QStringLiteral("Data/play.gif"), QByteArray(), playAnimation);
    playAnimation->setMovie(playMovie);
    playAnimation->hide();

    jumpToNextBox = checkBox(client, texts[T::MainJumpToNextCheck], {670, 365, 90, 20}, texts[T::MainJumpToNextTooltip]);
    jumpToNextBox->setObjectName(QStringLiteral("jumpToNextBox"));
    autoPlayBox = checkBox(client, QStringLiteral(" autom. play"), {670, 390, 90, 20}, texts[T::MainAutoPlayTooltip]);
    autoPlayBox->setObjectName(QStringLiteral("autoPlayBox"));

    positionBar = new QProgressBar(client);
    positionBar->setObjectName(QStringLiteral("positionBar"));
    positionBar->setGeometry(10, 420, 783, 25);
    positionBar->setRange(0, 1000);
    positionBar->setValue(0);
    positionBar->setTextVisible(false);

    darkCanvas = new QLabel(client);
    darkCanvas->setObjectName(QStringLiteral("darkCanvas"));
    darkCanvas->setGeometry(0, 0, 100, 100);
    darkCanvas->setPixmap(QPixmap(1, 1));
    darkCanvas->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    darkCanvas->hide();
}

std::vector<QWidget*> MainWindow::stageHiddenControls() const {
    return {playAnimation, songList,   settingsButton, switchModeButton, setLoadButton,  setEditButton,
            setCreateButton, setlistFrame, helpButton,   songFrame,        upButton,       downButton,
            playButton,    positionSlider, songEditButton, lyricFrame,    showButton,     editButton,
            jumpToNextBox, autoPlayBox,    quitButton};
}

void MainWindow::setUpSongListColumns(const Fonts& fonts, const ListColours& colours) {
    songList->setColumnCount(4);
    songList->setHorizontalHeaderLabels(
        {QStringLiteral("songtitle"), QStringLiteral("set time"), QStringLiteral("time"), QStringLiteral("num")});
    const int widths[4] = {248, 85, 70, 55};
    for (int c = 0; c < 4; ++c) songList->setColumnWidth(c, widths[c]);
    songList->horizontalHeader()->setFont(fonts[9]);
    songList->horizontalHeader()->setHighlightSections(false);
    colourHeaders(colours);
    colourSongList(colours);
}

void MainWindow::colourHeaders(const ListColours& colours) {
    // Columns 0, 1 and 2 carry the header colours; "num" keeps the default look.
    for (int c = 0; c < 3; ++c) {
        QTableWidgetItem* header = songList->horizontalHeaderItem(c);
        if (!header) continue;
        header->setForeground(colours.headerText);
        header->setBackground(colours.listBack);
    }
}

void MainWindow::colourSongList(const ListColours& colours) {
    QPalette palette = songList->palette();
    palette.setColor(QPalette::Base, colours.listBack);
    palette.setColor(QPalette::Text, colours.listText);
    songList->setPalette(palette);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCloseRequest) onCloseRequest();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (isMaximized() && onMaximisedResize) onMaximisedResize();
}

} // namespace vl
