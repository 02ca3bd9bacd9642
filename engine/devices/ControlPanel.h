#pragma once
// Starts an installed settings tool for the kind of device that is open.

#include "engine/devices/OutputDevice.h"

namespace vl::engine {

// Searches PATH for a JACK tool (JACK) or a sound-settings tool (ordinary devices) and
// starts the first one found, detached. False when none is installed or for other kinds.
bool startControlPanel(DeviceKind kind);

} // namespace vl::engine
