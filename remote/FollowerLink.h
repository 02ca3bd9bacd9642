#pragma once
// A backup machine that follows a main one. The main's side sends its transport to the
// followers (play with the song, its position and the main's clock; stop; locate), its
// setlist and selection when they change, and a heartbeat twice a second. The follower's
// side turns what it hears into the same show commands its own keys give, and tells when
// the heartbeat has stopped.

#include "core/ShowCommand.h"
#include "core/ShowSnapshot.h"
#include "core/SystemClock.h"
#include "remote/OscAddressSpace.h"
#include "remote/OscTargets.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vl {

class MainSender {
public:
    static constexpr std::chrono::milliseconds kHeartbeat{500};

    explicit MainSender(const ShowSnapshotBoard& board) : board_(board) {}
    ~MainSender();

    // HOST:PORT of each follower; the sending thread starts.
    void start(const QStringList& followers);
    void stop();

    // The interface thread's transport, sent at once from the sending thread.
    void play(const QString& title, double seconds, int64_t clockNs);
    void stopped();
    void located(double seconds, int64_t clockNs);

private:
    void loop();
    void send(const char* path, lo_message message);
    void post(FollowMessage message);

    const ShowSnapshotBoard& board_;
    std::vector<OscAddress> followers_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<FollowMessage> queue_;
    bool stopping_ = false;
};

class FollowerListener {
public:
    static constexpr std::chrono::milliseconds kMainLostAfter{1000};

    // `songsRoot`: this machine's songs folder, ending with "/".
    FollowerListener(std::function<bool(ShowCommand)> post, QString songsRoot);

    // On the OSC server's thread.
    void take(const FollowMessage& message);
    // True while no word of the main came for more than a second.
    bool mainLost(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now()) const;
    // The songs of the main's setlist that this machine's songs folder does not hold.
    QStringList missingSongs() const;

private:
    std::function<bool(ShowCommand)> post_;
    const QString songsRoot_;
    std::atomic<int64_t> lastHeardNs_; // steady clock
    mutable std::mutex mutex_;
    QStringList mainSongs_;
    QStringList missing_;
};

} // namespace vl
