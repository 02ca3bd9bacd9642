// The OSC server's cost while nobody sends: the CPU its threads take waiting, without and
// with a feedback address to serve.
#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"
#include "remote/OscServer.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int benchPort() { return 30000 + int(getpid() % 20000); }

// Share of one core while idle, with and without a subscriber to feed.
void BM_OscServerIdleCpu(benchmark::State& state) {
    vl::ShowCommandInbox inbox;
    vl::ShowSnapshotBoard board;
    vl::OscServer server(inbox, board);
    vl::OscServerSettings settings;
    settings.port = benchPort();
    if (state.range(0)) settings.feedbackTo = {QStringLiteral("127.0.0.1:9")};
    if (!server.start(settings, nullptr)) return state.SkipWithError("no port");
    double share = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        share = (processCpuSeconds() - before) / wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent"] = share * 100;
}
BENCHMARK(BM_OscServerIdleCpu)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
