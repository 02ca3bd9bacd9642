#pragma once
// The main window: song list in the middle, set and settings commands on the left, song
// and transport commands on the right, the position bar along the bottom, and the
// picture that stands in for all of them in dark mode.

#include "app/SongListWidget.h"

#include <QMainWindow>
#include <QPixmap>

#include <functional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QMovie;
class QProgressBar;
class QPushButton;
class QSlider;

namespace vl {

class Fonts;
class InterfaceTexts;
struct ListColours;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(const InterfaceTexts& texts, const Fonts& fonts, const QString& programFolder);

    // The close box asks; it never closes the window by itself.
    std::function<void()> onCloseRequest;
    // Window size changes while maximised (the window manager settles the size late).
    std::function<void()> onMaximisedResize;

    QWidget* client = nullptr;
    QPushButton* quitButton = nullptr;
    QPushButton* settingsButton = nullptr;
    QPushButton* switchModeButton = nullptr;
    QGroupBox* setlistFrame = nullptr;
    QPushButton* setLoadButton = nullptr;
    QPushButton* setEditButton = nullptr;
    QPushButton* setCreateButton = nullptr;
    QPushButton* helpButton = nullptr;
    SongListWidget* songList = nullptr;
    QGroupBox* songFrame = nullptr;
    QPushButton* upButton = nullptr;
    QPushButton* downButton = nullptr;
    QPushButton* playButton = nullptr;
    QSlider* positionSlider = nullptr;
    QPushButton* songEditButton = nullptr;
    QGroupBox* lyricFrame = nullptr;
    QPushButton* showButton = nullptr;
    QPushButton* editButton = nullptr;
    QLabel* playAnimation = nullptr;
    QMovie* playMovie = nullptr;
    QCheckBox* jumpToNextBox = nullptr;
    QCheckBox* autoPlayBox = nullptr;
    QProgressBar* positionBar = nullptr;
    QLabel* darkCanvas = nullptr;

    // The controls dark mode hides and brings back, in the order they are hidden.
    std::vector<QWidget*> stageHiddenControls() const;

    static constexpr int kWidth = 794;
    static constexpr int kHeight = 464;
    static QRect normalBarGeometry() { return {7, 434, 780, 16}; }

    // Sets up the song list's four columns and colours its headers.
    void setUpSongListColumns(const Fonts& fonts, const ListColours& colours);
    void colourHeaders(const ListColours& colours);
    // The list's own text and background colours.
    void colourSongList(const ListColours& colours);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace vl
