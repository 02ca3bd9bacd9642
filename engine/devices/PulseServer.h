#pragma once
// RtAudio 5.2 crashes while it lists the devices of a PulseAudio server that has no default
// sink or source: a server that is still starting, or one whose last interface was
// unplugged. The engine asks the server itself first.

namespace vl::engine {

// True when a PulseAudio server answers within a second and names a default sink and
// source. Not for the audio thread.
bool pulseServerHasDefaults();

} // namespace vl::engine
