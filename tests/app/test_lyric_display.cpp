// The lyric view following a playing song, with the real engine module on its no-sound
// device (real time) and generated songs: the timed lyric's stretches, the plain lyric's
// scrolling, and the MIDI lyric that the engine reads from a generated MIDI file.
#include "AppHarness.h"
#include "ToneSong.h"
#include "app/LyricLink.h"
#include "engine/MidiFileWriter.h"
#include "lyrics/LyricEditor.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "lyrics/Lyrics.h"
#include "lyrics/MidiLyric.h"
#include "lyrics/TimeTags.h"
#include "songs/ProgramFile.h"
#include "songs/SongProgram.h"
#include "platform/TextFile.h"

#include <QScrollBar>
#include <QSlider>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::AppHarness;
using vl::test::waitUntil;

namespace {

std::string rtf(const std::string& body) {
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs40 " + body + "}";
}

struct DisplayHarness : AppHarness {
    DisplayHarness(const QStringList& rows, double seconds) : AppHarness(test::realEngine()) {
        for (const char* name : {"midilyric.rtf", "empty.rtf"})
            test::writeFile(home / "Data" / name, test::readFile(std::filesystem::path(VL_SOURCE_DIR "/data") / name));
        for (const QString& row : rows) test::writeToneSong(home / "YourSongs", row.toStdString(), seconds);
        app->engine().InitAudioDriver(0, &main());
        prefs().playShowsLyric = true;
        setRows(rows);
    }
    ~DisplayHarness() { app->engine().Stop(); }
    Lyrics& lyrics() { return app->lyricLink().lyrics(); }
    LyricView& view() { return lyrics().view(); }
    QString shown() { return view().lyricText().document().toPlainText(); }
    double seconds() { return app->engine().GetSongPos() / 176400.0; }
    void writeLyric(const std::string& song, const std::string& text) {
        test::writeFile(home / "YourSongs" / song / (song + ".rtf"), rtf(text));
    }
    // Plays `row` from `perMille` of its length.
    void playFrom(int row, int perMille) {
        if (app->transport().playing()) app->transport().stopPlayback();
        list().selectRow(row);
        app->mainLoop().songListClicked();
        if (state().playingSong != row) {
            // Another row starts at its beginning; a new start of the same song at the slider.
            app->transport().startPlayback(true);
            app->transport().stopPlayback();
        }
        main().controls().positionSlider->setValue(perMille);
        app->transport().startPlayback(true);
        ASSERT_EQ(app->engine().GetPlaying(), 1);
    }
};

} // namespace

TEST(LyricTimeTags, ReadStrictlyAndSkipWhatIsNoTime) {
    EXPECT_EQ(readTimeTagAt(u"[1:5]"_qs, 0)->frames, 65 * 44100);
    EXPECT_EQ(readTimeTagAt(u"[1:05]"_qs, 0)->frames, 65 * 44100);
    EXPECT_EQ(readTimeTagAt(u"[1:05]"_qs, 0)->length, 6);
    EXPECT_EQ(readTimeTagAt(u"[1:5]"_qs, 0)->length, 5);
    for (const char16_t* bad : {u"[Chorus]", u"[1:xx]", u"[1:05", u"[:05]", u"[1:]", u"[1:055]", u"[", u"[1"})
        EXPECT_FALSE(readTimeTagAt(QString::fromUtf16(bad), 0)) << QString::fromUtf16(bad).toStdString();
    const QString text = u"[Chorus] la [1:xx] la [0:07]go"_qs;
    const TimeTag tag = nextTimeTag(text, 0);
    EXPECT_EQ(tag.open, text.indexOf(u"[0:07]"));
    EXPECT_EQ(tag.frames, 7 * 44100);
    // Behind the last tag only the sentinel remains, five hours on.
    const TimeTag end = nextTimeTag(text, tag.open + 1);
    EXPECT_EQ(end.open, text.size());
    EXPECT_EQ(end.frames, (299 * 60 + 99) * 44100LL);
    EXPECT_FALSE(hasTimeTag(u"[Chorus] words [x]"_qs));
    EXPECT_TRUE(hasTimeTag(u"[Chorus] [2:1]words"_qs));
}

TEST(MidiLyricText, ComingLinesCutAfterTheFourthLineFeed) {
    EXPECT_EQ(comingLyricLines(u"a\nb\nc\nd\ne\nf"_qs), u"a\nb\nc\nd\n..."_qs);
    EXPECT_EQ(comingLyricLines(u"a\nb\nc\nd\n"_qs), u"a\nb\nc\nd\n..."_qs);
    EXPECT_EQ(comingLyricLines(u"a\nb\nc\nd"_qs), u"a\nb\nc\n..."_qs);
    EXPECT_EQ(comingLyricLines(u"a\nb\nc"_qs), u"a\nb\nc"_qs);
    EXPECT_EQ(comingLyricLines(u"word"_qs), u"word"_qs);
    EXPECT_EQ(comingLyricLines(QString()), QString());
}

