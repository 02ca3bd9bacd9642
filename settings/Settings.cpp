#include "settings/Settings.h"

#include "core/Fonts.h"
#include "midi/MidiDevices.h"
#include "platform/TextFile.h"
#include "platform/WindowPlace.h"
#include "settings/MidiControlCaption.h"
#include "settings/MidiLearn.h"
#include "settings/SettingsWindow.h"
#include "settings/Skins.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QFileInfo>
#include <QFont>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace vl {

namespace {

const QSize kOpenedSize{794, 464};

QStringList noMidiDevices() { return {QStringLiteral("no driver")}; }

// An absolute path whose folder is there.
bool isUsableSetlistPath(const QString& path) {
    const QFileInfo file(path);
    return !path.isEmpty() && file.isAbsolute() && QFileInfo(file.absolutePath()).isDir();
}

// A stored place is used only when it is on a screen that is still there, so that a
// window moved to a monitor that is gone now does not open out of sight.
bool onSomeScreen(int x, int y) {
    return QGuiApplication::screenAt(QPoint(x + 20, y + 10)) != nullptr;
}

} // namespace

QStringList audioDriverNames(const EngineFunctions& engine, int maxNames) {
    QStringList names;
    for (int k = 0; k < maxNames; ++k) {
        const char* name = engine.GetDriverName(k);
        // Only the engine's own end answer ends the list: a device may well be called
        // "Mono Out" or "Nord Piano".
        if (name == nullptr || *name == '\0' || std::strcmp(name, "no") == 0) break;
        names << QString::fromUtf8(name);
    }
    return names;
}

Settings::Settings(SettingsContext context) : ctx_(std::move(context)), host_(ctx_.host) {
    prefs_.setlistPath = ctx_.programFolder + QStringLiteral("YourSongs/Setlist.txt");
}

Settings::~Settings() = default;

void Settings::createWindow() {
    window_ = std::make_unique<SettingsWindow>(prefs_, ctx_.texts, ctx_.buttonFont);
    SettingsWindow* w = window_.get();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        w->move(area.x() + (area.width() - w->width()) / 2, area.y() + (area.height() - w->height()) / 2);
    }
    w->setSkins(skinList(ctx_.programFolder));

    QObject::connect(w, &SettingsWindow::audioActivateClicked, w, [this] {
        prefs_.audioDriverIndex = std::max(0, window_->audioListSelection());
        prefs_.audioDriverName = window_->audioDriverList()->itemText(prefs_.audioDriverIndex);
        missingDriver_.clear();
        notifyChanged();
        activateAudioDriver();
    });
    QObject::connect(w, &SettingsWindow::editBufferClicked, w, [this] { ctx_.engine.ASIO_ControlPanel(); });
    QObject::connect(w, &SettingsWindow::midiActivateClicked, w,
                     [this](int kind) { activateMidiDevice(kind); });
    QObject::connect(w, &SettingsWindow::midiClearClicked, w, [this](int row) { clearMidiControl(row); });
    QObject::connect(w, &SettingsWindow::midiLearnClicked, w, [this](int row) { learnMidiControl(row); });
    QObject::connect(w, &SettingsWindow::skinNoteRequested, w, [this] {
        ctx_.dialogs.message(QStringLiteral("Information"), (ctx_.texts)[TextId::MessageSkinNote]);
    });
    QObject::connect(w, &SettingsWindow::okClicked, w, [this] { confirmSettings(); });
    QObject::connect(w, &SettingsWindow::edited, w, [this] { notifyChanged(); });
}

void Settings::fillDriverLists() {
    ctx_.engine.InitAudioDriver(0, host_.mainWindow());
    window_->setAudioDrivers(audioDriverNames(ctx_.engine));
    prefs_.audioDriverIndex = 0;
    window_->selectAudioDriver(0);
    if (midi_) window_->setMidiDevices(midi_->inputList(), midi_->outputList());
    else window_->setMidiDevices(noMidiDevices(), noMidiDevices());
}

