// The program and mixer file layouts: round trips, legacy files, headers, short files, names.
#include "platform/TextFile.h"
#include "songs/MixerFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongTestData.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace vl;
using test::everyFieldSet;

namespace {

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// A record whose every value differs from what the test files hold.
SongProgram markers() {
    SongProgram p = everyFieldSet();
    for (auto& t : p.tracks) {
        t.fileName = "marker";
        t.eqActive = 9;
        t.ratio = 99.0f;
        t.delaySend = 77;
    }
    return p;
}

} // namespace

TEST(ProgramFile, RoundTripsEveryStoredField) {
    test::TempFolder dir;
    const SongProgram written = everyFieldSet();
    const QString path = qpath(dir / "Song.p");
    ASSERT_TRUE(writeTextLines(path, writeProgramLines(written, FileNames::Included)));

    const auto lines = readTextLines(path);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), kProgramFileLines);
    EXPECT_EQ((*lines)[0], "Vellamorinth v1.3");
    EXPECT_EQ((*lines)[1], QString::fromUtf8("track 1 Grüße.wav"));
    EXPECT_EQ((*lines)[16], "track 16 Grüße.wav");
    EXPECT_EQ((*lines)[17], "0.370000");
    EXPECT_EQ((*lines)[18], "0.030000");
    // Bus block: reverb volume, reverb time, delay volume, then feedback before time.
    EXPECT_EQ(lines->mid(88, 5), (QStringList{"70", "4", "55", "6", "375"}));
    EXPECT_EQ(lines->mid(253, 5), (QStringList{"-1", "2", "2147483647", "-2147483648", "12345"}));

    SongProgram read;
    ASSERT_TRUE(readProgramLines(*lines, read, FileNames::Included));
    for (int t = 0; t < kStoredTracks; ++t)
        EXPECT_EQ(read.tracks[t], written.tracks[t]) << "track " << t + 1;
    EXPECT_EQ(read.masterVolume, written.masterVolume);
    EXPECT_EQ(read.midiProgramChanges, written.midiProgramChanges);
    EXPECT_EQ(read.effectBuses, written.effectBuses);
    EXPECT_EQ(read.reserved, written.reserved);
    // Records 17 and 18 are never stored.
    EXPECT_EQ(read.tracks[16], TrackSettings{});
}

TEST(ProgramFile, RatioThresholdReleaseAreStoredAsWholeNumbers) {
    SongProgram p;
    p.tracks[2].ratio = 4.6f;
    p.tracks[2].threshold = -12.5f;
    p.tracks[2].release = 99.4f;
    const QStringList lines = writeProgramLines(p, FileNames::Included);
    const int base = 93 + 2 * 10; // 0-based first per-track line of track 3
    EXPECT_EQ(lines.mid(base + 5, 3), (QStringList{"5", "-13", "99"}));
    SongProgram read;
    ASSERT_TRUE(readProgramLines(lines, read, FileNames::Included));
    EXPECT_EQ(read.tracks[2].ratio, 5.0f);
    EXPECT_EQ(read.tracks[2].threshold, -13.0f);
    EXPECT_EQ(read.tracks[2].release, 99.0f);
}

