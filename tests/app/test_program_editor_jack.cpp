// A volume moved in the program editor while the song plays, heard on the program's JACK
// ports within two fast ticks: the real program and engine module on a JACK server with
// its dummy backend (the test script names it in JACK_DEFAULT_SERVER).
#include "AppHarness.h"
#include "ToneSong.h"

#include "mixer/ProgramEditor.h"
#include "mixer/ProgramEditorWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace vl;

namespace {

// Records the program's eight output ports from the moment it is connected.
class PortRecorder {
  public:
    static constexpr std::size_t kFrames = 44100 * 4;

    PortRecorder() {
        for (auto& c : data_) c.assign(kFrames, 0.0f);
        client_ = jack_client_open("vltest-editor", JackNoStartServer, nullptr);
        if (!client_) return;
        for (int i = 0; i < 8; ++i)
            ports_[i] = jack_port_register(client_, ("in_" + std::to_string(i + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsInput, 0);
        jack_set_process_callback(client_, &PortRecorder::process, this);
        jack_activate(client_);
    }
    ~PortRecorder() {
        if (!client_) return;
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    bool ok() const { return client_ != nullptr; }
    bool connectFrom(const std::string& client) {
        for (int i = 0; i < 8; ++i) {
            const std::string from = client + ":out_" + std::to_string(i + 1);
            if (jack_connect(client_, from.c_str(), jack_port_name(ports_[i])) != 0) return false;
        }
        return true;
    }
    std::size_t recorded() const { return count_.load(std::memory_order_acquire); }
    const std::vector<float>& channel(int c) const { return data_[c]; }

  private:
    static int process(jack_nframes_t frames, void* self) {
        auto* r = static_cast<PortRecorder*>(self);
        const std::size_t at = r->count_.load(std::memory_order_relaxed);
        const std::size_t n = std::min<std::size_t>(frames, kFrames - at);
        for (int i = 0; i < 8; ++i) {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(r->ports_[i], frames));
            std::copy(in, in + n, r->data_[i].begin() + static_cast<std::ptrdiff_t>(at));
        }
        r->count_.store(at + n, std::memory_order_release);
        return 0;
    }
    jack_client_t* client_ = nullptr;
    std::array<jack_port_t*, 8> ports_{};
    std::array<std::vector<float>, 8> data_;
    std::atomic<std::size_t> count_{0};
};

double rmsOf(const std::vector<float>& s, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(count));
}

void runEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

TEST(ProgramEditorJack, AVolumeMovedWhilePlayingIsHeardWithinTwoFastTicks) {
    jack_client_t* probe = jack_client_open("vltest-probe", JackNoStartServer, nullptr);
    if (!probe) {
        if (std::getenv("JACK_DEFAULT_SERVER")) FAIL() << "JACK_DEFAULT_SERVER is set but no JACK server answers";
        GTEST_SKIP() << "no JACK server";
    }
    jack_client_close(probe);

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

    PortRecorder recorder;
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom("vellamorinth"));
    std::vector<std::size_t> tickFrames; // where the recording was at every fast tick
    QObject::connect(&h.app->mainLoop(), &MainLoop::fastTicked, [&] { tickFrames.push_back(recorder.recorded()); });

    runEventsUntil([&] { return recorder.recorded() >= 44100; });
    const std::size_t moved = recorder.recorded();
    const std::size_t ticksBefore = tickFrames.size();
    editor.strips[0].volume->setSliderPosition(100); // the user drags the fader up
    runEventsUntil([&] { return recorder.recorded() >= moved + 44100; });
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
