#pragma once
// The band view's settings, opened from the settings window: the web server on or off, its
// port and the operator PIN. OK writes them into the preferences record; the program then
// starts, moves or stops the server.

#include "core/InterfaceTexts.h"
#include "settings/Preferences.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace vl {

class BandViewDialog : public QDialog {
    Q_OBJECT
public:
    BandViewDialog(Preferences& prefs, const InterfaceTexts& texts, QWidget* parent);
    // The record in the controls, each time the dialog opens.
    void showPreferences();

    QCheckBox* onBox() const { return on_; }
    QSpinBox* portBox() const { return port_; }
    QLineEdit* pinField() const { return pin_; }

signals:
    void changed();

private:
    void take();

    Preferences& prefs_;
    QCheckBox* on_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* pin_ = nullptr;
};

} // namespace vl
