#include "DocumentText.h"

#include "lyrics/RtfReader.h"
#include "platform/TextFile.h"

#include <QTextBlock>
#include <QTextDocument>

namespace vl::test {
namespace {

QString describeFormat(const QTextCharFormat& f, const QTextDocument& document) {
    QStringList families = f.fontFamilies().toStringList();
    const QString family = families.isEmpty() ? document.defaultFont().family() : families.first();
    const double points = f.fontPointSize() > 0 ? f.fontPointSize() : document.defaultFont().pointSizeF();
    const bool coloured = f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush;
    QString flags;
    if (f.fontWeight() >= QFont::DemiBold) flags += " b";
    if (f.fontItalic()) flags += " i";
    if (f.fontUnderline()) flags += " u";
    if (f.fontStrikeOut()) flags += " s";
    return QStringLiteral("[%1 %2 %3%4]")
        .arg(family)
        .arg(points)
        .arg(coloured ? f.foreground().color().name() : QStringLiteral("auto"), flags);
}

QString describeAlignment(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) return QStringLiteral("center");
    if (a & Qt::AlignJustify) return QStringLiteral("justify");
    if (a & Qt::AlignRight) return QStringLiteral("right");
    return QStringLiteral("left");
}

} // namespace

QStringList describeDocument(const QTextDocument& document) {
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line = describeAlignment(block.blockFormat().alignment()) + ' ';
        if (block.length() <= 1) line += describeFormat(block.charFormat(), document);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            line += describeFormat(it.fragment().charFormat(), document) + it.fragment().text();
        lines.append(line);
    }
    return lines;
}

QString lyricFileText(const QString& path) {
    const auto lines = readTextLines(path);
    return lines ? lines->join(u'\r') + u'\r' : QString();
}

QStringList describeRtf(const QString& rtf) {
    QTextDocument document;
    readRtf(rtf, document);
    return describeDocument(document);
}

} // namespace vl::test
