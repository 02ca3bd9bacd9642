#pragma once
// The OSC server: liblo's UDP server thread takes the messages, checks the sender against
// the allowed list and hands them to the address space; a thread of its own sends the
// feedback. Neither ever waits for the interface thread.

#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"
#include "remote/OscAddressSpace.h"
#include "remote/OscFeedback.h"
#include "remote/OscRejects.h"
#include "remote/OscTargets.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>


namespace vl {

struct OscServerSettings {
    int port = 9000;
    QStringList allowedSenders; // IP addresses; empty: any sender
    QStringList feedbackTo;     // HOST:PORT
};

// Bigger messages are dropped: no command needs more, and a setlist of titles fits well.
inline constexpr int kOscLargestPacket = 16384;

class OscServer {
public:
    OscServer(ShowCommandInbox& inbox, const ShowSnapshotBoard& board);
    ~OscServer();

    // Binds the port and starts both threads; false with `error` said when the port cannot be had.
    bool start(const OscServerSettings& settings, QString* error);
    void stop();
    bool running() const { return server_ != nullptr; }
    int port() const;

    // A follower hands its main's transport here; set before start().
    void setFollowHandler(std::function<void(const FollowMessage&)> follow) { follow_ = std::move(follow); }

    const OscRejects& rejects() const { return rejects_; }

private:
    static int onMessage(const char* path, const char* types, lo_arg** argv, int argc, lo_message message, void* self);
    static void onError(int number, const char* message, const char* where);
    bool allowed(const QString& host) const;
    void feedbackLoop();
    void wakeFeedback();

    ShowCommandInbox& inbox_;
    OscRejects rejects_;
    OscTargets targets_;
    OscFeedback feedback_;
    std::unique_ptr<OscAddressSpace> space_;
    std::function<void(const FollowMessage&)> follow_;
    std::vector<std::array<unsigned char, 16>> allowed_;
    bool restricted_ = false; // an allowed list was given, even one of no usable address
    lo_server_thread server_ = nullptr;
    std::thread feedbackThread_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool woken_ = false;
};

} // namespace vl