void Settings::applyDefaults() {
    prefs_.noMidiFileToMidiOut = true;
    prefs_.setlistTextSize = QStringLiteral("12");
    prefs_.midiMasterVolumeEnabled = false;
    prefs_.valueSensitive = false;
    prefs_.audioDriverIndex = 0;
    prefs_.midiInIndex = 0;
    prefs_.midiOutIndex = 0;
    takeWindowPlaces();
    window_->showPreferences();
    window_->selectAudioDriver(0);
    applySkinAndListFont();
    notifyChanged();
}

bool Settings::readPreferences() {
    const auto lines = readTextLines(preferencesPath(ctx_.programFolder));
    if (!lines) {
        prefs_.skinIndex = 0;
        window_->showPreferences();
        notifyChanged();
        applySkinAndListFont();
        if (noDriverChosen()) {
            openSettingsWindow();
            showStartMessage(ctx_.texts[TextId::MessageFirstStartTitle], ctx_.texts[TextId::MessageDriverSelectBody]);
        }
        return false;
    }

    const QString defaultSetlist = prefs_.setlistPath;
    const PreferencesReadResult read = parsePreferences(*lines, prefs_);
    crashDetected_ = read.crashDetected;
    findStoredAudioDriver(read.audioMarked);
    // A file cut short or shifted by a line, or one from another system, may name no place
    // or a relative one; the program never writes relative to its working folder.
    if (!isUsableSetlistPath(prefs_.setlistPath)) prefs_.setlistPath = defaultSetlist;
    window_->showPreferences();
    window_->selectAudioDriver(prefs_.audioDriverIndex);
    notifyChanged();
    host_.setlistPathChanged(prefs_.setlistPath, folderOfPath(prefs_.setlistPath));

    if (QWidget* main = host_.mainWindow();
        main && onSomeScreen(prefs_.mainWindowX, prefs_.mainWindowY))
        placeWindow(*main, {prefs_.mainWindowX, prefs_.mainWindowY});
    if (QWidget* lyric = host_.lyricView();
        lyric && onSomeScreen(prefs_.lyricViewX, prefs_.lyricViewY))
        placeWindow(*lyric, {prefs_.lyricViewX, prefs_.lyricViewY});
    // Never stored (or stored empty): the playback window keeps the place it was made at
    // rather than shrinking to nothing.
    const WindowRect& r = prefs_.playbackWindowRect;
    if (QWidget* playback = host_.playbackWindow(); playback && !r.isEmpty() && onSomeScreen(r.x, r.y)) {
        playback->setGeometry(r.x, r.y, r.width, r.height);
    }

    // The marker is only carried from the settings' OK to the next clean end, so a crash
    // while nothing was confirmed keeps the card. The reset after one is kept at once.
    if (crashDetected_) writePreferences(false);

    host_.loadSetlist(prefs_.setlistPath);
    applySkinAndListFont();
    const InterfaceTexts& t = ctx_.texts;
    if (crashDetected_) {
        openSettingsWindow();
        showStartMessage(t[TextId::MessageCrashTitle], t[TextId::MessageCrashBody]);
    } else if (!missingDriver_.isEmpty()) {
        openSettingsWindow();
        showStartMessage(t[StatusText::DriverMissingTitle], t[StatusText::DriverMissing].arg(missingDriver_));
    } else if (noDriverChosen()) {
        openSettingsWindow();
        showStartMessage(t[TextId::MessageSelectDriverTitle], t[TextId::MessageDriverSelectBody]);
    }
    return true;
}

void Settings::findStoredAudioDriver(bool audioReset) {
    missingDriver_.clear();
    if (audioReset) return;
    QComboBox* list = window_->audioDriverList();
    const QString wanted = prefs_.audioDriverName;
    if (!wanted.isEmpty()) {
        const int found = list->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
        prefs_.audioDriverIndex = std::max(0, found);
        if (found < 0) missingDriver_ = wanted;
        return;
    }
    // A file of an older version knows only the position.
    if (prefs_.audioDriverIndex >= 0 && prefs_.audioDriverIndex < list->count()) {
        prefs_.audioDriverName = list->itemText(prefs_.audioDriverIndex);
    } else {
        missingDriver_ = QStringLiteral("#%1").arg(prefs_.audioDriverIndex);
        prefs_.audioDriverIndex = 0;
    }
}

