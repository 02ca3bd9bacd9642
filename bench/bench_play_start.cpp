// From the PLAY key to sound, as a musician meets it: the real program started as a process
// on the JACK dummy server (256 frames) and an X display, SPACE sent to its window through
// XTest, and the first non-silent sample taken from its output ports by a JACK client of
// this benchmark. For an audio song of eight tracks (PLAY at once after the row is chosen,
// after the program had a second to prepare it, and chosen while another song played), a
// song with a MIDI track and the full General MIDI font (the first PLAY right after
// start-up, and later ones) and a song with a video. The interface thread's heartbeat
// (VELLAMORINTH_HEARTBEAT) gives the longest stall around each start. VL_BENCH_BIN_DIR runs
// another build's program (figures before a change).
//
//   scripts/with-servers.sh build-bench/bench/bench_play_start [starts]
#include "BenchEngineMedia.h"
#include "tests/engine/MidiFileWriter.h"

#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "songs/ProgramFile.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kFullFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
const std::vector<std::string> kRows{"Audio", "Midi", "Video"};

std::string binDir() {
    const char* other = std::getenv("VL_BENCH_BIN_DIR");
    return other && *other ? other : VL_BIN_DIR;
}

std::string display() {
    const char* d = std::getenv("VL_TEST_DISPLAY");
    if (!d || !*d) d = std::getenv("DISPLAY");
    return d ? d : "";
}

void writeProgram(const fs::path& folder, const std::string& song, const std::vector<std::string>& files) {
    vl::SongProgram program;
    for (std::size_t t = 0; t < files.size(); ++t) {
        const fs::path file(files[t]);
        if (!fs::exists(folder / file.filename())) fs::create_hard_link(file, folder / file.filename());
        program.tracks[t].fileName = QString::fromStdString(file.filename().string());
        program.tracks[t].volume = 0.8f;
    }
    vl::writeTextLines(QString::fromStdString((folder / (song + ".p")).string()),
                       vl::writeProgramLines(program, vl::FileNames::Included));
    // Its length (a minute), as the program editor keeps it: the song list numbers timed songs
    // from 000, and a program change selects by that number.
    vl::writeTextLines(QString::fromStdString((folder / "inf").string()), {QString::number(60 * 176400)});
}

// A program folder on JACK with the three songs, the full font as the program's own.
fs::path makeHome(vl::bench::MediaFolder& media) {
    const fs::path home = media.path() / "home";
    const fs::path songs = home / "YourSongs";
    for (const std::string& row : kRows) fs::create_directories(songs / row);
    writeProgram(songs / "Audio", "Audio", media.song("eight", 60.0, 44100));
    std::vector<vl::test::SmfEvent> notes{vl::test::channelMessage(0, 0xC0, 0)};
    for (int i = 0; i < 240; ++i) {
        notes.push_back(vl::test::channelMessage(vl::test::at(i * 0.25), 0x90, uint8_t(48 + i % 24), 100));
        notes.push_back(vl::test::channelMessage(vl::test::at(i * 0.25 + 0.2), 0x80, uint8_t(48 + i % 24), 0));
    }
    vl::test::writeFile(media.path() / "tune.mid", vl::test::buildSmf({notes}));
    writeProgram(songs / "Midi", "Midi", {(media.path() / "tune.mid").string()});
    const fs::path clip = media.path() / "clip.mp4";
    if (!fs::exists(clip)) {
        const std::string make = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=640x360:rate=25 -t 60 "
                                 "-c:v libx264 -preset veryfast -pix_fmt yuv420p " + clip.string();
        if (std::system(make.c_str()) != 0) std::fprintf(stderr, "ffmpeg failed\n");
    }
    writeProgram(songs / "Video", "Video", {media.song("bed", 60.0, 44100)[0], clip.string()});
    std::vector<QString> rows;
    QStringList setlist;
    for (const std::string& row : kRows) setlist << QString::fromStdString(row);
    vl::writeTextLines(QString::fromStdString((songs / "Setlist.txt").string()), setlist);
    // The program's own data as a first start seeds it, with the full font as its font.
    fs::create_directories(home / "Data");
    fs::copy(binDir() + "/Data", home / "Data", fs::copy_options::recursive | fs::copy_options::skip_existing);
    fs::remove(home / "Data" / "gm.sf2");
    fs::create_symlink(kFullFont, home / "Data" / "gm.sf2");
    vl::writeTextLines(QString::fromStdString((home / "language").string()), {"english"});
    vl::Preferences prefs;
    prefs.audioDriverIndex = 1;
    prefs.audioDriverName = "JACK";
    prefs.setlistPath = QString::fromStdString((songs / "Setlist.txt").string());
    // The pedal: the benchmark's own JACK MIDI port, the first MIDI input there is.
    prefs.midiInIndex = 1;
    prefs.programChangeSelectsSong = true;
    vl::writePreferencesFile(QString::fromStdString((home / "prefs").string()), prefs, true);
    return home;
}

