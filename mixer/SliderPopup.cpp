#include "mixer/SliderPopup.h"

#include <QSlider>
#include <QToolTip>

namespace vl {

QString sliderPopupText(SliderKind kind, int value) {
    switch (kind) {
    case SliderKind::Pan: return QString::number(value - 100);
    case SliderKind::ReverbTime: return QString::number(value * 500 + 1000) + QStringLiteral(" ms");
    case SliderKind::DelayTime: return QString::number(value) + QStringLiteral(" ms");
    case SliderKind::DelayFeedback: return QString::number(value * 5 + 5);
    case SliderKind::Plain: break;
    }
    return QString::number(value);
}

void popUpSliderValue(QSlider& slider, SliderKind kind) {
    const QString text = sliderPopupText(kind, slider.sliderPosition());
    slider.setToolTip(text);
    if (slider.isVisible())
        QToolTip::showText(slider.mapToGlobal(QPoint(slider.width() / 2, 0)), text, &slider);
}

} // namespace vl
