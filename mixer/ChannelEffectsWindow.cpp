#include "mixer/ChannelEffectsWindow.h"

#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "mixer/SliderPopup.h"
#include "mixer/TouchWatch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace vl {

namespace {

using T = TextId;

QGroupBox* frame(QWidget* parent, const char* caption, const QRect& place, const QFont& font) {
    auto* f = new QGroupBox(QString::fromLatin1(caption), parent);
    f->setGeometry(place);
    f->setFont(font);
    return f;
}

void label(QWidget* parent, const char* text, const QRect& place, const QFont& font) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setGeometry(place);
    l->setFont(font);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

ChannelEffectsWindow::ValueRow valueRow(QWidget* frame, const char* caption, int y, int lowest, int highest,
                                        int ticks, const Fonts& fonts) {
    label(frame, caption, {8, y, 52, 30}, fonts[5]);
    ChannelEffectsWindow::ValueRow row;
    row.slider = new QSlider(Qt::Horizontal, frame);
    row.slider->setRange(lowest, highest);
    row.slider->setTickPosition(QSlider::TicksBelow);
    row.slider->setTickInterval(ticks);
    row.slider->setGeometry(60, y, 114, 30);
    // Rewritten from the value on every tick: typing here would not last.
    row.field = new QLineEdit(frame);
    row.field->setReadOnly(true);
    row.field->setAlignment(Qt::AlignCenter);
    row.field->setGeometry(178, y + 3, 46, 24);
    return row;
}

QCheckBox* activeBox(QWidget* frame, const QString& tooltip, const Fonts& fonts) {
    auto* box = new QCheckBox(QStringLiteral("active"), frame);
    box->setFont(fonts[5]);
    box->setGeometry(8, 160, 120, 26);
    box->setToolTip(tooltip);
    return box;
}

QSlider* sendSlider(QWidget* frame, const char* caption, int y, const QString& tooltip, const Fonts& fonts) {
    label(frame, caption, {8, y, 52, 26}, fonts[5]);
    auto* s = new QSlider(Qt::Horizontal, frame);
    s->setRange(0, 100);
    s->setGeometry(60, y, 266, 26);
    s->setToolTip(tooltip);
    return s;
}

} // namespace

ChannelEffectsWindow::ChannelEffectsWindow(const InterfaceTexts& texts, const Fonts& fonts, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("channelEffects"));
    setWindowTitle(QStringLiteral("channel effects ..."));
    setFixedSize(kWidth, kHeight);

    QGroupBox* eq = frame(this, "EQ", {6, 4, 232, 196}, fonts[9]);
    bass = valueRow(eq, "Bass", 24, 0, 30, 5, fonts);
    mid = valueRow(eq, "Mid", 70, 0, 30, 5, fonts);
    treble = valueRow(eq, "Treble", 116, 0, 30, 5, fonts);
    eqActive = activeBox(eq, texts[T::EffectsEqualizerTooltip], fonts);

    QGroupBox* compressor = frame(this, "COMPRESSOR", {243, 4, 232, 196}, fonts[9]);
    ratio = valueRow(compressor, "Ratio", 24, 1, 20, 1, fonts);
    threshold = valueRow(compressor, "Thresh.", 70, 0, 60, 5, fonts);
    release = valueRow(compressor, "Release", 116, 10, 1000, 100, fonts);
    compressorActive = activeBox(compressor, texts[T::EffectsCompressorTooltip], fonts);

    QGroupBox* sends = frame(this, "SEND EFFECT", {6, 204, 340, 82}, fonts[9]);
    reverbSend = sendSlider(sends, "reverb", 20, texts[T::EffectsReverbTooltip], fonts);
    delaySend = sendSlider(sends, "delay", 50, texts[T::EffectsDelayTooltip], fonts);

    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("effectsOk"));
    ok->setFont(fonts[8]);
    ok->setGeometry(354, 214, 121, 70);
    ok->setToolTip(texts[T::EffectsSaveCloseTooltip]);
    connect(ok, &QPushButton::clicked, this, &ChannelEffectsWindow::okClicked);

    for (QSlider* s : {reverbSend, delaySend})
        connect(s, &QSlider::actionTriggered, this, [s] { popUpSliderValue(*s, SliderKind::Plain); });
    auto* watch = new TouchWatch(this);
    connect(watch, &TouchWatch::touched, this, &ChannelEffectsWindow::touched);
    for (QWidget* control : findChildren<QWidget*>())
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractSlider*>(control)) watch->watch(control);
}


void ChannelEffectsWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit okClicked();
}

} // namespace vl
