#include "app/BandView.h"

#include "app/BandViewLyric.h"
#include "core/AppState.h"
#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"
#include "lyrics/LyricFile.h"
#include "lyrics/MidiLyric.h"
#include "platform/TextFile.h"
#include "remote/QrCodeWidget.h"
#include "remote/WebAddress.h"
#include "remote/WebShowFeed.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vl {

namespace {

// How often the lyric file is looked at for a change made outside the lyric editor.
constexpr qint64 kLyricCheckMs = 1000;

} // namespace

BandView::BandView(Parts parts) : parts_(std::move(parts)) {
    addressButton_ = new QPushButton(&parts_.mainClient);
    addressButton_->setObjectName(QStringLiteral("bandViewAddress"));
    addressButton_->setFlat(true);
    addressButton_->setGeometry(4, 331, 152, 16);
    addressButton_->setFocusPolicy(Qt::NoFocus);
    QFont small = addressButton_->font();
    small.setPointSize(7);
    addressButton_->setFont(small);
    addressButton_->hide();

    qrWindow_ = new QWidget(nullptr, Qt::Tool);
    qrWindow_->setObjectName(QStringLiteral("bandViewQrWindow"));
    qrWindow_->setWindowTitle(parts_.texts[StatusText::WebSettingsFrame]);
    qrWindow_->setStyleSheet(QStringLiteral("background: white; color: black;"));
    auto* layout = new QVBoxLayout(qrWindow_);
    qrCode_ = new QrCodeWidget(qrWindow_);
    qrCode_->setMinimumSize(300, 300);
    qrAddress_ = new QLabel(qrWindow_);
    qrAddress_->setAlignment(Qt::AlignCenter);
    QFont big = qrAddress_->font();
    big.setPointSize(16);
    big.setBold(true);
    qrAddress_->setFont(big);
    qrAddress_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(qrCode_, 1);
    layout->addWidget(qrAddress_);
    QObject::connect(addressButton_, &QPushButton::clicked, qrWindow_, [this] {
        if (address_.isEmpty()) return;
        // Beside the main window, where the one who clicked is looking.
        const QWidget* main = parts_.mainClient.window();
        qrWindow_->move(main->frameGeometry().topRight() + QPoint(8, 0));
        qrWindow_->show();
        qrWindow_->raise();
    });
}

BandView::~BandView() {
    server_.stop();
    delete qrWindow_;
}

void BandView::apply(bool on, int port, const QString& pin) {
    if (on == on_ && port == port_ && pin == pin_ && (server_.running() || !on)) return;
    on_ = on;
    port_ = port;
    pin_ = pin;
    server_.stop();
    feed_.reset();
    address_.clear();
    qrWindow_->hide();
    if (!on) {
        addressButton_->hide();
        return;
    }
    const QString language = QString::fromStdString(parts_.state.interfaceLanguage);
    feed_ = std::make_unique<WebShowFeed>(parts_.board, parts_.texts, language);
    WebServerSetup setup;
    setup.port = port;
    setup.pin = pin;
    setup.pageFolder = parts_.pageFolder;
    ShowCommandInbox* inbox = &parts_.inbox;
    setup.post = [inbox](const WebRequest& request) { return inbox->post(showCommandFor(request)); };
    WebShowFeed* feed = feed_.get();
    setup.show = [feed](uint64_t since) { return feed->next(since); };
    QString error;
    if (!server_.start(std::move(setup), &error)) {
        showAddress(parts_.texts[StatusText::WebCannotStart].arg(error), true);
        return;
    }
    address_ = bandViewAddress(port);
    qrCode_->setText(address_);
    qrAddress_->setText(address_);
    showAddress(parts_.texts[StatusText::WebAddress].arg(address_), false);
}

void BandView::showAddress(const QString& text, bool error) {
    addressButton_->setText(text);
    addressButton_->setToolTip(text);
    addressButton_->setStyleSheet(error ? QStringLiteral("color: #c00000; text-align: left;")
                                        : QStringLiteral("text-align: left;"));
    addressButton_->show();
    addressButton_->raise();
}

void BandView::fill(ShowSnapshot& snapshot, const QString& song, bool playing) {
    if (!server_.running()) return;
    const bool recheck = !lyricChecked_.isValid() || lyricChecked_.elapsed() >= kLyricCheckMs;
    if (song != lyricSong_ || recheck) {
        lyricChecked_.start();
        const QString path = song.isEmpty() ? QString() : lyricFilePath(parts_.state.songsRoot, song);
        const QFileInfo file(path);
        const qint64 stamp = file.exists() ? file.lastModified().toMSecsSinceEpoch() ^ file.size() : 0;
        if (song != lyricSong_ || stamp != lyricStamp_) {
            lyricSong_ = song;
            lyricStamp_ = stamp;
            const std::optional<QString> source = stamp ? readLyricSource(path) : std::nullopt;
            lyric_ = webLyricMessage(song, source.value_or(QString()));
        }
    }
    snapshot.webLyric = lyric_;
    if (playing) {
        snapshot.midiSung = engineMidiText(parts_.engine, 1);
        snapshot.midiSinging = engineMidiText(parts_.engine, 2);
        snapshot.midiComing = comingLyricLines(engineMidiText(parts_.engine, 3));
    }
}

} // namespace vl