TEST(ProgramFile, LegacyFileChangesOnlyWhatItHolds) {
    test::TempFolder dir;
    // 43 lines with CR line ends as old systems wrote them.
    std::string file = "Vellamorinth v1.0\r";
    for (int t = 1; t <= 6; ++t)
        file += "old" + std::to_string(t) + ".wav\r";
    file += "0,900000\r";
    for (int t = 1; t <= 6; ++t)
        file += "0.0" + std::to_string(t) + "0000\r";
    for (int t = 1; t <= 6; ++t)
        file += std::to_string(-t) + "\r";
    for (int t = 1; t <= 6; ++t)
        file += std::to_string(t % 4) + "\r";
    for (int t = 1; t <= 6; ++t)
        file += std::to_string(t % 2) + "\r";
    file += "2\r3\r4\r20\r30\r40\r";
    file += "11\r12\r13\r14\r15\r";
    test::writeFile(dir / "old.p", file);
    const auto lines = readTextLines(qpath(dir / "old.p"));
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 43);

    const SongProgram before = markers();
    SongProgram p = before;
    ASSERT_TRUE(readProgramLines(*lines, p, FileNames::Included));
    for (int t = 0; t < 6; ++t) {
        const TrackSettings& s = p.tracks[t];
        EXPECT_EQ(s.fileName, QString("old%1.wav").arg(t + 1));
        EXPECT_EQ(s.volume, static_cast<float>((t + 1) * 0.01));
        EXPECT_EQ(s.pan, -(t + 1));
        EXPECT_EQ(s.outputPair, (t + 1) % 4);
        EXPECT_EQ(s.mute, (t + 1) % 2);
        // EQ, compressor and sends keep their values.
        EXPECT_EQ(s.eqActive, 9);
        EXPECT_EQ(s.ratio, 99.0f);
        EXPECT_EQ(s.delaySend, 77);
        EXPECT_EQ(s.treble, before.tracks[t].treble);
    }
    for (int t = 6; t < kTrackRecords; ++t)
        EXPECT_EQ(p.tracks[t], before.tracks[t]) << t;
    EXPECT_EQ(p.masterVolume, 0.9f);
    EXPECT_EQ(p.midiProgramChanges, (std::array<MidiProgramChange, 3>{{{2, 20}, {3, 30}, {4, 40}}}));
    EXPECT_EQ(p.effectBuses, before.effectBuses);
    EXPECT_EQ(p.reserved, (std::array<int32_t, 5>{11, 12, 13, 14, 15}));
}

TEST(ProgramFile, HeaderDecidesTheVersion) {
    const QStringList current = writeProgramLines(everyFieldSet(), FileNames::Included);
    for (const char* header : {"Vellamorin v1.3", "vellamorinth v1.3", "Vellamorinth v2.0", "", "v1.0"}) {
        QStringList lines = current;
        lines[0] = header;
        SongProgram p = markers();
        EXPECT_FALSE(readProgramLines(lines, p, FileNames::Included)) << header;
        EXPECT_EQ(p, markers()) << header;
    }
    // Any other 1.x without "v1.0" is the current layout.
    QStringList lines = current;
    lines[0] = "xx Vellamorinth v1.7 xx";
    SongProgram p = markers();
    ASSERT_TRUE(readProgramLines(lines, p, FileNames::Included));
    EXPECT_EQ(p.tracks[15], everyFieldSet().tracks[15]);
}

TEST(ProgramFile, ShortFileReadsMissingValuesAsZero) {
    SongProgram p = markers();
    ASSERT_TRUE(readProgramLines({"Vellamorinth v1.3", "a.wav", "b.wav"}, p, FileNames::Included));
    EXPECT_EQ(p.tracks[0].fileName, "a.wav");
    EXPECT_EQ(p.tracks[1].fileName, "b.wav");
    for (int t = 2; t < kStoredTracks; ++t) {
        TrackSettings expected; // all zero
        EXPECT_EQ(p.tracks[t], expected) << t;
    }
    EXPECT_EQ(p.tracks[0].volume, 0.0f);
    EXPECT_EQ(p.masterVolume, 0.0f);
    EXPECT_EQ(p.effectBuses, EffectBusSettings{});
    EXPECT_EQ(p.reserved, (std::array<int32_t, 5>{}));
    EXPECT_EQ(p.tracks[16], markers().tracks[16]);
}

TEST(ProgramFile, FileNamesUpTo255Characters) {
    test::TempFolder dir;
    SongProgram p;
    p.tracks[0].fileName = QString(255, u'ä');
    p.tracks[1].fileName = QString(300, u'x');
    p.tracks[2].fileName = "two\r\nlines.wav";
    const QString path = qpath(dir / "names.p");
    ASSERT_TRUE(writeTextLines(path, writeProgramLines(p, FileNames::Included)));
    ASSERT_EQ(readTextLines(path)->size(), kProgramFileLines);

    SongProgram read;
    ASSERT_TRUE(readProgramLines(*readTextLines(path), read, FileNames::Included));
    EXPECT_EQ(read.tracks[0].fileName, QString(255, u'ä'));
    EXPECT_EQ(read.tracks[1].fileName, QString(255, u'x'));
    EXPECT_EQ(read.tracks[2].fileName, "twolines.wav");

    // A longer line in a file is cut on reading.
    QStringList lines = writeProgramLines(SongProgram{}, FileNames::Included);
    lines[1] = QString(400, u'y');
    ASSERT_TRUE(readProgramLines(lines, read, FileNames::Included));
    EXPECT_EQ(read.tracks[0].fileName, QString(255, u'y'));
}

