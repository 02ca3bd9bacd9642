#include "mixer/TouchWatch.h"

#include <QAbstractSlider>
#include <QEvent>
#include <QLineEdit>

namespace vl {

void TouchWatch::watch(QWidget* control) {
    control->installEventFilter(this);
    if (auto* s = qobject_cast<QAbstractSlider*>(control))
        connect(s, &QAbstractSlider::actionTriggered, this, &TouchWatch::touched);
    if (auto* f = qobject_cast<QLineEdit*>(control)) connect(f, &QLineEdit::textEdited, this, &TouchWatch::touched);
}

bool TouchWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::FocusIn: emit touched(); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vl
