#include "engine/devices/DeviceList.h"

#include "engine/devices/JackDevice.h"
#include "engine/devices/NoSoundDevice.h"
#include "engine/devices/PulseServer.h"
#include "engine/devices/RtAudioDevice.h"

#include <alsa/asoundlib.h>
#include <rtaudio/RtAudio.h>

#include <algorithm>
#include <mutex>

namespace vl::engine {

namespace {

// ALSA describes a machine without a card on stderr; a missing device is simply not listed.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

void addRtAudioDevices(DeviceList& list, RtAudio::Api api, const char* prefix) {
    try {
        RtAudio audio(api);
        audio.showWarnings(false);
        const unsigned n = audio.getDeviceCount();
        for (unsigned id = 0; id < n && list.count() < DeviceList::kMaxEntries; ++id) {
            const RtAudio::DeviceInfo info = audio.getDeviceInfo(id);
            if (!info.probed || info.outputChannels == 0) continue;
            list.add({prefix + info.name, DeviceKind::Ordinary, static_cast<int>(api), id, info.name});
        }
    } catch (const RtAudioError&) {
    }
}

} // namespace

DeviceList DeviceList::enumerate(bool askJack) {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietAlsa); });
    DeviceList list;
    list.add({kNoSoundName, DeviceKind::NoSound, 0, 0, {}});
    addRtAudioDevices(list, RtAudio::LINUX_ALSA, "ALSA: ");
    if (pulseServerHasDefaults()) addRtAudioDevices(list, RtAudio::LINUX_PULSE, "");
    if (askJack && list.count() < kMaxEntries && jackServerRunning()) list.add({"JACK", DeviceKind::Jack, 0, 0, {}});
    return list;
}

void DeviceList::add(DeviceEntry entry) {
    if (count() >= kMaxEntries) return;
    if (entry.name.size() > kMaxNameLength) entry.name.resize(kMaxNameLength);
    entries_.push_back(std::move(entry));
}

const DeviceEntry* DeviceList::entry(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

const char* DeviceList::name(int index) const {
    const DeviceEntry* e = entry(index);
    return e ? e->name.c_str() : "no";
}

int DeviceList::find(const std::string& name) const {
    if (name.empty()) return -1;
    for (int i = 0; i < count(); ++i)
        if (entries_[static_cast<std::size_t>(i)].name == name) return i;
    return -1;
}

void DeviceList::insert(int index, DeviceEntry entry) {
    if (count() >= kMaxEntries) entries_.pop_back();
    const int at = std::clamp(index, 0, count());
    entries_.insert(entries_.begin() + at, std::move(entry));
}

std::unique_ptr<OutputDevice> DeviceList::makeDevice(int index) const {
    const DeviceEntry* e = entry(index);
    if (!e) return nullptr;
    switch (e->kind) {
    case DeviceKind::NoSound:
        return std::make_unique<NoSoundDevice>();
    case DeviceKind::Ordinary:
        return std::make_unique<RtAudioDevice>(e->api, e->deviceId, e->systemName);
    case DeviceKind::Jack:
        return std::make_unique<JackDevice>();
    case DeviceKind::Manual:
        break;
    }
    return nullptr;
}

} // namespace vl::engine
