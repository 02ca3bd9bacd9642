#include "mixer/ProgramEditorWindow.h"

#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "mixer/OutputMeters.h"
#include "mixer/SliderPopup.h"
#include "mixer/TouchWatch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <algorithm>

namespace vl {

void TrackButton::setFileName(const QString& name) {
    fileName_ = name;
    showName();
}

void TrackButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    showName();
}

void TrackButton::showName() {
    QString shown = fontMetrics().elidedText(fileName_, Qt::ElideMiddle, std::max(10, width() - 12));
    setText(shown.replace(QLatin1Char('&'), QStringLiteral("&&")));
}

namespace {

using T = TextId;

// Column places inside the strips' frame.
constexpr int kNumberX = 8, kTrackX = 26, kMuteX = 212, kSubOutX = 274, kPanX = 344, kVolumeX = 460,
              kEffectX = 586;
constexpr int kFirstRowY = 38, kRowStep = 32, kRowHeight = 28;

QLabel* label(QWidget* parent, const QString& text, const QRect& place, const QFont& font,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    l->setFont(font);
    l->setAlignment(align);
    return l;
}

QGroupBox* frame(QWidget* parent, const QString& caption, const QRect& place, const QFont& font) {
    auto* f = new QGroupBox(caption, parent);
    f->setGeometry(place);
    f->setFont(font);
    return f;
}

QSlider* slider(QWidget* parent, Qt::Orientation orientation, int lowest, int highest, const QRect& place,
                const QString& tooltip, int ticks = 0) {
    auto* s = new QSlider(orientation, parent);
    s->setRange(lowest, highest);
    s->setGeometry(place);
    s->setToolTip(tooltip);
    if (ticks > 0) {
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(ticks);
    }
    return s;
}

QPushButton* button(QWidget* parent, const QString& caption, const QRect& place, const QFont& font,
                    const QString& tooltip) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(place);
    b->setFont(font);
    b->setToolTip(tooltip);
    return b;
}

QLineEdit* digitsField(QWidget* parent, const QRect& place, const QString& tooltip) {
    auto* f = new QLineEdit(parent);
    f->setGeometry(place);
    f->setToolTip(tooltip);
    f->setAlignment(Qt::AlignCenter);
    f->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), f));
    return f;
}

} // namespace

ProgramEditorWindow::ProgramEditorWindow(const InterfaceTexts& texts, const Fonts& fonts, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("programEditor"));
    setWindowTitle(QStringLiteral("program editor ..."));
    setFixedSize(kWidth, kHeight);
    buildStrips(texts, fonts);
    buildBottom(texts, fonts);

    notice = new QLabel(this);
    notice->setObjectName(QStringLiteral("programNotice"));
    // Over the strips' frame title only, so the master section stays readable.
    notice->setGeometry(0, 0, 694, 17);
    notice->setAlignment(Qt::AlignCenter);
    notice->setAutoFillBackground(true);
    notice->setStyleSheet(
        QStringLiteral("QLabel { background: rgb(242, 41, 13); color: white; font-weight: bold; }"));
    notice->hide();
    watchControls();
}

