// The MIDI track: render speed of a dense General MIDI arrangement with Debian's full
// General MIDI font, and the start of a song with a MIDI track (font already loaded)
// against the same song without one.
#include "BenchEngineMedia.h"
#include "tests/engine/MidiFileWriter.h"

#include "engine/devices/ManualDevice.h"
#include "engine/midi/MidiFile.h"
#include "engine/midi/MidiRenderer.h"
#include "engine/midi/SoundFontSynth.h"
#include "engine/playback/StereoRing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <thread>

using namespace vl::engine;

namespace {

constexpr const char* kFullFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr double kSongSeconds = 60.0;

vl::bench::MediaFolder& media() {
    static vl::bench::MediaFolder folder;
    return folder;
}

// Sixteen channels busy at once: fifteen instruments playing chords and runs with
// controller moves, and a drum kit on channel 10; about 60 notes a second.
std::vector<uint8_t> denseSong() {
    std::mt19937 random(7);
    std::vector<std::vector<vl::test::SmfEvent>> tracks;
    for (uint8_t ch = 0; ch < 16; ++ch) {
        std::vector<vl::test::SmfEvent> t;
        t.push_back(vl::test::channelMessage(0, 0xC0 | ch, static_cast<uint8_t>(ch * 8 % 128)));
        t.push_back(vl::test::channelMessage(0, 0xB0 | ch, 91, 60));
        for (uint32_t tick = 0; tick < vl::test::at(kSongSeconds); tick += 240) {
            const int notes = ch == 9 ? 2 : 3;
            for (int n = 0; n < notes; ++n)
                t.push_back(vl::test::channelMessage(tick, 0x90 | ch, static_cast<uint8_t>(36 + random() % 60), 90));
            t.push_back(vl::test::channelMessage(tick + 120, 0xB0 | ch, 11, static_cast<uint8_t>(random() % 128)));
            t.push_back(vl::test::channelMessage(tick + 230, 0xB0 | ch, 123, 0)); // all notes off
        }
        tracks.push_back(std::move(t));
    }
    return vl::test::buildSmf(tracks);
}

const std::string& densePath() {
    static const std::string path = [] {
        const std::string p = (media().path() / "dense.mid").string();
        vl::test::writeFile(p, denseSong());
        return p;
    }();
    return path;
}

// Rendering alone, on this thread, as the decoding thread does it.
void BM_RenderDenseGeneralMidi(benchmark::State& state) {
    const auto song = midi::readMidiFile(densePath()).song;
    midi::SoundFontSynth synth;
    StereoRing ring(1 << 16);
    synth.claim(kFullFont, kSampleRate); // the font loads once, before the measurement
    synth.waitSettled(std::chrono::seconds(60));
    std::size_t frames = 0;
    for (auto _ : state) {
        const uint64_t claim = synth.claim(kFullFont, kSampleRate);
        midi::MidiRenderer renderer(song, &synth, claim, 0, kSampleRate);
        while (!renderer.finished()) {
            frames += renderer.fill(ring, 8192);
            ring.skip(ring.readable());
        }
    }
    if (synth.fontLoads() != 1) state.SkipWithError("the font was not kept");
    state.counters["realtime_x"] =
        benchmark::Counter(double(frames) / kSampleRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDenseGeneralMidi)->Unit(benchmark::kMillisecond)->Iterations(2);

// VL_Play to the first block, with a decoding thread as in the program.
void startSong(benchmark::State& state, bool withMidi) {
    Engine engine;
    ManualDevice& device = engine.openManualDevice();
    engine.setSoundFontPath(kFullFont);
    vl::bench::loadSong(engine, media().song("start", 30.0, 44100));
    if (withMidi) engine.setTrackFile(8, 3, 0.8f, 0, densePath().c_str());
    engine.play(false, true, nullptr);
    engine.waitForSoundFont(std::chrono::seconds(60)); // loaded once, since the path was set
    std::array<float, 256 * kOutputChannels> data{};
    std::array<float*, kOutputChannels> channels{};
    for (int c = 0; c < kOutputChannels; ++c) channels[c] = data.data() + c * 256;
    for (auto _ : state) {
        engine.play(false, true, nullptr);
        device.render(channels.data(), 256);
    }
    engine.stop();
    if (engine.soundFontLoads() != 1) state.SkipWithError("the font was reloaded");
}
void BM_StartSongWithoutMidi(benchmark::State& state) { startSong(state, false); }
void BM_StartSongWithMidi(benchmark::State& state) { startSong(state, true); }
BENCHMARK(BM_StartSongWithoutMidi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartSongWithMidi)->Unit(benchmark::kMillisecond);

// Real-time playback on the no-sound device with the decoding thread: the short rendered
// start must carry the track until that thread takes over. Underruns are counted.
void BM_PlayDenseMidiInRealTime(benchmark::State& state) {
    Engine engine;
    engine.initAudioDriver(0, nullptr);
    engine.setSoundFontPath(kFullFont);
    vl::bench::loadSong(engine, media().song("start", 30.0, 44100));
    engine.setTrackFile(8, 3, 0.8f, 0, densePath().c_str());
    engine.play(false, true, nullptr);
    engine.waitForSoundFont(std::chrono::seconds(60)); // loaded once, since the path was set
    uint64_t underruns = 0;
    for (auto _ : state) {
        const uint64_t before = engine.counters().underruns.load();
        engine.play(false, true, nullptr);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        underruns += engine.counters().underruns.load() - before;
    }
    engine.quit();
    state.counters["underruns"] = double(underruns);
}
BENCHMARK(BM_PlayDenseMidiInRealTime)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
