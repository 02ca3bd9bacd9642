// The MIDI file reader: timing through the tempo map, running status, texts and karaoke
// files, refusals, and real files other programs wrote, checked against midicsv.
#include "MidiFileWriter.h"
#include "support/TempFolder.h"

#include "engine/midi/MidiFile.h"
#include "engine/midi/MidiTextBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

using namespace vl::engine::midi;
using vl::test::at;
using vl::test::buildSmf;
using vl::test::channelMessage;
using vl::test::meta;

namespace {

std::vector<std::string> texts(const MidiSong& song, MarkKind kind) {
    std::vector<std::string> out;
    for (const auto& m : song.marksOf(kind)) out.push_back(m.text);
    return out;
}

MidiReadResult read(const std::vector<uint8_t>& bytes, bool karaoke = false) {
    return readMidi(bytes, karaoke);
}

} // namespace

TEST(MidiReader, TempoMapRunningStatusAndTextsOfBothFormats) {
    // Track 0: tempo doubles at 1 s (tick 960); track 1: notes with running status, texts.
    const std::vector<vl::test::SmfEvent> conductor = {vl::test::tempo(0, 500000), vl::test::tempo(960, 250000),
                                                       meta(960, 0x06, "Chorus")};
    const std::vector<vl::test::SmfEvent> voice = {
        channelMessage(0, 0xC0, 19),       channelMessage(480, 0x90, 60, 100), meta(480, 0x05, "Hel"),
        channelMessage(720, 0x90, 60, 0),  meta(960, 0x01, "a text"),          channelMessage(1440, 0x90, 64, 90),
        meta(1440, 0x05, "lo/"),           {1500, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        channelMessage(1920, 0x90, 64, 0), channelMessage(1920, 0xE0, 0x00, 0x50)};
    for (int format : {0, 1}) {
        std::vector<std::vector<vl::test::SmfEvent>> tracks = {conductor, voice};
        if (format == 0) { // one track with everything, in tick order
            std::vector<vl::test::SmfEvent> merged = conductor;
            merged.insert(merged.end(), voice.begin(), voice.end());
            std::stable_sort(merged.begin(), merged.end(), [](auto& a, auto& b) { return a.tick < b.tick; });
            tracks = {merged};
        }
        const auto r = read(buildSmf(tracks, format, 480, /*runningStatus=*/true));
        ASSERT_TRUE(r.song) << "format " << format;
        const MidiSong& s = *r.song;
        ASSERT_EQ(s.events.size(), 7u);
        EXPECT_EQ(s.events[0].status, 0xC0);
        EXPECT_EQ(s.events[0].data1, 19);
        EXPECT_EQ(s.events[1].frame, 22050u); // 0.5 s
        EXPECT_EQ(s.events[2].frame, 33075u); // 0.75 s
        EXPECT_EQ(s.events[2].data2, 0);      // note-on with velocity 0 read through running status
        EXPECT_EQ(s.events[3].frame, 55125u); // 1 s + 480 ticks at the doubled tempo: 1.25 s
        EXPECT_EQ(s.events[3].data1, 64);
        ASSERT_EQ(s.events[4].status, 0xF0);
        EXPECT_EQ(std::vector<uint8_t>(s.sysex.begin() + s.events[4].sysexOffset,
                                       s.sysex.begin() + s.events[4].sysexOffset + s.events[4].sysexSize),
                  (std::vector<uint8_t>{0x7E, 0x7F, 0x09, 0x01, 0xF7}));
        EXPECT_EQ(s.events[6].status, 0xE0);
        EXPECT_EQ(s.lengthFrames, 66150u); // 1.5 s: the last events and the end of track
        EXPECT_EQ(s.lengthSongBytes(), 264600u);
        EXPECT_EQ(texts(s, MarkKind::Lyric), (std::vector<std::string>{"Hel", "lo/"}));
        EXPECT_EQ(s.marksOf(MarkKind::Lyric)[0].songBytes, 88200u);
        EXPECT_EQ(s.marksOf(MarkKind::Lyric)[1].songBytes, 220500u);
        EXPECT_EQ(texts(s, MarkKind::Text), (std::vector<std::string>{"a text"}));
        EXPECT_EQ(texts(s, MarkKind::Marker), (std::vector<std::string>{"Chorus"}));
    }
}

TEST(MidiReader, RefusesWhatItCannotTimeAndSurvivesBrokenTracks) {
    auto file = buildSmf({{channelMessage(0, 0x90, 60, 100), channelMessage(960, 0x80, 60, 0)}});
    ASSERT_TRUE(read(file).song);

    auto smpte = file;
    smpte[12] = 0xE7; // 25 frames per second, 40 ticks per frame
    smpte[13] = 40;
    EXPECT_EQ(read(smpte).error, MidiReadError::SmpteDivision);
    auto format2 = file;
    format2[9] = 2;
    EXPECT_EQ(read(format2).error, MidiReadError::UnsupportedFormat);
    EXPECT_EQ(read({'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).error, MidiReadError::NotMidi);
    EXPECT_EQ(read(std::vector<uint8_t>(file.begin(), file.begin() + 14)).error, MidiReadError::Truncated);

    // A track cut in the middle of a message, a chunk longer than the file, a stray data
    // byte without running status: the events before the break stay.
    auto cut = file;
    cut.resize(cut.size() - 6);
    auto r = read(cut);
    ASSERT_TRUE(r.song);
    EXPECT_EQ(r.song->events.size(), 1u);
    auto stray = buildSmf({{channelMessage(0, 0x90, 60, 100)}});
    stray.insert(stray.end() - 4, {0x00, 0x40, 0x40}); // delta 0, then two data bytes
    // The header's track length no longer covers the added bytes, so fix it up.
    stray[21] = static_cast<uint8_t>(stray.size() - 22);
    r = read(stray);
    ASSERT_TRUE(r.song);
    EXPECT_EQ(r.song->events.size(), 2u); // 0x40 continued the running note-on status
    auto noStatus = buildSmf({{meta(0, 0x01, "x")}});
    noStatus.insert(noStatus.end() - 4, {0x00, 0x40, 0x40});
    noStatus[21] = static_cast<uint8_t>(noStatus.size() - 22);
    r = read(noStatus);
    ASSERT_TRUE(r.song);
    EXPECT_TRUE(r.song->events.empty());
}

TEST(MidiReader, KaraokeTextEventsAreTheLyricAndWindowsTextsBecomeUtf8) {
    const auto kar = buildSmf({{meta(0, 0x01, "@KMIDI KARAOKE FILE"), meta(0, 0x01, "@TTitle"),
                                meta(at(1), 0x01, "\\Gr\xFC\xDF"), meta(at(1.5), 0x01, "e/"),
                                meta(at(2), 0x01, "Welt\r")}});
    auto r = read(kar);
    ASSERT_TRUE(r.song);
    EXPECT_EQ(texts(*r.song, MarkKind::Lyric), (std::vector<std::string>{"\\Gr\u00FC\u00DF", "e/", "Welt\n"}));
    EXPECT_TRUE(r.song->marksOf(MarkKind::Text).empty());

    // Without the signature only a .kar name makes text events lyrics; real lyric events
    // always win, and UTF-8 files stay as they are.
    const auto plain = buildSmf({{meta(0, 0x01, "Gr\xC3\xBC\xC3\x9F"), meta(at(1), 0x01, "x")}});
    EXPECT_EQ(texts(*read(plain).song, MarkKind::Text), (std::vector<std::string>{"Gr\u00FC\u00DF", "x"}));
    EXPECT_EQ(texts(*read(plain, true).song, MarkKind::Lyric), (std::vector<std::string>{"Gr\u00FC\u00DF", "x"}));
    const auto both = buildSmf({{meta(0, 0x01, "@KMIDI"), meta(0, 0x01, "t"), meta(0, 0x05, "l")}});
    EXPECT_EQ(texts(*read(both).song, MarkKind::Lyric), (std::vector<std::string>{"l"}));
    EXPECT_EQ(texts(*read(both).song, MarkKind::Text), (std::vector<std::string>{"@KMIDI", "t"}));
}

TEST(MidiTextBuilder, SplitsSungCurrentAndUpcomingText) {
    MidiSong song;
    auto& lyric = song.marks[int(MarkKind::Lyric)];
    lyric = {{1000, "Hel"}, {2000, "lo/"}, {3000, "world"}};
    // Between the first and the second syllable: "lo/" is being reached, so the line is done.
    MidiTextSet t = midiTextBuilder(song, 2, 1500);
    EXPECT_EQ(t.recentLines, "Hello\n");
    EXPECT_EQ(t.currentLine, "");
    EXPECT_EQ(t.upcomingText, "world");
    t = midiTextBuilder(song, 2, 500);
    EXPECT_EQ(t.recentLines, "");
    EXPECT_EQ(t.currentLine, "Hel");
    EXPECT_EQ(t.upcomingText, "lo\nworld");

    // At most four completed lines before the current one; the first line goes when the
    // third begins; "\" breaks like "/".
    lyric.clear();
    for (int i = 1; i <= 7; ++i) lyric.push_back({uint32_t(i * 100), "L" + std::to_string(i) + (i % 2 ? "/" : "\\")});
    EXPECT_EQ(midiTextBuilder(song, 0, 0).recentLines, "L1\n");               // A: L1, current ""
    EXPECT_EQ(midiTextBuilder(song, 0, 100).recentLines, "L2\n");             // two breaks: L1 gone
    EXPECT_EQ(midiTextBuilder(song, 0, 200).recentLines, "L2\nL3\n");
    EXPECT_EQ(midiTextBuilder(song, 0, 500).recentLines, "L3\nL4\nL5\nL6\n");  // six breaks
    EXPECT_EQ(midiTextBuilder(song, 0, 500).upcomingText, "L7\n");
    // Kind 0 falls back to text events, then markers, when there are no lyrics.
    lyric.clear();
    song.marks[int(MarkKind::Marker)] = {{10, "Intro"}};
    EXPECT_EQ(midiTextBuilder(song, 0, 0).currentLine, "Intro");
    song.marks[int(MarkKind::Text)] = {{10, "Text"}};
    EXPECT_EQ(midiTextBuilder(song, 0, 0).currentLine, "Text");
}

namespace {

// What midicsv, another program's reader, finds in a file: note-ons per channel and the
// end in seconds through its tempo records.
struct CsvFacts {
    std::map<int, int> noteOns;
    double seconds = 0;
    bool ok = false;
};

CsvFacts midicsvFacts(const std::filesystem::path& file) {
    CsvFacts f;
    const std::string command = "midicsv '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return f;
    std::string text;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    f.ok = pclose(pipe) == 0;
    int division = 0;
    std::vector<std::pair<uint64_t, uint32_t>> tempos;
    uint64_t lastTick = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string track, tick, type;
        std::getline(in, track, ',');
        std::getline(in, tick, ',');
        std::getline(in, type, ',');
        type.erase(0, type.find_first_not_of(' '));
        std::vector<long> values;
        for (std::string v; std::getline(in, v, ',');) values.push_back(std::atol(v.c_str()));
        const uint64_t t = std::strtoull(tick.c_str(), nullptr, 10);
        lastTick = std::max(lastTick, t);
        if (type == "Header") division = int(values.at(2));
        if (type == "Tempo") tempos.push_back({t, uint32_t(values.at(0))});
        if (type == "Note_on_c" && values.at(2) > 0) ++f.noteOns[int(values.at(0))];
    }
    std::stable_sort(tempos.begin(), tempos.end(), [](auto& a, auto& b) { return a.first < b.first; });
    uint64_t tick = 0;
    uint32_t tempo = 500000;
    for (const auto& [t, value] : tempos) {
        f.seconds += double(t - tick) * tempo / (1e6 * division);
        tick = t;
        tempo = value;
    }
    f.seconds += double(lastTick - tick) * tempo / (1e6 * division);
    return f;
}

} // namespace

TEST(MidiReader, RealFilesAgreeWithMidicsv) {
    // GPL-2 music of Debian's openttd-openmsx package (installed by scripts/install-deps.sh).
    const std::filesystem::path folder = "/usr/share/games/openttd/baseset/openmsx";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << "install openttd-openmsx";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".mid") continue;
        const auto r = readMidiFile(entry.path().string());
        ASSERT_TRUE(r.song) << entry.path();
        const CsvFacts expected = midicsvFacts(entry.path());
        ASSERT_TRUE(expected.ok) << "midicsv failed on " << entry.path();
        std::map<int, int> noteOns;
        for (const auto& e : r.song->events)
            if (e.type() == 0x90 && e.data2 > 0) ++noteOns[e.channel()];
        EXPECT_EQ(noteOns, expected.noteOns) << entry.path();
        EXPECT_NEAR(double(r.song->lengthFrames) / 44100.0, expected.seconds, 0.001) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 20);
}

TEST(MidiReader, KaraokeFileWrittenByAbc2midiHasItsSyllablesOnTheirNotes) {
    vl::test::TempFolder dir;
    const auto abc = dir / "song.abc";
    std::ofstream(abc) << "X:1\nT:Test\nM:4/4\nL:1/4\nQ:1/4=100\nK:C\nC D E F|G G A2|\nw:Hel-lo my dear world to-day\n";
    const auto mid = dir / "song.mid";
    const std::string command = "abc2midi '" + abc.string() + "' -o '" + mid.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "install abcmidi";
    const auto r = readMidiFile(mid.string());
    ASSERT_TRUE(r.song);
    // abc2midi writes a karaoke file: "@" lines, the lyric track's own description, then one
    // text event per syllable; the note track's description is in another track.
    const auto& lyric = r.song->marksOf(MarkKind::Lyric);
    EXPECT_EQ(texts(*r.song, MarkKind::Lyric),
              (std::vector<std::string>{"notes/lyric track", "/Hel", "lo", " my", " dear", " world", " to", "day"}));
    std::vector<uint32_t> noteOns;
    for (const auto& e : r.song->events)
        if (e.type() == 0x90 && e.data2 > 0) noteOns.push_back(framesToSongBytes(e.frame));
    ASSERT_EQ(noteOns.size(), 7u);
    EXPECT_NEAR(double(noteOns[1] - noteOns[0]) / 176400.0, 0.6, 0.002); // a quarter at 100 bpm
    for (std::size_t i = 1; i < lyric.size() && i <= noteOns.size(); ++i)
        EXPECT_EQ(lyric[i].songBytes, noteOns[i - 1]) << lyric[i].text;
}
