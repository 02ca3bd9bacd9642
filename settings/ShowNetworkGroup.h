#pragma once
// The settings for the show's network, in a small window of their own that the settings
// window's "OSC / backup" button opens: OSC remote control (on, port, allowed senders,
// feedback addresses) and the backup machine (alone, main with its followers, or
// follower). Edits the preferences record directly, as the settings window does.

#include "core/InterfaceTexts.h"
#include "settings/Preferences.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace vl {

class ShowNetworkGroup : public QGroupBox {
    Q_OBJECT
public:
    // In a window of its own over `settingsWindow`, shown by show().
    ShowNetworkGroup(Preferences& prefs, const InterfaceTexts& texts, QWidget* settingsWindow);
    void showPreferences();
    void show();

    QCheckBox* oscCheck() const { return osc_; }
    QSpinBox* portSpin() const { return port_; }
    QLineEdit* allowedField() const { return allowed_; }
    QLineEdit* feedbackField() const { return feedback_; }
    QComboBox* roleList() const { return role_; }
    QLineEdit* followersField() const { return followers_; }

signals:
    void edited();

private:
    Preferences& prefs_;
    bool showing_ = false;
    QCheckBox* osc_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* allowed_ = nullptr;
    QLineEdit* feedback_ = nullptr;
    QComboBox* role_ = nullptr;
    QLineEdit* followers_ = nullptr;
};

} // namespace vl
