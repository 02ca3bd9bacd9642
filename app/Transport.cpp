#include "app/Transport.h"

#include "app/MainWindow.h"
#include "app/PlaybackWindow.h"
#include "app/TimecodeToEngine.h"
#include "core/AppState.h"
#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "core/TimeTexts.h"
#include "mixer/SongProgramStore.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "setlists/SongListModel.h"
#include "settings/Settings.h"
#include "songs/ProgramFile.h"
#include "songs/SongPaths.h"

#include <QFileInfo>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <utility>

namespace vl {

namespace {
// The next song is handed to the engine this long before the end of the playing one:
// its files open and its rings fill while the last notes play.
constexpr int64_t kSegueLeadSongBytes = 3 * kSongBytesPerSecond / 2;
} // namespace

MixerInputs Transport::mixerInputs() const {
    const Preferences& prefs = p_.settings.prefs();
    MixerInputs inputs;
    inputs.globalMute = prefs.globalMute;
    inputs.subgroupOutput = prefs.subgroupOutput;
    inputs.midiMasterVolumeEnabled = prefs.midiMasterVolumeEnabled;
    inputs.channelFaders = &p_.state.channelFaders;
    inputs.masterFactor = &p_.state.masterFactor;
    return inputs;
}

bool Transport::loadSelectedSongProgram() {
    SongListModel& songs = p_.songs;
    const SongChoice choice{editorVisible(), songs.title(p_.state.playingSong), songs.title(songs.selectedRow())};
    const LoadOutcome outcome = p_.programStore.loadSongProgram(p_.state.songsRoot, choice);
    if (outcome.row == ChosenRow::Selected && songs.selectedRow() >= 0) p_.state.selectedRow = songs.selectedRow();
    // The open program editor's song keeps the program being edited.
    return outcome.row == ChosenRow::None || outcome.read;
}

QString Transport::whyNotPlayable(const QString& song, bool programRead) const {
    const InterfaceTexts& texts = p_.texts;
    if (!isBareName(song)) return texts[StatusText::SongOutsideSongsFolder].arg(song);
    if (!QFileInfo(QFileInfo(songProgramPath(p_.state.songsRoot, song)).path()).isDir())
        return texts[StatusText::SongFolderMissing].arg(song);
    if (!programRead) return texts[StatusText::SongProgramMissing].arg(song);
    return {};
}

QString Transport::unreadableFiles(const QString& song) const {
    const EngineFunctions& engine = p_.engine;
    if (!engine.GetUnreadableFile) return {};
    QStringList said;
    const auto say = [&](int which, StatusText text) {
        const char* path = engine.GetUnreadableFile(which);
        if (path && *path) said.append(p_.texts[text].arg(QString::fromUtf8(path)));
    };
    say(VL_UNREADABLE_MIDI_FILE, StatusText::MidiFileUnreadable);
    say(VL_UNREADABLE_SOUND_FONT, StatusText::SoundFontUnreadable);
    const MixerInputs inputs = mixerInputs();
    for (int i = 0; i < kPlayedTracks; ++i) {
        // Only a file the song names: an empty or globally muted slot was handed over as no file.
        const QString named = songFilePath(p_.state.songsRoot, song, p_.program.tracks[static_cast<std::size_t>(i)].fileName);
        if (named.isEmpty() || inputs.globalMute[static_cast<std::size_t>(i)]) continue;
        const char* path = engine.GetUnreadableFile(VL_UNREADABLE_TRACK + i + 1);
        if (!path || !*path) continue;
        const char* why = engine.GetUnreadableFile(VL_UNREADABLE_TRACK_WHY + i + 1);
        said.append(p_.texts[StatusText::TrackUnreadable]
                        .arg(i + 1)
                        .arg(QFileInfo(QString::fromUtf8(path)).fileName(), QString::fromUtf8(why ? why : "")));
    }
    return said.join(QStringLiteral("   \u2014   "));
}

void Transport::applyMixer() { applyMixerToEngine(p_.engine, p_.program, mixerInputs()); }

bool Transport::playing() const { return p_.engine.GetPlaying() != 0; }

void Transport::startPlayback(bool reload) {
    AppState& state = p_.state;
    MainWindow& w = p_.window;
    const EngineFunctions& engine = p_.engine;
    if (engine.GetPlaying() == 1) {
        stopPlayback();
        return;
    }
    // The program editor keeps its own song while open.
    if (!editorVisible()) {
        state.currentSong = p_.songs.selectedRow();
        // A row chosen by type-ahead is what plays, so the selection follows it.
        if (state.currentSong >= 0) state.selectedRow = state.currentSong;
        if (state.playingSong != state.currentSong) {
            state.startPosition = 0;
            w.setStartPoint(0);
        }
    }
    // After the selection has followed, so that the lyric is the one of the song that plays.
    emit songStarting();
    const bool programRead = !reload || loadSelectedSongProgram();
    const QString song = p_.songs.title(state.selectedRow);
    // A row that is no playable song plays nothing at all: never the slots of the song before.
    const QString refused = song.isEmpty() ? QString() : whyNotPlayable(song, programRead);
    if (song.isEmpty() || !refused.isEmpty()) {
        stopPlayback();
        state.playingSong = state.currentSong;
        w.showSongNotice(refused);
        emit songNoticeChanged(refused);
        return;
    }
    handTracksToEngine(engine, p_.program, mixerInputs(), state.songsRoot, song, GlobalMutes::Honour);
    engine.SetSongPos(static_cast<uint32_t>(w.startPoint()));
    preparedRow_ = -1; // the start takes the prepared song, or drops it
    besideFrom_.setRemainingTime(kPrepareBesideAfterMs);
    state.startPosition = w.startPoint();
    emit aboutToStartEngine();
    applyMixer();
    if (exactStart_ && engine.SetStartSongBytes) {
        const double seconds = std::max(0.0, exactStart_(lastStartSeconds_));
        engine.SetStartSongBytes(static_cast<uint32_t>(std::min(seconds * kSongBytesPerSecond, 4.0e9)) / 4 * 4);
    }
    exactStart_ = nullptr;
    const auto engineStart = std::chrono::steady_clock::now();
    handTimecodeToEngine(engine, p_.settings.timecode(), songTimecodeStart(state.songsRoot, song));
    const int result = engine.Play(0, p_.settings.prefs().noMidiFileToMidiOut ? 1 : 0, videoSinkOf(&p_.playbackWindow));
    if (result == 1) lastStartSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - engineStart).count();
    const QString notice = result == 1 ? unreadableFiles(song) : QString();
    playingTitle_ = song;
    fontFaultShown_ = fontFault();
    segueTried_ = false;
    w.showSongNotice(notice);
    emit songNoticeChanged(notice);
    if (result == 1) {
        const bool normal = !w.stageView();
        applyMixer();
        if (normal) w.showPlaying(true);
        p_.songs.setPlayingRow(state.currentSong);
        if (w.isVisible()) {
            if (normal) {
                w.focusPlayButton();
            } else {
                w.focusSongList();
                w.showPlaying(false);
            }
        }
    } else {
        stopPlayback();
    }
    state.playingSong = state.currentSong;
    emit engineStarted();
    if (p_.settings.prefs().audioDriverIndex == 0) {
        p_.settings.openSettingsWindow();
        p_.dialogs.message(p_.texts[TextId::MessagePlayNoDriverTitle], p_.texts[TextId::MessagePlayNoDriverBody]);
    }
    // Not over the program editor: the mix is being worked on.
    if (p_.settings.prefs().playShowsLyric && !editorVisible()) emit lyricWanted();
    emit playbackChanged();
}

