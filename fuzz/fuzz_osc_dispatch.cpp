// Raw packets into liblo's decoding and the program's OSC address space, as the server
// hands them on: no crash, no leak, and nothing but known commands reach the inbox.
#include "core/ShowCommandInbox.h"
#include "remote/OscAddressSpace.h"

#include <lo/lo.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void quiet(int, const char*, const char*) {}

struct Rig {
    vl::ShowCommandInbox inbox;
    vl::OscRejects rejects;
    std::vector<vl::FollowMessage> followed;
    int subscriptions = 0;
    vl::OscAddressSpace space{{[this](vl::ShowCommand c) { return inbox.post(std::move(c)); },
                               [this](const vl::OscSource&, int port) {
                                   if (port < 0 || port > 65535) std::abort();
                                   ++subscriptions;
                               },
                               [](const vl::OscSource&) {},
                               [this](const vl::FollowMessage& m) {
                                   if (followed.size() < 16) followed.push_back(m);
                               }},
                              rejects};
    lo_server server = lo_server_new_with_proto(nullptr, LO_UDP, quiet);

    Rig() {
        lo_server_enable_queue(server, 0, 0);
        lo_server_add_method(server, nullptr, nullptr, &Rig::onMessage, this);
    }
    static int onMessage(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self) {
        static_cast<Rig*>(self)->space.dispatch(path, types, argv, argc, {"127.0.0.1", "9"});
        return 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    std::vector<uint8_t> packet(data, data + size); // liblo may byte-swap in place
    lo_server_dispatch_data(rig.server, packet.data(), packet.size());
    vl::ShowCommand c;
    while (rig.inbox.take(c)) {
        if (c.kind == vl::ShowCommand::Kind::Master && !(c.value >= 0 && c.value <= 1)) std::abort();
        if (c.kind == vl::ShowCommand::Kind::SelectRow && c.number < 1) std::abort();
    }
    rig.followed.clear();
    return 0;
}
