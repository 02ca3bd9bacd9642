// "vellamorinth check" on a 30-song set of eight tracks each, as a musician runs it: the
// whole program started as a process, the engine module loaded, every file probed.
#include "BenchEngineMedia.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <string>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kSongs = 30;

// A program folder whose remembered setlist holds 30 songs of eight tracks, each track a
// file of its own name (hard links of eight generated files, to spare the disk).
const fs::path& showFolder(const std::string& kind, double seconds, int format, const char* extension) {
    static vl::bench::MediaFolder media;
    static std::map<std::string, fs::path> made;
    if (auto it = made.find(kind); it != made.end()) return it->second;
    const auto tracks = media.song(kind, seconds, 44100, format, extension);
    const fs::path home = media.path() / ("home-" + kind);
    QStringList setlist;
    for (int s = 0; s < kSongs; ++s) {
        const std::string song = "Song " + std::to_string(s + 1);
        const fs::path folder = home / "YourSongs" / song;
        fs::create_directories(folder);
        vl::SongProgram program;
        for (int t = 0; t < 8; ++t) {
            const std::string name = "track" + std::to_string(t + 1) + extension;
            fs::create_hard_link(tracks[std::size_t(t)], folder / name);
            program.tracks[std::size_t(t)].fileName = QString::fromStdString(name);
            program.tracks[std::size_t(t)].volume = 0.8f;
        }
        vl::writeTextLines(QString::fromStdString((folder / (song + ".p")).string()),
                           vl::writeProgramLines(program, vl::FileNames::Included));
        vl::writeTextLines(QString::fromStdString((folder / "inf").string()),
                           {QString::number(int64_t(seconds * 44100) * 4)});
        vl::writeTextLines(QString::fromStdString((folder / (song + ".rtf")).string()), {"{\\rtf1 words\\par}"});
        setlist << QString::fromStdString(song);
    }
    vl::writeTextLines(QString::fromStdString((home / "YourSongs" / "Setlist.txt").string()), setlist);
    return made[kind] = home;
}

// The exit status, and the CPU seconds the check took (user and system), which do not
// depend on what else the machine runs.
int runCheck(const fs::path& home, double& cpuSeconds) {
    const std::string program = VL_BIN_DIR "/vellamorinth";
    const std::string homeArg = home.string() + "/";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("check"), const_cast<char*>("--home"),
                    const_cast<char*>(homeArg.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void checkShow(benchmark::State& state, const fs::path& home) {
    int status = -1;
    double cpu = 0.0, cpuTotal = 0.0;
    for (auto _ : state) {
        status = runCheck(home, cpu);
        cpuTotal += cpu;
    }
    if (status != 0) state.SkipWithError("the check did not pass");
    state.counters["files"] = kSongs * 8;
    state.counters["check_cpu_ms"] = 1000.0 * cpuTotal / double(state.iterations());
}

void BM_CheckThirtySongsOfEightWav(benchmark::State& state) {
    checkShow(state, showFolder("wav", 240.0, 0, ".wav"));
}
void BM_CheckThirtySongsOfEightMp3(benchmark::State& state) {
    checkShow(state, showFolder("mp3", 240.0, vl::bench::kMp3, ".mp3"));
}

} // namespace

BENCHMARK(BM_CheckThirtySongsOfEightWav)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckThirtySongsOfEightMp3)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
