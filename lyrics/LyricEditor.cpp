#include "lyrics/LyricEditor.h"

#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolTip>

namespace vl {

LyricEditor::LyricEditor(const InterfaceTexts& texts, const Fonts& fonts, Dialogs& dialogs)
    : QWidget(nullptr, Qt::Window), dialogs_(dialogs) {
    using T = TextId;
    Controls& c = controls_;
    setObjectName(QStringLiteral("lyricEditor"));
    setWindowTitle(QStringLiteral("lyric editor ..."));
    setFont(fonts[5]);

    c.importButton = button(texts[T::LyricEditorImportButton], texts[T::LyricEditorImportTooltip], {6, 10, 133, 22});
    c.midiLyricButton = button(QStringLiteral("midi lyric"), texts[T::LyricEditorMidiLyricTooltip], {15, 40, 110, 22});
    c.colourButton = button(texts[T::LyricEditorColorButton], texts[T::LyricEditorColorTooltip], {141, 40, 60, 22});
    c.zoomBox = new QCheckBox(QStringLiteral("zoom"), this);
    c.zoomBox->setObjectName(QStringLiteral("lyricZoomBox"));
    c.zoomBox->setGeometry(146, 12, 50, 20);
    c.zoomBox->setToolTip(texts[T::LyricEditorZoomTooltip]);
    c.zoomBox->setChecked(true);
    c.boldButton = button(texts[T::LyricEditorBoldButton], texts[T::LyricEditorBoldTooltip], {205, 10, 60, 23});
    c.normalButton = button(texts[T::LyricEditorNormalButton], texts[T::LyricEditorNormalTooltip], {265, 10, 60, 23});
    c.fontList = new QComboBox(this);
    c.fontList->setObjectName(QStringLiteral("lyricFontList"));
    c.fontList->setGeometry(205, 40, 152, 24);
    c.fontList->setToolTip(texts[T::LyricEditorFontTooltip]);
    c.fontList->addItems(QFontDatabase::families());
    c.fontList->setCurrentIndex(0);
    c.leftButton = button(texts[T::LyricEditorLeftButton], texts[T::LyricEditorLeftTooltip], {380, 10, 54, 22});
    c.middleButton = button(texts[T::LyricEditorMiddleButton], texts[T::LyricEditorMiddleTooltip], {434, 10, 54, 22});
    c.rightButton = button(texts[T::LyricEditorRightButton], texts[T::LyricEditorRightTooltip], {488, 10, 54, 22});
    c.fontSizeLabel = new QLabel(texts[T::LyricEditorFontSizeLabel], this);
    c.fontSizeLabel->setGeometry(376, 43, 51, 16);
    c.fontSizeSlider = new QSlider(Qt::Horizontal, this);
    c.fontSizeSlider->setObjectName(QStringLiteral("lyricFontSizeSlider"));
    c.fontSizeSlider->setGeometry(428, 38, 126, 30);
    c.fontSizeSlider->setRange(10, 80);
    c.fontSizeSlider->setToolTip(texts[T::LyricEditorFontSizeTooltip]);
    c.timeLabel = new QLabel(QStringLiteral("Time: 0:00:00"), this);
    c.timeLabel->setObjectName(QStringLiteral("lyricTimeLabel"));
    c.timeLabel->setGeometry(561, 13, 146, 18);
    c.timeLabel->setFont(fonts[9]);
    c.timeLabel->setToolTip(texts[T::LyricEditorTimeTooltip]);
    c.playButton = button(QStringLiteral("play"), texts[T::LyricEditorPlayTooltip], {560, 41, 54, 20});
    c.positionSlider = new QSlider(Qt::Horizontal, this);
    c.positionSlider->setObjectName(QStringLiteral("lyricPositionSlider"));
    c.positionSlider->setGeometry(616, 42, 171, 20);
    c.positionSlider->setRange(0, 1000);
    c.positionSlider->setToolTip(texts[T::LyricEditorPositionTooltip]);
    c.okButton = button(texts[T::EditorOkButton], texts[T::LyricEditorExitTooltip], {708, 5, 79, 30});
    c.okButton->setFont(fonts[8]);

    editor_ = new QTextEdit(this);
    editor_->setObjectName(QStringLiteral("lyricEditorText"));
    editor_->setGeometry(1, 70, 791, 498);
    editor_->setLineWrapMode(QTextEdit::WidgetWidth);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setAcceptRichText(true);
    QFont editorFont = fonts[9];
    editor_->document()->setDefaultFont(editorFont);
    // Black whatever the skin; text in the automatic colour shows white, as on the view.
    editor_->setStyleSheet(QStringLiteral("QTextEdit { background-color: #000000; color: #ffffff; }"));

    connect(c.importButton, &QPushButton::clicked, this, &LyricEditor::importRequested);
    connect(c.midiLyricButton, &QPushButton::clicked, this, &LyricEditor::midiLyricRequested);
    connect(c.colourButton, &QPushButton::clicked, this, &LyricEditor::chooseColour);
    connect(c.zoomBox, &QCheckBox::toggled, this, &LyricEditor::zoomToggled);
    connect(c.boldButton, &QPushButton::clicked, this, &LyricEditor::setBold);
    connect(c.normalButton, &QPushButton::clicked, this, &LyricEditor::setNormal);
    connect(c.fontList, &QComboBox::activated, this, [this] { setFamily(controls_.fontList->currentText()); });
    connect(c.leftButton, &QPushButton::clicked, this, [this] { setAlignment(Qt::AlignLeft); });
    connect(c.middleButton, &QPushButton::clicked, this, [this] { setAlignment(Qt::AlignHCenter); });
    connect(c.rightButton, &QPushButton::clicked, this, [this] { setAlignment(Qt::AlignRight); });
    connect(c.fontSizeSlider, &QSlider::valueChanged, this, &LyricEditor::setFontSize);
    connect(c.playButton, &QPushButton::clicked, this, &LyricEditor::playRequested);
    connect(c.positionSlider, &QSlider::valueChanged, this, &LyricEditor::positionMoved);
    connect(c.okButton, &QPushButton::clicked, this, &LyricEditor::leaveRequested);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(QRect(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2, kWidth,
                      kHeight));
    hide();
}

QPushButton* LyricEditor::button(const QString& caption, const QString& tooltip, const QRect& place) {
    auto* b = new QPushButton(caption, this);
    b->setGeometry(place);
    b->setToolTip(tooltip);
    return b;
}

QString LyricEditor::text() const { return editor_->toPlainText(); }

void LyricEditor::mergeFormat(const QTextCharFormat& format) {
    editor_->mergeCurrentCharFormat(format);
    emit formatted();
}

void LyricEditor::chooseColour() {
    const std::optional<QColor> chosen = dialogs_.chooseColour(lastTextColour_);
    // A cancelled choice leaves the selection as it was.
    if (!chosen || !chosen->isValid()) return;
    lastTextColour_ = *chosen;
    QTextCharFormat format;
    format.setForeground(QColor(chosen->red(), chosen->green(), chosen->blue()));
    mergeFormat(format);
}

void LyricEditor::setBold() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(false);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
    mergeFormat(format);
}

