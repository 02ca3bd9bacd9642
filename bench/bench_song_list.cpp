// Refreshing the main song list of a 1,000-row setlist: info files read, the view's cells
// written, setlist file rewritten.
#include "core/AppState.h"
#include "setlists/SongListModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include "app/SongListWidget.h"
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_RefreshSongList(benchmark::State& st) {
    QTemporaryDir home;
    vl::AppState state;
    state.songsRoot = home.path() + "/";
    state.setlistPath = state.songsRoot + "Setlist.txt";
    QStringList rows;
    for (int i = 0; i < 1000; ++i) {
        if (i % 50 == 0) {
            rows.append(QStringLiteral("SET %1").arg(i / 50 + 1));
            continue;
        }
        const QString song = QStringLiteral("Song %1").arg(i);
        QDir().mkpath(state.songsRoot + song);
        QFile info(state.songsRoot + song + "/inf");
        info.open(QIODevice::WriteOnly);
        info.write(QByteArray::number(176400LL * (120 + i % 300)) + "\r\n");
        rows.append(song);
    }
    vl::SongListModel songs(state);
    vl::SongListWidget list;
    list.setColumnCount(4);
    list.showModel(songs, state.colours);
    const bool take = st.range(0) != 0;
    if (st.range(1) == 0) state.setlistPath.clear();
    vl::takeRows(songs, state, rows, false);
    for (auto _ : st) {
        if (take) vl::takeRows(songs, state, rows, true);
        else songs.refresh();
        benchmark::DoNotOptimize(list.rowCount());
    }
}
// Args: rows taken from the set editor (1) or kept (0); setlist file written (1) or not (0).
BENCHMARK(BM_RefreshSongList)
    ->ArgNames({"take", "write"})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
