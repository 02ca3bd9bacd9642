// The lyric view's share of the 55 ms tick at "max" on a 1,920 x 1,080 screen with a
// three-page lyric: painting the whole view, one scroll step of the plain lyric with its
// repaint, and one MIDI lyric composed from the template and painted; and the refresh of
// the MIDI lyric for a karaoke file of 100,000 syllables without line marks and for one
// lyric event of 5 MB, with the texts as the engine builds them (and, for comparison, as
// they would be without its cap on a line's length).
#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "lyrics/MidiLyric.h"
#include "lyrics/RtfReader.h"
#include "platform/TextFile.h"

#include "engine/midi/MidiFile.h"
#include "engine/midi/MidiLineCap.h"
#include "engine/midi/MidiTextBuilder.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// About three printed pages: 150 lines of sung words, a chorus in bold and colour now and then.
QString threePageLyric() {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red255\\green255\\blue255;"
                      "\\red255\\green200\\blue0;}\\pard\\qc\\cf1\\b\\f0\\fs56 ";
    for (int line = 0; line < 150; ++line) {
        if (line % 12 == 0) rtf += "\\cf2\\i [Chorus] \\i0\\cf1 ";
        rtf += "and the night goes on and on, line " + std::to_string(line) + " of the song\\par ";
    }
    rtf += "}";
    return QString::fromStdString(rtf);
}

struct MaxView {
    vl::InterfaceTexts texts;
    vl::Fonts fonts;
    std::unique_ptr<vl::LyricView> view;
    QImage screen{1920, 1080, QImage::Format_RGB32};

    MaxView() {
        vl::fillInterfaceTexts(texts, "english");
        fonts.createStartupFonts();
        view = std::make_unique<vl::LyricView>(texts, fonts);
        // What "max" gives on a 1,920 x 1,080 screen, without relying on a window manager.
        view->setGeometry(0, 0, 1920, 1080);
        view->fitLyricView();
        view->applyLyricZoom(true);
        vl::readRtf(threePageLyric(), view->lyricText().document());
    }
    void paint() {
        QPainter painter(&screen);
        view->render(&painter);
    }
};

void BM_PaintLyricViewAtMax(benchmark::State& st) {
    MaxView max;
    for (auto _ : st) {
        max.paint();
        benchmark::ClobberMemory();
    }
    st.counters["zoom%"] = max.view->lyricText().zoom();
}
BENCHMARK(BM_PaintLyricViewAtMax)->Unit(benchmark::kMillisecond);

void BM_ScrollPlainLyricAtMax(benchmark::State& st) {
    MaxView max;
    QScrollBar& bar = *max.view->lyricText().verticalScrollBar();
    int value = 0;
    for (auto _ : st) {
        value = (value + 7) % (bar.maximum() + 1);
        bar.setValue(value);
        max.paint();
        benchmark::ClobberMemory();
    }
    st.counters["scroll range px"] = bar.maximum();
}
BENCHMARK(BM_ScrollPlainLyricAtMax)->Unit(benchmark::kMillisecond);

void BM_ComposeMidiLyricAtMax(benchmark::State& st) {
    MaxView max;
    QFile file(QStringLiteral(VL_SOURCE_DIR "/data/midilyric.rtf"));
    file.open(QIODevice::ReadOnly);
    const QString midiTemplate = QString::fromLatin1(file.readAll());
    const QString sung = QStringLiteral("and the night goes on\nand on and on\n");
    const QString coming = QStringLiteral("the song\nline one\nline two\nline three\nline four\n");
    for (auto _ : st) {
        vl::readRtf(midiTemplate, max.view->lyricBuffer());
        vl::composeMidiLyric(max.view->lyricBuffer(), sung, QStringLiteral("we sing "), coming);
        max.view->copyBufferToLyricText();
        max.view->applyLyricZoom(true);
        max.paint();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeMidiLyricAtMax)->Unit(benchmark::kMillisecond);

// A song's lyric marks: 100,000 karaoke syllables, a quarter of a second apart, without a
// line mark; or one lyric event of 5 MB of words.
vl::engine::midi::MidiSong hugeLyric(bool oneEvent, bool capped) {
    vl::engine::midi::MidiSong song;
    auto& marks = song.marks[static_cast<int>(vl::engine::midi::MarkKind::Lyric)];
    if (oneEvent) {
        std::string words;
        for (int i = 0; words.size() < 5'000'000; ++i) {
            words += 'n';
            words += std::to_string(i);
            words += ' ';
        }
        marks.push_back({44100, std::move(words)});
    } else {
        for (uint32_t i = 0; i < 100000; ++i) {
            std::string syllable = i % 3 == 0 ? " la" : "la";
            syllable += char('a' + i % 26);
            marks.push_back({i * 44100, std::move(syllable)});
        }
    }
    if (capped) vl::engine::midi::capLineLengths(marks); // as the engine reads every file
    return song;
}

// One refresh as the program makes it when the engine reports new texts: the template read
// afresh, the three texts inserted and coloured, moved into the view and painted.
void BM_MidiLyricRefreshOfHugeLyric(benchmark::State& st) {
    const bool oneEvent = st.range(0) != 0;
    const bool capped = st.range(1) != 0;
    const vl::engine::midi::MidiSong song = hugeLyric(oneEvent, capped);
    // Half-way through the song, as the engine's MIDI thread builds them.
    const vl::engine::midi::MidiTextSet texts = vl::engine::midi::midiTextBuilder(song, 0, oneEvent ? 0u : 50000u * 44100u);
    MaxView max;
    const QString templatePath = QStringLiteral(VL_SOURCE_DIR "/data/midilyric.rtf");
    for (auto _ : st) {
        const QString source = vl::readTextLines(templatePath).value_or(QStringList()).mid(0, 1000).join(QString());
        vl::readRtf(source, max.view->lyricBuffer());
        vl::composeMidiLyric(max.view->lyricBuffer(), QString::fromStdString(texts.recentLines),
                             QString::fromStdString(texts.currentLine), QString::fromStdString(texts.upcomingText));
        max.view->copyBufferToLyricText();
        max.view->applyLyricZoom(true);
        max.paint();
        benchmark::ClobberMemory();
    }
    st.counters["text bytes"] =
        double(texts.recentLines.size() + texts.currentLine.size() + texts.upcomingText.size());
}
BENCHMARK(BM_MidiLyricRefreshOfHugeLyric)
    ->ArgNames({"one 5 MB event", "capped"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does; run with QT_MAX_CACHED_GLYPH_SIZE=64 to see Qt's default.
    vl::keepLargeGlyphsCached();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