// "[0:00]Intro[0:10]Verse": Intro at 5 s, Verse from 10 s to the end. Every start begins
// the follower anew, so a later start at 5 s shows Intro again; a stop empties the view.
TEST(LyricDisplay, TimedLyricShowsTheStretchOfTheLastPassedTag) {
    DisplayHarness h({"Timed", "Jumps", "Brackets"}, 20);
    h.writeLyric("Timed", "[0:00]Intro[0:10]Verse");
    h.writeLyric("Jumps", "Before[0:01]One[0:02]Two[0:04]Three\\par[0:30]Four");
    h.writeLyric("Brackets", "[Chorus] [0:1x]la la\\par[0:03]sing");

    h.playFrom(0, 250);
    ASSERT_TRUE(h.view().isVisible()) << "play shows the lyric";
    EXPECT_EQ(h.state().lyricMode, 1);
    ASSERT_TRUE(waitUntil([&] { return h.shown() == "\n\n\nIntro"; }, 3000)) << h.shown().toStdString();

    h.playFrom(0, 550);
    EXPECT_EQ(h.shown(), "") << "the stop emptied the view";
    EXPECT_TRUE(h.view().lyricBuffer().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return h.shown() == "\n\n\nVerse"; }, 3000)) << h.shown().toStdString();

    h.playFrom(0, 950);
    ASSERT_TRUE(waitUntil([&] { return h.shown() == "\n\n\nVerse"; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return h.seconds() > 19.8; }, 3000));
    EXPECT_EQ(h.shown(), "\n\n\nVerse") << "the last stretch stays to the end";

    h.playFrom(0, 250);
    ASSERT_TRUE(waitUntil([&] { return h.shown() == "\n\n\nIntro"; }, 3000)) << "the follower began anew";

    // Starting at 5 s passes three tags at once: the last passed one is shown, without its tag.
    h.playFrom(1, 250);
    ASSERT_TRUE(waitUntil([&] { return !h.shown().isEmpty(); }, 3000));
    EXPECT_EQ(h.shown(), "\n\n\nThree\n");
    EXPECT_EQ(h.lyrics().follower().markerTime, 30 * 44100);

    // Brackets that are no time stay words of the lyric; the text before the first tag is a stretch.
    h.playFrom(2, 50);
    ASSERT_TRUE(waitUntil([&] { return !h.shown().isEmpty(); }, 3000));
    EXPECT_EQ(h.shown(), "\n\n\n[Chorus] [0:1x]la la\n");
}

