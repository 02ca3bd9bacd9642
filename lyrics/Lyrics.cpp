#include "lyrics/Lyrics.h"

#include "core/AppState.h"
#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "lyrics/LyricEditor.h"
#include "lyrics/LyricFile.h"
#include "lyrics/LyricImport.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "lyrics/RtfReader.h"
#include "lyrics/TimeTags.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "platform/WindowPlace.h"

#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

namespace vl {

QString pickerFilter(const QString& windowsFilter) {
    const qsizetype bar = windowsFilter.indexOf(u'|');
    if (bar < 0) return windowsFilter;
    QString patterns = windowsFilter.mid(bar + 1);
    patterns.replace(u';', u' ');
    return windowsFilter.left(bar) + QStringLiteral(" (") + patterns + u')';
}

Lyrics::Lyrics(LyricContext context)
    : ctx_(context), view_(std::make_unique<LyricView>(ctx_.texts, ctx_.fonts)),
      editor_(std::make_unique<LyricEditor>(ctx_.texts, ctx_.fonts, ctx_.dialogs)) {
    connect(editor_.get(), &LyricEditor::formatted, this, [this] { lyricEdited_ = true; });
    connect(editor_.get(), &LyricEditor::importRequested, this, &Lyrics::importLyric);
    connect(editor_.get(), &LyricEditor::midiLyricRequested, this, &Lyrics::clearForMidiLyric);
    connect(editor_.get(), &LyricEditor::leaveRequested, this, &Lyrics::leaveLyricEditor);
    connect(view_.get(), &LyricView::leaveRequested, this, &Lyrics::showLyricView);
    connect(view_.get(), &LyricView::returnPressed, this, &Lyrics::showLyricView);
}

Lyrics::~Lyrics() = default;

void Lyrics::showInEditorAndView(const QString& rtf) {
    readRtf(rtf, *editor_->editor().document());
    readRtf(rtf, view_->lyricText().document());
    // A lyric comes in at its top, whatever the one before was scrolled to.
    view_->lyricText().verticalScrollBar()->setValue(0);
    loadedLyricText_ = editor_->text();
}

Lyrics::LoadResult Lyrics::loadLyric() {
    loadedLyricText_.clear();
    const QString song = ctx_.host.lyricSongName();
    if (song.isEmpty()) return LoadResult::NoSong;
    lyricSongName_ = song;
    const std::optional<QString> source = readLyricSource(lyricFilePath(ctx_.state.songsRoot, song));
    if (!source) {
        // The song before's lyric must not stand in for this song's.
        lyricSource_.clear();
        editor_->editor().clear();
        view_->lyricText().clear();
        return LoadResult::NoLyricFile;
    }
    lyricSource_ = *source;
    showInEditorAndView(lyricSource_);
    return LoadResult::Loaded;
}

Lyrics::SaveResult Lyrics::saveLyricIfEdited() {
    if (!lyricEdited_ && editor_->text() == loadedLyricText_) return SaveResult::Unchanged;
    lyricEdited_ = false;
    if (!ctx_.dialogs.askYesNo(ctx_.texts[TextId::ConfirmTitle], ctx_.texts[TextId::MessageSaveLyric]))
        return SaveResult::Declined;
    const QString path = lyricFilePath(ctx_.state.songsRoot, lyricSongName_);
    if (writeLyricFile(path, *editor_->editor().document())) {
        loadedLyricText_ = editor_->text();
        return SaveResult::Saved;
    }
    // Still unsaved: the next leave asks again.
    lyricEdited_ = true;
    ctx_.dialogs.message(ctx_.texts[TextId::MessageTemplateErrorTitle],
                         ctx_.texts[StatusText::LyricNotSaved] + (path.isEmpty() ? lyricSongName_ : path));
    return SaveResult::Failed;
}

bool Lyrics::leaveLyricEditor() {
    if (saveLyricIfEdited() == SaveResult::Failed) return false;
    QWidget* main = ctx_.host.mainWindow();
    if (main) {
        placeWindow(*main, windowPlace(*editor_));
        main->resize(794, 464);
    }
    editor_->hide();
    if (main) {
        main->show();
        main->activateWindow();
        main->raise();
    }
    ctx_.host.focusSongList();
    return true;
}

void Lyrics::openLyricEditor() {
    QWidget* main = ctx_.host.mainWindow();
    if (main) editor_->setGeometry(QRect(windowPlace(*main), QSize(794, 464)));
    editor_->show();
    if (main) main->hide();
    editor_->activateWindow();
    editor_->raise();
    editor_->fitTextArea();
}

void Lyrics::importLyric() {
    const QString file = ctx_.dialogs.chooseOpenFile(ctx_.texts[TextId::LyricImportPickerTitle], ctx_.state.songsRoot,
                                                     pickerFilter(ctx_.texts[TextId::LyricImportFilePattern]));
    if (file.isEmpty()) return;
    const std::optional<QStringList> lines = readTextLines(file);
    if (!lines) return;
    // Read afresh each time, so each import starts from one copy of the template.
    const QString lyric =
        importedLyric(*lines, readTextLines(ctx_.state.programFolder + QStringLiteral("Data/empty2.rtf")));
    lyricSource_ = lyric;
    lyricEdited_ = true;
    editor_->editor().clear();
    showInEditorAndView(lyric);
}

void Lyrics::clearForMidiLyric() {
    if (!ctx_.dialogs.askYesNo(ctx_.texts[TextId::ConfirmTitle], ctx_.texts[TextId::MessageMidiLyricQuestion],
                               EnterAnswers::No))
        return;
    editor_->editor().clear();
    view_->lyricText().clear();
}

void Lyrics::selectLyricMode() {
    AppState& state = ctx_.state;
    // A lyric with brackets but no readable time ("[Chorus]") scrolls as a plain lyric.
    if (!hasTimeTag(editor_->text())) {
        state.lyricMode = 0;
        readRtf(lyricSource_, view_->lyricText().document());
    } else {
        state.lyricMode = 1;
        view_->copyBufferToLyricText();
    }
    if (editor_->text().isEmpty()) {
        state.lyricMode = 2;
        if (ctx_.engine.GetMidiTextUpdated) ctx_.engine.GetMidiTextUpdated(1);
    }
}

void Lyrics::showLyricView() {
    LyricHost& host = ctx_.host;
    QWidget* main = host.mainWindow();
    const bool second = host.lyricSecondWindow();
    if (view_->isVisible() && !second) {
        view_->hide();
        if (main) {
            main->show();
            main->activateWindow();
            main->raise();
        }
        host.focusSongList();
        return;
    }
    if (!main || !main->isVisible()) return;
    if (loadLyric() == LoadResult::NoSong) return;
    view_->applyScreenSize(host.screenSizeIndex());
    view_->fitLyricView();
    view_->show();
    if (!second) main->hide();
    view_->copyBufferToLyricText();
    QWidget* front = second ? main : view_.get();
    front->activateWindow();
    front->raise();
    selectLyricMode();
    // Stretches of a timed lyric come only while its song plays; before, the whole lyric shows.
    const bool playing = ctx_.engine.GetPlaying && ctx_.engine.GetPlaying() == 1;
    if (ctx_.state.lyricMode == 1 && !playing) readRtf(lyricSource_, view_->lyricText().document());
    view_->applyLyricZoom(host.lyricZoom());
}

void Lyrics::showLyricViewForPlay() {
    // The start has loaded this song's lyric into the open view already.
    if (view_->isVisible() && !ctx_.host.lyricSecondWindow()) return;
    showLyricView();
}

void Lyrics::keepSecondWindow() {
    QWidget* main = ctx_.host.mainWindow();
    if (!main || !main->isVisible() || !ctx_.host.lyricSecondWindow() || view_->isVisible()) return;
    view_->show();
    main->activateWindow();
    main->raise();
    ctx_.host.focusSongList();
}

} // namespace vl
