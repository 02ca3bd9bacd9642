// The demo program folder as a newcomer gets it: made by the project's own tool, then
// opened by the program.
#include "AppHarness.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongInfoFile.h"
#include "songs/SongPaths.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <set>

using namespace vl;

namespace {

const QString kBin = QStringLiteral(VL_BIN_DIR);

// Frames of a 16-bit stereo WAV file from its "data" chunk size.
int64_t waveFrames(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    const int data = static_cast<int>(bytes.indexOf("data"));
    if (data < 0 || bytes.mid(22, 2) != QByteArray("\x02\x00", 2)) return -1;
    const auto* size = reinterpret_cast<const uchar*>(bytes.constData() + data + 4);
    return (size[0] | size[1] << 8 | size[2] << 16 | static_cast<int64_t>(size[3]) << 24) / 4;
}

} // namespace

TEST(DemoFolder, SetlistOfGeneratedSongsWithProgramsAndLengths) {
    test::TempFolder home;
    QProcess tool;
    tool.start(kBin + "/vl-make-demo", {QString::fromStdString(home.path().string())});
    ASSERT_TRUE(tool.waitForFinished(120000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    const QString songsRoot = QString::fromStdString(home.str()) + "YourSongs/";
    EXPECT_EQ(test::readFile(home / "YourSongs" / "Setlist.txt").substr(0, 7), "SET 1\r\n");
    const auto rows = readTextLines(songsRoot + "Setlist.txt");
    ASSERT_TRUE(rows);
    int songs = 0;
    for (const QString& row : *rows) {
        if (row.startsWith("SET ")) continue;
        ++songs;
        const auto lines = readTextLines(songProgramPath(songsRoot, row));
        ASSERT_TRUE(lines) << row.toStdString();
        SongProgram program;
        ASSERT_TRUE(readProgramLines(*lines, program, FileNames::Included));
        std::set<int> subgroups;
        int64_t longest = 0;
        for (int t = 0; t < 4; ++t) {
            const TrackSettings& track = program.tracks[static_cast<std::size_t>(t)];
            ASSERT_FALSE(track.fileName.isEmpty());
            EXPECT_GT(track.volume, 0.0f);
            subgroups.insert(track.outputPair);
            const int64_t frames = waveFrames(songFilePath(songsRoot, row, track.fileName));
            EXPECT_GE(frames, 25 * 44100) << track.fileName.toStdString();
            EXPECT_LE(frames, 60 * 44100);
            longest = std::max(longest, frames);
        }
        EXPECT_GE(subgroups.size(), 2u);
        EXPECT_EQ(readSongInfoLength(songInfoPath(songsRoot, row)), longest * 4);
    }
    EXPECT_GE(songs, 4);
    EXPECT_EQ((*rows)[0], "SET 1");
}

TEST(DemoFolder, ProgramStartsOnItAndEndsCleanly) {
    test::TempFolder home;
    test::writeFile(home / "language", "english\r\n");
    QProcess tool;
    tool.start(kBin + "/vl-make-demo", {QString::fromStdString(home.path().string())});
    ASSERT_TRUE(tool.waitForFinished(120000));
    test::writeChosenDriver(home);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.path().string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(kBin + "/vellamorinth", {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QThread::msleep(2000);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
}
