#pragma once
// The caption of a learnt MIDI control's button: a word for the exact status byte
// (channel 1 only), then data byte 1; an empty slot shows "---".

#include "core/AppState.h"

#include <QString>

namespace vl {

QString midiControlCaption(const MidiControlSlot& slot);

} // namespace vl
