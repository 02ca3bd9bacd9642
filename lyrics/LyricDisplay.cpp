// The lyric view following the song while it plays: the plain lyric scrolls, the timed
// lyric shows the stretch of its last passed tag, the MIDI lyric shows what the engine sings.
#include "lyrics/Lyrics.h"

#include "core/AppState.h"
#include "core/EngineFunctions.h"
#include "lyrics/LyricEditor.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "lyrics/MidiLyric.h"
#include "lyrics/RtfReader.h"
#include "lyrics/TimeTags.h"
#include "lyrics/TimedStretch.h"
#include "platform/TextFile.h"

#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace vl {

namespace {

constexpr int kMaxTemplateLines = 1000;

} // namespace

void Lyrics::updateLyricDisplay() {
    switch (ctx_.state.lyricMode) {
    case 0: scrollPlainLyric(); break;
    case 1: followTimeTags(); break;
    case 2: showMidiLyric(); break;
    default: break;
    }
}

void Lyrics::scrollPlainLyric() {
    const EngineFunctions& engine = ctx_.engine;
    const int64_t length = std::llround(engine.GetMaxSongPos() * 0.001);
    const int64_t position = std::llround(engine.GetSongPos() * 0.001);
    if (length == 0) return;
    QScrollBar& bar = *view_->lyricText().verticalScrollBar();
    // Larger than the text, so the end of the text arrives a little before the end of the song.
    const int64_t range = std::llround(bar.maximum() * 1.1);
    const int64_t target = range * position / length;
    bar.setValue(static_cast<int>(std::clamp<int64_t>(target, 0, bar.maximum())));
}

void Lyrics::followTimeTags() {
    if (!view_->isVisible()) return;
    const QString text = editor_->text();
    if (!vl::followTimeTags(follower_, text, ctx_.engine.GetSongPos() / 4)) return;
    showTimedStretch(text);
    view_->applyLyricZoom(ctx_.host.lyricZoom());
}

void Lyrics::showTimedStretch(const QString& text) {
    QTextDocument& buffer = view_->lyricBuffer();
    readRtf(lyricSource_, buffer);
    cutToTimedStretch(buffer, text, follower_);
    view_->copyBufferToLyricText();
}

void Lyrics::showMidiLyric() {
    const EngineFunctions& engine = ctx_.engine;
    if (!engine.GetMidiTextUpdated || engine.GetMidiTextUpdated(0) != 1) return;
    LyricTextView& shown = view_->lyricText();
    // Composed out of sight and painted once, so the view does not flicker.
    shown.setUpdatesEnabled(false);
    QTextDocument& buffer = view_->lyricBuffer();
    lyricSource_.clear();
    if (const std::optional<QStringList> lines =
            readTextLines(ctx_.state.programFolder + QStringLiteral("Data/midilyric.rtf"))) {
        lyricSource_ = lines->mid(0, kMaxTemplateLines).join(QString());
        // A lyric being written in the open editor is the performer's; the template stays out of it.
        if (!editor_->isVisible()) {
            readRtf(lyricSource_, *editor_->editor().document());
            loadedLyricText_ = editor_->text();
        }
        readRtf(lyricSource_, buffer);
    }
    composeMidiLyric(buffer, engineMidiText(engine, 1), engineMidiText(engine, 2), engineMidiText(engine, 3));
    view_->copyBufferToLyricText();
    view_->applyLyricZoom(ctx_.host.lyricZoom());
    shown.setUpdatesEnabled(true);
    shown.viewport()->update();
}

} // namespace vl
