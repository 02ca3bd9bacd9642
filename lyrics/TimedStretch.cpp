#include "lyrics/TimedStretch.h"

#include "lyrics/RtfReader.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace vl {

namespace {

constexpr int kMaxStretches = 2000;

void deleteRange(QTextDocument& document, qsizetype from, qsizetype to) {
    const int last = document.characterCount() - 1;
    QTextCursor cursor(&document);
    cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(from, 0, last)));
    cursor.setPosition(static_cast<int>(std::clamp<qsizetype>(to, 0, last)), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

} // namespace

void cutToTimedStretch(QTextDocument& buffer, const QString& text, const LyricFollower& f) {
    deleteRange(buffer, f.markerEnd - 1, buffer.characterCount());
    deleteRange(buffer, 0, f.segmentStart);
    qsizetype tagRest = 0;
    if (f.segmentStart > 0) {
        if (const std::optional<TimeTag> passed = readTimeTagAt(text, f.segmentStart - 1)) tagRest = passed->length - 1;
    }
    QTextCursor cursor(&buffer);
    cursor.setPosition(static_cast<int>(std::min<qsizetype>(tagRest, buffer.characterCount() - 1)),
                       QTextCursor::KeepAnchor);
    cursor.insertText(QStringLiteral("\n\n\n"));
}

std::vector<TimedStretch> timedStretches(const QString& rtfSource) {
    QTextDocument whole;
    readRtf(rtfSource, whole);
    const QString text = whole.toPlainText();
    std::vector<TimedStretch> stretches;
    LyricFollower f;
    double from = 0;
    int64_t now = 1;
    while (static_cast<int>(stretches.size()) < kMaxStretches && followTimeTags(f, text, now)) {
        auto document = std::make_unique<QTextDocument>();
        readRtf(rtfSource, *document);
        cutToTimedStretch(*document, text, f);
        stretches.push_back({from, std::move(document)});
        if (f.markerEnd - 1 >= text.size()) break; // the sentinel: the last stretch runs to the end
        from = static_cast<double>(f.markerTime) / kFramesPerSecond;
        now = f.markerTime + 1;
    }
    return stretches;
}

} // namespace vl
