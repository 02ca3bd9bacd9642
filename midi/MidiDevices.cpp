#include "midi/MidiDevices.h"

#include <atomic>

namespace vl {

namespace {

std::atomic<MidiDevices*> engineMidiOutTarget{nullptr};

QStringList withNoDriverFirst(const QStringList& names) {
    QStringList list{QStringLiteral("no driver")};
    for (const QString& name : names)
        list << name.left(MidiDevices::kMaxNameLength);
    return list;
}

} // namespace

int shortMessageLength(int status) {
    if (status < 0x80 || status > 0xFF) return 0;
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3; // program change, channel pressure
    switch (status) {
    case 0xF1: // time code quarter frame
    case 0xF3: // song select
        return 2;
    case 0xF2: // song position
        return 3;
    case 0xF6: // tune request
    case 0xF8: case 0xFA: case 0xFB: case 0xFC: case 0xFE: case 0xFF: // real time
        return 1;
    default: // system exclusive and the undefined ones
        return 0;
    }
}

MidiDevices::MidiDevices(std::unique_ptr<MidiPorts> ports) : ports_(std::move(ports)) {}

MidiDevices::~MidiDevices() {
    MidiDevices* self = this;
    engineMidiOutTarget.compare_exchange_strong(self, nullptr);
    closeInput();
    closeOutput();
}

QStringList MidiDevices::inputList() { return withNoDriverFirst(ports_->inputNames()); }

QStringList MidiDevices::outputList() { return withNoDriverFirst(ports_->outputNames()); }

bool MidiDevices::openInput(int port) {
    closeInput();
    inputOpen_ = ports_->openInput(port, &midiInputCallback, &inbox_);
    return inputOpen_;
}

void MidiDevices::closeInput() {
    if (inputOpen_) ports_->closeInput();
    inputOpen_ = false;
}

bool MidiDevices::openOutput(int port) {
    std::lock_guard lock(outputMutex_);
    if (outputOpen_) ports_->closeOutput();
    outputOpen_ = ports_->openOutput(port);
    return outputOpen_;
}

void MidiDevices::closeOutput() {
    std::lock_guard lock(outputMutex_);
    if (outputOpen_) ports_->closeOutput();
    outputOpen_ = false;
}

bool MidiDevices::outputOpen() const {
    std::lock_guard lock(outputMutex_);
    return outputOpen_;
}

bool MidiDevices::sendShortMessage(int status, int channel, int data1, int data2) {
    const int first = (status | channel) & 0xFF;
    const int length = shortMessageLength(first);
    if (length == 0) return false;
    const unsigned char bytes[3] = {static_cast<unsigned char>(first), static_cast<unsigned char>(data1 & 0x7F),
                                    static_cast<unsigned char>(data2 & 0x7F)};
    std::lock_guard lock(outputMutex_);
    if (!outputOpen_) return false;
    return ports_->send(bytes, static_cast<std::size_t>(length));
}

bool MidiDevices::sendBytes(const unsigned char* bytes, std::size_t size) {
    if (bytes == nullptr || size == 0) return false;
    std::lock_guard lock(outputMutex_);
    if (!outputOpen_) return false;
    return ports_->send(bytes, size);
}

int32_t MidiDevices::forwardEngineMidiBytes(const uint8_t* bytes, int32_t length) {
    MidiDevices* devices = engineMidiOutTarget.load(std::memory_order_acquire);
    if (devices == nullptr || length <= 0) return 0;
    return devices->sendBytes(bytes, static_cast<std::size_t>(length)) ? 1 : 0;
}

int32_t MidiDevices::forwardEngineMidiOut(int32_t status, int32_t data1, int32_t data2, int32_t) {
    MidiDevices* devices = engineMidiOutTarget.load(std::memory_order_acquire);
    if (devices == nullptr) return 0;
    return devices->sendShortMessage(status, 0, data1, data2) ? 1 : 0;
}

void MidiDevices::setEngineMidiOutTarget(MidiDevices* devices) {
    engineMidiOutTarget.store(devices, std::memory_order_release);
}

} // namespace vl
