#include "midi/RtMidiPorts.h"

#include "midi/JackMidiInput.h"
#include "midi/MidiInbox.h"

#include <RtMidi.h>

#include <functional>

namespace vl {

namespace {

// Warnings (no JACK server, a port that went away) are part of normal use; failures show
// as a port that did not open.
void quietErrors(RtMidiError::Type, const std::string&, void*) {}

const RtMidi::Api kApis[] = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};

template <typename Device> std::unique_ptr<Device> makeDevice(RtMidi::Api api, const std::string& clientName) {
    try {
        auto device = std::make_unique<Device>(api, clientName);
        device->setErrorCallback(&quietErrors, nullptr);
        return device;
    } catch (const RtMidiError&) {
        return nullptr; // this machine has no such system (no sequencer device, no JACK library)
    }
}

// The program's own clients are named after it: ALSA "Name:port nn:n", JACK "Name:port" or
// "Name-01:port" when JACK made the name unique.
bool isOwnPort(const std::string& name, const std::string& clientName) {
    if (name.compare(0, clientName.size(), clientName) != 0) return false;
    const char next = name.size() > clientName.size() ? name[clientName.size()] : '\0';
    return next == ':' || next == '-';
}

template <typename Device> std::vector<RtMidiPorts::Port> listPorts(const std::string& clientName) {
    std::vector<RtMidiPorts::Port> ports;
    for (const RtMidi::Api api : kApis) {
        const auto device = makeDevice<Device>(api, clientName);
        if (!device) continue;
        const unsigned count = device->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            const std::string name = device->getPortName(i);
            if (name.empty() || isOwnPort(name, clientName)) continue;
            QString shown = QString::fromStdString(name);
            if (api == RtMidi::UNIX_JACK) shown.prepend(QStringLiteral("JACK: "));
            ports.push_back({static_cast<int>(api), name, shown});
        }
    }
    return ports;
}

QStringList shownNames(const std::vector<RtMidiPorts::Port>& ports) {
    QStringList names;
    for (const auto& port : ports)
        names << port.shownName;
    return names;
}

// The port's number now: ports come and go, so the number of the listing may have moved.
template <typename Device> int portNumberOf(Device& device, const std::string& systemName) {
    const unsigned count = device.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        if (device.getPortName(i) == systemName) return static_cast<int>(i);
    return -1;
}

template <typename Device>
std::unique_ptr<Device> openPort(const std::vector<RtMidiPorts::Port>& listing, int index,
                                 const std::string& clientName, const char* portName,
                                 const std::function<void(Device&)>& beforeOpen) {
    if (index < 0 || index >= static_cast<int>(listing.size())) return nullptr;
    const RtMidiPorts::Port& port = listing[static_cast<std::size_t>(index)];
    auto device = makeDevice<Device>(static_cast<RtMidi::Api>(port.api), clientName);
    if (!device) return nullptr;
    const int number = portNumberOf(*device, port.systemName);
    if (number < 0) return nullptr;
    if (beforeOpen) beforeOpen(*device);
    device->openPort(static_cast<unsigned>(number), portName);
    if (!device->isPortOpen()) return nullptr;
    return device;
}

} // namespace

RtMidiPorts::RtMidiPorts(std::string clientName) : clientName_(std::move(clientName)) {}

RtMidiPorts::~RtMidiPorts() {
    closeInput();
    closeOutput();
}

QStringList RtMidiPorts::inputNames() {
    inputs_ = listPorts<RtMidiIn>(clientName_);
    return shownNames(inputs_);
}

QStringList RtMidiPorts::outputNames() {
    outputs_ = listPorts<RtMidiOut>(clientName_);
    return shownNames(outputs_);
}

void RtMidiPorts::onMessage(double, std::vector<unsigned char>* message, void* self) {
    if (message == nullptr || message->empty()) return;
    auto* ports = static_cast<RtMidiPorts*>(self);
    const MidiInputCallback callback = ports->callback_.load(std::memory_order_acquire);
    if (callback)
        callback(ports->context_.load(std::memory_order_relaxed), packShortMessage(message->data(), message->size()));
}

bool RtMidiPorts::openInput(int index, MidiInputCallback callback, void* context) {
    closeInput();
    if (index >= 0 && index < static_cast<int>(inputs_.size()) &&
        inputs_[static_cast<std::size_t>(index)].api == static_cast<int>(RtMidi::UNIX_JACK)) {
        jackIn_ = JackMidiInput::open(clientName_, "midi in", inputs_[static_cast<std::size_t>(index)].systemName,
                                      callback, context);
        return jackIn_ != nullptr;
    }
    context_.store(context, std::memory_order_relaxed);
    callback_.store(callback, std::memory_order_release);
    in_ = openPort<RtMidiIn>(inputs_, index, clientName_, "midi in", [this](RtMidiIn& device) {
        // System exclusive, clock and active sensing stay out: nothing reads them, and a
        // clock at 24 per beat would take a share of the inbox.
        device.ignoreTypes(true, true, true);
        device.setCallback(&RtMidiPorts::onMessage, this);
    });
    if (!in_) callback_.store(nullptr, std::memory_order_release);
    return in_ != nullptr;
}

void RtMidiPorts::closeInput() {
    jackIn_.reset();
    if (in_) {
        in_->cancelCallback();
        in_->closePort();
    }
    in_.reset();
    callback_.store(nullptr, std::memory_order_release);
}

bool RtMidiPorts::openOutput(int index) {
    closeOutput();
    out_ = openPort<RtMidiOut>(outputs_, index, clientName_, "midi out", {});
    return out_ != nullptr;
}

void RtMidiPorts::closeOutput() {
    if (out_) out_->closePort();
    out_.reset();
}

bool RtMidiPorts::send(const unsigned char* bytes, std::size_t size) {
    if (!out_ || size == 0) return false;
    out_->sendMessage(bytes, size);
    return true;
}

} // namespace vl