TEST(ProgramFile, Windows1252NamesReadAsUmlauts) {
    test::TempFolder dir;
    test::writeFile(dir / "w.p", "Vellamorinth v1.3\r\nM\xFC"
                                 "ller Stra\xDF"
                                 "e \x96 B\xE4ss.wav\r\n\r\n");
    SongProgram p;
    ASSERT_TRUE(readProgramLines(*readTextLines(qpath(dir / "w.p")), p, FileNames::Included));
    EXPECT_EQ(p.tracks[0].fileName, QString::fromUtf8("Müller Straße – Bäss.wav"));
}

TEST(MixerFile, SameEncodingWithoutFileNames) {
    test::TempFolder dir;
    const QString path = qpath(dir / "mixer.p");
    const SongProgram written = everyFieldSet();
    ASSERT_TRUE(saveMixerFile(path, written));
    const auto lines = readTextLines(path);
    ASSERT_EQ(lines->size(), kMixerFileLines);
    EXPECT_EQ((*lines)[1], "0.370000");
    EXPECT_FALSE(lines->join("\n").contains("wav"));
    // The program layout is the mixer layout plus the 16 names after the header.
    QStringList program = writeProgramLines(written, FileNames::Included);
    program.remove(1, kStoredTracks);
    EXPECT_EQ(*lines, program);

    SongProgram read = markers();
    ASSERT_TRUE(loadMixerFile(path, read));
    for (int t = 0; t < kStoredTracks; ++t) {
        TrackSettings expected = written.tracks[t];
        expected.fileName = "marker";
        EXPECT_EQ(read.tracks[t], expected) << t;
    }
    EXPECT_EQ(read.effectBuses, written.effectBuses);
    EXPECT_EQ(read.reserved, written.reserved);

    // Missing file or a wrong header: nothing changes.
    SongProgram untouched = markers();
    EXPECT_FALSE(loadMixerFile(qpath(dir / "none.p"), untouched));
    test::writeFile(dir / "bad.p", "Mixer v1.3\r\n0.5\r\n");
    EXPECT_FALSE(loadMixerFile(qpath(dir / "bad.p"), untouched));
    EXPECT_EQ(untouched, markers());
    EXPECT_FALSE(saveMixerFile(qpath(dir / "no-folder" / "mixer.p"), written));
}

TEST(MixerFile, LegacyMixerHasSixTracksAndNoBlocks) {
    QStringList lines{"Vellamorinth v1.0", "0.500000"};
    for (int block = 0; block < 5; ++block)
        for (int t = 0; t < 6; ++t)
            lines.append(block == 0 ? "0.100000" : QString::number(block));
    for (int i = 0; i < 5; ++i)
        lines.append(QString::number(100 + i));
    ASSERT_EQ(lines.size(), 37);
    test::TempFolder dir;
    const QString path = qpath(dir / "m.p");
    ASSERT_TRUE(writeTextLines(path, lines));
    SongProgram p = markers();
    ASSERT_TRUE(loadMixerFile(path, p));
    EXPECT_EQ(p.tracks[5].volume, 0.1f);
    EXPECT_EQ(p.tracks[5].pan, 1);
    EXPECT_EQ(p.tracks[5].fileName, "marker");
    EXPECT_EQ(p.midiProgramChanges[0].channel, 4);
    EXPECT_EQ(p.reserved, (std::array<int32_t, 5>{100, 101, 102, 103, 104}));
    EXPECT_EQ(p.tracks[6], markers().tracks[6]);
    EXPECT_EQ(p.effectBuses, markers().effectBuses);
}
