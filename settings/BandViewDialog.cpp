#include "settings/BandViewDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace vl {

BandViewDialog::BandViewDialog(Preferences& prefs, const InterfaceTexts& texts, QWidget* parent)
    : QDialog(parent), prefs_(prefs) {
    setObjectName(QStringLiteral("bandViewDialog"));
    setWindowTitle(texts[StatusText::WebSettingsFrame]);
    auto* form = new QFormLayout(this);
    auto* note = new QLabel(texts[StatusText::WebSettingsTooltip], this);
    note->setWordWrap(true);
    form->addRow(note);
    on_ = new QCheckBox(texts[StatusText::WebSettingsOn], this);
    form->addRow(on_);
    port_ = new QSpinBox(this);
    port_->setRange(1024, 65535);
    form->addRow(texts[StatusText::WebSettingsPort], port_);
    pin_ = new QLineEdit(this);
    pin_->setMaxLength(16);
    // What the page's PIN field can send: printable, no spaces.
    pin_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[!-~]{0,16}")), pin_));
    form->addRow(texts[StatusText::WebSettingsPin], pin_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        take();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showPreferences();
}

void BandViewDialog::showPreferences() {
    on_->setChecked(prefs_.webEnabled);
    port_->setValue(prefs_.webPort);
    pin_->setText(prefs_.webPin);
}

void BandViewDialog::take() {
    const bool same = prefs_.webEnabled == on_->isChecked() && prefs_.webPort == port_->value() && prefs_.webPin == pin_->text();
    prefs_.webEnabled = on_->isChecked();
    prefs_.webPort = port_->value();
    prefs_.webPin = pin_->text();
    if (!same) emit changed();
}

} // namespace vl