void Settings::refreshAudioDrivers() {
    if (!ctx_.engine.RefreshDriverList) return;
    ctx_.engine.RefreshDriverList();
    const QStringList names = audioDriverNames(ctx_.engine);
    const int selected = window_->audioListSelection();
    const QString shown = selected >= 0 ? window_->audioDriverList()->itemText(selected) : QString();
    const bool waiting = window_->audioActivateButton()->isEnabled();
    // The engine keeps the open card listed, so its entry is found again.
    const QString running = window_->audioDriverList()->itemText(prefs_.audioDriverIndex);
    window_->setAudioDrivers(names);
    prefs_.audioDriverIndex = std::max(0, static_cast<int>(names.indexOf(running)));
    // A card that was missing and is there now is offered: one ACTIVATE brings it back.
    const QString offer = !missingDriver_.isEmpty() && names.contains(missingDriver_) ? missingDriver_
                          : waiting && names.contains(shown)                           ? shown
                                                                                       : QString();
    window_->selectAudioDriver(offer.isEmpty() ? prefs_.audioDriverIndex : static_cast<int>(names.indexOf(offer)));
    window_->setAudioActivateEnabled(!offer.isEmpty() && offer != running);
}

void Settings::showStartMessage(const QString& title, const QString& text) {
    // Also told on stderr, so that a start from a terminal or a script shows why the
    // settings came up.
    std::fprintf(stderr, "vellamorinth: %s\n", (title + QLatin1Char(' ') + text).simplified().toUtf8().constData());
    ctx_.dialogs.message(title, text);
}

void Settings::takeWindowPlaces() {
    if (QWidget* main = host_.mainWindow()) {
        prefs_.mainWindowX = windowPlace(*main).x();
        prefs_.mainWindowY = windowPlace(*main).y();
    }
    if (QWidget* lyric = host_.lyricView()) {
        prefs_.lyricViewX = windowPlace(*lyric).x();
        prefs_.lyricViewY = windowPlace(*lyric).y();
    }
}

bool Settings::writePreferences(bool clean) {
    takeWindowPlaces();
    if (const QString setlist = host_.setlistPath(); !setlist.isEmpty()) prefs_.setlistPath = setlist;
    if (QWidget* playback = host_.playbackWindow()) {
        // Full screen is how the show uses the window, not its size: the size it had is kept.
        const QRect r = playback->isFullScreen() ? playback->normalGeometry() : playback->geometry();
        prefs_.playbackWindowRect = {r.x(), r.y(), r.width(), r.height()};
    }
    const QString path = preferencesPath(ctx_.programFolder);
    if (writePreferencesFile(path, prefs_, clean)) return true;
    std::fprintf(stderr, "vellamorinth: the settings could not be saved to %s\n", path.toLocal8Bit().constData());
    return clean && clearCrashMarkerInPlace(path, prefs_);
}

void Settings::activateAudioDriver() {
    host_.stopPlayback();
    const QString chosen = window_->audioDriverList()->itemText(prefs_.audioDriverIndex);
    ctx_.engine.InitAudioDriver(prefs_.audioDriverIndex, host_.mainWindow());
    // Opening reads the system's list again; where the entries moved, the list follows.
    if (ctx_.engine.RefreshDriverList) {
        const QStringList names = audioDriverNames(ctx_.engine);
        window_->setAudioDrivers(names);
        prefs_.audioDriverIndex = std::max(0, static_cast<int>(names.indexOf(chosen)));
        // Gone between the choice and the opening: the engine opened nothing in its place.
        if (!names.contains(chosen)) {
            const InterfaceTexts& t = ctx_.texts;
            ctx_.dialogs.message(t[StatusText::DriverMissingTitle], t[StatusText::DriverMissing].arg(chosen));
        }
    }
    window_->selectAudioDriver(prefs_.audioDriverIndex);
    window_->setAudioActivateEnabled(false);
}

