// The lyric view's share of the 55 ms tick at "max" on a 1,920 x 1,080 screen with a
// three-page lyric: painting the whole view, one scroll step of the plain lyric with its
// repaint, and one MIDI lyric composed from the template and painted.
#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "lyrics/MidiLyric.h"
#include "lyrics/RtfReader.h"

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