void ProgramEditorWindow::buildStrips(const InterfaceTexts& texts, const Fonts& fonts) {
    QGroupBox* desk = frame(this, QStringLiteral("OUTPUT assignment"), {6, 2, 686, 300}, fonts[9]);
    label(desk, QStringLiteral("audiotrack"), {kTrackX, 16, 180, 18}, fonts[9], Qt::AlignCenter);
    label(desk, QStringLiteral("sub out"), {kSubOutX, 16, 64, 18}, fonts[9], Qt::AlignCenter);
    label(desk, QStringLiteral("pan"), {kPanX, 16, 110, 18}, fonts[9], Qt::AlignCenter);
    label(desk, QStringLiteral("volume"), {kVolumeX, 16, 120, 18}, fonts[9], Qt::AlignCenter);
    for (int row = 0; row < kStrips; ++row) {
        const int y = kFirstRowY + row * kRowStep;
        const bool first = row == 0;
        Strip& s = strips[static_cast<std::size_t>(row)];
        label(desk, QString::number(row + 1), {kNumberX, y, 16, kRowHeight}, fonts[9], Qt::AlignCenter);
        s.track = new TrackButton(desk);
        s.track->setFont(fonts[9]);
        s.track->setGeometry(kTrackX, y, 180, kRowHeight);
        s.track->setToolTip(texts[T::ProgramEditorImportTooltip]);
        s.mute = new QCheckBox(QStringLiteral("mute"), desk);
        s.mute->setFont(fonts[5]);
        s.mute->setGeometry(kMuteX, y, 60, kRowHeight);
        // Row 6 has always said this in English, whatever the language.
        s.mute->setToolTip(row == 5 ? QStringLiteral("mute track")
                                    : texts[first ? T::ProgramEditorMuteTooltip1 : T::ProgramEditorMuteTooltip2]);
        s.subOut = new QComboBox(desk);
        s.subOut->setGeometry(kSubOutX, y + 2, 64, kRowHeight - 4);
        s.subOut->setToolTip(texts[T::ProgramEditorSubgroupTooltip]);
        s.pan = slider(desk, Qt::Horizontal, 0, 200, {kPanX, y, 110, kRowHeight},
                       texts[first ? T::ProgramEditorPanTooltip1 : T::ProgramEditorPanTooltip2], 50);
        s.volume = slider(desk, Qt::Horizontal, 0, 100, {kVolumeX, y, 120, kRowHeight},
                          texts[first ? T::ProgramEditorVolumeTooltip1 : T::ProgramEditorVolumeTooltip2], 10);
        s.effectEdit = button(desk, QStringLiteral("effect edit"), {kEffectX, y, 92, kRowHeight}, fonts[9],
                              texts[first ? T::ProgramEditorEffectTooltip1 : T::ProgramEditorEffectTooltip2]);

        connect(s.track, &QPushButton::clicked, this, [this, row] { emit trackClicked(row); });
        connect(s.effectEdit, &QPushButton::clicked, this, [this, row] { emit effectEditClicked(row); });
        connect(s.subOut, &QComboBox::activated, this, &ProgramEditorWindow::subOutUsed);
        connect(s.pan, &QSlider::actionTriggered, this, [pan = s.pan] { popUpSliderValue(*pan, SliderKind::Pan); });
        connect(s.volume, &QSlider::actionTriggered, this,
                [volume = s.volume] { popUpSliderValue(*volume, SliderKind::Plain); });
    }
}

