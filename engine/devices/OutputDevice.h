#pragma once
// A sound output that pulls blocks from an AudioSource from open() until close().

#include "engine/AudioFormat.h"
#include "engine/AudioSource.h"

namespace vl::engine {

enum class DeviceKind { NoSound, Ordinary, Jack, Manual };

class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // UI thread. Starts pulling from `source`; false when the device could not be opened.
    virtual bool open(AudioSource& source) = 0;
    // UI thread. After it returns the source is no longer called. Safe to call twice.
    virtual void close() = 0;
    virtual DeviceKind kind() const = 0;
    // Frames per second the device consumes: 44,100 except on a JACK server that runs at
    // another rate, where the tracks are resampled to the server's rate instead.
    virtual int sampleRate() const { return kSampleRate; }
    // Frames from the buffer the callback fills to the output's jack; 0 when unknown.
    virtual int outputLatencyFrames() const { return 0; }

    // A device fed by a sound server or a cable (JACK, ALSA, PulseAudio) can go away while
    // open; the engine watches such a device and reopens it.
    virtual bool canBeLost() const { return false; }
    // Any thread: the open device has noticed that it can no longer play (its server quit,
    // its hardware is gone). Cleared by the next open().
    virtual bool lost() const { return false; }
};

} // namespace vl::engine
