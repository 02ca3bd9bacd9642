#include "support/ui/ScriptedMidiPorts.h"

#include "midi/MidiInbox.h"
#include "support/ui/RecordingEngine.h"

#include <thread>

namespace vl::test {

bool ScriptedMidiPorts::openInput(int index, MidiInputCallback callback, void* context) {
    if (!inputOpens || index < 0 || index >= inputs.size()) return false;
    openInputPort = index;
    callback_ = callback;
    context_ = context;
    return true;
}

void ScriptedMidiPorts::closeInput() {
    openInputPort = -1;
    callback_ = nullptr;
    context_ = nullptr;
}

bool ScriptedMidiPorts::openOutput(int index) {
    if (!outputOpens || index < 0 || index >= outputs.size()) return false;
    openOutputPort = index;
    return true;
}

bool ScriptedMidiPorts::send(const unsigned char* bytes, std::size_t size) {
    if (openOutputPort < 0) return false;
    const std::size_t calls = RecordingEngine::current ? RecordingEngine::current->calls.size() : 0;
    sent.push_back({std::vector<unsigned char>(bytes, bytes + size), calls});
    return true;
}

bool ScriptedMidiPorts::inject(const std::vector<unsigned char>& message) {
    if (!callback_) return false;
    std::thread driver([this, &message] { callback_(context_, packShortMessage(message.data(), message.size())); });
    driver.join();
    return true;
}

std::vector<std::vector<unsigned char>> ScriptedMidiPorts::sentBytes() const {
    std::vector<std::vector<unsigned char>> all;
    for (const SentMidi& s : sent)
        all.push_back(s.bytes);
    return all;
}

std::function<std::unique_ptr<MidiPorts>()> scriptedMidiPorts(ScriptedMidiPorts*& ports) {
    return [&ports]() -> std::unique_ptr<MidiPorts> {
        auto made = std::make_unique<ScriptedMidiPorts>();
        ports = made.get();
        return made;
    };
}

} // namespace vl::test
