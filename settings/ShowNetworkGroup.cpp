#include "settings/ShowNetworkGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace vl {

ShowNetworkGroup::ShowNetworkGroup(Preferences& prefs, const InterfaceTexts& t, QWidget* settingsWindow)
    : QGroupBox(t[StatusText::OscGroupTitle], new QWidget(settingsWindow, Qt::Dialog)), prefs_(prefs) {
    setObjectName(QStringLiteral("showNetworkGroup"));
    QWidget* window = parentWidget();
    window->setWindowTitle(t[StatusText::OscGroupTitle]);
    window->setFixedSize(600, 150);
    setGeometry(10, 8, 580, 100);
    auto* ok = new QPushButton(QStringLiteral("OK"), window);
    ok->setGeometry(490, 114, 100, 28);
    connect(ok, &QPushButton::clicked, window, &QWidget::hide);
    const auto place = [this](QWidget* w, int x, int y, int width, int height = 22) {
        w->setGeometry(x, y, width, height);
        return w;
    };
    const auto label = [&](StatusText id, int x, int y, int width) { place(new QLabel(t[id], this), x, y, width); };

    osc_ = new QCheckBox(t[StatusText::OscEnabledCheck], this);
    place(osc_, 10, 20, 110);
    osc_->setToolTip(t[StatusText::OscEnabledTooltip]);
    port_ = new QSpinBox(this);
    place(port_, 120, 20, 70);
    port_->setRange(1, 65535);
    port_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    label(StatusText::OscAllowedLabel, 205, 20, 110);
    allowed_ = new QLineEdit(this);
    place(allowed_, 315, 20, 255);
    allowed_->setToolTip(t[StatusText::OscAllowedTooltip]);
    label(StatusText::OscFeedbackLabel, 10, 46, 110);
    feedback_ = new QLineEdit(this);
    place(feedback_, 120, 46, 450);
    feedback_->setToolTip(t[StatusText::OscFeedbackTooltip]);
    label(StatusText::ShowLinkRoleLabel, 10, 72, 110);
    role_ = new QComboBox(this);
    place(role_, 120, 72, 190);
    role_->addItems({t[StatusText::ShowLinkRoleAlone], t[StatusText::ShowLinkRoleMain], t[StatusText::ShowLinkRoleFollower]});
    followers_ = new QLineEdit(this);
    place(followers_, 315, 72, 255);
    followers_->setToolTip(t[StatusText::ShowLinkFollowersTooltip]);

    const auto edit = [this](auto apply) {
        return [this, apply](auto value) {
            if (showing_) return;
            apply(value);
            emit edited();
        };
    };
    connect(osc_, &QCheckBox::toggled, this, edit([this](bool on) { prefs_.oscEnabled = on; }));
    connect(port_, &QSpinBox::valueChanged, this, edit([this](int port) { prefs_.oscPort = port; }));
    connect(allowed_, &QLineEdit::textEdited, this, edit([this](const QString& s) { prefs_.oscAllowedSenders = s; }));
    connect(feedback_, &QLineEdit::textEdited, this, edit([this](const QString& s) { prefs_.oscFeedbackTo = s; }));
    connect(followers_, &QLineEdit::textEdited, this, edit([this](const QString& s) { prefs_.showLinkFollowers = s; }));
    connect(role_, &QComboBox::currentIndexChanged, this, edit([this](int role) {
                prefs_.showLinkRole = role;
                followers_->setEnabled(role == 1);
            }));
    showPreferences();
}

void ShowNetworkGroup::show() {
    QWidget* window = parentWidget();
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowNetworkGroup::showPreferences() {
    showing_ = true;
    osc_->setChecked(prefs_.oscEnabled);
    port_->setValue(prefs_.oscPort);
    allowed_->setText(prefs_.oscAllowedSenders);
    feedback_->setText(prefs_.oscFeedbackTo);
    role_->setCurrentIndex(prefs_.showLinkRole);
    followers_->setText(prefs_.showLinkFollowers);
    followers_->setEnabled(prefs_.showLinkRole == 1);
    showing_ = false;
}

} // namespace vl
