// The info file measured by the real engine module from the tracks' files.
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongInfoFile.h"
#include "songs/SongPaths.h"
#include "mixer/SongProgramStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace vl;

namespace {

// A 16-bit PCM WAV file holding a quiet ramp.
void writeWav(const std::filesystem::path& path, int rate, int channels, int frames) {
    std::string bytes;
    const auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    const uint32_t data = static_cast<uint32_t>(frames * channels * 2);
    bytes += "RIFF";
    put(36 + data, 4);
    bytes += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * 2), 4);
    put(static_cast<uint32_t>(channels * 2), 2);
    put(16, 2);
    bytes += "data";
    put(data, 4);
    for (int i = 0; i < frames * channels; ++i)
        put(static_cast<uint32_t>((i % 2000) * 8), 2);
    test::writeFile(path, bytes);
}

} // namespace

TEST(SongInfoWithEngine, FirstLineIsTheLongestTrackInSongBytes) {
    QString error;
    auto binding = bindEngineModule(QStringLiteral(VL_BIN_DIR "/") + kEngineModuleName, &error);
    ASSERT_TRUE(binding) << error.toStdString() << " (build the engine module first)";
    const EngineFunctions& engine = binding->functions;

    test::TempFolder root;
    std::filesystem::create_directories(root / "Real Song");
    writeWav(root / "Real Song" / "one second.wav", 44100, 2, 44100);
    writeWav(root / "Real Song" / "Länge zwei.wav", 22050, 1, 55125); // 2.5 s
    SongProgram program;
    program.tracks[0].fileName = "one second.wav";
    program.tracks[1].fileName = QString::fromUtf8("Länge zwei.wav");
    program.tracks[1].outputPair = 2;
    const QString songsRoot = QString::fromStdString(root.str());
    ASSERT_TRUE(writeTextLines(songProgramPath(songsRoot, "Real Song"),
                               writeProgramLines(program, FileNames::Included)));

    ScriptedDialogs dialogs;
    dialogs.yesNoAnswers = {true};
    InterfaceTexts texts;
    texts.fill("english");
    SongProgramStore store(program, engine, dialogs, texts);
    ASSERT_TRUE(store.loadSongProgram(songsRoot, {false, "", "Real Song"}).read);
    ASSERT_EQ(store.saveSongProgram(songsRoot, "Real Song", {}), SaveOutcome::Saved);

    EXPECT_EQ(test::readFile(root / "Real Song" / "inf"), "441000\r\n");
    EXPECT_EQ(songBytesToSeconds(*readSongInfoLength(songInfoPath(songsRoot, "Real Song"))), 2);
    EXPECT_EQ(engine.GetPlaying(), 0) << "measuring does not start playback";
    engine.Quit();
}