void LyricEditor::setNormal() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Normal);
    format.setFontItalic(false);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
    mergeFormat(format);
}

void LyricEditor::setFamily(const QString& family) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{family});
    mergeFormat(format);
}

void LyricEditor::setAlignment(Qt::Alignment alignment) {
    editor_->setAlignment(alignment);
    emit formatted();
}

void LyricEditor::setFontSize(int points) {
    QTextCharFormat format;
    format.setFontPointSize(points);
    mergeFormat(format);
    QSlider* slider = controls_.fontSizeSlider;
    const QString tip = QStringLiteral("select fontsize: ") + QString::number(points);
    slider->setToolTip(tip);
    if (slider->isVisible()) QToolTip::showText(slider->mapToGlobal(QPoint(0, slider->height())), tip, slider);
}

void LyricEditor::fitTextArea() { editor_->setGeometry(0, 70, width(), std::max(0, height() - 70)); }

void LyricEditor::showTime(const QString& text) { controls_.timeLabel->setText(text); }

void LyricEditor::showPlaying(bool playing) {
    controls_.playButton->setText(playing ? QStringLiteral("PAUSE") : QStringLiteral("PLAY"));
}

void LyricEditor::showPosition(int perMille) {
    // A programmatic move is not a user seek.
    const QSignalBlocker quiet(controls_.positionSlider);
    controls_.positionSlider->setValue(std::clamp(perMille, 0, 1000));
}

void LyricEditor::closeEvent(QCloseEvent* event) {
    // The window manager's close box acts as OK, so an edit is never dropped unasked.
    event->ignore();
    emit leaveRequested();
}

void LyricEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) fitTextArea();
}

} // namespace vl
