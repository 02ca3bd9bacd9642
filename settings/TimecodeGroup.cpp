#include "settings/TimecodeGroup.h"

#include "core/InterfaceTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>
#include <iterator>

namespace vl {

TimecodeGroup::TimecodeGroup(QWidget& window, const QRect& place, TimecodeChoice& choice, const InterfaceTexts& texts)
    : QObject(&window), choice_(choice), texts_(texts) {
    auto* box = new QGroupBox(texts[StatusText::TimecodeFrame], &window);
    box->setGeometry(place);
    box->lower();
    const int x = place.x(), y = place.y();
    const auto label = [&](const QString& text, const QRect& r) {
        auto* l = new QLabel(text, &window);
        l->setGeometry(r.translated(x, y));
        return l;
    };
    label(texts[StatusText::TimecodeRateLabel], {10, 18, 120, 14});
    rate_ = new QComboBox(&window);
    rate_->setGeometry(QRect(10, 34, 150, 22).translated(x, y));
    rate_->addItems({QStringLiteral("24"), QStringLiteral("25"), texts[StatusText::TimecodeDropFrame], QStringLiteral("30")});
    mtc_ = new QCheckBox(texts[StatusText::TimecodeMtcCheck], &window);
    mtc_->setGeometry(QRect(175, 18, 250, 20).translated(x, y));
    midiClock_ = new QCheckBox(texts[StatusText::TimecodeMidiClockCheck], &window);
    midiClock_->setGeometry(QRect(175, 38, 250, 20).translated(x, y));
    label(texts[StatusText::TimecodeLtcLabel], {435, 18, 110, 14});
    ltcChannel_ = new QComboBox(&window);
    ltcChannel_->setGeometry(QRect(435, 34, 110, 22).translated(x, y));
    ltcChannel_->addItem(texts[StatusText::TimecodeLtcOff]);
    for (int c = 1; c <= 8; ++c)
        ltcChannel_->addItem(QString::number(c));
    label(texts[StatusText::TimecodeLtcLevelLabel], {560, 18, 100, 14});
    ltcLevel_ = new QSpinBox(&window);
    ltcLevel_->setGeometry(QRect(560, 34, 70, 22).translated(x, y));
    ltcLevel_->setRange(kLtcLevelLowestDb, 0);
    pairNote_ = label(QString(), {10, 62, place.width() - 20, 18});

    connect(rate_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_ || index < 0 || index >= int(std::size(kTimecodeFpsCodes))) return;
        choice_.fpsCode = kTimecodeFpsCodes[index];
        emit edited();
    });
    connect(mtc_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_) return;
        choice_.mtc = on;
        emit edited();
    });
    connect(midiClock_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_) return;
        choice_.midiClock = on;
        emit edited();
    });
    connect(ltcChannel_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_ || index < 0) return;
        choice_.ltcChannel = index;
        showPairNote();
        emit edited();
    });
    connect(ltcLevel_, &QSpinBox::valueChanged, this, [this](int db) {
        if (showing_) return;
        choice_.ltcLevelDb = db;
        emit edited();
    });
}

void TimecodeGroup::showChoice() {
    showing_ = true;
    const auto* code = std::find(std::begin(kTimecodeFpsCodes), std::end(kTimecodeFpsCodes), choice_.fpsCode);
    rate_->setCurrentIndex(code == std::end(kTimecodeFpsCodes) ? 1 : int(code - std::begin(kTimecodeFpsCodes)));
    mtc_->setChecked(choice_.mtc);
    midiClock_->setChecked(choice_.midiClock);
    ltcChannel_->setCurrentIndex(choice_.ltcChannel >= 0 && choice_.ltcChannel <= 8 ? choice_.ltcChannel : 0);
    ltcLevel_->setValue(choice_.ltcLevelDb);
    showPairNote();
    showing_ = false;
}

void TimecodeGroup::showPairNote() {
    const int channel = choice_.ltcChannel;
    if (channel < 1 || channel > 8) {
        pairNote_->setText(texts_[StatusText::TimecodeNoLtcNote]);
        return;
    }
    const int first = channel % 2 ? channel : channel - 1;
    const int other = channel % 2 ? channel + 1 : channel - 1;
    pairNote_->setText(texts_[StatusText::TimecodeLtcPairNote]
                           .arg(channel)
                           .arg(QStringLiteral("%1/%2").arg(first).arg(first + 1))
                           .arg(other));
}

} // namespace vl