bool Transport::fontFault() const {
    if (!p_.engine.GetUnreadableFile) return false;
    const char* font = p_.engine.GetUnreadableFile(VL_UNREADABLE_SOUND_FONT);
    return font && *font;
}

void Transport::showLateFontFault() {
    if (fontFaultShown_ || !fontFault()) return;
    fontFaultShown_ = true;
    const QString notice = unreadableFiles(playingTitle_);
    p_.window.showSongNotice(notice);
    emit songNoticeChanged(notice);
}

void Transport::stopPlayback() {
    // Whoever stops the song first, the end of song waiting to happen is off, and so is a
    // queued next song (the engine drops it).
    endOfSongDeadline_.reset();
    segueQueued_ = false;
    AppState& state = p_.state;
    MainWindow& w = p_.window;
    if (w.isVisible()) w.focusSongList();
    p_.playbackWindow.hide();
    w.showPlaying(false);
    p_.engine.Stop();
    emit engineStopped();
    w.showPosition(state.startPosition);
    p_.songs.setPlayingRow(-1);
    state.currentSong = p_.songs.selectedRow();
    emit songStopped();
    emit playbackChanged();
}

bool Transport::atEndOfSong() const {
    const int64_t position = p_.engine.GetSongPos();
    const int64_t length = p_.engine.GetMaxSongPos();
    return position >= length - 10000;
}

