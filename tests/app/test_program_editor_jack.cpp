// A volume moved in the program editor while the song plays, heard on the program's JACK
// ports within two fast ticks: the real program and engine module on a JACK server with
// its dummy backend (the test script names it in JACK_DEFAULT_SERVER).
#include "AppHarness.h"
#include "ToneSong.h"
#include "support/JackRecorder.h"

#include "mixer/ProgramEditor.h"
#include "mixer/ProgramEditorWindow.h"

#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace vl;

namespace {

double rmsOf(const std::vector<float>& s, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(count));
}

} // namespace

TEST(ProgramEditorJack, AVolumeMovedWhilePlayingIsHeardWithinTwoFastTicks) {
    if (!test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";

    test::AppHarness h(test::realEngine());
    const EngineFunctions& engine = h.app->engine();
    int jack = -1;
    for (int i = 0; i < 20; ++i) {
        const char* name = engine.GetDriverName(i);
        if (!name || QString::fromUtf8(name) == "no" || !*name) break;
        if (QString::fromUtf8(name) == "JACK") jack = i;
    }
    ASSERT_GE(jack, 0) << "the engine lists JACK";
    ASSERT_EQ(engine.InitAudioDriver(jack, &h.main()), 1);
    test::writeToneSong(h.home / "YourSongs", "Tone Song", 10); // track 1 at volume 0.5, pair 1/2
    h.setRows({"Tone Song"});

    h.main().controls().songEditButton->click();
    ProgramEditorWindow& editor = h.app->programEditor().window();
    ASSERT_TRUE(editor.isVisible());
    ASSERT_EQ(editor.strips[0].volume->value(), 50);
    editor.play->click();
    ASSERT_EQ(engine.GetPlaying(), 1);

    test::JackRecorder recorder(44100 * 4);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom("vellamorinth"));
    recorder.start();
    std::vector<std::size_t> tickFrames; // where the recording was at every fast tick
    QObject::connect(&h.app->mainLoop(), &MainLoop::fastTicked, [&] { tickFrames.push_back(recorder.recorded()); });

    test::waitUntil([&] { return recorder.recorded() >= 44100; }, 20000);
    const std::size_t moved = recorder.recorded();
    const std::size_t ticksBefore = tickFrames.size();
    editor.strips[0].volume->setSliderPosition(100); // the user drags the fader up
    test::waitUntil([&] { return recorder.recorded() >= moved + 44100; }, 20000);
    engine.Stop();
    ASSERT_GE(tickFrames.size(), ticksBefore + 2) << "the fast timer ran";

    const std::vector<float>& left = recorder.channel(0);
    constexpr std::size_t kWindow = 128;
    const double before = rmsOf(left, moved - 22050, 22050);
    ASSERT_GT(before, 0.05) << "the tone plays on outputs 1/2";
    std::size_t heard = 0;
    for (std::size_t at = moved; at + kWindow <= moved + 44100; at += kWindow)
        if (rmsOf(left, at, kWindow) > 1.5 * before) {
            heard = at + kWindow;
            break;
        }
    ASSERT_GT(heard, 0u) << "the louder track was never heard";
    // The change is read on the next tick at the latest and then heard within the JACK period
    // the engine is writing; allowed: up to the second tick after the move, plus two periods.
    const std::size_t secondTick = tickFrames[ticksBefore + 1];
    EXPECT_LE(heard, secondTick + 2 * 256 + kWindow)
        << "moved at frame " << moved << ", heard by " << heard << ", second tick at " << secondTick;
    EXPECT_NEAR(rmsOf(left, heard + 4410, 22050) / before, 2.0, 0.1) << "volume 0.5 became 1.0";
    EXPECT_NEAR(rmsOf(recorder.channel(1), heard + 4410, 22050) / before, 2.0, 0.1);
    for (int c = 2; c < 8; ++c) EXPECT_LT(rmsOf(recorder.channel(c), moved, 44100), 1e-6) << "output " << c + 1;
}
