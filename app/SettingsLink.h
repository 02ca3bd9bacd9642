#pragma once
// What the settings ask of the running program, answered by the application.

#include "settings/Settings.h"

namespace vl {

class Application;

class SettingsLink final : public SettingsHost {
  public:
    explicit SettingsLink(Application& app) : app_(app) {}

    QWidget* mainWindow() override;
    QWidget* lyricView() override;
    QWidget* playbackWindow() override;
    QWidget* songList() override;
    QList<QWidget*> positionBars() override;
    void refreshSongList() override;
    void stopPlayback() override;
    void loadSetlist(const QString& path) override;
    void setlistPathChanged(const QString& setlistPath, const QString& songsRoot) override;
    QString setlistPath() override;
    void registerShortcuts() override;

  private:
    Application& app_;
};

} // namespace vl