void Transport::updatePositionDisplays() {
    if (endOfSongDeadline_) {
        // The last notes ring out before the song is stopped; the event loop runs on meanwhile.
        if (endOfSongDeadline_->hasExpired()) finishSong();
        return;
    }
    if (p_.engine.GetPlaying() != 1) {
        prepareUpcomingSong();
        return;
    }
    if (segueQueued_) {
        if (const int started = p_.engine.GetNextSongStarted()) takeOverQueuedSong(started);
    }
    showLateFontFault();
    const int perMille = positionPerMille(p_.engine.GetSongPos(), p_.engine.GetMaxSongPos());
    p_.window.showPosition(perMille);
    emit positionShown(perMille);
    if (!segueTried_ && segueWanted() &&
        p_.engine.GetMaxSongPos() - std::min(p_.engine.GetSongPos(), p_.engine.GetMaxSongPos()) <= kSegueLeadSongBytes)
        queueNextSong();
    prepareUpcomingSong();
    if (segueQueued_ || !atEndOfSong()) return;
    endOfSongDeadline_ = QDeadlineTimer(segueMs());
    if (endOfSongDeadline_->hasExpired()) finishSong();
}

void Transport::finishSong() {
    AppState& state = p_.state;
    MainWindow& w = p_.window;
    stopPlayback();
    if (lyricEditorOpen_ && lyricEditorOpen_()) return;
    const int rows = p_.songs.rowCount();
    if (w.jumpToNext() && state.currentSong == state.playingSong && state.currentSong >= 0 &&
        state.currentSong + 1 < rows) {
        ++state.currentSong;
        p_.songs.select(state.currentSong);
        state.startPosition = 0;
        stopPlayback();
        loadSelectedSongProgram();
        emit songAdvanced();
    }
    if (w.autoPlay() && state.currentSong >= 0 && state.currentSong < rows && state.currentSong != state.playingSong) {
        startPlayback(true);
        if (state.lyricSecondWindow) emit lyricWanted();
    }
}

int Transport::segueMs() const {
    return std::clamp(p_.segueMsForRun.value_or(p_.settings.prefs().segueMs), 0, kMaxSegueMs);
}

bool Transport::segueWanted() const {
    const AppState& state = p_.state;
    const EngineFunctions& engine = p_.engine;
    return engine.BeginNextSong && engine.QueueNextSong && engine.GetNextSongStarted && segueMs() < kMaxSegueMs &&
           p_.window.jumpToNext() && p_.window.autoPlay() && !editorVisible() &&
           !(lyricEditorOpen_ && lyricEditorOpen_()) && state.currentSong == state.playingSong &&
           state.playingSong >= 0 && state.playingSong + 1 < p_.songs.rowCount();
}

bool Transport::readProgramOf(const QString& song, SongProgram& program) const {
    const auto lines = readTextLines(songProgramPath(p_.state.songsRoot, song));
    return lines && readProgramLines(*lines, program, FileNames::Included);
}

void Transport::prepareUpcomingSong() {
    const EngineFunctions& engine = p_.engine;
    const int selected = p_.songs.selectedRow();
    if (!engine.PrepareSong || editorVisible() || selected < 0) return;
    // Once the highlight rests: a row passed over on the way is not opened.
    if (std::exchange(restingRow_, selected) != selected) return;
    const bool beside = engine.GetPlaying() == 1;
    int row = selected;
    // As startPlayback() will start it: from the start point only when it played last.
    int start = row == p_.state.playingSong ? p_.window.startPoint() : 0;
    if (beside) {
        // Not while the playing song's rings still fill, nor once the next song is queued.
        if (!engine.BeginNextSong || segueQueued_ || !besideFrom_.hasExpired()) return;
        // The highlighted row when the musician chose another, else the row the end jumps to.
        if (selected == p_.state.playingSong) {
            if (!p_.window.jumpToNext() || selected + 1 >= p_.songs.rowCount()) return;
            row = selected + 1;
        }
        start = 0;
    }
    if (row == preparedRow_ && start == preparedStart_) return;
    preparedRow_ = row;
    preparedStart_ = start;
    const QString song = p_.songs.title(row);
    SongProgram program;
    const bool read = readProgramOf(song, program);
    if (song.isEmpty() || !whyNotPlayable(song, read).isEmpty()) return;
    // Beside the playing song, into the engine's other slots: the playing song keeps its levels.
    if (beside) engine.BeginNextSong();
    handTracksToEngine(engine, program, mixerInputs(), p_.state.songsRoot, song, GlobalMutes::Honour);
    applyTrackLevelsToEngine(engine, program, mixerInputs());
    engine.SetSongPos(static_cast<uint32_t>(start));
    engine.PrepareSong(p_.settings.prefs().noMidiFileToMidiOut ? 1 : 0);
}

