// Fifty band view pages, each on its own WebSocket, while a song of eight tracks plays through
// the real program (in this process, with the real engine module on the JACK server that
// scripts/jack-dummy.sh starts): the engine's underruns, the interface thread's longest
// stall, and the share of a core that the web server's threads take, against the same play
// without pages. VL_BENCH_PLAY_SECONDS sets each phase's length (default 30).
#include "BenchEngineMedia.h"

#include "app/Application.h"
#include "app/ProgramFolder.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "core/EngineFunctions.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "songs/ProgramFile.h"
#include "songs/SongProgram.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTcpServer>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <civetweb.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// CPU seconds of this process's threads, by the name the thread gave itself.
std::map<std::string, double> threadSeconds() {
    std::map<std::string, double> out;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream stat(task.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        double utime = 0, stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14) utime = std::stod(field);
            if (i == 15) stime = std::stod(field);
        }
        out[line.substr(open + 1, close - open - 1)] += (utime + stime) / tick;
    }
    return out;
}

bool serverThread(const std::string& name) {
    return name.rfind("civetweb-worker", 0) == 0 || name.rfind("civetweb-master", 0) == 0 || name == "vl-web-push";
}

double serverSeconds() {
    double sum = 0;
    for (const auto& [name, seconds] : threadSeconds())
        if (serverThread(name)) sum += seconds;
    return sum;
}

std::atomic<long> gMessages{0};
int onMessage(mg_connection*, int, char*, size_t, void*) {
    gMessages.fetch_add(1, std::memory_order_relaxed);
    return 1;
}

struct Phase {
    double serverCpuPercent = 0;
    double longestStallMs = 0;
};

// Runs the interface's event loop for `seconds`, timing the gaps between 2 ms timer ticks.
Phase runPhase(double seconds) {
    const double before = serverSeconds();
    QElapsedTimer wall, gap;
    wall.start();
    gap.start();
    double longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, double(gap.nsecsElapsed()) / 1e6);
        gap.restart();
    });
    probe.start(2);
    while (wall.elapsed() < seconds * 1000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return {100.0 * (serverSeconds() - before) / (double(wall.elapsed()) / 1000.0), longest};
}

void BM_FiftyBandViewPagesWhileASongPlays(benchmark::State& state) {
    const char* env = std::getenv("VL_BENCH_PLAY_SECONDS");
    const double seconds = env ? std::atof(env) : 30.0;
    vl::bench::MediaFolder media;
    const QString home = QString::fromStdString(media.path().string()) + "/";
    vl::seedProgramFolder(home, vl::installedDataFolder());
    vl::writeTextLines(home + "language", {"english"});
    const auto tracks = media.song("t", 2 * seconds + 20, 44100);
    QDir().mkpath(home + "YourSongs/Long");
    vl::SongProgram program;
    for (int t = 0; t < 8; ++t) {
        const QString name = QStringLiteral("t%1.wav").arg(t);
        QFile::copy(QString::fromStdString(tracks[t]), home + "YourSongs/Long/" + name);
        program.tracks[t].fileName = name;
        program.tracks[t].volume = 0.5f;
    }
    vl::writeTextLines(home + "YourSongs/Long/Long.p", vl::writeProgramLines(program, vl::FileNames::Included));
    // The info file's length, in bytes of 16-bit stereo, as the program editor writes it.
    vl::writeTextLines(home + "YourSongs/Long/inf", {QString::number(qint64((2 * seconds + 20) * 44100) * 4)});
    vl::writeTextLines(home + "YourSongs/Setlist.txt", {"Long"});
    vl::Preferences prefs;
    prefs.audioDriverIndex = 1;
    prefs.audioDriverName = "JACK";
    prefs.setlistPath = home + "YourSongs/Setlist.txt";
    vl::writePreferencesFile(vl::preferencesPath(home), prefs, true);

    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    vl::ScriptedDialogs dialogs;
    vl::Application::Services services{home,
                                       [](QString* error) -> std::optional<vl::EngineFunctions> {
                                           auto binding = vl::bindEngineModule(vl::engineModulePath(), error);
                                           if (!binding) return std::nullopt;
                                           return binding->functions;
                                       },
                                       [] { return std::string("english"); }, &dialogs};
    services.webPort = port;
    services.webPin = "4711";
    vl::Application app(std::move(services));
    QString error;
    if (!app.start(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    // The engine module's own engine, for its underrun counter.
    void* module = dlopen(vl::engineModulePath().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    auto engineOf = module ? reinterpret_cast<vl::engine::Engine& (*)()>(dlsym(module, "_ZN2vl6engine13processEngineEv")) : nullptr;
    if (!engineOf) {
        state.SkipWithError("the engine module's engine is not reachable");
        return;
    }
    std::vector<mg_connection*> pages;
    for (auto _ : state) {
        app.transport().startPlayback(true);
        for (int wait = 0; wait < 20 && app.engine().GetPlaying() != 1; ++wait) runPhase(0.5);
        runPhase(1); // the start settles
        if (app.engine().GetPlaying() != 1) {
            const QString why = app.main()->controls().notice->text();
            state.SkipWithError(("the song does not play: " + why.toStdString()).c_str());
            break;
        }
        const uint64_t underrunsBefore = engineOf().counters().underruns.load();
        const Phase alone = runPhase(seconds);
        mg_init_library(MG_FEATURES_WEBSOCKET);
        char problem[256];
        for (int i = 0; i < 50; ++i)
            if (mg_connection* c = mg_connect_websocket_client("127.0.0.1", port, 0, problem, sizeof problem, "/live",
                                                                nullptr, onMessage, nullptr, nullptr))
                pages.push_back(c);
        runPhase(1);
        const long messagesBefore = gMessages.load();
        const Phase watched = runPhase(seconds);
        state.counters["pages"] = double(pages.size());
        state.counters["messages_per_page_s"] = double(gMessages.load() - messagesBefore) / double(pages.size()) / seconds;
        state.counters["underruns"] = double(engineOf().counters().underruns.load() - underrunsBefore);
        state.counters["server_cpu_pct_alone"] = alone.serverCpuPercent;
        state.counters["server_cpu_pct_50"] = watched.serverCpuPercent;
        state.counters["longest_stall_ms_alone"] = alone.longestStallMs;
        state.counters["longest_stall_ms_50"] = watched.longestStallMs;
        state.counters["still_playing"] = app.engine().GetPlaying();
        // Past 64 pages the server says no.
        int more = 0;
        for (int i = 0; i < 20; ++i)
            if (mg_connection* c = mg_connect_websocket_client("127.0.0.1", port, 0, problem, sizeof problem, "/live",
                                                                nullptr, onMessage, nullptr, nullptr))
                pages.push_back(c), ++more;
        state.counters["of_20_more_pages_taken"] = more;
        for (mg_connection* c : pages) mg_close_connection(c);
        pages.clear();
        app.transport().stopPlayback();
    }
    app.quitApplication();
    if (module) dlclose(module);
}

} // namespace

BENCHMARK(BM_FiftyBandViewPagesWhileASongPlays)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
