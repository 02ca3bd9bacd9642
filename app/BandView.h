#pragma once
// The band view joined to the program: the web server started, moved or stopped as this
// run's options or the settings say; its address on the main window, which opens a window
// with the address large and as a QR code; and the band view's part of the show's snapshot
// (the song's lyric as the page shows it, the MIDI lyric as it is sung), made on the
// interface thread.

#include "remote/WebServer.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QLabel;
class QPushButton;
class QWidget;

namespace vl {

class InterfaceTexts;
class QrCodeWidget;
class ShowCommandInbox;
class ShowSnapshotBoard;
class WebShowFeed;
struct AppState;
struct EngineFunctions;
struct ShowSnapshot;

class BandView {
public:
    struct Parts {
        const AppState& state;
        const InterfaceTexts& texts;
        const EngineFunctions& engine;
        ShowCommandInbox& inbox;
        const ShowSnapshotBoard& board;
        QWidget& mainClient; // where the address goes
        QString pageFolder;
    };
    explicit BandView(Parts parts);
    ~BandView();

    // Starts the server on `port` with `pin`, or stops it; a server that cannot start says
    // why on the main window's address line. The same settings again change nothing.
    void apply(bool on, int port, const QString& pin);
    bool running() const { return server_.running(); }
    int clients() const { return server_.clients(); }
    const QString& address() const { return address_; }
    QPushButton* addressButton() const { return addressButton_; }
    QrCodeWidget* qrCode() const { return qrCode_; }

    // The band view's fields of a snapshot being made: the lyric of `song` (made again when
    // the song or its lyric file changes), and while `playing` the MIDI lyric's lines.
    void fill(ShowSnapshot& snapshot, const QString& song, bool playing);

private:
    void showAddress(const QString& text, bool error);

    Parts parts_;
    WebServer server_;
    std::unique_ptr<WebShowFeed> feed_;
    bool on_ = false;
    int port_ = 0;
    QString pin_;
    QString address_;
    QPushButton* addressButton_ = nullptr;
    QWidget* qrWindow_ = nullptr;
    QLabel* qrAddress_ = nullptr;
    QrCodeWidget* qrCode_ = nullptr;

    QString lyricSong_;
    qint64 lyricStamp_ = -1;
    QElapsedTimer lyricChecked_;
    std::shared_ptr<const QByteArray> lyric_;
};

} // namespace vl
