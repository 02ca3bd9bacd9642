#pragma once
// The settings window: every control at its fixed place; the controls edit the
// preferences record directly, so a change is seen by every reader at once. Actions that
// reach beyond the record (activate, OK, learning, the skin note) go out as signals.

#include "core/InterfaceTexts.h"
#include "settings/Preferences.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFont;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vl {

class BandViewDialog;
class HotkeyFieldTexts;
class ShowNetworkGroup;
class TimecodeGroup;

class SettingsWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kCreatedSize{792, 570};

    SettingsWindow(Preferences& prefs, const InterfaceTexts& texts, const QFont& buttonFont);
    ~SettingsWindow() override;

    // Shows the record in every control (after reading the file).
    void showPreferences();
    void setAudioDrivers(const QStringList& names);
    void setMidiDevices(const QStringList& inputs, const QStringList& outputs); // "no driver" comes first
    void setSkins(const QStringList& entries);

    // The list entry shown in a drop-down list, -1 when none.
    int audioListSelection() const;
    int midiInListSelection() const;
    int midiOutListSelection() const;
    void selectAudioDriver(int index); // no selection when the index does not exist
    void selectMidiDevice(int kind, int index); // 1 input, 2 output; likewise
    void setAudioActivateEnabled(bool enabled);
    void setMidiActivateEnabled(int kind, bool enabled); // 1 input, 2 output
    void showMidiWaiting(bool waiting);
    void setMidiControlButtonCaption(int row, const QString& caption);
    QString skinEntry(int index) const; // empty when the index does not exist

    // For tests and the program: the controls by their job.
    QComboBox* audioDriverList() const { return audioList_; }
    QPushButton* bandViewButton() const { return bandViewButton_; }
    BandViewDialog* bandViewDialog() const { return bandView_; }
    QPushButton* audioActivateButton() const { return audioActivate_; }
    QPushButton* editBufferButton() const { return editBuffer_; }
    QComboBox* midiInList() const { return midiInList_; }
    QComboBox* midiOutList() const { return midiOutList_; }
    QPushButton* midiActivateButton(int kind) const { return kind == 1 ? midiInActivate_ : midiOutActivate_; }
    QPushButton* midiClearButton(int row) const { return clearButtons_[static_cast<std::size_t>(row)]; }
    QPushButton* midiLearnButton(int row) const { return learnButtons_[static_cast<std::size_t>(row)]; }
    QLabel* midiWaitingLabel() const { return waiting_; }
    QCheckBox* valueSensitiveCheck() const { return valueSensitive_; }
    QKeySequenceEdit* hotkeyEdit(int row) const { return hotkeys_[static_cast<std::size_t>(row)]; }
    QComboBox* subgroupList(int n) const { return subgroups_[static_cast<std::size_t>(n)]; }
    QCheckBox* globalMuteCheck(int n) const { return mutes_[static_cast<std::size_t>(n)]; }
    QComboBox* screenSizeList() const { return screenSize_; }
    QComboBox* doubleClickList() const { return doubleClick_; }
    QComboBox* skinList() const { return skins_; }
    QLineEdit* setlistTextSizeField() const { return textSize_; }
    QCheckBox* lyricSecondWindowCheck() const { return lyricSecondWindow_; }
    QCheckBox* playShowsLyricCheck() const { return playShowsLyric_; }
    QCheckBox* noMidiFileToMidiOutCheck() const { return noMidiFileOut_; }
    QCheckBox* midiMasterVolumeCheck() const { return midiMasterVolume_; }
    QSpinBox* midiMasterVolumeChannelSpin() const { return midiMasterChannel_; }
    QCheckBox* programChangeSelectsCheck() const { return programChangeSelects_; }
    QCheckBox* programChangePlaysCheck() const { return programChangePlays_; }
    QPushButton* okButton() const { return ok_; }
    ShowNetworkGroup* showNetworkGroup() const { return showNetwork_; }
    TimecodeGroup* timecodeGroup() const { return timecode_; }

  signals:
    // The user changed a value of the record through a control.
    void edited();
    void audioActivateClicked();
    void editBufferClicked();
    void midiActivateClicked(int kind);
    void midiLearnClicked(int row);
    void midiClearClicked(int row);
    void skinNoteRequested();
    void okClicked();
    // The band view's on, port or PIN changed.
    void bandViewChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The window manager's close box is this window's only other way back: it acts as OK.
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildBandViewButton();
    void buildDriverGroups();
    void buildMidiControls();
    void buildHotkeys();
    void buildRouting();
    void buildLowerControls();
    void buildRightColumn();
    QPushButton* button(const QString& caption, const QRect& place, const QString& tip = {});
    QCheckBox* checkBox(const QString& caption, const QRect& place, bool* field, const QString& tip = {});
    QComboBox* dropDown(const QRect& place, const QString& tip = {});
    QLabel* caption(const QString& text, const QRect& place);
    void frame(const QString& title, const QRect& place);

    Preferences& prefs_;
    const InterfaceTexts& texts_;
    const QFont& buttonFont_;
    QPushButton* bandViewButton_ = nullptr;
    BandViewDialog* bandView_ = nullptr;
    bool showing_ = false; // controls are being set from the record, not by the user

    QComboBox* audioList_ = nullptr;
    QPushButton* audioActivate_ = nullptr;
    QPushButton* editBuffer_ = nullptr;
    QComboBox* midiInList_ = nullptr;
    QComboBox* midiOutList_ = nullptr;
    QPushButton* midiInActivate_ = nullptr;
    QPushButton* midiOutActivate_ = nullptr;
    std::array<QPushButton*, 4> clearButtons_{};
    std::array<QPushButton*, 4> learnButtons_{};
    QLabel* waiting_ = nullptr;
    QCheckBox* valueSensitive_ = nullptr;
    std::array<QKeySequenceEdit*, 4> hotkeys_{};
    std::array<QComboBox*, 4> subgroups_{};
    std::array<QCheckBox*, 8> mutes_{};
    QComboBox* screenSize_ = nullptr;
    QComboBox* doubleClick_ = nullptr;
    QComboBox* skins_ = nullptr;
    QLineEdit* textSize_ = nullptr;
    QCheckBox* lyricSecondWindow_ = nullptr;
    QCheckBox* playShowsLyric_ = nullptr;
    QCheckBox* noMidiFileOut_ = nullptr;
    QCheckBox* midiMasterVolume_ = nullptr;
    QSpinBox* midiMasterChannel_ = nullptr;
    QCheckBox* programChangeSelects_ = nullptr;
    QCheckBox* programChangePlays_ = nullptr;
    QPushButton* ok_ = nullptr;
    ShowNetworkGroup* showNetwork_ = nullptr;
    std::unique_ptr<HotkeyFieldTexts> hotkeyTexts_;
    TimecodeGroup* timecode_ = nullptr;
};

} // namespace vl
