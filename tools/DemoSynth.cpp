#include "DemoSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace vl::demo {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double beatSeconds(const SongStyle& s) { return 60.0 / s.bpm; }
int64_t beatFrames(const SongStyle& s) { return static_cast<int64_t>(beatSeconds(s) * kSampleRate); }
double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

Stereo silence(const SongStyle& s) { return Stereo(static_cast<std::size_t>(songFrames(s)) * 2, 0.0f); }

// Adds a mono sound at `start` with a constant pan (-1 left .. +1 right).
template <typename Voice>
void add(Stereo& out, int64_t start, int64_t length, double pan, Voice voice) {
    const double left = std::cos((pan + 1) * std::numbers::pi / 4);
    const double right = std::sin((pan + 1) * std::numbers::pi / 4);
    const int64_t frames = static_cast<int64_t>(out.size() / 2);
    for (int64_t i = 0; i < length && start + i < frames; ++i) {
        const double v = voice(static_cast<double>(i) / kSampleRate, i);
        out[static_cast<std::size_t>(2 * (start + i))] += static_cast<float>(v * left);
        out[static_cast<std::size_t>(2 * (start + i) + 1)] += static_cast<float>(v * right);
    }
}

// Chord of a bar: root, third and fifth above the bass root, an octave up.
std::array<int, 3> chordNotes(const SongStyle& s, int bar) {
    const int root = s.rootMidi + 12 + s.progression[static_cast<std::size_t>(bar % 4)];
    return {root, root + (s.minor ? 3 : 4), root + 7};
}

} // namespace

int64_t songFrames(const SongStyle& s) { return beatFrames(s) * 4 * s.bars + 2 * kSampleRate; }

Stereo drums(const SongStyle& s) {
    Stereo out = silence(s);
    std::mt19937 random(s.seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const int64_t beat = beatFrames(s);
    const int64_t eighth = beat / 2;
    for (int bar = 0; bar < s.bars; ++bar) {
        const int64_t barStart = beat * 4 * bar;
        for (int e = 0; e < 8; ++e) {
            const int64_t at = barStart + e * eighth;
            // Kick on 1 and 3, and on the "and" of 3 every other bar.
            if (e == 0 || e == 4 || (e == 5 && bar % 2 == 1)) {
                add(out, at, kSampleRate / 3, 0.0, [](double t, int64_t) {
                    const double phase = kTwoPi * (50 * t + 100 * (1 - std::exp(-t * 30)) / 30);
                    return 0.9 * std::sin(phase) * std::exp(-t * 9);
                });
            }
            // Snare on 2 and 4: a noise burst over a short tone.
            if (e == 2 || e == 6) {
                std::vector<double> burst(kSampleRate / 4);
                for (double& b : burst) b = noise(random);
                add(out, at, static_cast<int64_t>(burst.size()), -0.1, [&burst](double t, int64_t i) {
                    return (0.45 * burst[static_cast<std::size_t>(i)] + 0.3 * std::sin(kTwoPi * 190 * t)) *
                           std::exp(-t * 18);
                });
            }
            // Closed hi-hat on every eighth: differenced noise is bright enough.
            double previous = 0;
            std::vector<double> hiss(kSampleRate / 20);
            for (double& h : hiss) {
                const double n = noise(random);
                h = n - previous;
                previous = n;
            }
            const double accent = e % 2 == 0 ? 0.22 : 0.14;
            add(out, at, static_cast<int64_t>(hiss.size()), 0.35, [&hiss, accent](double t, int64_t i) {
                return accent * hiss[static_cast<std::size_t>(i)] * std::exp(-t * 70);
            });
        }
    }
    return out;
}

Stereo bass(const SongStyle& s) {
    Stereo out = silence(s);
    const int64_t beat = beatFrames(s);
    const int64_t eighth = beat / 2;
    // Root, root, octave, root, fifth, root, octave, fifth: a walking eighth-note figure.
    const int figure[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    for (int bar = 0; bar < s.bars; ++bar) {
        const int root = s.rootMidi + s.progression[static_cast<std::size_t>(bar % 4)];
        for (int e = 0; e < 8; ++e) {
            const double hz = midiHz(root + figure[e]);
            double lowpassed = 0;
            add(out, beat * 4 * bar + e * eighth, eighth, 0.0, [hz, &lowpassed](double t, int64_t) {
                const double saw = 2 * std::fmod(t * hz, 1.0) - 1;
                lowpassed += 0.08 * (saw - lowpassed);
                const double envelope = std::min(1.0, t * 400) * std::exp(-t * 3.5);
                return 0.55 * (lowpassed + 0.5 * std::sin(kTwoPi * hz * t)) * envelope;
            });
        }
    }
    return out;
}

Stereo pad(const SongStyle& s) {
    Stereo out = silence(s);
    const int64_t barFrames = beatFrames(s) * 4;
    for (int bar = 0; bar < s.bars; ++bar) {
        const auto notes = chordNotes(s, bar);
        const double barSeconds = static_cast<double>(barFrames) / kSampleRate;
        for (std::size_t n = 0; n < notes.size(); ++n) {
            for (int side = 0; side < 2; ++side) {
                // Two slightly detuned voices per note, one on each side.
                const double hz = midiHz(notes[n]) * (side == 0 ? 0.997 : 1.003);
                double lowpassed = 0;
                add(out, barFrames * bar, barFrames + kSampleRate / 2, side == 0 ? -0.7 : 0.7,
                    [hz, barSeconds, &lowpassed](double t, int64_t) {
                        const double saw = 2 * std::fmod(t * hz, 1.0) - 1;
                        lowpassed += 0.05 * (saw - lowpassed);
                        const double attack = std::min(1.0, t / 0.35);
                        const double release = t > barSeconds ? std::max(0.0, 1 - (t - barSeconds) / 0.5) : 1.0;
                        return 0.09 * lowpassed * attack * release;
                    });
            }
        }
    }
    return out;
}

Stereo click(const SongStyle& s) {
    Stereo out = silence(s);
    const int64_t beat = beatFrames(s);
    for (int b = 0; b < 4 * s.bars; ++b) {
        const double hz = b % 4 == 0 ? 1600 : 1000;
        add(out, beat * b, kSampleRate / 25, 0.0,
            [hz](double t, int64_t) { return 0.6 * std::sin(kTwoPi * hz * t) * std::exp(-t * 90); });
    }
    return out;
}

} // namespace vl::demo
