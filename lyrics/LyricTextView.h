#pragma once
// The lyric view's text: a read-only rich-text display on black that paints its document
// scaled by the zoom, the text wrapping at the view's width divided by the zoom, so a
// bigger screen shows the same lines in bigger type. Scrolls vertically only.

#include <QAbstractScrollArea>

class QTextDocument;

namespace vl {

// Stage type at "max" is far above the 64 pixels up to which Qt keeps drawn glyphs; beyond
// that it fills every glyph's outline on every paint, which takes much of a tick. Call
// before the first text is drawn; a value the user has set stays.
void keepLargeGlyphsCached();

class LyricTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LyricTextView(QWidget* parent = nullptr);

    QTextDocument& document() const { return *document_; }
    // Takes `document` (it becomes this view's child) in place of the one shown.
    void replaceDocument(QTextDocument* document);
    void clear();

    // Zoom as numerator : 100.
    void setZoom(int percent);
    int zoom() const { return zoom_; }
    // The width the text wraps at, in the document's own units.
    qreal layoutWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();

    QTextDocument* document_ = nullptr;
    int zoom_ = 100;
};

} // namespace vl
