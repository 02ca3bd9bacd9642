#pragma once
// Dark mode: the main window maximised over everything, its controls replaced by the
// drawn stage setlist under the song's time. It is on exactly while the main window is
// maximised.

#include <QFont>
#include <QObject>
#include <QPixmap>

namespace vl {

class Fonts;
class InterfaceTexts;
class MainWindow;
class Settings;
class SongListModel;
class Transport;
struct AppState;

class DarkMode : public QObject {
    Q_OBJECT
public:
    struct Parts {
        AppState& state;
        Fonts& fonts;
        const InterfaceTexts& texts;
        Settings& settings;
        SongListModel& songs;
        MainWindow& window;
        const Transport& transport;
    };
    explicit DarkMode(Parts parts) : p_(parts) {}

    bool active() const;
    void toggle();
    // The stage picture drawn again from the song list as it is now.
    void draw();
    // Only the time band drawn again, so the selection's blink keeps its beat.
    void drawClock();
    // The canvas, fonts and picture fitted to the window's size.
    void placeCanvas();
    // The window was maximised or restored by someone else: the mode follows it wholly.
    void followWindowState();

private:
    void enter();
    void leave();

    Parts p_;
    QPixmap picture_;
    int clockBand_ = 0;
    QFont clockFont_;
};

} // namespace vl
