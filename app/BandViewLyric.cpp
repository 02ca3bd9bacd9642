#include "app/BandViewLyric.h"

#include "lyrics/RtfReader.h"
#include "lyrics/TimeTags.h"
#include "lyrics/TimedStretch.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>

namespace vl {

namespace {

QString alignmentName(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) return QStringLiteral("center");
    if (a & Qt::AlignRight) return QStringLiteral("right");
    if (a & Qt::AlignJustify) return QStringLiteral("justify");
    return QStringLiteral("left");
}

QJsonObject run(const QTextFragment& fragment) {
    const QTextCharFormat f = fragment.charFormat();
    QString text = fragment.text();
    text.replace(QChar::LineSeparator, u'\n');
    text.remove(QChar::ObjectReplacementCharacter);
    QJsonObject o{{"text", text}};
    if (f.foreground().style() != Qt::NoBrush) o.insert("color", f.foreground().color().name());
    if (f.fontPointSize() > 0) o.insert("size", std::round(f.fontPointSize() * 10) / 10);
    if (f.fontWeight() >= QFont::Bold) o.insert("bold", true);
    if (f.fontItalic()) o.insert("italic", true);
    if (f.fontUnderline()) o.insert("underline", true);
    return o;
}

} // namespace

QJsonArray lyricBlocks(const QTextDocument& document) {
    QJsonArray blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QJsonArray runs;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().isValid()) runs.append(run(it.fragment()));
        blocks.append(QJsonObject{{"align", alignmentName(block.blockFormat().alignment())}, {"runs", runs}});
    }
    return blocks;
}

std::shared_ptr<const QByteArray> webLyricMessage(const QString& song, const QString& rtfSource) {
    QTextDocument whole;
    readRtf(rtfSource, whole);
    const QString text = whole.toPlainText();
    QJsonObject o{{"type", "lyric"}, {"song", song}};
    if (text.isEmpty()) {
        o.insert("mode", "midi");
    } else if (!hasTimeTag(text)) {
        o.insert("mode", "plain");
        o.insert("blocks", lyricBlocks(whole));
    } else {
        // Before the song plays the whole lyric shows, as in the lyric view.
        o.insert("mode", "tags");
        o.insert("blocks", lyricBlocks(whole));
        QJsonArray stretches;
        for (const TimedStretch& s : timedStretches(rtfSource))
            stretches.append(QJsonObject{{"at", s.fromSeconds}, {"blocks", lyricBlocks(*s.document)}});
        o.insert("stretches", stretches);
    }
    return std::make_shared<const QByteArray>(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace vl
