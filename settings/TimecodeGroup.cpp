#include "settings/TimecodeGroup.h"

#include "core/InterfaceTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <iterator>

namespace vl {

TimecodeGroup::TimecodeGroup(QPushButton& opener, TimecodeChoice& choice, const InterfaceTexts& texts)
    : QObject(&opener), opener_(opener), choice_(choice), texts_(texts) {
    QWidget* settings = opener.window();
    window_ = new QWidget(settings, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window_->setObjectName(QStringLiteral("timecodeWindow"));
    window_->setWindowTitle(texts[StatusText::TimecodeFrame]);
    window_->setFixedSize(660, 90);
    build();
    // Under the subgroup routing, which it changes, and above OK; it goes when they go.
    connect(&opener, &QPushButton::clicked, this, [this, settings] {
        window_->move(settings->mapToGlobal(QPoint((settings->width() - window_->width()) / 2, 288)));
        window_->show();
        window_->raise();
        window_->activateWindow();
    });
    settings->installEventFilter(this);
}

bool TimecodeGroup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == opener_.window() && event->type() == QEvent::Hide) window_->hide();
    return QObject::eventFilter(watched, event);
}

void TimecodeGroup::build() {
    QWidget& window = *window_;
    const QRect place(5, 4, 650, 82);
    auto* box = new QGroupBox(&window); // the window's title names it
    box->setGeometry(place);
    box->lower();
    const int x = place.x(), y = place.y();
    const auto label = [&](const QString& text, const QRect& r) {
        auto* l = new QLabel(text, &window);
        l->setGeometry(r.translated(x, y));
        return l;
    };
    label(texts_[StatusText::TimecodeRateLabel], {10, 8, 120, 14});
    rate_ = new QComboBox(&window);
    rate_->setGeometry(QRect(10, 24, 150, 22).translated(x, y));
    rate_->addItems({QStringLiteral("24"), QStringLiteral("25"), texts_[StatusText::TimecodeDropFrame], QStringLiteral("30")});
    mtc_ = new QCheckBox(texts_[StatusText::TimecodeMtcCheck], &window);
    mtc_->setGeometry(QRect(175, 8, 260, 20).translated(x, y));
    midiClock_ = new QCheckBox(texts_[StatusText::TimecodeMidiClockCheck], &window);
    midiClock_->setGeometry(QRect(175, 28, 260, 20).translated(x, y));
    label(texts_[StatusText::TimecodeLtcLabel], {445, 8, 110, 14});
    ltcChannel_ = new QComboBox(&window);
    ltcChannel_->setGeometry(QRect(445, 24, 100, 22).translated(x, y));
    ltcChannel_->addItem(texts_[StatusText::TimecodeLtcOff]);
    for (int c = 1; c <= 8; ++c)
        ltcChannel_->addItem(QString::number(c));
    label(texts_[StatusText::TimecodeLtcLevelLabel], {560, 8, 85, 14});
    ltcLevel_ = new QSpinBox(&window);
    ltcLevel_->setGeometry(QRect(560, 24, 70, 22).translated(x, y));
    ltcLevel_->setRange(kLtcLevelLowestDb, 0);
    pairNote_ = label(QString(), {10, 54, place.width() - 20, 18});

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
        opener_.setToolTip(pairNote_->text());
        return;
    }
    const int first = channel % 2 ? channel : channel - 1;
    const int other = channel % 2 ? channel + 1 : channel - 1;
    pairNote_->setText(texts_[StatusText::TimecodeLtcPairNote]
                           .arg(channel)
                           .arg(QStringLiteral("%1/%2").arg(first).arg(first + 1))
                           .arg(other));
    // The settings window says it too, where the group's window is opened.
    opener_.setToolTip(pairNote_->text());
}

} // namespace vl
