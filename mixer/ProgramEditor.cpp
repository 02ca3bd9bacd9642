#include "mixer/ProgramEditor.h"

#include "core/AppState.h"
#include "core/InterfaceTexts.h"
#include "mixer/ChannelEffectsWindow.h"
#include "mixer/OutputMeters.h"
#include "mixer/ProgramEditorWindow.h"
#include "mixer/TimecodeStartField.h"
#include "mixer/TrackImport.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "platform/WindowPlace.h"
#include "songs/MixerFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongFolders.h"
#include "songs/SongPaths.h"
#include "songs/ValueLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>

#include <algorithm>
#include <array>

namespace vl {

namespace {

constexpr QSize kEditorPlace{794, 464};

TrackSettings& trackOf(SongProgram& program, int row) { return program.tracks[static_cast<std::size_t>(row)]; }

// Slider positions of stored values, which come from files and may lie anywhere.
int offsetPosition(int32_t value, int limit) { return std::clamp(value, -limit, limit) + limit; }
int levelPosition(float level) { return std::clamp(roundToInt(static_cast<double>(level) * 100.0), 0, 100); }
float levelOf(const QSlider* slider) { return static_cast<float>(slider->value() * 0.01); }

void writeValueFields(ChannelEffectsWindow& e, const TrackSettings& t) {
    e.bass.field->setText(QString::number(t.bass));
    e.mid.field->setText(QString::number(t.mid));
    e.treble.field->setText(QString::number(t.treble));
    e.ratio.field->setText(QString::number(roundToInt(t.ratio)) + QStringLiteral(":1"));
    e.threshold.field->setText(QString::number(roundToInt(t.threshold)));
    e.release.field->setText(QString::number(roundToInt(t.release)));
}

} // namespace

ProgramEditor::ProgramEditor(ProgramEditorContext context)
    : ctx_(context), window_(std::make_unique<ProgramEditorWindow>(ctx_.texts, ctx_.fonts)),
      timecode_(std::make_unique<TimecodeStartField>(*window_->timecodeStart, ctx_.texts)),
      effects_(new ChannelEffectsWindow(ctx_.texts, ctx_.fonts, window_.get())) {
    ProgramEditorWindow* w = window_.get();
    connect(w, &ProgramEditorWindow::trackClicked, this, &ProgramEditor::importTrack);
    connect(w, &ProgramEditorWindow::effectEditClicked, this, &ProgramEditor::editEffects);
    connect(w, &ProgramEditorWindow::subOutUsed, this, &ProgramEditor::markChanged);
    connect(w, &ProgramEditorWindow::touched, this, &ProgramEditor::markChanged);
    connect(w, &ProgramEditorWindow::okClicked, this, &ProgramEditor::confirm);
    connect(w, &ProgramEditorWindow::playClicked, this, [this] { ctx_.host.startPlayback(false); });
    connect(w, &ProgramEditorWindow::loadMixerClicked, this, &ProgramEditor::loadMixer);
    connect(w, &ProgramEditorWindow::saveMixerClicked, this, &ProgramEditor::saveMixer);
    connect(effects_, &ChannelEffectsWindow::okClicked, effects_, &QWidget::hide);
    connect(effects_, &ChannelEffectsWindow::touched, this, &ProgramEditor::markChanged);
    meterClock_.start();
    // An older engine module measures no output.
    w->meters->setVisible(ctx_.engine.GetOutputPeaks != nullptr);
    // SPACE plays and stops in both windows, with the values being edited.
    for (QWidget* keyWindow : {static_cast<QWidget*>(w), static_cast<QWidget*>(effects_)}) {
        auto* space = new QShortcut(QKeySequence(Qt::Key_Space), keyWindow);
        space->setContext(Qt::WindowShortcut);
        connect(space, &QShortcut::activated, this, [this] { ctx_.host.startPlayback(false); });
    }
}

ProgramEditor::~ProgramEditor() = default;

bool ProgramEditor::visible() const { return window_->isVisible(); }

QString ProgramEditor::mixerPath() const { return ctx_.state.programFolder + QStringLiteral("Data/mixer.p"); }

bool ProgramEditor::openProgramEditor() {
    const QString song = ctx_.host.songToEdit();
    if (!ensureSongFile(SongFileKind::Program, song, ctx_.state.songsRoot, ctx_.state.programFolder, ctx_.dialogs,
                        ctx_.texts, &ctx_.program))
        return false;
    programDirty_ = false;
    fillProgramEditor(true);
    // What played before the editor opened is no part of this song's levels.
    if (ctx_.engine.GetOutputPeaks) {
        std::array<float, OutputMeters::kChannels> discarded{};
        ctx_.engine.GetOutputPeaks(discarded.data(), OutputMeters::kChannels);
    }
    window_->meters->reset();
    QWidget* main = ctx_.host.mainWindow();
    if (main) placeWindow(*window_, windowPlace(*main));
    window_->show();
    window_->raise();
    window_->activateWindow();
    if (main) main->hide();
    return true;
}

void ProgramEditor::startFromEmptyProgram() {
    // What a new song starts with, rather than the values of the song loaded before.
    SongProgram empty;
    const auto lines = readTextLines(ctx_.state.programFolder + QStringLiteral("Data/emptySong.p"));
    if (!lines || !readProgramLines(*lines, empty, FileNames::Included))
        for (TrackSettings& t : empty.tracks) t.volume = 1.0f;
    for (TrackSettings& t : empty.tracks) t.fileName.clear();
    ctx_.program = empty;
}

void ProgramEditor::fillProgramEditor(bool reload) {
    if (reload) {
        const LoadOutcome outcome = ctx_.host.loadSongProgram();
        if (outcome.row != ChosenRow::None) {
            editedSong_ = outcome.song;
            timecode_->load(timecodeStartPath(ctx_.state.songsRoot, editedSong_));
            if (!outcome.read) startFromEmptyProgram();
            window_->showNotice(outcome.read ? QString()
                                             : ctx_.texts[StatusText::ProgramUnreadable].arg(outcome.song));
        }
    }
    ProgramEditorWindow& w = *window_;
    const SongProgram& p = ctx_.program;
    for (int row = 0; row < ProgramEditorWindow::kStrips; ++row) {
        ProgramEditorWindow::Strip& s = w.strips[static_cast<std::size_t>(row)];
        const TrackSettings& t = p.tracks[static_cast<std::size_t>(row)];
        s.subOut->clear();
        s.subOut->addItems({QStringLiteral("1/2"), QStringLiteral("3/4"), QStringLiteral("5/6"), QStringLiteral("7/8")});
        s.track->setFileName(t.fileName);
        s.mute->setChecked(t.mute != 0);
        // A pair no selector names stays as stored until the user picks one.
        s.subOut->setCurrentIndex(t.outputPair >= 0 && t.outputPair <= 3 ? t.outputPair : -1);
        s.pan->setValue(offsetPosition(t.pan, 100));
        s.volume->setValue(levelPosition(t.volume));
    }
    w.mainVolume->setValue(levelPosition(p.masterVolume));
    for (int i = 0; i < kProgramChanges; ++i) {
        const MidiProgramChange& change = p.midiProgramChanges[static_cast<std::size_t>(i)];
        w.midiChannels[static_cast<std::size_t>(i)]->setText(QString::number(change.channel));
        w.midiPrograms[static_cast<std::size_t>(i)]->setText(QString::number(change.program));
    }
    const EffectBusSettings& buses = p.effectBuses;
    w.reverbTime->setValue(buses.reverbTime);
    w.reverbVolume->setValue(buses.reverbVolume);
    w.delayTime->setValue(buses.delayTime);
    w.delayFeedback->setValue(buses.delayFeedback);
    w.delayVolume->setValue(buses.delayVolume);
}

void ProgramEditor::fillChannelEffects() {
    if (effectEditTrack_ < 0 || effectEditTrack_ >= kPlayedTracks) return;
    const TrackSettings& t = trackOf(ctx_.program, effectEditTrack_);
    ChannelEffectsWindow& e = *effects_;
    // The boxes show what the engine is given: only 1 switches an effect on.
    e.eqActive->setChecked(t.eqActive == 1);
    e.bass.slider->setValue(offsetPosition(t.bass, 15));
    e.mid.slider->setValue(offsetPosition(t.mid, 15));
    e.treble.slider->setValue(offsetPosition(t.treble, 15));
    e.compressorActive->setChecked(t.compressorActive == 1);
    e.ratio.slider->setValue(roundToInt(t.ratio));
    e.threshold.slider->setValue(std::clamp(roundToInt(t.threshold), -60, 0) + 60);
    e.release.slider->setValue(roundToInt(t.release));
    e.reverbSend->setValue(t.reverbSend);
    e.delaySend->setValue(t.delaySend);
    writeValueFields(e, t);
}

void ProgramEditor::readProgramEditor() {
    ProgramEditorWindow& w = *window_;
    SongProgram& p = ctx_.program;
    for (int row = 0; row < ProgramEditorWindow::kStrips; ++row) {
        const ProgramEditorWindow::Strip& s = w.strips[static_cast<std::size_t>(row)];
        TrackSettings& t = trackOf(p, row);
        t.fileName = limitFileName(s.track->fileName());
        t.mute = s.mute->isChecked() ? 1 : 0;
        if (s.subOut->currentIndex() >= 0) t.outputPair = s.subOut->currentIndex();
        t.pan = s.pan->value() - 100;
        t.volume = levelOf(s.volume);
    }
    p.masterVolume = levelOf(w.mainVolume);
    for (int i = 0; i < kProgramChanges; ++i) {
        MidiProgramChange& change = p.midiProgramChanges[static_cast<std::size_t>(i)];
        change.channel = parseIntegerLine(w.midiChannels[static_cast<std::size_t>(i)]->text());
        change.program = parseIntegerLine(w.midiPrograms[static_cast<std::size_t>(i)]->text());
    }
    EffectBusSettings& buses = p.effectBuses;
    buses.reverbTime = w.reverbTime->value();
    buses.reverbVolume = w.reverbVolume->value();
    buses.delayTime = w.delayTime->value();
    buses.delayFeedback = w.delayFeedback->value();
    buses.delayVolume = w.delayVolume->value();
    applyMixerToEngine(ctx_.engine, p, ctx_.host.mixerInputs());
}

void ProgramEditor::readChannelEffects() {
    if (effectEditTrack_ < 0 || effectEditTrack_ >= kPlayedTracks) return;
    TrackSettings& t = trackOf(ctx_.program, effectEditTrack_);
    const ChannelEffectsWindow& e = *effects_;
    t.eqActive = e.eqActive->isChecked() ? 1 : 0;
    t.bass = e.bass.slider->value() - 15;
    t.mid = e.mid.slider->value() - 15;
    t.treble = e.treble.slider->value() - 15;
    t.compressorActive = e.compressorActive->isChecked() ? 1 : 0;
    t.ratio = static_cast<float>(e.ratio.slider->value());
    t.threshold = static_cast<float>(e.threshold.slider->value() - 60);
    t.release = static_cast<float>(e.release.slider->value());
    t.reverbSend = e.reverbSend->value();
    t.delaySend = e.delaySend->value();
    writeValueFields(*effects_, t);
}

void ProgramEditor::readMeters() {
    if (!ctx_.engine.GetOutputPeaks) return;
    std::array<float, OutputMeters::kChannels> peaks{};
    ctx_.engine.GetOutputPeaks(peaks.data(), OutputMeters::kChannels);
    window_->meters->showPeaks(peaks, meterClock_.elapsed());
}

void ProgramEditor::fastTick() {
    if (!window_->isVisible()) return;
    readMeters();
    readProgramEditor();
    if (!effects_->isVisible() || effectEditTrack_ < 0 || effectEditTrack_ >= kPlayedTracks) return;
    const TrackSettings before = trackOf(ctx_.program, effectEditTrack_);
    readChannelEffects();
    // An effect moved is heard on this tick, not only on the next one.
    if (!(trackOf(ctx_.program, effectEditTrack_) == before))
        applyMixerToEngine(ctx_.engine, ctx_.program, ctx_.host.mixerInputs());
}

void ProgramEditor::confirm() {
    // Moves made since the last tick are part of what is saved.
    if (window_->isVisible()) fastTick();
    effects_->hide();
    // A start that is no timecode is said, and the editor stays open to mend it.
    if (!timecode_->value()) {
        ctx_.dialogs.message(ctx_.texts[StatusText::TimecodeFrame], ctx_.texts[StatusText::TimecodeStartInvalid]);
        return;
    }
    // A program that could not be written stays on screen, so the edit is not lost.
    const SaveOutcome saved = programDirty_ ? ctx_.store.saveSongProgram(ctx_.state.songsRoot, ctx_.host.currentSongTitle(),
                                                                         ctx_.host.mixerInputs())
                                            : SaveOutcome::NotSaved;
    if (saved == SaveOutcome::Failed) return;
    if (saved == SaveOutcome::Saved && timecode_->keep() == TimecodeStartField::Kept::Failed) {
        ctx_.dialogs.message(ctx_.texts[TextId::MessageTemplateErrorTitle],
                             ctx_.texts[StatusText::ProgramNotSaved].arg(timecodeStartPath(ctx_.state.songsRoot, editedSong_)));
        return;
    }
    QWidget* main = ctx_.host.mainWindow();
    if (main) main->setGeometry(QRect(windowPlace(*window_), kEditorPlace));
    window_->hide();
    if (main) {
        main->show();
        main->activateWindow();
        main->raise();
    }
    ctx_.host.refreshSongList();
}

void ProgramEditor::importTrack(int row) {
    if (row < 0 || row >= kPlayedTracks) return;
    programDirty_ = true;
    // The other controls keep what was moved since the last tick.
    readProgramEditor();
    const QString chosen =
        ctx_.dialogs.chooseOpenFile(ctx_.texts[TextId::AudioImportPickerTitle], QString(), mediaImportFilter());
    TrackSettings& track = trackOf(ctx_.program, row);
    if (chosen.isEmpty()) {
        track.fileName = QStringLiteral("no");
        fillProgramEditor(false);
        return;
    }
    if (editedSong_.size() <= 2) return;
    const QString name = limitFileName(QFileInfo(chosen).fileName());
    const QString target = songFilePath(ctx_.state.songsRoot, editedSong_, name);
    if (target.isEmpty() || copyIntoSongFolder(chosen, target) == CopyResult::Failed) {
        ctx_.dialogs.message(ctx_.texts[TextId::MessageTemplateErrorTitle],
                             ctx_.texts[StatusText::ImportCopyFailed].arg(target.isEmpty() ? chosen : target));
        return;
    }
    track.fileName = name;
    fillProgramEditor(false);
}

void ProgramEditor::loadMixer() {
    if (loadMixerFile(mixerPath(), ctx_.program)) {
        fillProgramEditor(false);
        fillChannelEffects();
    }
    programDirty_ = true;
}

void ProgramEditor::saveMixer() {
    readProgramEditor();
    if (effects_->isVisible()) readChannelEffects();
    if (!saveMixerFile(mixerPath(), ctx_.program))
        ctx_.dialogs.message(ctx_.texts[TextId::MessageTemplateErrorTitle],
                             ctx_.texts[StatusText::MixerSaveFailed].arg(mixerPath()));
}

void ProgramEditor::editEffects(int row) {
    if (row < 0 || row >= kPlayedTracks) return;
    // The strip shown so far keeps its last moves.
    if (effects_->isVisible()) readChannelEffects();
    effectEditTrack_ = row;
    fillChannelEffects();
    effects_->hide();
    effects_->setWindowTitle(QStringLiteral("EFFECT EDIT channel ") + QString::number(row + 1));
    const QPoint editor = windowPlace(*window_);
    placeWindow(*effects_, editor + QPoint((ProgramEditorWindow::kWidth - ChannelEffectsWindow::kWidth) / 2,
                                           (ProgramEditorWindow::kHeight - ChannelEffectsWindow::kHeight) / 2));
    effects_->show();
    effects_->raise();
    effects_->activateWindow();
}

void ProgramEditor::showPlaying(bool playing) {
    window_->play->setText(playing ? QStringLiteral("STOP") : QStringLiteral("PLAY"));
}

} // namespace vl
