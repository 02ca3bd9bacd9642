#include "remote/OscRejects.h"

#include <QtGlobal>

namespace vl {

namespace {

const char* reason(OscReject kind) {
    switch (kind) {
    case OscReject::UnknownAddress: return "an address the program does not know";
    case OscReject::WrongTypes: return "arguments of the wrong type or number";
    case OscReject::OutOfRange: return "a value out of range";
    case OscReject::Malformed: return "a packet that is no OSC message";
    case OscReject::Oversized: return "a packet too big for any command";
    case OscReject::NotAllowed: return "a sender not on the allowed list";
    case OscReject::InboxFull: return "more commands than the program can take at once";
    case OscReject::NotFollowing: return "a main's transport, but this machine follows none";
    case OscReject::Count: break;
    }
    return "";
}

} // namespace

void OscRejects::note(OscReject kind, const QString& what) {
    if (counts_[index(kind)].fetch_add(1, std::memory_order_relaxed) != 0) return;
    qWarning("OSC: dropped %s (%s); more of this kind are dropped without a line",
             reason(kind), qUtf8Printable(what.left(200)));
}

uint64_t OscRejects::total() const {
    uint64_t sum = 0;
    for (const auto& c : counts_) sum += c.load(std::memory_order_relaxed);
    return sum;
}

} // namespace vl
