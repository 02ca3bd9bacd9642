#pragma once
// An OSC client of the tests: sends to the program through liblo, from a port of its own
// where it keeps every message that comes back.

#include <lo/lo.h>

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace vl::test {

struct OscReceived {
    std::string path;
    QStringList args; // each argument as text
};

class OscTestClient {
public:
    explicit OscTestClient(int programPort);
    ~OscTestClient();
    int port() const;

    // One message, e.g. send("/vellamorinth/select", "i", 2).
    template <typename... Args>
    void send(const char* path, const char* types, Args... args) {
        lo_send_from(to_, server_, LO_TT_IMMEDIATE, path, types, args...);
    }
    // Raw bytes in one datagram to the program's port.
    void sendRaw(const void* data, std::size_t size);

    // Takes what has arrived; the messages to `path` so far.
    std::vector<OscReceived> received(const std::string& path);
    void forget() { received_.clear(); }

private:
    static int keep(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self);
    lo_server server_ = nullptr;
    lo_address to_ = nullptr;
    int rawSocket_ = -1;
    int programPort_ = 0;
    std::vector<OscReceived> received_;
};

} // namespace vl::test
