#pragma once
// The settings subsystem: the preferences record with its file and crash marker, the
// settings window, the audio driver list, skins and the song list font.

#include "app/EngineFunctions.h"
#include "app/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "settings/Preferences.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QFont;
class QWidget;

namespace vl {

class SettingsWindow;

// What the settings need from the rest of the program. Every hook may be left empty:
// the step it stands for is then skipped.
struct SettingsHost {
    QString programFolder; // ends with "/"
    const InterfaceTexts* texts = nullptr;
    Dialogs* dialogs = nullptr;
    const EngineFunctions* engine = nullptr;
    const QFont* buttonFont = nullptr;

    std::function<QWidget*()> mainWindow;
    std::function<QWidget*()> lyricView;
    std::function<QWidget*()> playbackWindow;
    std::function<QWidget*()> songList;
    // The main window's and the lyric view's position bars, kept out of the skin.
    std::function<QList<QWidget*>()> positionBars;
    // Redraws the song list after its font changed.
    std::function<void()> refreshSongList;
    std::function<void()> stopPlayback;
    // Loads a setlist without asking (the setlist subsystem's loadSetlist).
    std::function<void(const QString& path)> loadSetlist;
    // The stored setlist path and its folder, for the application state.
    std::function<void(const QString& setlistPath, const QString& songsRoot)> setlistPathChanged;
    std::function<void()> registerShortcuts;
    std::function<void(int kind)> openMidiDevice; // 1 input, 2 output
    std::function<void(int row)> learnMidiControl;
    std::function<void(int row)> clearMidiControl;
    // The record changed (read from the file, or edited in the window).
    std::function<void()> preferencesChanged;
    std::function<QStringList()> midiInputNames; // device product names in device order
    std::function<QStringList()> midiOutputNames;
};

class Settings {
  public:
    // The audio driver list asks the engine for at most this many names.
    static constexpr int kMaxDriverNames = 17;

    explicit Settings(SettingsHost host);
    ~Settings();

    Preferences& prefs() { return prefs_; }
    const Preferences& prefs() const { return prefs_; }
    bool crashDetected() const { return crashDetected_; }
    SettingsWindow* window() const { return window_.get(); }

    // Builds the settings window, hidden, centred on the screen, with its skin list.
    void createWindow();

    // Start-up: the audio driver list from the engine, the MIDI device lists.
    void fillDriverLists();
    // Start-up defaults before the file is read.
    void applyDefaults();
    // Reads "prefs"; true when the file was there. Opens the settings window with its
    // message when no driver is chosen or the last run crashed.
    bool readPreferences();
    // Replaces "prefs"; `clean` writes the plain labels, otherwise the crash marker.
    void writePreferences(bool clean);

    void activateAudioDriver();
    void openSettingsWindow();
    void confirmSettings(); // the settings window's OK
    void applySkinAndListFont();
    int outputPairForSubgroup(int subgroup) const;

  private:
    void showStartMessage(TextId title, TextId text);
    bool noDriverChosen() const {
        return prefs_.audioDriverIndex == 0 && prefs_.midiInIndex == 0 && prefs_.midiOutIndex == 0;
    }
    void activateMidiDevice(int kind);
    void notifyChanged() {
        if (host_.preferencesChanged) host_.preferencesChanged();
    }
    void takeWindowPlaces(); // outer top-left corners of the main window and lyric view
    QWidget* hostWindow(const std::function<QWidget*()>& get) const { return get ? get() : nullptr; }

    SettingsHost host_;
    Preferences prefs_;
    bool crashDetected_ = false;
    std::unique_ptr<SettingsWindow> window_;
};

// Audio driver names as the engine lists them: from index 0 up to the engine's answer
// "no" for the index past its last driver (or an empty answer), at most `maxNames`.
QStringList audioDriverNames(const EngineFunctions& engine, int maxNames = Settings::kMaxDriverNames);

} // namespace vl
