#include "remote/OscTargets.h"

#include <lo/lo.h>

#include <algorithm>

namespace vl {

std::optional<HostPort> parseHostPort(const QString& text) {
    const QString t = text.trimmed();
    const int colon = t.lastIndexOf(u':');
    if (colon <= 0) return std::nullopt;
    QString host = t.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
    else if (host.contains(u':')) return std::nullopt; // an IPv6 address needs its brackets
    bool ok = false;
    const int port = t.mid(colon + 1).toInt(&ok);
    if (!ok || port < 1 || port > 65535 || host.isEmpty() || host.contains(u' ')) return std::nullopt;
    return HostPort{host, port};
}

OscAddress makeOscAddress(const QString& host, int port) {
    return OscAddress(lo_address_new(host.toUtf8().constData(), QByteArray::number(port).constData()),
                      [](lo_address a) {
                          if (a) lo_address_free(a);
                      });
}

void OscTargets::setFixed(const QStringList& hostPorts) {
    std::vector<OscAddress> fixed;
    for (const QString& entry : hostPorts)
        if (const auto hp = parseHostPort(entry)) fixed.push_back(makeOscAddress(hp->host, hp->port));
    std::lock_guard lock(mutex_);
    fixed_ = std::move(fixed);
}

void OscTargets::subscribe(const QString& host, int port, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    for (Subscriber& s : subscribers_) {
        if (s.host == host && s.port == port) {
            s.renewed = now;
            return;
        }
    }
    // A flood of subscriptions from forged senders must not grow without end.
    if (subscribers_.size() >= 64) return;
    subscribers_.push_back({host, port, makeOscAddress(host, port), now, true});
}

void OscTargets::unsubscribe(const QString& host, int port) {
    std::lock_guard lock(mutex_);
    std::erase_if(subscribers_, [&](const Subscriber& s) { return s.host == host && (port == 0 || s.port == port); });
}

std::vector<OscTargets::Target> OscTargets::due(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    std::erase_if(subscribers_, [&](const Subscriber& s) { return now - s.renewed > kLapse; });
    std::vector<Target> out;
    for (const OscAddress& a : fixed_) out.push_back({a, false});
    for (Subscriber& s : subscribers_) {
        out.push_back({s.address, s.fresh});
        s.fresh = false;
    }
    return out;
}

bool OscTargets::empty() const {
    std::lock_guard lock(mutex_);
    return fixed_.empty() && subscribers_.empty();
}

int OscTargets::subscriberCount() const {
    std::lock_guard lock(mutex_);
    return int(subscribers_.size());
}

} // namespace vl
