#include "remote/WebServer.h"

#include "remote/WebSession.h"

#include <civetweb.h>

#include <QUrl>

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace vl {

namespace {

using namespace std::chrono_literals;

constexpr auto kPushPeriod = 20ms;
// The running time is sent a few times a second: the page counts on between them.
constexpr auto kClockPeriod = 250ms;
// Every page holds a worker for its WebSocket; a few more answer plain requests.
constexpr int kRequestThreads = 6;

WebServer& serverOf(const mg_connection* conn) {
    return *static_cast<WebServer*>(mg_get_request_info(conn)->user_data);
}

int onRequest(mg_connection* conn, void*) { return serverOf(conn).handleRequest(conn); }
int onConnect(const mg_connection* conn, void*) { return serverOf(conn).handleConnect(conn); }
void onReady(mg_connection* conn, void*) { serverOf(conn).handleReady(conn); }
int onData(mg_connection* conn, int bits, char* data, size_t size, void*) {
    return serverOf(conn).handleData(conn, bits, data, size);
}
void onClose(const mg_connection* conn, void*) { serverOf(conn).handleClose(conn); }
// civetweb's own log lines stay out of the program's output; the program reports what matters.
int onLog(const mg_connection*, const char*) { return 1; }

void sendStatus(mg_connection* conn, int status) {
    const char* text = mg_get_response_code_text(conn, status);
    mg_response_header_start(conn, status);
    mg_response_header_add(conn, "Content-Type", "text/plain; charset=utf-8", -1);
    mg_response_header_add(conn, "Content-Length", std::to_string(std::strlen(text)).c_str(), -1);
    mg_response_header_send(conn);
    mg_write(conn, text, std::strlen(text));
}

// A page from another site in the same browser may not open the show's socket: its
// Origin, when given, must name the host the request went to.
bool sameOrigin(const mg_connection* conn) {
    const char* origin = mg_get_header(conn, "Origin");
    if (!origin) return true;
    const char* host = mg_get_header(conn, "Host");
    return host && QUrl(QString::fromLatin1(origin)).authority() == QString::fromLatin1(host);
}

} // namespace

WebServer::~WebServer() { stop(); }

bool WebServer::start(WebServerSetup setup, QString* error) {
    stop();
    setup_ = std::move(setup);
    if (!page_.load(setup_.pageFolder)) {
        if (error) *error = QStringLiteral("the band view's page is missing in %1").arg(setup_.pageFolder);
        return false;
    }
    gate_ = std::make_unique<OperatorGate>(setup_.pin);
    sent_ = WebShow{};
    stopping_ = false;
    mg_init_library(MG_FEATURES_WEBSOCKET);
    const std::string port = std::to_string(setup_.port);
    const std::string threads = std::to_string(kMaxClients + kRequestThreads);
    // No document_root: civetweb itself serves no file at all.
    const char* options[] = {"listening_ports", port.c_str(),
                             "num_threads", threads.c_str(),
                             "request_timeout_ms", "5000",
                             "websocket_timeout_ms", "10000",
                             "enable_websocket_ping_pong", "yes",
                             "enable_keep_alive", "yes",
                             nullptr};
    mg_callbacks callbacks{};
    callbacks.log_message = onLog;
    mg_init_data init{&callbacks, this, options};
    char reason[256] = "";
    mg_error_data problem{};
    problem.text = reason;
    problem.text_buffer_size = sizeof reason;
    context_ = mg_start2(&init, &problem);
    if (!context_) {
        if (error) *error = QStringLiteral("the band view cannot listen on port %1: %2").arg(setup_.port).arg(QString::fromLocal8Bit(reason));
        mg_exit_library();
        return false;
    }
    mg_set_request_handler(context_, "/", onRequest, nullptr);
    mg_set_websocket_handler(context_, "/live", onConnect, onReady, onData, onClose, nullptr);
    pusher_ = std::thread([this] { pushLoop(); });
    return true;
}

void WebServer::stop() {
    if (!context_) return;
    {
        std::lock_guard lock(pushMutex_);
        stopping_ = true;
    }
    pushWake_.notify_all();
    if (pusher_.joinable()) pusher_.join();
    mg_stop(context_);
    context_ = nullptr;
    mg_exit_library();
}

int WebServer::clients() const {
    std::lock_guard lock(clientsMutex_);
    return static_cast<int>(clients_.size());
}

int WebServer::handleRequest(mg_connection* conn) {
    const mg_request_info* request = mg_get_request_info(conn);
    const bool head = std::strcmp(request->request_method, "HEAD") == 0;
    if (!head && std::strcmp(request->request_method, "GET") != 0) {
        sendStatus(conn, 405);
        return 405;
    }
    // The path as it came, not the cleaned one: "/a/../index.html" names no page file.
    const WebPageFile* file = page_.find(request->local_uri_raw);
    if (!file) {
        sendStatus(conn, 404);
        return 404;
    }
    mg_response_header_start(conn, 200);
    mg_response_header_add(conn, "Content-Type", file->mimeType, -1);
    mg_response_header_add(conn, "Content-Length", std::to_string(file->body.size()).c_str(), -1);
    mg_response_header_add(conn, "Cache-Control", "no-cache", -1);
    mg_response_header_add(conn, "X-Content-Type-Options", "nosniff", -1);
    mg_response_header_add(conn, "X-Frame-Options", "DENY", -1);
    mg_response_header_add(conn, "Referrer-Policy", "no-referrer", -1);
    mg_response_header_add(conn, "Content-Security-Policy",
                           "default-src 'self'; connect-src 'self'; img-src 'self' data:; object-src 'none'; "
                           "base-uri 'none'; frame-ancestors 'none'",
                           -1);
    mg_response_header_send(conn);
    if (!head) mg_write(conn, file->body.constData(), static_cast<std::size_t>(file->body.size()));
    return 200;
}

int WebServer::handleConnect(const mg_connection* conn) {
    if (!sameOrigin(conn)) return 1;
    {
        std::lock_guard lock(clientsMutex_);
        if (connecting_ >= kMaxClients) return 1;
        ++connecting_;
    }
    mg_set_user_connection_data(conn, new WebSession(mg_get_request_info(conn)->remote_addr, *gate_, setup_.post));
    return 0;
}

void WebServer::handleReady(mg_connection* conn) {
    std::lock_guard lock(clientsMutex_);
    for (const QByteArray& part : sent_.parts)
        if (!part.isEmpty()) mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, part.constData(), part.size());
    clients_.insert(conn);
}

