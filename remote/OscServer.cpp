#include "remote/OscServer.h"

#include <lo/lo.h>
#include <lo/lo_throw.h>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace vl {

namespace {

// An IPv4 or IPv6 address as 16 bytes (IPv4 mapped into IPv6), so both spellings compare equal.
std::optional<std::array<unsigned char, 16>> ipBytes(const QString& text) {
    const QByteArray t = text.trimmed().toLatin1();
    std::array<unsigned char, 16> out{};
    in_addr v4{};
    if (inet_pton(AF_INET, t.constData(), &v4) == 1) {
        out[10] = out[11] = 0xff;
        std::memcpy(out.data() + 12, &v4, 4);
        return out;
    }
    if (inet_pton(AF_INET6, t.constData(), out.data()) == 1) return out;
    return std::nullopt;
}

} // namespace

OscServer::OscServer(ShowCommandInbox& inbox, const ShowSnapshotBoard& board)
    : inbox_(inbox), feedback_(board, targets_, [this](const OscAddress& to, const char* path, lo_message m) {
          // From the server's own port, so a client's firewall sees the answer of the port it talks to.
          if (server_) lo_send_message_from(to.get(), lo_server_thread_get_server(server_), path, m);
      }) {
    space_ = std::make_unique<OscAddressSpace>(
        OscAddressSpace::Hooks{[this](ShowCommand c) { return inbox_.post(std::move(c)); },
                               [this](const OscSource& from, int port) {
                                   targets_.subscribe(from.host, port ? port : from.port.toInt(),
                                                      std::chrono::steady_clock::now());
                                   wakeFeedback(); // a new subscriber hears the state at once
                               },
                               [this](const OscSource& from) { targets_.unsubscribe(from.host, 0); },
                               [this](const FollowMessage& f) {
                                   if (follow_) follow_(f);
                                   else rejects_.note(OscReject::NotFollowing, QStringLiteral("/vellamorinth/follow/"));
                               }},
        rejects_);
}

OscServer::~OscServer() { stop(); }

void OscServer::onError(int number, const char* message, const char* where) {
    auto* self = static_cast<OscServer*>(lo_error_get_context());
    if (!self) return;
    const QString what = QStringLiteral("%1 %2").arg(QString::fromUtf8(message ? message : ""), QString::fromUtf8(where ? where : ""));
    self->rejects_.note(number == LO_TOOBIG ? OscReject::Oversized : OscReject::Malformed, what);
}

bool OscServer::start(const OscServerSettings& settings, QString* error) {
    stop();
    allowed_.clear();
    for (const QString& a : settings.allowedSenders)
        if (const auto bytes = ipBytes(a)) allowed_.push_back(*bytes);
    restricted_ = !settings.allowedSenders.isEmpty();
    targets_.setFixed(settings.feedbackTo);
    const QByteArray port = QByteArray::number(settings.port);
    server_ = lo_server_thread_new_with_proto(port.constData(), LO_UDP, &OscServer::onError);
    if (!server_) {
        if (error) *error = QStringLiteral("the OSC port %1 cannot be opened (is another program using it?)").arg(settings.port);
        return false;
    }
    lo_server s = lo_server_thread_get_server(server_);
    lo_server_set_error_context(s, this);
    // Bundles for later would queue without end; each message is taken when it comes.
    lo_server_enable_queue(s, 0, 0);
    lo_server_thread_add_method(server_, nullptr, nullptr, &OscServer::onMessage, this);
    stopping_ = false;
    feedbackThread_ = std::thread([this] { feedbackLoop(); });
    lo_server_thread_start(server_);
    return true;
}

void OscServer::stop() {
    if (!server_) return;
    lo_server_thread_stop(server_);
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (feedbackThread_.joinable()) feedbackThread_.join();
    lo_server_thread_free(server_);
    server_ = nullptr;
}

void OscServer::wakeFeedback() {
    {
        std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

int OscServer::port() const { return server_ ? lo_server_thread_get_port(server_) : 0; }

bool OscServer::allowed(const QString& host) const {
    if (!restricted_) return true;
    const auto from = ipBytes(host);
    return from && std::find(allowed_.begin(), allowed_.end(), *from) != allowed_.end();
}

int OscServer::onMessage(const char* path, const char* types, lo_arg** argv, int argc, lo_message message, void* data) {
    auto* self = static_cast<OscServer*>(data);
    lo_address source = lo_message_get_source(message);
    const char* host = source ? lo_address_get_hostname(source) : nullptr;
    const char* port = source ? lo_address_get_port(source) : nullptr;
    const OscSource from{QString::fromUtf8(host ? host : ""), QString::fromUtf8(port ? port : "")};
    if (!self->allowed(from.host)) {
        self->rejects_.note(OscReject::NotAllowed, from.host);
        return 0;
    }
    if (lo_message_length(message, path) > std::size_t(kOscLargestPacket)) {
        self->rejects_.note(OscReject::Oversized, QString::fromUtf8(path));
        return 0;
    }
    self->space_->dispatch(path, types, argv, argc, from);
    return 0;
}

void OscServer::feedbackLoop() {
    std::unique_lock lock(wakeMutex_);
    while (!stopping_) {
        lock.unlock();
        feedback_.tick(std::chrono::steady_clock::now());
        lock.lock();
        // With nobody to tell, the thread sleeps until a subscription wakes it.
        const auto pause = targets_.empty() ? std::chrono::milliseconds(1000) : std::chrono::milliseconds(50);
        wake_.wait_for(lock, pause, [this] { return stopping_ || woken_; });
        woken_ = false;
    }
}

} // namespace vl
