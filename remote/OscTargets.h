#pragma once
// Where the feedback goes: the addresses of the settings, which never lapse, and the
// clients that subscribed, which lapse a minute after their last renewal. Any thread.

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <lo/lo_types.h>

namespace vl {

struct HostPort {
    QString host;
    int port = 0;
};
// "HOST:PORT" (a name, an IPv4 address or a bracketed IPv6 one); nothing when it is not one.
std::optional<HostPort> parseHostPort(const QString& text);

// One liblo address, freed with it.
using OscAddress = std::shared_ptr<std::remove_pointer_t<lo_address>>;
OscAddress makeOscAddress(const QString& host, int port);

class OscTargets {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kLapse{60};

    struct Target {
        OscAddress address;
        bool fresh = false; // subscribed since the last send: gets the whole state once
    };

    void setFixed(const QStringList& hostPorts);
    void subscribe(const QString& host, int port, Clock::time_point now);
    void unsubscribe(const QString& host, int port);
    // Every address to send to now, lapsed subscriptions gone; marks the fresh ones as served.
    std::vector<Target> due(Clock::time_point now);
    int subscriberCount() const;
    bool empty() const;

private:
    struct Subscriber {
        QString host;
        int port = 0;
        OscAddress address;
        Clock::time_point renewed;
        bool fresh = true;
    };
    mutable std::mutex mutex_;
    std::vector<OscAddress> fixed_;
    std::vector<Subscriber> subscribers_;
};

} // namespace vl
