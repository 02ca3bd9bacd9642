#pragma once
// The main window: song list in the middle, set and settings commands on the left, song
// and transport commands on the right, the position bar along the bottom, and the
// picture that stands in for all of them in the stage view (dark mode).

#include "app/SongListWidget.h"

#include <QMainWindow>
#include <QPixmap>

#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QMovie;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;

namespace vl {

class Fonts;
class InterfaceTexts;
enum class TextId : int;
struct CommandButton;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(const InterfaceTexts& texts, const Fonts& fonts, const QString& programFolder);

    enum class Command { Quit, Settings, SwitchMode, SetLoad, SetEdit, SetCreate, Help, Up, Down, Play,
                         SongEdit, Show, Edit };

    static constexpr int kWidth = 794;
    static constexpr int kHeight = 464;
    static QRect normalBarGeometry() { return {7, 434, 780, 16}; }

    // Sets up the song list's four columns.
    void setUpSongListColumns(const Fonts& fonts);
    SongListWidget& songList() const { return *controls_.songList; }

    // Transport: PLAY / STOP and the animation (normal view only), the song's position on
    // bar and slider (never taken as a seek), and the start point the slider holds.
    void showPlaying(bool playing);
    void showPosition(int perMille);
    int startPoint() const;
    void setStartPoint(int perMille);
    void showSliderTime(const QString& text);
    // The song's elapsed and remaining time; dimmed while nothing plays.
    void showSongClock(const QString& elapsed, const QString& remaining, bool running);
    bool jumpToNext() const;
    bool autoPlay() const;
    void focusSongList();
    void focusPlayButton();
    // A notice across the window's top, over the stage view too, that takes no key; empty hides it.
    // The sound device's state and what the last song start met are kept apart, so that
    // neither clears the other.
    void showNotice(const QString& text);
    void showSongNotice(const QString& text);
    // The show's network: a main machine gone silent, or the OSC port not to be had.
    void showLinkNotice(const QString& text);

    // Stage view: every control hidden behind the drawn setlist, the bar across the top.
    // In the normal view the window's size is fixed, so window managers offer no maximise
    // and no sizing frame.
    bool stageView() const { return isMaximized(); }
    // Whether the controls are hidden behind the stage picture now.
    bool stageLaidOut() const { return stageLaidOut_; }
    // Fixes the size at the normal view's.
    void keepNormalSize();
    void enterStageView(const QRect& screen);
    // Back to the normal window at `place`; `playing` decides caption and animation.
    void leaveStageView(const QRect& place, bool playing);
    // The canvas and the bar fitted to the window's size; answers the drawing area.
    QSize placeStageCanvas();
    QSize clientSize() const;
    void showStagePicture(const QPixmap& picture);

    // The views the settings style and size.
    QWidget* positionBarView() const;

    // The window's controls, for tests and screenshots; the program's parts use the
    // intents above.
    struct Controls {
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
        QSpinBox* segueBox = nullptr;
        QProgressBar* positionBar = nullptr;
        QLabel* darkCanvas = nullptr;
        QLabel* notice = nullptr;
        QLabel* songClock = nullptr;
    };
    const Controls& controls() const { return controls_; }
    // The controls the stage view hides and brings back, in the order they are hidden.
    std::vector<QWidget*> stageHiddenControls() const;

signals:
    void commandClicked(MainWindow::Command command);
    // The user moved the position slider.
    void startPointMoved(int perMille);
    // The close box asks; it never closes the window by itself.
    void closeRequested();
    // The size changed while maximised (the window manager settles the size late).
    void maximisedResized();
    // Someone else (a double click on the title, a desktop shortcut) maximised the window
    // or restored it, so the view no longer matches the window's state.
    void maximisedFromOutside();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPushButton* commandButton(const CommandButton& spec, const Fonts& fonts, const InterfaceTexts& texts);

    void refreshNotice();

    Controls controls_;
    bool stageLaidOut_ = false; // the controls are hidden behind the stage picture
    QString deviceNotice_;
    QString songNotice_;
    QString linkNotice_;
};

// One of the window's command buttons: where it sits, what it says and what it asks for.
struct CommandButton {
    QPushButton* MainWindow::Controls::*button;
    const char* caption;
    QRect place;
    TextId tooltip;
    MainWindow::Command command;
};

} // namespace vl
