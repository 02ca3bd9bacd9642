#include "settings/MidiLearn.h"

#include "midi/MidiDevices.h"
#include "settings/SettingsWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

namespace vl {

namespace {

// How often the wait looks into the inbox; well below the 55 ms tick.
constexpr int kPollMs = 10;

bool isInputEvent(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

MidiLearn::MidiLearn(SettingsWindow& window, int row, MidiDevices& devices)
    : window_(window), row_(row), devices_(devices), button_(window.midiLearnButton(row)) {}

bool MidiLearn::run(MidiControlSlot& slot, const QString& cancelCaption) {
    MidiInbox& inbox = devices_.inbox();
    inbox.clear();
    window_.setMidiControlButtonCaption(row_, cancelCaption);
    window_.showMidiWaiting(true);
    devices_.setLearning(true);

    bool learnt = false;
    QEventLoop loop;
    loop_ = &loop;
    QTimer poll;
    poll.setInterval(kPollMs);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        MidiMessage m;
        if (!inbox.take(m)) return;
        slot.status = m.status;
        slot.data1 = m.data1;
        slot.data2 = m.data2;
        learnt = true;
        loop.quit();
    });
    poll.start();
    qApp->installEventFilter(this);
    loop.exec();
    qApp->removeEventFilter(this);
    loop_ = nullptr;

    devices_.setLearning(false);
    window_.showMidiWaiting(false);
    return learnt;
}

void MidiLearn::cancel() {
    if (loop_) loop_->quit();
}

bool MidiLearn::eventFilter(QObject* watched, QEvent* event) {
    // The settings window's close box would act as its OK in the middle of the wait.
    if (event->type() == QEvent::Close && watched == &window_) {
        event->ignore();
        return true;
    }
    if (!isInputEvent(event->type()) || watched == button_) return false;
    // Events of the window system reach the top-level window first; let them go on to the
    // button, stop them at every other widget.
    return watched->isWidgetType() && watched != button_->window();
}

} // namespace vl