// Watches the program's output ports for the first non-silent sample after arm().
class SoundWatch {
public:
    SoundWatch() {
        client_ = jack_client_open("play-start-bench", JackNoStartServer, nullptr);
        if (!client_) return;
        for (int c = 0; c < 8; ++c)
            ports_[c] = jack_port_register(client_, ("in_" + std::to_string(c + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsInput, 0);
        pedal_ = jack_port_register(client_, "pedal", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(client_, &SoundWatch::process, this);
        jack_activate(client_);
    }
    ~SoundWatch() {
        if (client_) jack_client_close(client_);
    }
    bool ok() const { return client_ != nullptr; }
    double rate() const { return jack_get_sample_rate(client_); }
    // Connects every output port of the program; true once all eight are (they come one by one).
    bool connect() {
        const char** ports = jack_get_ports(client_, "^vellamorinth:", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        for (int n = 0; ports && ports[n] && n < 8; ++n)
            if (!jack_port_connected_to(ports_[n], ports[n])) jack_connect(client_, ports[n], jack_port_name(ports_[n]));
        if (ports) jack_free(ports);
        return connections() == 8;
    }
    bool silentSince(std::chrono::milliseconds span) {
        arm();
        std::this_thread::sleep_for(span);
        return sound_.load() == 0;
    }
    void arm() {
        sound_.store(0);
        armed_.store(true);
    }
    jack_nframes_t now() const { return jack_frame_time(client_); }
    int connections() const {
        int n = 0;
        for (jack_port_t* port : ports_) n += jack_port_connected(port);
        return n;
    }
    // The frame time of the first non-silent sample since arm(); 0 on timeout.
    jack_nframes_t waitForSound(std::chrono::milliseconds timeout) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (sound_.load() == 0 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(200us);
        armed_.store(false);
        return sound_.load();
    }

    // A program change on channel 1 from the pedal port, in the next cycle.
    void programChange(int program) { program_.store(program); }

private:
    static int process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<SoundWatch*>(arg);
        if (void* midi = jack_port_get_buffer(self->pedal_, frames)) {
            jack_midi_clear_buffer(midi);
            if (const int program = self->program_.exchange(-1); program >= 0) {
                const jack_midi_data_t change[2] = {0xC0, static_cast<jack_midi_data_t>(program)};
                jack_midi_event_write(midi, 0, change, 2);
            }
        }
        if (!self->armed_.load(std::memory_order_relaxed) || self->sound_.load(std::memory_order_relaxed)) return 0;
        const jack_nframes_t start = jack_last_frame_time(self->client_);
        for (int c = 0; c < 8; ++c) {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(self->ports_[c], frames));
            for (jack_nframes_t i = 0; i < frames; ++i)
                if (std::fabs(in[i]) > 1e-4f) {
                    self->sound_.store(std::max<jack_nframes_t>(1, start + i));
                    return 0;
                }
        }
        return 0;
    }
    jack_client_t* client_ = nullptr;
    jack_port_t* ports_[8] = {};
    jack_port_t* pedal_ = nullptr;
    std::atomic<int> program_{-1};
    std::atomic<bool> armed_{false};
    std::atomic<jack_nframes_t> sound_{0};
};

struct Program {
    pid_t pid = 0;
    Display* x = nullptr;
    fs::path heartbeat;

    Program(const fs::path& home, const fs::path& beat) : heartbeat(beat) {
        fs::remove(beat);
        const std::string program = binDir() + "/vellamorinth";
        std::vector<std::string> env{"VELLAMORINTH_HOME=" + home.string(), "QT_QPA_PLATFORM=xcb",
                                     "DISPLAY=" + display(), "VELLAMORINTH_HEARTBEAT=" + beat.string()};
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.emplace_back(*e);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data());
        x = XOpenDisplay(display().c_str());
    }
    ~Program() {
        if (x) XCloseDisplay(x);
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(50ms);
            if (waitpid(pid, &status, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
            }
        }
    }
    // Waits for the main window and gives it the keyboard.
    bool focus() {
        const std::string find = "DISPLAY=" + display() + " xdotool search --sync --onlyvisible --pid " +
                                 std::to_string(pid) + " --class vellamorinth windowactivate --sync >/dev/null 2>&1";
        return std::system(find.c_str()) == 0;
    }
    void key(KeySym sym) {
        const KeyCode code = XKeysymToKeycode(x, sym);
        XTestFakeKeyEvent(x, code, True, 0);
        XTestFakeKeyEvent(x, code, False, 0);
        XFlush(x);
    }
    // One key, and after `wait` another.
    void keysApart(KeySym first, std::chrono::milliseconds wait, KeySym then) {
        key(first);
        std::this_thread::sleep_for(wait);
        key(then);
    }
    void selectRow(int row) {
        for (int i = 0; i < 4; ++i) key(XK_Up);
        for (int i = 0; i < row; ++i) key(XK_Down);
        XSync(x, False);
    }
    // The interface thread's longest gap between two heartbeats that began at `since` or
    // later, in ms; 0 when none was over 30 ms, -1 without a heartbeat.
    long longestGap(long since) const {
        std::ifstream in(heartbeat);
        if (!in) return -1;
        long worst = 0, at = 0, late = 0;
        while (in >> at >> late)
            if (at - late - kTickMs >= since - kTickMs) worst = std::max(worst, late + kTickMs);
        return worst;
    }
    static constexpr long kTickMs = 10;
};

long steadyMs() {
    using namespace std::chrono;
    return static_cast<long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The heartbeat logs ticks more than 20 ms late.
std::string gapText(long gap) { return gap < 0 ? "not measured" : gap == 0 ? "under 30 ms" : std::to_string(gap) + " ms"; }

struct Figures {
    explicit Figures(std::string n) : name(std::move(n)) {}
    std::string name;
    std::vector<double> ms;
    long stall = -1;
    void print() const {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        const double median = s.empty() ? 0 : s[s.size() / 2];
        std::printf("%-36s starts %2zu   median %7.1f ms   worst %7.1f ms   longest heartbeat gap %s\n", name.c_str(),
                    s.size(), median, s.empty() ? 0 : s.back(), gapText(stall).c_str());
    }
};

// One PLAY: the key, then the first sound; then STOP and silence. The heartbeat's gaps
// from the PLAY to the silence count.
bool measure(Program& p, SoundWatch& watch, Figures& f) {
    const long since = steadyMs();
    if (!watch.connect()) std::fprintf(stderr, "the program's ports are not all there\n");
    watch.arm();
    p.key(XK_space);
    const jack_nframes_t pressed = watch.now();
    const jack_nframes_t sound = watch.waitForSound(10s);
    if (!sound) return false;
    f.ms.push_back(1000.0 * double(int32_t(sound - pressed)) / watch.rate());
    std::this_thread::sleep_for(300ms);
    p.key(XK_space);
    for (int i = 0; i < 40 && !watch.silentSince(100ms); ++i) {
    }
    f.stall = std::max(f.stall, p.longestGap(since));
    return true;
}

// The longest heartbeat gap of an action that takes no sound to show, over `times` of it.
template <typename Action> void stallOf(const char* name, Program& p, int times, Action action) {
    long worst = -1;
    for (int i = 0; i < times; ++i) {
        const long since = steadyMs();
        action();
        std::this_thread::sleep_for(600ms);
        worst = std::max(worst, p.longestGap(since));
    }
    std::printf("%-36s %2d times   longest heartbeat gap %s\n", name, times, gapText(worst).c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (display().empty()) return std::fprintf(stderr, "no X display (run under scripts/with-servers.sh)\n"), 1;
    SoundWatch watch;
    if (!watch.ok()) return std::fprintf(stderr, "no JACK server (run under scripts/with-servers.sh)\n"), 1;
    vl::bench::MediaFolder media;
    const fs::path home = makeHome(media);
    const fs::path beat = media.path() / "heartbeat";
    std::printf("program: %s, JACK at %.0f Hz\n", binDir().c_str(), watch.rate());

    Figures firstMidi("MIDI, first PLAY after start-up");
    for (int i = 0; i < starts; ++i) {
        Program p(home, beat);
        if (!p.focus()) return std::fprintf(stderr, "the main window did not show\n"), 1;
        for (int k = 0; k < 100 && !watch.connect(); ++k) std::this_thread::sleep_for(50ms);
        p.selectRow(1);
        if (!measure(p, watch, firstMidi))
            std::fprintf(stderr, "no sound from the MIDI song (%d ports connected)\n", watch.connections());
    }
    firstMidi.print();

    Program p(home, beat);
    if (!p.focus()) return std::fprintf(stderr, "the main window did not show\n"), 1;
    for (int k = 0; k < 100 && !watch.connect(); ++k) std::this_thread::sleep_for(50ms);
    p.selectRow(2);
    std::this_thread::sleep_for(3s); // the font loaded
    // "At once": the keys that choose the row and SPACE come together, so nothing was prepared;
    // "1 s after choosing": the highlighted row had the time to be prepared.
    Figures audioAtOnce("audio, 8 tracks, PLAY at once"), audioReady("audio, 8 tracks, 1 s after choosing"),
        midiAtOnce("MIDI, later PLAYs at once"), midiReady("MIDI, later PLAYs 1 s after choosing"),
        video("video + audio track, 1 s after"), videoAtOnce("video + audio track, at once");
    for (int i = 0; i < starts; ++i) {
        p.selectRow(0);
        measure(p, watch, audioAtOnce);
        std::this_thread::sleep_for(1s);
        measure(p, watch, audioReady);
        p.selectRow(1);
        measure(p, watch, midiAtOnce);
        std::this_thread::sleep_for(1s);
        measure(p, watch, midiReady);
        p.selectRow(2);
        measure(p, watch, videoAtOnce);
        std::this_thread::sleep_for(1s);
        measure(p, watch, video);
    }
    // The row chosen while another song plays is prepared beside it: STOP, then PLAY.
    Figures audioBeside("audio, 8 tracks, chosen while playing");
    for (int i = 0; i < starts; ++i) {
        p.selectRow(2);
        p.key(XK_space);
        std::this_thread::sleep_for(2500ms);
        p.selectRow(0);
        std::this_thread::sleep_for(1s);
        p.key(XK_space);
        for (int k = 0; k < 40 && !watch.silentSince(100ms); ++k) {
        }
        measure(p, watch, audioBeside);
    }
    for (const Figures* f : {&audioAtOnce, &audioReady, &audioBeside, &midiAtOnce, &midiReady, &videoAtOnce, &video})
        f->print();

    // The actions of a show that make no sound of their own, while the eight-track song plays.
    stallOf("UP/DOWN, stopped (rows prepared)", p, starts, [&] { p.keysApart(XK_Down, 600ms, XK_Up); });
    p.selectRow(0);
    stallOf("program change from a pedal, stopped", p, starts, [&] {
        watch.programChange(1);
        std::this_thread::sleep_for(600ms);
        watch.programChange(0);
    });
    p.key(XK_space);
    // Another song's number stops the playing one, and the next PLAY starts it.
    stallOf("program change from a pedal, playing", p, starts, [&] {
        watch.programChange(1);
        std::this_thread::sleep_for(300ms);
        watch.programChange(0);
        std::this_thread::sleep_for(300ms);
        p.key(XK_space);
    });
    stallOf("UP/DOWN while playing", p, starts, [&] { p.keysApart(XK_Down, 300ms, XK_Up); });
    stallOf("dark view on and off while playing", p, starts, [&] { p.keysApart(XK_Tab, 600ms, XK_Tab); });
    stallOf("lyric view and back while playing", p, starts, [&] { p.keysApart(XK_Return, 600ms, XK_Return); });
    p.key(XK_space);
    return 0;
}
