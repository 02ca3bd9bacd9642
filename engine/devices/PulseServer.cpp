#include "engine/devices/PulseServer.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <chrono>

namespace vl::engine {

namespace {

struct Answer {
    bool done = false;
    bool defaults = false;
};

void onServerInfo(pa_context*, const pa_server_info* info, void* answer) {
    auto* a = static_cast<Answer*>(answer);
    a->done = true;
    a->defaults = info && info->default_sink_name && info->default_source_name;
}

// Runs the loop until `done` says so or the deadline passes; a hung server never blocks.
template <typename Done>
bool runUntil(pa_mainloop* loop, std::chrono::steady_clock::time_point deadline, Done done) {
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (pa_mainloop_prepare(loop, 20'000) < 0 || pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
            return false;
    }
    return true;
}

} // namespace

bool pulseServerHasDefaults() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop) return false;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Vellamorinth");
    Answer answer;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        auto settled = [&] { return PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) == 0 ||
                                    pa_context_get_state(context) == PA_CONTEXT_READY; };
        if (runUntil(loop, deadline, settled) && pa_context_get_state(context) == PA_CONTEXT_READY) {
            if (pa_operation* op = pa_context_get_server_info(context, &onServerInfo, &answer)) {
                runUntil(loop, deadline, [&] { return answer.done; });
                pa_operation_unref(op);
            }
        }
        pa_context_disconnect(context);
    }
    if (context) pa_context_unref(context);
    pa_mainloop_free(loop);
    return answer.defaults;
}

} // namespace vl::engine
