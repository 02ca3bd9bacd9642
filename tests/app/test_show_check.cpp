// "vellamorinth check" on a program folder with a fault of every kind, run as a separate
// process without a display: exact exit status, problem lines and JSON; and the command
// line's help, version and errors.
#include "CommandRun.h"
#include "ToneSong.h"
#include "engine/MidiFileWriter.h"
#include "support/TempFolder.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace vl;
namespace fs = std::filesystem;

namespace {

void writeProgram(const fs::path& folder, const std::string& song, const std::vector<std::string>& files) {
    SongProgram program;
    for (std::size_t i = 0; i < files.size(); ++i) {
        program.tracks[i].fileName = QString::fromStdString(files[i]);
        program.tracks[i].volume = 0.5f;
    }
    writeTextLines(QString::fromStdString((folder / (song + ".p")).string()), writeProgramLines(program, FileNames::Included));
}

void writeInfo(const fs::path& folder, double seconds) {
    writeTextLines(QString::fromStdString((folder / "inf").string()), {QString::number(int64_t(seconds * 44100) * 4)});
}

void writeLyric(const fs::path& folder, const std::string& song) {
    test::writeFile(folder / (song + ".rtf"), "{\\rtf1 la la\\par}");
}

// A tone song with its lyric.
fs::path toneSong(const fs::path& root, const std::string& song, double seconds) {
    test::writeToneSong(root, song, seconds);
    writeLyric(root / song, song);
    return root / song;
}

// 16-bit PCM of any rate and channel count, silent.
void writeSilentWave(const fs::path& path, int rate, int channels, double seconds) {
    const auto frames = static_cast<uint32_t>(seconds * rate);
    const uint32_t data = frames * uint32_t(channels) * 2;
    std::string w = "RIFF";
    auto put = [&w](uint32_t v, int n) { for (int i = 0; i < n; ++i) w.push_back(char((v >> (8 * i)) & 0xff)); };
    put(36 + data, 4);
    w += "WAVEfmt ";
    put(16, 4), put(1, 2), put(uint32_t(channels), 2), put(uint32_t(rate), 4);
    put(uint32_t(rate * channels * 2), 4), put(uint32_t(channels * 2), 2), put(16, 2);
    w += "data";
    put(data, 4);
    w.append(data, '\0');
    test::writeFile(path, w);
}

void writeMidi(const fs::path& path, double seconds) {
    const auto bytes = test::buildSmf({{test::channelMessage(0, 0x90, 60, 100),
                                        test::channelMessage(test::at(seconds), 0x80, 60, 0)}},
                                      0);
    test::writeFile(path, std::string(bytes.begin(), bytes.end()));
}

std::set<std::string> listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder)) names.insert(e.path().string());
    return names;
}

QJsonObject songNamed(const QJsonObject& report, const QString& name) {
    for (const QJsonValue& v : report["songs"].toArray())
        if (v.toObject()["song"].toString() == name) return v.toObject();
    return {};
}

} // namespace

