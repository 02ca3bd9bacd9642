#pragma once
// Learning a MIDI control: the row's button offers "cancel" and the window says it waits;
// a nested event loop (the timers keep running) waits for the next MIDI message, which
// goes into the row's slot. A second click on the button ends the wait and keeps the slot
// as it was. Clicks and keys for every other control are swallowed meanwhile.

#include "core/AppState.h"

#include <QObject>

class QEventLoop;
class QPushButton;

namespace vl {

class MidiDevices;
class SettingsWindow;

class MidiLearn : public QObject {
    Q_OBJECT
  public:
    MidiLearn(SettingsWindow& window, int row, MidiDevices& devices);

    // Waits; true when a message was taken into `slot`.
    bool run(MidiControlSlot& slot, const QString& cancelCaption);
    // The row's button was clicked again.
    void cancel();
    int row() const { return row_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SettingsWindow& window_;
    const int row_;
    MidiDevices& devices_;
    QPushButton* button_;
    QEventLoop* loop_ = nullptr;
};

} // namespace vl