void WebServer::handleClose(const mg_connection* conn) {
    auto* session = static_cast<WebSession*>(mg_get_user_connection_data(conn));
    std::lock_guard lock(clientsMutex_);
    clients_.erase(const_cast<mg_connection*>(conn));
    if (session) {
        --connecting_;
        delete session;
        mg_set_user_connection_data(conn, nullptr);
    }
}

int WebServer::handleData(mg_connection* conn, int bits, const char* data, std::size_t size) {
    auto* session = static_cast<WebSession*>(mg_get_user_connection_data(conn));
    if (!session) return 0;
    bool close = false;
    const QByteArray response = session->hear(bits, data, size, close);
    if (!response.isEmpty()) reply(conn, response);
    return close ? 0 : 1;
}

void WebServer::reply(mg_connection* conn, const QByteArray& json) {
    mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, json.constData(), static_cast<std::size_t>(json.size()));
}

void WebServer::pushLoop() {
    pthread_setname_np(pthread_self(), "vl-web-push");
    auto lastClock = std::chrono::steady_clock::now() - kClockPeriod;
    std::unique_lock wait(pushMutex_);
    while (!stopping_) {
        wait.unlock();
        std::optional<WebShow> show = setup_.show ? setup_.show(sent_.serial) : std::nullopt;
        if (show) {
            std::vector<int> changed;
            for (int p = 0; p < WebShow::PartCount; ++p)
                if (show->parts[p] != sent_.parts[p]) changed.push_back(p);
            const auto now = std::chrono::steady_clock::now();
            const bool onlyClock = changed.size() == 1 && changed[0] == WebShow::Clock;
            const bool holdClock = onlyClock && now - lastClock < kClockPeriod;
            if (!holdClock && !changed.empty()) {
                std::lock_guard lock(clientsMutex_);
                for (const int p : changed) {
                    const QByteArray& part = show->parts[p];
                    for (mg_connection* conn : clients_)
                        mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, part.constData(), part.size());
                }
                if (std::find(changed.begin(), changed.end(), int(WebShow::Clock)) != changed.end()) lastClock = now;
                sent_ = std::move(*show);
            } else if (!holdClock) {
                sent_.serial = show->serial;
            }
        }
        wait.lock();
        pushWake_.wait_for(wait, kPushPeriod, [this] { return stopping_; });
    }
}

} // namespace vl