void ProgramEditorWindow::buildBottom(const InterfaceTexts& texts, const Fonts& fonts) {
    // Master section beside the strips, as on a desk.
    label(this, QStringLiteral("mainvol"), {698, 8, 90, 18}, fonts[9], Qt::AlignCenter);
    mainVolume = slider(this, Qt::Vertical, 0, 100, {700, 28, 24, 206}, texts[T::ProgramEditorMasterVolumeTooltip]);
    meters = new OutputMeters(this);
    meters->setGeometry(728, 28, 60, 206);
    meters->setToolTip(texts[StatusText::OutputMetersTooltip]);
    play = button(this, QStringLiteral("play"), {698, 246, 90, 52}, fonts[8], QString());
    play->setObjectName(QStringLiteral("programPlay"));

    QGroupBox* midi = frame(this, QStringLiteral("MIDI OUT - prgch"), {6, 306, 200, 152}, fonts[9]);
    for (int i = 0; i < 3; ++i) {
        const int x = 76 + i * 40;
        label(midi, QString::number(i + 1), {x, 22, 36, 16}, fonts[5], Qt::AlignCenter);
        const T channelTip = i == 0   ? T::ProgramEditorMidiChannelTooltip1
                             : i == 1 ? T::ProgramEditorMidiChannelTooltip2
                                      : T::ProgramEditorMidiChannelTooltip3;
        midiChannels[static_cast<std::size_t>(i)] = digitsField(midi, {x, 44, 36, 26}, texts[channelTip]);
        midiPrograms[static_cast<std::size_t>(i)] =
            digitsField(midi, {x, 92, 36, 26}, texts[T::ProgramEditorProgramChangeTooltip]);
    }
    label(midi, QStringLiteral("channel"), {8, 44, 66, 26}, fonts[5]);
    label(midi, QStringLiteral("program"), {8, 92, 66, 26}, fonts[5]);
    label(midi, texts[StatusText::TimecodeStartLabel], {8, 122, 66, 24}, fonts[5]);
    timecodeStart = new QLineEdit(midi);
    timecodeStart->setObjectName(QStringLiteral("timecodeStart"));
    timecodeStart->setGeometry(76, 122, 116, 24);
    timecodeStart->setAlignment(Qt::AlignCenter);
    timecodeStart->setToolTip(texts[StatusText::TimecodeStartTooltip]);

    QGroupBox* reverb = frame(this, QStringLiteral("eff 1 - reverb"), {212, 306, 178, 152}, fonts[9]);
    label(reverb, QStringLiteral("time"), {8, 36, 52, 28}, fonts[5]);
    reverbTime = slider(reverb, Qt::Horizontal, 0, 10, {60, 36, 110, 28}, texts[T::ProgramEditorReverbTimeTooltip], 1);
    label(reverb, QStringLiteral("volume"), {8, 90, 52, 28}, fonts[5]);
    reverbVolume =
        slider(reverb, Qt::Horizontal, 0, 100, {60, 90, 110, 28}, texts[T::ProgramEditorReverbVolumeTooltip], 10);

    QGroupBox* delay = frame(this, QStringLiteral("eff 2 - delay"), {396, 306, 200, 152}, fonts[9]);
    label(delay, QStringLiteral("time"), {8, 28, 62, 28}, fonts[5]);
    delayTime = slider(delay, Qt::Horizontal, 0, 1000, {72, 28, 120, 28}, texts[T::ProgramEditorDelayTimeTooltip], 100);
    label(delay, QStringLiteral("feedback"), {8, 70, 62, 28}, fonts[5]);
    delayFeedback =
        slider(delay, Qt::Horizontal, 0, 10, {72, 70, 120, 28}, texts[T::ProgramEditorDelayFeedbackTooltip], 1);
    label(delay, QStringLiteral("volume"), {8, 112, 62, 28}, fonts[5]);
    delayVolume =
        slider(delay, Qt::Horizontal, 0, 100, {72, 112, 120, 28}, texts[T::ProgramEditorDelayVolumeTooltip], 10);

    loadMixer = button(this, QStringLiteral("LOAD MIXER"), {602, 312, 186, 40}, fonts[8],
                       texts[T::ProgramEditorLoadMixerTooltip]);
    saveMixer = button(this, QStringLiteral("SAVE MIXER"), {602, 358, 186, 40}, fonts[8],
                       texts[T::ProgramEditorSaveMixerTooltip]);
    ok = button(this, QStringLiteral("OK"), {602, 410, 186, 48}, fonts[8], texts[T::ProgramEditorSaveExitTooltip]);
    ok->setObjectName(QStringLiteral("programOk"));

    const struct {
        QSlider* slider;
        SliderKind kind;
    } popups[] = {{mainVolume, SliderKind::Plain},      {reverbTime, SliderKind::ReverbTime},
                  {reverbVolume, SliderKind::Plain},    {delayTime, SliderKind::DelayTime},
                  {delayFeedback, SliderKind::DelayFeedback}, {delayVolume, SliderKind::Plain}};
    for (const auto& p : popups)
        connect(p.slider, &QSlider::actionTriggered, this, [s = p.slider, k = p.kind] { popUpSliderValue(*s, k); });
    connect(ok, &QPushButton::clicked, this, &ProgramEditorWindow::okClicked);
    connect(play, &QPushButton::clicked, this, &ProgramEditorWindow::playClicked);
    connect(loadMixer, &QPushButton::clicked, this, &ProgramEditorWindow::loadMixerClicked);
    connect(saveMixer, &QPushButton::clicked, this, &ProgramEditorWindow::saveMixerClicked);
}

void ProgramEditorWindow::watchControls() {
    auto* watch = new TouchWatch(this);
    connect(watch, &TouchWatch::touched, this, &ProgramEditorWindow::touched);
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control == ok) continue;
        const bool input = qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractSlider*>(control) ||
                           qobject_cast<QComboBox*>(control) || qobject_cast<QLineEdit*>(control);
        if (!input) continue;
        watch->watch(control);
    }
}


void ProgramEditorWindow::showNotice(const QString& text) {
    notice->setText(text);
    notice->setVisible(!text.isEmpty());
    if (!text.isEmpty()) notice->raise();
}

void ProgramEditorWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit okClicked();
}

} // namespace vl
