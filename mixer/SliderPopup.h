#pragma once
// What a mixer slider shows while it moves: its value as the musician reads it, popped up
// at once as the slider's tooltip, which keeps that text until the next move.

#include <QString>

class QSlider;

namespace vl {

enum class SliderKind {
    Plain,         // the slider's own value
    Pan,           // -100 .. +100
    ReverbTime,    // "1000 ms" .. "6000 ms"
    DelayTime,     // "0 ms" .. "1000 ms"
    DelayFeedback, // 5 .. 55
};

QString sliderPopupText(SliderKind kind, int value);

// Uses the slider's position, which is already where the user moved it when a slider
// action is reported (its value follows only afterwards).
void popUpSliderValue(QSlider& slider, SliderKind kind);

} // namespace vl
