// MIDI time code from the real program and engine on JACK, recorded on a JACK MIDI port as a
// lighting desk receives it: a full frame at the start, quarter frames that rebuild every
// second frame from the song's timecode start on, none missing or doubled, and full frames
// at a locate.
#include "AppHarness.h"
#include "ToneSong.h"

#include "app/RunOptions.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "songs/TimecodeStartFile.h"
#include "support/JackMidiPeer.h"
#include "support/JackRecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <array>

using namespace vl;
using Bytes = std::vector<unsigned char>;

namespace {

void runFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

constexpr int kFps = 25;

int framesOf(int h, int m, int s, int f) { return ((h * 60 + m) * 60 + s) * kFps + f; }

bool isFullFrame(const Bytes& b) {
    return b.size() == 10 && b[0] == 0xF0 && b[1] == 0x7F && b[3] == 0x01 && b[4] == 0x01 && b[9] == 0xF7;
}
int fullFrameAt(const Bytes& b) { return framesOf(b[5] & 0x1F, b[6], b[7], b[8]); }

// Quarter frames between two full frames: the labels their groups of eight rebuild, or an
// empty list when a piece came out of turn.
std::vector<int> rebuiltLabels(const std::vector<Bytes>& messages, std::size_t from, std::size_t to) {
    std::vector<int> labels;
    std::array<int, 8> nibbles{};
    int expected = 0;
    for (std::size_t i = from; i < to; ++i) {
        const Bytes& m = messages[i];
        if (m.size() != 2 || m[0] != 0xF1) continue;
        const int piece = m[1] >> 4;
        if (piece != expected) return {};
        nibbles[std::size_t(piece)] = m[1] & 0xF;
        expected = (piece + 1) % 8;
        if (piece == 7) {
            EXPECT_EQ(nibbles[7] >> 1, 1) << "25 fps in the rate bits";
            labels.push_back(framesOf((nibbles[7] & 1) << 4 | nibbles[6], nibbles[5] << 4 | nibbles[4],
                                      nibbles[3] << 4 | nibbles[2], nibbles[1] << 4 | nibbles[0]));
        }
    }
    return labels;
}

} // namespace

TEST(TimecodeMtc, QuarterFramesRebuildTheSongsTimecodeAndALocateSendsAFullFrame) {
    test::JackMidiPeer desk("vltest-mtc");
    if (!desk.running()) {
        if (std::getenv("JACK_DEFAULT_SERVER")) FAIL() << "JACK_DEFAULT_SERVER is set but no JACK server answers";
        GTEST_SKIP() << "no JACK server";
    }
    test::AppHarness h(test::realEngine());
    const EngineFunctions& engine = h.app->engine();
    int jack = -1;
    for (int i = 0; i < 20; ++i) {
        const char* name = engine.GetDriverName(i);
        if (!name || !*name) break;
        if (QString::fromUtf8(name) == "JACK") jack = i;
    }
    ASSERT_GE(jack, 0);
    ASSERT_EQ(engine.InitAudioDriver(jack, &h.main()), 1);
    const QString root = QString::fromStdString((h.home / "YourSongs").string()) + '/';
    test::writeToneSong(h.home / "YourSongs", "Lights", 60);
    ASSERT_TRUE(writeTimecodeStart(timecodeStartPath(root, QStringLiteral("Lights")), {1, 0, 0, 0}));
    h.setRows({"Lights"});
    // The settings say 30 fps and no MTC; this run's command line says otherwise.
    h.prefs().timecode.fpsCode = 30;
    const RunOptions run = parseRunOptions({"--mtc", "--timecode-fps", "25"});
    ASSERT_TRUE(run.error.isEmpty());
    h.app->settings().setTimecodeOverride(run.timecode);

    SettingsWindow& w = *h.app->settings().window();
    const int out = w.midiOutList()->findText(("JACK: " + QString::fromStdString(desk.receivePort())).left(32));
    ASSERT_GT(out, 0);
    w.midiOutList()->setCurrentIndex(out);
    w.midiActivateButton(2)->click();

    desk.clearReceived();
    const int xruns = desk.xruns();
    constexpr int kPlayedMs = 20000;
    h.app->transport().startPlayback(true);
    ASSERT_EQ(engine.GetPlaying(), 1);
    runFor(kPlayedMs);
    // A locate as the user makes it: moving the slider stops the song, the slider goes on to
    // the middle, then PLAY from 30 s.
    QSlider* slider = h.main().controls().positionSlider;
    slider->setValue(400);
    ASSERT_EQ(engine.GetPlaying(), 0);
    slider->setValue(500);
    h.app->transport().startPlayback(true);
    ASSERT_EQ(engine.GetPlaying(), 1);
    EXPECT_NEAR(engine.GetSongPos() / 176400.0, 30.0, 0.5);
    runFor(2000);
    h.app->transport().stopPlayback();
    runFor(300);

    const auto got = desk.received();
    std::vector<std::size_t> full;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (isFullFrame(got[i])) full.push_back(i);
    ASSERT_EQ(full.size(), 4u) << "start, stop at the locate, start there, stop";
    EXPECT_EQ(got[full[0]][5] >> 5, 1) << "25 fps";
    EXPECT_EQ(fullFrameAt(got[full[0]]), framesOf(1, 0, 0, 0));
    EXPECT_NEAR(fullFrameAt(got[full[1]]), framesOf(1, 0, 20, 0), kFps) << "where the locate stopped it";
    EXPECT_NEAR(fullFrameAt(got[full[2]]), framesOf(1, 0, 30, 0), 1) << "the located time";

    if (desk.xruns() != xruns) return; // a late cycle may drop MIDI events on their way
    for (int part : {0, 2}) {
        SCOPED_TRACE(part == 0 ? "from the start" : "after the locate");
        const std::vector<int> labels = rebuiltLabels(got, full[part] + 1, full[part + 1]);
        ASSERT_FALSE(labels.empty()) << "pieces in turn";
        EXPECT_EQ(labels.front(), fullFrameAt(got[full[part]]));
        for (std::size_t i = 1; i < labels.size(); ++i)
            ASSERT_EQ(labels[i], labels[i - 1] + 2) << "group " << i;
        const double seconds = part == 0 ? kPlayedMs / 1000.0 : 2.0;
        EXPECT_GE(double(labels.size()), (seconds - 0.5) * kFps / 2);
    }
}