void Settings::activateMidiDevice(int kind) {
    const int index =
        std::max(0, kind == 1 ? window_->midiInListSelection() : window_->midiOutListSelection());
    (kind == 1 ? prefs_.midiInIndex : prefs_.midiOutIndex) = index;
    notifyChanged();
    openMidiDevice(kind);
}

void Settings::openMidiDevice(int kind) {
    host_.stopPlayback();
    int& index = kind == 1 ? prefs_.midiInIndex : prefs_.midiOutIndex;
    if (midi_) {
        if (kind == 1) midi_->closeInput();
        else midi_->closeOutput();
    }
    if (index > 0) {
        const bool opened = midi_ && (kind == 1 ? midi_->openInput(index - 1) : midi_->openOutput(index - 1));
        if (!opened) {
            ctx_.dialogs.message(QStringLiteral("Information"), kind == 1 ? QStringLiteral("Unable to open MIDI input.")
                                                                         : QStringLiteral("Unable to open MIDI output."));
            index = 0;
            window_->selectMidiDevice(kind, 0);
            notifyChanged();
        }
    }
    // The other device's button is left alone: a changed selection may wait there.
    window_->setMidiActivateEnabled(kind, false);
}

void Settings::learnMidiControl(int row) {
    if (learning_) {
        // The waiting row's button: cancel. Any other row's click was swallowed already.
        if (learning_->row() == row) learning_->cancel();
        return;
    }
    if (!midi_) return;
    MidiControlSlot& slot = prefs_.midiControls[static_cast<std::size_t>(row)];
    MidiLearn learn(*window_, row, *midi_);
    learning_ = &learn;
    const bool learnt = learn.run(slot, ctx_.texts[TextId::SettingsCancelButton]);
    learning_ = nullptr;
    window_->setMidiControlButtonCaption(row, midiControlCaption(slot));
    if (slot.status != 0) midi_->inbox().clear();
    if (learnt) notifyChanged();
}

void Settings::clearMidiControl(int row) {
    MidiControlSlot& slot = prefs_.midiControls[static_cast<std::size_t>(row)];
    slot.status = 0;
    slot.data1 = 0; // data byte 2 stays
    window_->setMidiControlButtonCaption(row, midiControlCaption(slot));
    notifyChanged();
}

void Settings::openSettingsWindow() {
    // A card plugged in or a JACK server started since is offered without a restart.
    if (!window_->isVisible()) refreshAudioDrivers();
    QWidget* main = host_.mainWindow();
    window_->setFixedSize(kOpenedSize);
    if (main) placeWindow(*window_, windowPlace(*main));
    window_->show();
    if (main) main->hide();
    window_->raise();
    window_->activateWindow();
}

void Settings::confirmSettings() {
    host_.registerShortcuts();
    applySkinAndListFont();
    writePreferences(false);
    QWidget* main = host_.mainWindow();
    if (main) {
        main->setGeometry(QRect(windowPlace(*window_), kOpenedSize));
    }
    window_->hide();
    if (!main) return;
    main->show();
    main->raise();
    main->activateWindow();
    if (QWidget* list = host_.songList()) list->setFocus();
}

void Settings::applySkinAndListFont() {
    if (prefs_.setlistTextSize.isEmpty()) {
        prefs_.setlistTextSize = QStringLiteral("12");
        window_->showPreferences();
        notifyChanged();
    }
    qApp->setStyleSheet(skinStyleSheet(ctx_.programFolder, window_->skinEntry(prefs_.skinIndex)));
    if (QWidget* list = host_.songList()) {
        QFont font(Fonts::arialFamily());
        font.setBold(true);
        font.setPointSize(listFontPoints(prefs_.setlistTextSize, QApplication::font().pointSize()));
        list->setFont(font);
        host_.refreshSongList();
    }
    for (QWidget* bar : host_.positionBars())
        bar->setStyleSheet(unskinnedPositionBarStyle());
}

int Settings::outputPairForSubgroup(int subgroup) const {
    return subgroup >= 0 && subgroup < 4 ? prefs_.subgroupOutput[static_cast<std::size_t>(subgroup)]
                                         : subgroup;
}

} // namespace vl
