#include "app/SettingsLink.h"

#include "app/Application.h"
#include "app/LyricLink.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "lyrics/LyricView.h"
#include "setlists/SetEditor.h"
#include "setlists/SetlistFile.h"
#include "setlists/Setlists.h"
#include "setlists/SongListModel.h"

#include <QProgressBar>

namespace vl {

QWidget* SettingsLink::mainWindow() { return app_.main_; }

QWidget* SettingsLink::lyricView() { return app_.lyricLink_ ? &app_.lyricLink_->lyrics().view() : nullptr; }

QWidget* SettingsLink::playbackWindow() { return app_.playbackWindow_; }

QWidget* SettingsLink::songList() { return app_.main_ ? &app_.main_->songList() : nullptr; }

QList<QWidget*> SettingsLink::positionBars() {
    QList<QWidget*> bars;
    if (app_.main_) bars.append(app_.main_->positionBarView());
    if (app_.lyricLink_) bars.append(&app_.lyricLink_->lyrics().view().lyricPositionBar());
    return bars;
}

void SettingsLink::refreshSongList() {
    // The rows go through the set editor and back, so they are rebuilt in the new font.
    app_.setlists_->editor().setRows(app_.songs_.titles());
    app_.setlists_->refreshSongList(true);
}

void SettingsLink::stopPlayback() {
    if (app_.transport_) app_.transport_->stopPlayback();
    else app_.engine_.Stop();
}

void SettingsLink::loadSetlist(const QString& path) {
    app_.state_.setlistPath = path;
    app_.state_.songsRoot = folderOf(path);
    app_.setlists_->loadSetlist(false);
}

void SettingsLink::setlistPathChanged(const QString& setlistPath, const QString& songsRoot) {
    app_.state_.setlistPath = setlistPath;
    app_.state_.songsRoot = songsRoot;
}

QString SettingsLink::setlistPath() { return app_.state_.setlistPath; }

void SettingsLink::registerShortcuts() {
    if (app_.mainLoop_) app_.mainLoop_->registerShortcuts();
}

} // namespace vl
