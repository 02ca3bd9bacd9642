#include "lyrics/LyricTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace vl {

void keepLargeGlyphsCached() {
    if (!qEnvironmentVariableIsSet("QT_MAX_CACHED_GLYPH_SIZE")) qputenv("QT_MAX_CACHED_GLYPH_SIZE", "320");
}

LyricTextView::LyricTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    // Black whatever the skin: only a widget's own style sheet outranks the application's.
    setStyleSheet(QStringLiteral("QAbstractScrollArea { background-color: #000000; border: none; }"));
    QPalette black = viewport()->palette();
    black.setColor(QPalette::Base, Qt::black);
    black.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(black);
    viewport()->setAutoFillBackground(true);
    replaceDocument(new QTextDocument(this));
}

void LyricTextView::replaceDocument(QTextDocument* document) {
    QTextDocument* old = document_;
    document_ = document;
    document_->setParent(this);
    connect(document_->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { relayout(); });
    connect(document_, &QTextDocument::contentsChanged, viewport(), qOverload<>(&QWidget::update));
    if (old && old != document_) delete old;
    relayout();
}

void LyricTextView::clear() { document_->clear(); }

void LyricTextView::setZoom(int percent) {
    zoom_ = std::max(1, percent);
    relayout();
}

qreal LyricTextView::layoutWidth() const { return viewport()->width() * 100.0 / zoom_; }

void LyricTextView::relayout() {
    document_->setTextWidth(layoutWidth());
    const int height = static_cast<int>(std::ceil(document_->size().height() * zoom_ / 100.0));
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    viewport()->update();
}

void LyricTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void LyricTextView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    // A scroll step repaints only the strip it uncovers.
    const QRect area = event->rect();
    painter.fillRect(area, Qt::black);
    const qreal scale = zoom_ / 100.0;
    const int top = verticalScrollBar()->value();
    painter.translate(0, -top);
    painter.scale(scale, scale);
    QAbstractTextDocumentLayout::PaintContext context;
    // Text in the automatic colour reads white on the black stage background.
    context.palette.setColor(QPalette::Text, Qt::white);
    context.clip = QRectF(area.x() / scale, (area.y() + top) / scale, area.width() / scale, area.height() / scale);
    painter.setClipRect(context.clip);
    document_->documentLayout()->draw(&painter, context);
}

} // namespace vl
