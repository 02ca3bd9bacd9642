#pragma once
// Messages the OSC server drops, counted by kind. The first of each kind is logged with
// what it was; a flood of one kind costs one line, not thousands. Any thread.

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>

namespace vl {

enum class OscReject {
    UnknownAddress, // no such address under /vellamorinth/, or outside it
    WrongTypes,     // the address is known, its arguments are not what it takes
    OutOfRange,     // a row, a level or a position that cannot be
    Malformed,      // not an OSC packet at all
    Oversized,      // bigger than any command needs
    NotAllowed,     // from a sender that is not on the allowed list
    InboxFull,      // the interface thread is behind; the command is dropped
    NotFollowing,   // a main's transport while this machine does not follow one
    Count
};

class OscRejects {
public:
    // Counts it; logs it when it is the first of its kind.
    void note(OscReject kind, const QString& what);
    uint64_t count(OscReject kind) const { return counts_[index(kind)].load(std::memory_order_relaxed); }
    uint64_t total() const;

private:
    static std::size_t index(OscReject kind) { return static_cast<std::size_t>(kind); }
    std::array<std::atomic<uint64_t>, static_cast<std::size_t>(OscReject::Count)> counts_{};
};

} // namespace vl
