#include "mixer/SliderPopup.h"

#include <QSlider>
#include <QStyle>
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
    if (!slider.isVisible()) return;
    // Beside the handle, where the eye is.
    const bool across = slider.orientation() == Qt::Horizontal;
    const int along = QStyle::sliderPositionFromValue(slider.minimum(), slider.maximum(), slider.sliderPosition(),
                                                      across ? slider.width() : slider.height(), !across);
    QToolTip::showText(slider.mapToGlobal(across ? QPoint(along, 0) : QPoint(slider.width(), along)), text, &slider);
}

} // namespace vl
