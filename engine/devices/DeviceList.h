#pragma once
// The numbered list of outputs the user chooses from: entry 0 the engine's own no-sound
// device, then every ALSA and PulseAudio output device, then JACK when a server runs.

#include "engine/devices/OutputDevice.h"

#include <memory>
#include <string>
#include <vector>

namespace vl::engine {

struct DeviceEntry {
    std::string name; // at most kMaxNameLength characters
    DeviceKind kind = DeviceKind::NoSound;
    int api = 0;           // RtAudio API of an ordinary device
    unsigned deviceId = 0; // RtAudio's number within that API
    std::string systemName; // RtAudio's name of it, to find it again
};

class DeviceList {
public:
    static constexpr int kMaxEntries = 17;
    static constexpr std::size_t kMaxNameLength = 254;
    static constexpr const char* kNoSoundName = "No sound";

    // Asks the system; returns at once when there is no sound card and no JACK server.
    // `askJack` false leaves JACK out without asking for its server.
    static DeviceList enumerate(bool askJack = true);

    void add(DeviceEntry entry);
    int count() const { return static_cast<int>(entries_.size()); }
    const DeviceEntry* entry(int index) const;
    // "no" for an index without an entry.
    const char* name(int index) const;
    // The first entry of that name, -1 when none has it.
    int find(const std::string& name) const;
    // At `index` (at the end when past it), the last entry making room when the list is full.
    void insert(int index, DeviceEntry entry);

    // A closed device of the entry's kind; nullptr for an index without an entry.
    std::unique_ptr<OutputDevice> makeDevice(int index) const;

private:
    std::vector<DeviceEntry> entries_;
};

} // namespace vl::engine
