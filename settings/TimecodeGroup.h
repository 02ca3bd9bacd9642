#pragma once
// The settings window's "timecode" group: frame rate, MTC, MIDI clock, the LTC output and
// its level, and which output pair loses a channel to LTC. Edits the record directly, as
// the rest of the window does.

#include "settings/TimecodeChoice.h"

#include <QObject>
#include <QRect>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QWidget;

namespace vl {

class InterfaceTexts;

class TimecodeGroup : public QObject {
    Q_OBJECT
  public:
    // Builds its controls on `window` inside `place`.
    TimecodeGroup(QWidget& window, const QRect& place, TimecodeChoice& choice, const InterfaceTexts& texts);

    void showChoice();

    QComboBox* rateList() const { return rate_; }
    QCheckBox* mtcCheck() const { return mtc_; }
    QCheckBox* midiClockCheck() const { return midiClock_; }
    QComboBox* ltcChannelList() const { return ltcChannel_; } // entry 0 "off", then 1..8
    QSpinBox* ltcLevelSpin() const { return ltcLevel_; }
    QLabel* pairNote() const { return pairNote_; }

  signals:
    void edited();

  private:
    void showPairNote();

    TimecodeChoice& choice_;
    const InterfaceTexts& texts_;
    bool showing_ = false;
    QComboBox* rate_ = nullptr;
    QCheckBox* mtc_ = nullptr;
    QCheckBox* midiClock_ = nullptr;
    QComboBox* ltcChannel_ = nullptr;
    QSpinBox* ltcLevel_ = nullptr;
    QLabel* pairNote_ = nullptr;
};

} // namespace vl