TEST(ShowCheck, EveryKindOfFaultIsOneLineAndTheJsonSaysWhat) {
    test::TempFolder home;
    const fs::path root = home / "YourSongs";
    const fs::path good = toneSong(root, "Good", 2);
    writeSilentWave(good / "mono48.wav", 48000, 1, 1);
    writeProgram(good, "Good", {"tone.wav", "no", "mono48.wav"});
    const fs::path broken = toneSong(root, "Broken", 2);
    test::writeFile(broken / "tone.wav", "this is no sound at all, just words in a file");
    writeInfo(toneSong(root, "Drifted", 2), 5);
    test::writeFile(root / "Drifted" / "timecode", "1:00:00:00\r\n");
    test::writeToneSong(root, "Mute Lyric", 2); // no lyric
    const fs::path midi = toneSong(root, "Midi", 2);
    writeMidi(midi / "song.mid", 3);
    writeProgram(midi, "Midi", {"tone.wav", "song.mid"});
    writeInfo(midi, 3);
    const fs::path film = toneSong(root, "Film", 2);
    test::writeFile(film / "clip.mp4", std::string(4096, 'x'));
    writeProgram(film, "Film", {"tone.wav", "clip.mp4"});
    fs::create_directories(root / "NoProgram");
    writeLyric(root / "NoProgram", "NoProgram");
    writeTextLines(QString::fromStdString((root / "Setlist.txt").string()),
                   {"Good", "Gone", "b..", "", "Broken", "Drifted", "Mute Lyric", "Midi", "Film", "NoProgram", "ENCORE"});
    const auto before = listing(home.path());
    const QString rootText = QString::fromStdString(root.string());

    const test::CommandOutcome text = test::runProgram({"check", "--home", QString::fromStdString(home.str())});
    ASSERT_EQ(text.status, 1) << text.err.toStdString();
    const QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 9) << text.out.toStdString();
    EXPECT_EQ(lines[0], "the sound font " + QString::fromStdString(home.str()) + "Data/gm.sf2 cannot be loaded: file not found");
    EXPECT_EQ(lines[1], "row 2 \"Gone\": song folder not found: " + rootText + "/Gone");
    EXPECT_TRUE(lines[2].startsWith("row 5 \"Broken\": track 1 \"tone.wav\" cannot be played: ")) << lines[2].toStdString();
    EXPECT_GT(lines[2].size(), QString("row 5 \"Broken\": track 1 \"tone.wav\" cannot be played: ").size()) << "with the decoder's reason";
    EXPECT_EQ(lines[3], "row 6 \"Drifted\": the info file says 00:05, the tracks last 00:02: save the program again");
    EXPECT_EQ(lines[4], "row 6 \"Drifted\": the timecode file " + rootText +
                            "/Drifted/timecode holds no start hh:mm:ss:ff: the timecode starts at 00:00:00:00");
    EXPECT_EQ(lines[5], "row 7 \"Mute Lyric\": no readable lyric " + rootText + "/Mute Lyric/Mute Lyric.rtf");
    EXPECT_TRUE(lines[6].startsWith("row 9 \"Film\": track 2, video \"clip.mp4\" cannot be shown: ")) << lines[6].toStdString();
    EXPECT_EQ(lines[7], "row 10 \"NoProgram\": no readable program file " + rootText + "/NoProgram/NoProgram.p");
    EXPECT_EQ(lines[8], "8 problems in 6 songs, 10 files checked");

    const test::CommandOutcome json =
        test::runProgram({"check", "--json", "--home", QString::fromStdString(home.str())});
    ASSERT_EQ(json.status, 1);
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
    ASSERT_FALSE(report.isEmpty()) << json.out.toStdString();
    EXPECT_EQ(report["summary"].toObject()["problems"].toInt(), 8);
    EXPECT_EQ(report["summary"].toObject()["songs"].toInt(), 8) << "headings, capitals without a folder and empty rows are no songs";
    EXPECT_FALSE(report["summary"].toObject()["ok"].toBool());
    const QJsonArray goodTracks = songNamed(report, "Good")["tracks"].toArray();
    ASSERT_EQ(goodTracks.size(), 2) << "a track named \"no\" has no file";
    EXPECT_EQ(goodTracks[0].toObject()["rate"].toInt(), 44100);
    EXPECT_EQ(goodTracks[0].toObject()["channels"].toInt(), 2);
    EXPECT_EQ(goodTracks[0].toObject()["songBytes"].toInteger(), 2 * 176400);
    EXPECT_EQ(goodTracks[1].toObject()["track"].toInt(), 3);
    EXPECT_EQ(goodTracks[1].toObject()["rate"].toInt(), 48000);
    EXPECT_EQ(goodTracks[1].toObject()["channels"].toInt(), 1);
    EXPECT_TRUE(songNamed(report, "Good")["ok"].toBool());
    EXPECT_FALSE(songNamed(report, "Gone")["folderFound"].toBool());
    const QJsonObject brokenTrack = songNamed(report, "Broken")["tracks"].toArray()[0].toObject();
    EXPECT_FALSE(brokenTrack["readable"].toBool());
    EXPECT_FALSE(brokenTrack["reason"].toString().isEmpty());
    const QJsonObject drifted = songNamed(report, "Drifted")["info"].toObject();
    EXPECT_EQ(drifted["songBytes"].toInteger(), 5 * 176400);
    EXPECT_EQ(drifted["tracksSongBytes"].toInteger(), 2 * 176400);
    EXPECT_FALSE(drifted["agrees"].toBool());
    EXPECT_FALSE(songNamed(report, "Mute Lyric")["lyric"].toObject()["readable"].toBool());
    const QJsonObject midiSong = songNamed(report, "Midi");
    EXPECT_EQ(midiSong["tracks"].toArray()[1].toObject()["role"].toString(), "midi");
    EXPECT_TRUE(midiSong["info"].toObject()["agrees"].toBool()) << "the MIDI file's three seconds count";
    EXPECT_EQ(report["soundFont"].toObject()["reason"].toString(), "file not found");
    EXPECT_EQ(songNamed(report, "Film")["tracks"].toArray()[1].toObject()["role"].toString(), "video");
    EXPECT_FALSE(songNamed(report, "NoProgram")["programReadable"].toBool());

    // A setlist named on the command line, of the sound songs, with the sound font in place.
    fs::create_directories(home / "Data");
    fs::create_symlink(fs::path(VL_SOURCE_DIR) / "data" / "gm.sf2", home / "Data" / "gm.sf2");
    writeTextLines(QString::fromStdString((root / "Sound.txt").string()), {"Good", "Midi"});
    const test::CommandOutcome clean = test::runProgram(
        {"check", QString::fromStdString((root / "Sound.txt").string()), "--home", QString::fromStdString(home.str())});
    EXPECT_EQ(clean.status, 0) << clean.out.toStdString();
    EXPECT_EQ(clean.out, "2 songs, 5 files checked: all good\n");

    auto after = listing(home.path());
    after.erase((home / "Data").string());
    after.erase((home / "Data" / "gm.sf2").string());
    after.erase((root / "Sound.txt").string());
    EXPECT_EQ(after, before) << "the check writes nothing into the program folder";
}

