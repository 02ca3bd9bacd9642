#pragma once
// The band view's web server (civetweb): the page's files from memory, and one WebSocket,
// "/live", over which every page gets the show as it changes and the operator's page sends
// its commands. It runs on civetweb's threads and one thread of its own that pushes the
// show; none of them touches the interface: commands go out through `post`, which must not
// wait, and the show comes in through `show`, which any thread may call.

#include "remote/OperatorGate.h"
#include "remote/WebMessage.h"
#include "remote/WebPageFiles.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

struct mg_context;
struct mg_connection;

namespace vl {

// The show as the pages get it: JSON messages, each sent again only when it changed.
struct WebShow {
    enum Part { Texts, Setlist, State, Clock, Lyric, Karaoke, PartCount };
    uint64_t serial = 0;
    std::array<QByteArray, PartCount> parts;
};

struct WebServerSetup {
    int port = 8080;
    QString pin;
    QString pageFolder;
    // An admitted command; false when it could not be taken (a full inbox).
    std::function<bool(const WebRequest&)> post;
    // The show, or nothing when its serial is still `since`.
    std::function<std::optional<WebShow>(uint64_t since)> show;
};

class WebServer {
public:
    static constexpr int kMaxClients = 64;

    WebServer() = default;
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // False with `error` set when the page is missing or the port cannot be opened.
    bool start(WebServerSetup setup, QString* error);
    void stop();
    bool running() const { return context_ != nullptr; }
    int clients() const;

    // civetweb's entry points.
    int handleRequest(mg_connection* conn);
    int handleConnect(const mg_connection* conn);
    void handleReady(mg_connection* conn);
    int handleData(mg_connection* conn, int bits, const char* data, std::size_t size);
    void handleClose(const mg_connection* conn);

private:
    void pushLoop();
    void reply(mg_connection* conn, const QByteArray& json);

    WebServerSetup setup_;
    WebPageFiles page_;
    std::unique_ptr<OperatorGate> gate_;
    mg_context* context_ = nullptr;

    mutable std::mutex clientsMutex_;
    std::set<mg_connection*> clients_; // ready for the show
    int connecting_ = 0;               // accepted, not yet closed
    WebShow sent_;                     // as last pushed, for a page that joins

    std::mutex pushMutex_;
    std::condition_variable pushWake_;
    bool stopping_ = false;
    std::thread pusher_;
};

} // namespace vl