void Transport::queueNextSong() {
    segueTried_ = true;
    const int row = p_.state.playingSong + 1;
    const QString song = p_.songs.title(row);
    SongProgram program;
    const bool read = readProgramOf(song, program);
    // A song that cannot play is left to the end of this one, which says why.
    if (song.isEmpty() || !whyNotPlayable(song, read).isEmpty()) return;
    const EngineFunctions& engine = p_.engine;
    engine.BeginNextSong();
    handTracksToEngine(engine, program, mixerInputs(), p_.state.songsRoot, song, GlobalMutes::Honour);
    // Its mutes and faders from its first sample: the rest of its mix follows at the switch.
    applyTrackLevelsToEngine(engine, program, mixerInputs());
    engine.SetSongPos(0);
    preparedRow_ = -1; // queued as it was prepared, or the preparing dropped
    segueQueued_ = engine.QueueNextSong(static_cast<uint32_t>(segueMs()),
                                        p_.settings.prefs().noMidiFileToMidiOut ? 1 : 0,
                                        videoSinkOf(&p_.playbackWindow)) == 1;
    // The queued song's tracks have their own effects: its equalisers and compressors are
    // set before its first sample; the buses and the master are the playing song's until the switch.
    if (segueQueued_) applyTrackEqAndCompressorToEngine(engine, program);
    segueRow_ = row;
}

void Transport::takeOverQueuedSong(int started) {
    AppState& state = p_.state;
    MainWindow& w = p_.window;
    segueQueued_ = false;
    segueTried_ = false;
    // 2: the new song has a video and its window shows; 1: none.
    if (started != 2) p_.playbackWindow.hide();
    emit engineStopped();
    emit songStopped();
    state.currentSong = state.playingSong = state.selectedRow = segueRow_;
    p_.songs.select(segueRow_);
    p_.songs.setPlayingRow(segueRow_);
    state.startPosition = 0;
    w.setStartPoint(0);
    besideFrom_.setRemainingTime(kPrepareBesideAfterMs);
    loadSelectedSongProgram();
    emit songAdvanced();
    emit songStarting();
    emit aboutToStartEngine();
    applyMixer();
    playingTitle_ = p_.songs.title(segueRow_);
    const QString notice = unreadableFiles(playingTitle_);
    fontFaultShown_ = fontFault();
    w.showSongNotice(notice);
    emit songNoticeChanged(notice);
    emit engineStarted();
    if ((p_.settings.prefs().playShowsLyric && !editorVisible()) || state.lyricSecondWindow) emit lyricWanted();
    emit playbackChanged();
}

SongClock Transport::readClock() const {
    const QString unknown = QStringLiteral("--:--");
    if (!playing()) {
        const int row = p_.songs.selectedRow();
        const bool known = row >= 0 && row < p_.songs.rowCount() && p_.songs.rows()[static_cast<std::size_t>(row)].timed();
        return {unknown, known ? p_.songs.rows()[static_cast<std::size_t>(row)].time : unknown, false};
    }
    const uint64_t length = p_.engine.GetMaxSongPos();
    const uint64_t position = std::min<uint64_t>(p_.engine.GetSongPos(), length);
    // Counted down in whole seconds begun, so it reads 00:00 only at the very end.
    const uint64_t left = length - position + kSongBytesPerSecond - 1;
    return {minutesSeconds(position), QStringLiteral("-") + minutesSeconds(left), true};
}

void Transport::updateTimeDisplay() {
    if (SongClock clock = readClock(); clock != clock_) {
        clock_ = std::move(clock);
        p_.window.showSongClock(clock_.elapsed, clock_.remaining, clock_.running);
        emit songClockChanged();
    }
    AppState& state = p_.state;
    const QString text = QStringLiteral("TIME (m:s) ") + minutesSeconds(p_.engine.GetSongPos());
    if (text != state.lastTimeText) {
        int next = state.currentSong + 1;
        const int selected = p_.songs.selectedRow();
        if (selected != state.currentSong) next = selected;
        emit timeTextChanged(text, text + QStringLiteral("        >>> ") + p_.songs.title(next));
    }
    state.lastTimeText = text;
}

void Transport::showSliderTime(int value) {
    const int64_t total = p_.engine.GetMaxSongPos() / kSongBytesPerSecond;
    const int64_t t = total * value / 1000;
    p_.window.showSliderTime(QStringLiteral("(m:s) ") + minutesSeconds(static_cast<uint64_t>(t) * kSongBytesPerSecond));
}

void Transport::positionSliderMoved() {
    if (playing()) stopPlayback();
    const int value = p_.window.startPoint();
    p_.window.showPosition(value);
    showSliderTime(value);
}

void Transport::moveStartPosition(int delta) {
    p_.state.startPosition += delta;
    // Bar and slider show the same place after every seek.
    p_.window.showPosition(p_.state.startPosition);
}

} // namespace vl
