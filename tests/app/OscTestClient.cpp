#include "OscTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace vl::test {

OscTestClient::OscTestClient(int programPort) : programPort_(programPort) {
    server_ = lo_server_new(nullptr, nullptr);
    lo_server_add_method(server_, nullptr, nullptr, &OscTestClient::keep, this);
    to_ = lo_address_new("127.0.0.1", std::to_string(programPort).c_str());
    rawSocket_ = socket(AF_INET, SOCK_DGRAM, 0);
}

OscTestClient::~OscTestClient() {
    if (rawSocket_ >= 0) close(rawSocket_);
    lo_address_free(to_);
    lo_server_free(server_);
}

int OscTestClient::port() const { return lo_server_get_port(server_); }

void OscTestClient::sendRaw(const void* data, std::size_t size) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(programPort_));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sendto(rawSocket_, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

int OscTestClient::keep(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self) {
    OscReceived r{path, {}};
    for (int i = 0; i < argc; ++i) {
        // Arguments are only four-byte aligned in the packet.
        const char* at = reinterpret_cast<const char*>(argv[i]);
        int32_t n = 0;
        float f = 0;
        switch (types[i]) {
        case LO_INT32: std::memcpy(&n, at, 4), r.args << QString::number(n); break;
        case LO_FLOAT: std::memcpy(&f, at, 4), r.args << QString::number(double(f), 'f', 1); break;
        case LO_STRING: r.args << QString::fromUtf8(at); break;
        default: r.args << QStringLiteral("?"); break;
        }
    }
    static_cast<OscTestClient*>(self)->received_.push_back(std::move(r));
    return 0;
}

std::vector<OscReceived> OscTestClient::received(const std::string& path) {
    while (lo_server_recv_noblock(server_, 0) > 0) {}
    std::vector<OscReceived> out;
    for (const OscReceived& r : received_)
        if (r.path == path) out.push_back(r);
    return out;
}

} // namespace vl::test
