#pragma once
// The settings subsystem: the preferences record with its file and crash marker, the
// settings window, the audio driver list, skins and the song list font.

#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "settings/Preferences.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QFont;
class QWidget;

namespace vl {

class MidiDevices;
class MidiLearn;
class SettingsWindow;

// What the settings need from the rest of the program. Every step is required: a host
// that leaves one out does not build.
class SettingsHost {
  public:
    virtual ~SettingsHost() = default;
    virtual QWidget* mainWindow() = 0;
    virtual QWidget* lyricView() = 0; // null while the program has none
    virtual QWidget* playbackWindow() = 0;
    virtual QWidget* songList() = 0;
    // The main window's and the lyric view's position bars, kept out of the skin.
    virtual QList<QWidget*> positionBars() = 0;
    // Redraws the song list after its font changed.
    virtual void refreshSongList() = 0;
    virtual void stopPlayback() = 0;
    // Loads a setlist without asking.
    virtual void loadSetlist(const QString& path) = 0;
    // The stored setlist path and its folder, for the application state, which owns them.
    virtual void setlistPathChanged(const QString& setlistPath, const QString& songsRoot) = 0;
    // The setlist loaded last, as the program holds it now; stored with the preferences.
    virtual QString setlistPath() = 0;
    virtual void registerShortcuts() = 0;
};

struct SettingsContext {
    QString programFolder; // ends with "/"
    const InterfaceTexts& texts;
    Dialogs& dialogs;
    const EngineFunctions& engine;
    const QFont& buttonFont;
    SettingsHost& host;
};

class Settings : public QObject {
    Q_OBJECT
  public:
    // The audio driver list asks the engine for at most this many names.
    static constexpr int kMaxDriverNames = 17;

    explicit Settings(SettingsContext context);
    ~Settings() override;

    Preferences& prefs() { return prefs_; }
    const Preferences& prefs() const { return prefs_; }
    bool crashDetected() const { return crashDetected_; }
    // The stored sound card that was not there at start-up; empty when it was.
    const QString& missingAudioDriver() const { return missingDriver_; }
    SettingsWindow* window() const { return window_.get(); }

    // Builds the settings window, hidden, centred on the screen, with its skin list.
    void createWindow();

    // The program's MIDI devices, for their lists, their ACTIVATE buttons and learning.
    void useMidiDevices(MidiDevices* devices) { midi_ = devices; }

    // Start-up: the audio driver list from the engine, the MIDI device lists.
    void fillDriverLists();
    // Start-up defaults before the file is read.
    void applyDefaults();
    // Reads "prefs"; true when the file was there. Opens the settings window with its
    // message when no driver is chosen or the last run crashed.
    bool readPreferences();
    // Replaces "prefs"; `clean` writes the plain labels, otherwise the crash marker. A clean
    // write that finds no room still takes the marker off, so a full disk is no crash.
    bool writePreferences(bool clean);

    void activateAudioDriver();
    // kind 1 input, 2 output: (re)opens the device the preferences choose; one that does
    // not open is said and falls back to "no driver".
    void openMidiDevice(int kind);
    // Waits for the MIDI message of the row's control (a second click cancels).
    void learnMidiControl(int row);
    void clearMidiControl(int row);
    void openSettingsWindow();
    void confirmSettings(); // the settings window's OK
    void applySkinAndListFont();
    int outputPairForSubgroup(int subgroup) const;
    // The timecode songs play with: the record's, with this run's command line over it.
    void setTimecodeOverride(const TimecodeOverride& run) { timecodeRun_ = run; }
    TimecodeChoice timecode() const { return withOverride(prefs_.timecode, timecodeRun_); }

  signals:
    // The record changed (read from the file, or edited in the window).
    void preferencesChanged();

  private:
    void showStartMessage(const QString& title, const QString& text);
    // The stored card's entry in the list read at start, found by its name.
    void findStoredAudioDriver(bool audioReset);
    // Reads the audio driver list again, keeping the running entry chosen.
    void refreshAudioDrivers();
    bool noDriverChosen() const {
        return prefs_.audioDriverIndex == 0 && prefs_.midiInIndex == 0 && prefs_.midiOutIndex == 0;
    }
    void activateMidiDevice(int kind);
    void notifyChanged() { emit preferencesChanged(); }
    void takeWindowPlaces(); // outer top-left corners of the main window and lyric view

    SettingsContext ctx_;
    SettingsHost& host_;
    Preferences prefs_;
    TimecodeOverride timecodeRun_;
    bool crashDetected_ = false;
    QString missingDriver_;
    std::unique_ptr<SettingsWindow> window_;
    MidiDevices* midi_ = nullptr;
    MidiLearn* learning_ = nullptr; // the row waiting for its message
};

// Audio driver names as the engine lists them: from index 0 up to the engine's answer
// "no" for the index past its last driver (or an empty answer), at most `maxNames`.
QStringList audioDriverNames(const EngineFunctions& engine, int maxNames = Settings::kMaxDriverNames);

} // namespace vl
