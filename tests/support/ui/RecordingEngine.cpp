#include "support/ui/RecordingEngine.h"

namespace vl::test {

RecordingEngine* RecordingEngine::current = nullptr;

namespace {

RecordingEngine& r() { return *RecordingEngine::current; }
void log(const char* name, std::vector<double> n, const char* text = nullptr) {
    r().calls.push_back({name, std::move(n), text ? text : ""});
}

void WndMainProc(void*, uint32_t m, uint32_t w, int32_t l) { log("WndMainProc", {double(m), double(w), double(l)}); }
int32_t Play(uint8_t measure, uint8_t noMidi, void*) {
    log("Play", {double(measure), double(noMidi)});
    if (measure) return static_cast<int32_t>(r().measureResult);
    if (r().playResult == 1 && r().playSetsPlaying) r().playing = 1;
    return r().playResult;
}
int32_t Stop() {
    log("Stop", {});
    r().playing = 0;
    return 1;
}
uint32_t GetSongPos() { return r().songPos; }
uint32_t GetMaxSongPos() { return r().maxSongPos; }
void SetSongPos(uint32_t p) { log("SetSongPos", {double(p)}); }
int32_t GetPlaying() { return r().playing; }
void SetEq(int32_t t, float a, float b, float c) { log("SetEq", {double(t), a, b, c}); }
void SetCompr(int32_t t, int32_t a, int32_t b, int32_t c, int32_t d) {
    log("SetCompr", {double(t), double(a), double(b), double(c), double(d)});
}
void SendEff(int32_t t, int16_t a, int16_t b) { log("SendEff", {double(t), double(a), double(b)}); }
void SetBusReverb(int32_t a, int32_t b) { log("SetBusReverb", {double(a), double(b)}); }
void SetBusDelay(int32_t a, int32_t b, int32_t c) { log("SetBusDelay", {double(a), double(b), double(c)}); }
void SetBusEffVol(int16_t a, int16_t b) { log("SetBusEffVol", {double(a), double(b)}); }
void SetMasterVol(float v) { log("SetMasterVol", {v}); }
void SetSoundFontPath(const char* p) { log("SetSoundFontPath", {}, p); }
int32_t GetMidiTextUpdated(uint8_t f) { return f == 1 ? 1 : 0; }
const char* GetMidiText(int32_t) { return ""; }
int32_t GetMidiPlayNow() { return 0; }
int32_t StreamMidiFile(const char*) { return 1; }
int32_t CheckAudioFile(const char*) { return 1; }
int32_t InitAudioDriver(int32_t d, void*) {
    log("InitAudioDriver", {double(d)});
    r().playing = 0;
    return d == -1 ? 0 : 1;
}
int32_t ControlPanel() {
    log("ASIO_ControlPanel", {});
    return 0;
}
void RefreshDriverList() { log("RefreshDriverList", {}); }
const char* GetDriverName(int32_t i) {
    if (i < 0 || i >= static_cast<int32_t>(r().driverNames.size())) return "no";
    return r().driverNames[static_cast<std::size_t>(i)].c_str();
}
void SetAFileName(int32_t s, uint8_t o, float g, int16_t p, const char* path) {
    log("SetAFileName", {double(s), double(o), g, double(p)}, path);
}
void SetClickVars(uint8_t, const char*, float, int32_t, int32_t, int32_t, float) { log("SetClickVars", {}); }
void SetMidiOutCallBack(VL_MidiOutCallback) { log("SetMidiOutCallBack", {}); }
void Quit() { log("Quit", {}); }
void Tanglewheel(int32_t) {}
int32_t GetDeviceState() { return r().deviceState; }

} // namespace

EngineFunctions RecordingEngine::functions() {
    current = this;
    EngineFunctions f;
    f.WndMainProc = WndMainProc;
    f.Play = Play;
    f.Stop = Stop;
    f.GetSongPos = GetSongPos;
    f.GetMaxSongPos = GetMaxSongPos;
    f.SetSongPos = SetSongPos;
    f.GetPlaying = GetPlaying;
    f.SetEq = SetEq;
    f.SetCompr = SetCompr;
    f.SendEff = SendEff;
    f.SetBusReverb = SetBusReverb;
    f.SetBusDelay = SetBusDelay;
    f.SetBusEffVol = SetBusEffVol;
    f.SetMasterVol = SetMasterVol;
    f.SetSoundFontPath = SetSoundFontPath;
    f.GetMidiTextUpdated = GetMidiTextUpdated;
    f.GetMidiText = GetMidiText;
    f.GetMidiPlayNow = GetMidiPlayNow;
    f.StreamMidiFile = StreamMidiFile;
    f.CheckAudioFile = CheckAudioFile;
    f.InitAudioDriver = InitAudioDriver;
    f.ASIO_ControlPanel = ControlPanel;
    f.GetDriverName = GetDriverName;
    f.RefreshDriverList = RefreshDriverList;
    f.SetAFileName = SetAFileName;
    f.SetClickVars = SetClickVars;
    f.SetMidiOutCallBack = SetMidiOutCallBack;
    f.Quit = Quit;
    f.Tanglewheel = Tanglewheel;
    f.GetDeviceState = GetDeviceState;
    return f;
}

std::vector<std::string> RecordingEngine::names() const {
    std::vector<std::string> out;
    for (const auto& c : calls) out.push_back(c.name);
    return out;
}

std::vector<EngineCall> RecordingEngine::callsNamed(const std::string& name) const {
    std::vector<EngineCall> out;
    for (const auto& c : calls)
        if (c.name == name) out.push_back(c);
    return out;
}

} // namespace vl::test
