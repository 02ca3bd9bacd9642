// Transport: play and stop the current song, the start point, the position displays and
// the end of a song with its jump to the next row.
#include "app/Application.h"
#include "app/MainWindow.h"
#include "settings/Settings.h"
#include "app/SongListColours.h"
#include "songs/SongList.h"
#include "app/TimeTexts.h"

#include <QCheckBox>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QThread>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace vl {

namespace {

// Programmatic moves of a slider are not user seeks.
void setSliderQuietly(QSlider* slider, int value) {
    const QSignalBlocker block(slider);
    slider->setValue(std::clamp(value, slider->minimum(), slider->maximum()));
}

} // namespace

MixerInputs Application::mixerInputs() {
    MixerInputs inputs;
    inputs.globalMute = prefs().globalMute;
    inputs.subgroupOutput = prefs().subgroupOutput;
    inputs.midiMasterVolumeEnabled = prefs().midiMasterVolumeEnabled;
    inputs.channelFaders = &state_.channelFaders;
    inputs.masterFactor = &state_.masterFactor;
    return inputs;
}

void Application::loadSelectedSongProgram() {
    SongListWidget& list = *main_->songList;
    const SongChoice choice{false, list.title(state_.playingSong), list.title(list.selectedRow())};
    const LoadOutcome outcome = programStore_.loadSongProgram(state_.songsRoot, choice);
    if (outcome.row == ChosenRow::Selected && list.selectedRow() >= 0) state_.selectedRow = list.selectedRow();
}

void Application::applyMixer() { applyMixerToEngine(engine_, program_, mixerInputs()); }

bool Application::playing() const { return engine_.GetPlaying() != 0; }

void Application::startPlayback(bool reload) {
    MainWindow& w = *main_;
    if (engine_.GetPlaying() == 1) {
        stopPlayback();
        return;
    }
    // The program editor keeps its own song while open; it comes with the editors.
    state_.currentSong = w.songList->selectedRow();
    // A row chosen by type-ahead is what plays, so the selection follows it.
    if (state_.currentSong >= 0) state_.selectedRow = state_.currentSong;
    if (state_.playingSong != state_.currentSong) {
        state_.startPosition = 0;
        setSliderQuietly(w.positionSlider, 0);
    }
    if (reload) loadSelectedSongProgram();
    handTracksToEngine(engine_, program_, mixerInputs(), state_.songsRoot, w.songList->title(state_.selectedRow),
                       GlobalMutes::Honour);
    engine_.SetSongPos(static_cast<uint32_t>(w.positionSlider->value()));
    state_.startPosition = w.positionSlider->value();
    applyMixer();
    const int result = engine_.Play(0, prefs().noMidiFileToMidiOut ? 1 : 0, playbackWindow_);
    if (result == 1) {
        const bool normal = !darkMode();
        if (normal) {
            w.playAnimation->show();
            w.playMovie->start();
        }
        applyMixer();
        if (normal) w.playButton->setText(QStringLiteral("STOP"));
        paintRowColours(*w.songList, state_.currentSong, state_.colours, true);
        if (normal && w.isVisible()) {
            w.playButton->setFocus();
        } else if (!normal && w.isVisible()) {
            w.songList->setFocus();
            w.playButton->setText(QStringLiteral("PLAY"));
            w.playAnimation->hide();
        }
    } else {
        stopPlayback();
    }
    state_.playingSong = state_.currentSong;
    if (prefs().audioDriverIndex == 0) {
        settings_->openSettingsWindow();
        dialogs().message(texts_[TextId::MessagePlayNoDriverTitle], texts_[TextId::MessagePlayNoDriverBody]);
    }
    drawDarkSetlist();
}

void Application::stopPlayback() {
    MainWindow& w = *main_;
    if (w.isVisible()) w.songList->setFocus();
    playbackWindow_->hide();
    w.playAnimation->hide();
    w.playMovie->stop();
    engine_.Stop();
    setSliderQuietly(w.positionSlider, state_.startPosition);
    w.positionBar->setValue(std::clamp(state_.startPosition, 0, 1000));
    w.playButton->setText(QStringLiteral("PLAY"));
    paintRowColours(*w.songList, state_.currentSong, state_.colours, false);
    state_.currentSong = w.songList->selectedRow();
    drawDarkSetlist();
}

bool Application::atEndOfSong() {
    const int64_t position = engine_.GetSongPos();
    const int64_t length = engine_.GetMaxSongPos();
    return position >= length - 10000;
}

bool Application::updatePositionDisplays() {
    MainWindow& w = *main_;
    if (engine_.GetPlaying() != 1) {
        return true;
    }
    const int value = positionPerMille(engine_.GetSongPos(), engine_.GetMaxSongPos());
    w.positionBar->setValue(value);
    setSliderQuietly(w.positionSlider, value);
    if (!atEndOfSong()) return true;

    // The last notes ring out before the song is stopped.
    QThread::msleep(1000);
    stopPlayback();
    const int rows = w.songList->rowCount();
    if (w.jumpToNextBox->isChecked() && state_.currentSong == state_.playingSong && state_.currentSong >= 0 &&
        state_.currentSong + 1 < rows) {
        ++state_.currentSong;
        w.songList->selectRow(state_.currentSong);
        state_.startPosition = 0;
        stopPlayback();
        loadSelectedSongProgram();
    }
    if (w.autoPlayBox->isChecked() && state_.currentSong >= 0 && state_.currentSong < rows &&
        state_.currentSong != state_.playingSong) {
        startPlayback(true);
        if (state_.lyricSecondWindow) showLyricView();
    }
    return true;
}

void Application::updateTimeDisplay() {
    const QString text = QStringLiteral("TIME (m:s) ") + minutesSeconds(engine_.GetSongPos());
    if (text != state_.lastTimeText) {
        int next = state_.currentSong + 1;
        const int selected = main_->songList->selectedRow();
        if (selected != state_.currentSong) next = selected;
        emit timeTextChanged(text, text + QStringLiteral("        >>> ") + main_->songList->title(next));
    }
    state_.lastTimeText = text;
}

void Application::showSliderTime(int value) {
    const int64_t total = engine_.GetMaxSongPos() / kSongBytesPerSecond;
    const int64_t t = total * value / 1000;
    const QString text = QStringLiteral("(m:s) ") + minutesSeconds(static_cast<uint64_t>(t) * kSongBytesPerSecond);
    QSlider* slider = main_->positionSlider;
    slider->setToolTip(text);
    if (slider->isVisible()) QToolTip::showText(slider->mapToGlobal(QPoint(0, slider->height())), text, slider);
}

void Application::positionSliderMoved() {
    if (playing()) stopPlayback();
    main_->positionBar->setValue(main_->positionSlider->value());
    showSliderTime(main_->positionSlider->value());
}

void Application::moveStartPosition(int delta) {
    state_.startPosition += delta;
    setSliderQuietly(main_->positionSlider, state_.startPosition);
}

} // namespace vl