// A plain lyric scrolls with the song, its end arriving early; a short one stays still.
TEST(LyricDisplay, PlainLyricScrollsInProportionToThePosition) {
    DisplayHarness h({"Long", "Short", "Chorus"}, 20);
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "line " + std::to_string(i) + "\\par ";
    h.writeLyric("Long", lines);
    h.writeLyric("Short", "just one line");
    h.writeLyric("Chorus", "[Chorus]\\par " + lines);

    h.playFrom(0, 500);
    ASSERT_EQ(h.state().lyricMode, 0);
    const QScrollBar& bar = *h.view().lyricText().verticalScrollBar();
    ASSERT_GT(bar.maximum(), 1000);
    ASSERT_TRUE(waitUntil([&] { return bar.value() > 0; }, 3000));
    const double expected = bar.maximum() * 1.1 * h.seconds() / 20;
    EXPECT_NEAR(bar.value(), expected, bar.maximum() * 0.03);

    h.playFrom(0, 930);
    ASSERT_TRUE(waitUntil([&] { return bar.value() == bar.maximum(); }, 3000)) << "the end comes before the song's";

    h.playFrom(1, 500);
    EXPECT_EQ(h.state().lyricMode, 0);
    ASSERT_TRUE(waitUntil([&] { return h.seconds() > 10.3; }, 3000));
    EXPECT_EQ(h.view().lyricText().verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(h.view().lyricText().verticalScrollBar()->value(), 0);

    // Brackets but no time: a plain lyric, it scrolls.
    h.playFrom(2, 500);
    EXPECT_EQ(h.state().lyricMode, 0);
    ASSERT_TRUE(waitUntil([&] { return bar.value() > bar.maximum() / 3; }, 3000));

    // The view opened while stopped stays open when a start (the MIDI play control) wants it shown.
    h.app->transport().stopPlayback();
    h.app->mainLoop().showLyricView();
    ASSERT_TRUE(h.view().isVisible());
    h.app->transport().startPlayback(true);
    EXPECT_TRUE(h.view().isVisible());
    EXPECT_EQ(h.shown().left(8), "[Chorus]");
}

namespace {

QColor colourAt(QTextDocument& document, int position) {
    QTextCursor cursor(&document);
    cursor.setPosition(position + 1);
    return cursor.charFormat().foreground().color();
}

// A song whose second track is a MIDI file sung as "Hel lo/ world/ one/ two/ ... five/".
void writeKaraokeSong(const std::filesystem::path& songsRoot) {
    using namespace vl::test;
    const std::filesystem::path folder = songsRoot / "Karaoke";
    std::filesystem::create_directories(folder);
    writeToneWave(folder / "tone.wav", 20, 440);
    std::vector<SmfEvent> events;
    double t = 1.0;
    for (const char* syllable : {"Hel", "lo/", "world/", "one/", "two/", "three/", "four/", "five/"}) {
        events.push_back(meta(at(t), 0x05, syllable));
        events.push_back(channelMessage(at(t), 0x90, 60, 100));
        events.push_back(channelMessage(at(t + 0.4), 0x80, 60, 0));
        t += 1.0;
    }
    ASSERT_TRUE(writeFile(folder / "words.mid", buildSmf({events}, 0)));
    SongProgram program;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.5f;
    program.tracks[1].fileName = "words.mid";
    program.tracks[1].volume = 0.0f; // silent: its words still drive the lyric
    writeTextLines(QString::fromStdString((folder / "Karaoke.p").string()),
                   writeProgramLines(program, FileNames::Included));
    writeTextLines(QString::fromStdString((folder / "inf").string()), {QString::number(20 * 176400)});
}

} // namespace

// Without a lyric of its own the song shows its MIDI file's words as they are sung: grey
// behind, the line being sung yellow, at most four coming lines in white, in the template's type.
TEST(LyricDisplay, MidiLyricShowsSungSingingAndComingLines) {
    DisplayHarness h({}, 20);
    writeKaraokeSong(h.home / "YourSongs");
    h.setRows({"Karaoke"});
    h.playFrom(0, 0);
    ASSERT_EQ(h.state().lyricMode, 2);
    ASSERT_TRUE(h.view().isVisible());
    // Each composition is a new document.
    const auto shown = [&]() -> QTextDocument& { return h.view().lyricText().document(); };

    ASSERT_TRUE(waitUntil([&] { return h.shown().startsWith(u"Hel"_qs); }, 4000)) << h.shown().toStdString();
    EXPECT_EQ(h.shown(), u"Hello\nworld\none\ntwo\n..."_qs) << "singing Hel: four coming line feeds, then ...";
    EXPECT_EQ(colourAt(shown(), 0), kSingingColour);
    EXPECT_EQ(colourAt(shown(), 3), kComingColour);
    QTextCursor first(&shown());
    first.setPosition(1);
    EXPECT_EQ(first.charFormat().fontPointSize(), 28) << "the template's type";
    EXPECT_EQ(first.charFormat().fontWeight(), QFont::Bold);

    ASSERT_TRUE(waitUntil([&] { return h.shown().contains(u"five"_qs); }, 8000)) << h.shown().toStdString();
    EXPECT_TRUE(h.shown().endsWith(u"\ntwo\nthree\nfour\nfive\n..."_qs)) << h.shown().toStdString();
    // Exactly three coming line feeds: cut behind the third, which ends the text.
    const auto at = [&](const char16_t* word) { return static_cast<int>(h.shown().indexOf(QString::fromUtf16(word))); };
    ASSERT_TRUE(waitUntil([&] { return at(u"two") >= 0 && colourAt(shown(), at(u"two")) == kSungColour; }, 3000))
        << h.shown().toStdString();
    const QString text = h.shown();
    EXPECT_TRUE(text.endsWith(u"two\nthree\nfour\nfive\n..."_qs)) << text.toStdString();
    EXPECT_EQ(colourAt(shown(), at(u"three")), kComingColour);
    const qsizetype world = text.indexOf(u"world"_qs);
    ASSERT_GE(world, 0);
    EXPECT_EQ(colourAt(shown(), static_cast<int>(world)), kSungColour);
    EXPECT_EQ(colourAt(shown(), static_cast<int>(text.indexOf(u"five"_qs))), kComingColour);

    h.app->transport().stopPlayback();
    EXPECT_EQ(h.shown(), "");

    // A lyric being written for the song while it plays from the editor stays as typed.
    h.dialogs.yesNoAnswers = {true};
    h.app->mainLoop().runCommand(MainWindow::Command::Edit);
    LyricEditor& editor = h.lyrics().editor();
    ASSERT_TRUE(editor.isVisible());
    editor.editor().setPlainText(u"my own words"_qs);
    emit editor.playRequested();
    ASSERT_EQ(h.app->engine().GetPlaying(), 1);
    ASSERT_TRUE(waitUntil([&] { return h.shown().contains(u"Hel"_qs); }, 4000));
    EXPECT_EQ(editor.text(), u"my own words"_qs);
}