TEST(CommandLine, HelpVersionAndWrongCommandLinesFollowTheConventions) {
    const test::CommandOutcome help = test::runProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("usage: vellamorinth")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--pair N")) << "options come from the one table";
    EXPECT_TRUE(help.err.isEmpty());
    const test::CommandOutcome version = test::runProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression("^vellamorinth \\d+\\.\\d+\n$").match(version.out).hasMatch()) << version.out.toStdString();

    for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"check", "--pair", "2"},
                                     QStringList{"render", "OnlyASong"}, QStringList{"render", "A", "b.wav", "--pair", "5"},
                                     QStringList{"play"}, QStringList{"--timecode-fps", "29"},
                                     QStringList{"--ltc-channel", "9"}, QStringList{"check", "--mtc"}}) {
        const test::CommandOutcome outcome = test::runProgram(wrong);
        EXPECT_EQ(outcome.status, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(outcome.out.isEmpty());
        EXPECT_TRUE(outcome.err.startsWith("vellamorinth: ")) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains("usage: vellamorinth")) << wrong.join(' ').toStdString();
    }
    EXPECT_TRUE(test::runProgram({"--bogus"}).err.startsWith("vellamorinth: unknown option --bogus\n"));

    test::TempFolder empty;
    const test::CommandOutcome missing = test::runProgram({"check", "--home", QString::fromStdString((empty / "nothing").string())});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains("does not exist")) << missing.err.toStdString();
    EXPECT_FALSE(fs::exists(empty / "nothing")) << "no program folder is made by a check";
}
