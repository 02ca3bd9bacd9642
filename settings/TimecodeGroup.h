#pragma once
// The settings' "timecode" group: frame rate, MTC, MIDI clock, the LTC output and its level,
// and which output pair loses a channel to LTC. The settings window has no room left at the
// main window's size, so the group is a small window of its own that a button of the settings
// window opens; it edits the record directly, as the rest of the settings do.

#include "settings/TimecodeChoice.h"

#include <QObject>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QWidget;

namespace vl {

class InterfaceTexts;

class TimecodeGroup : public QObject {
    Q_OBJECT
  public:
    // `opener` is the settings window's button that shows the group's window.
    TimecodeGroup(QPushButton& opener, TimecodeChoice& choice, const InterfaceTexts& texts);

    void showChoice();

    QPushButton* opener() const { return &opener_; }
    QWidget* window() const { return window_; }
    QComboBox* rateList() const { return rate_; }
    QCheckBox* mtcCheck() const { return mtc_; }
    QCheckBox* midiClockCheck() const { return midiClock_; }
    QComboBox* ltcChannelList() const { return ltcChannel_; } // entry 0 "off", then 1..8
    QSpinBox* ltcLevelSpin() const { return ltcLevel_; }
    QLabel* pairNote() const { return pairNote_; }

  signals:
    void edited();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void showPairNote();

    QPushButton& opener_;
    TimecodeChoice& choice_;
    const InterfaceTexts& texts_;
    bool showing_ = false;
    QWidget* window_ = nullptr;
    QComboBox* rate_ = nullptr;
    QCheckBox* mtc_ = nullptr;
    QCheckBox* midiClock_ = nullptr;
    QComboBox* ltcChannel_ = nullptr;
    QSpinBox* ltcLevel_ = nullptr;
    QLabel* pairNote_ = nullptr;
};

} // namespace vl
