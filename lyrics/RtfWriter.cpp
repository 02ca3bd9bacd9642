#include "lyrics/RtfWriter.h"

#include "lyrics/RtfCodePage.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vl {
namespace {

// Entry 1 of every colour table is white, as in the program's templates, so that an
// import's "\cf0 -> \cf1" turns automatic text white on the lyric view's black.
const QColor kFirstColour(255, 255, 255);

struct RunFormat {
    int font = 0;
    int halfPoints = 24;
    int colour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
};

QString familyOf(const QTextCharFormat& format, const QTextDocument& document) {
    if (format.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = format.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty()) return families.first();
    }
    // Formats made before Qt 6.1 name one family only.
    const QString family = format.stringProperty(QTextFormat::FontFamily);
    if (!family.isEmpty()) return family;
    return document.defaultFont().family();
}

class RtfDocumentWriter {
public:
    explicit RtfDocumentWriter(const QTextDocument& document) : document_(document) {
        fonts_.push_back(document.defaultFont().family());
        colours_.push_back(kFirstColour);
        // The tables come first in the file, so every format is looked at once before.
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            // Only an empty paragraph's mark is written: its format is what typing takes.
            if (block.length() <= 1) index(block.charFormat());
            for (auto it = block.begin(); !it.atEnd(); ++it) index(it.fragment().charFormat());
        }
    }

    QByteArray write() {
        out_ = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
        for (std::size_t i = 0; i < fonts_.size(); ++i) {
            out_ += "{\\f" + QByteArray::number(static_cast<qulonglong>(i)) + "\\fnil\\fcharset0 ";
            text(QString(fonts_[i]).remove(u';'));
            out_ += ";}";
        }
        out_ += "}{\\colortbl ;";
        for (const QColor& c : colours_)
            out_ += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
                    QByteArray::number(c.blue()) + ';';
        // The body starts on its own line with \viewkind4, as WordPad writes it.
        out_ += "}\r\n\\viewkind4\\uc1";
        for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) paragraph(block);
        out_ += "}\r\n";
        return out_;
    }

private:
    void index(const QTextCharFormat& format) {
        const QString family = familyOf(format, document_);
        if (std::find(fonts_.begin(), fonts_.end(), family) == fonts_.end()) fonts_.push_back(family);
        if (const auto c = colourOf(format); c.isValid() && std::find(colours_.begin(), colours_.end(), c) == colours_.end())
            colours_.push_back(c);
    }

    static QColor colourOf(const QTextCharFormat& format) {
        if (!format.hasProperty(QTextFormat::ForegroundBrush) || format.foreground().style() == Qt::NoBrush) return {};
        return format.foreground().color().toRgb();
    }

    RunFormat runFormat(const QTextCharFormat& format) const {
        RunFormat r;
        r.font = static_cast<int>(std::find(fonts_.begin(), fonts_.end(), familyOf(format, document_)) - fonts_.begin());
        double points = format.fontPointSize();
        if (points <= 0) points = document_.defaultFont().pointSizeF();
        if (points <= 0) points = 12;
        r.halfPoints = std::clamp(static_cast<int>(std::lround(points * 2)), 1, 3276);
        if (const QColor c = colourOf(format); c.isValid())
            r.colour = 1 + static_cast<int>(std::find(colours_.begin(), colours_.end(), c) - colours_.begin());
        r.bold = format.fontWeight() >= QFont::DemiBold;
        r.italic = format.fontItalic();
        r.underline = format.fontUnderline();
        r.strike = format.fontStrikeOut();
        return r;
    }

    void paragraph(const QTextBlock& block) {
        out_ += "\\pard";
        const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter) out_ += "\\qc";
        else if (align & Qt::AlignJustify) out_ += "\\qj";
        else if (align & Qt::AlignRight) out_ += "\\qr";
        spaceNeeded_ = true;
        if (block.length() <= 1) switchTo(runFormat(block.charFormat()));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            switchTo(runFormat(it.fragment().charFormat()));
            text(it.fragment().text());
        }
        out_ += "\\par\r\n";
    }

    void word(const char* name, int value) { word(name, true, value); }
    void word(const char* name, bool withValue = false, int value = 0) {
        out_ += '\\';
        out_ += name;
        if (withValue) out_ += QByteArray::number(value);
        spaceNeeded_ = true;
    }

    void toggle(bool& current, bool wanted, const char* on, const char* off) {
        if (current != wanted) word(wanted ? on : off);
        current = wanted;
    }

    void switchTo(const RunFormat& r) {
        if (r.font != current_.font) word("f", r.font);
        if (r.halfPoints != current_.halfPoints) word("fs", r.halfPoints);
        if (r.colour != current_.colour) word("cf", r.colour);
        toggle(current_.bold, r.bold, "b", "b0");
        toggle(current_.italic, r.italic, "i", "i0");
        toggle(current_.underline, r.underline, "ul", "ulnone");
        toggle(current_.strike, r.strike, "strike", "strike0");
        current_ = r;
    }

    void text(const QString& s) {
        for (const QChar qc : s) {
            const char16_t c = qc.unicode();
            if (c == u'\t') { word("tab"); continue; }
            if (c == 0x2028) { word("line"); continue; }
            if (c < 0x20 || c == 0x7F || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1) continue;
            if (c == u'\\' || c == u'{' || c == u'}') {
                out_ += '\\';
                out_ += static_cast<char>(c);
                spaceNeeded_ = false;
            } else if (c < 0x80) {
                if (spaceNeeded_) out_ += ' ';
                out_ += static_cast<char>(c);
                spaceNeeded_ = false;
            } else if (const unsigned char b = windows1252Byte(c)) {
                out_ += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
                spaceNeeded_ = false;
            } else {
                // The question mark is the one fallback character \uc1 announces.
                out_ += "\\u" + QByteArray::number(static_cast<int16_t>(c)) + '?';
                spaceNeeded_ = false;
            }
        }
    }

    const QTextDocument& document_;
    std::vector<QString> fonts_;
    std::vector<QColor> colours_;
    QByteArray out_;
    RunFormat current_;
    bool spaceNeeded_ = false;
};

} // namespace

QByteArray writeRtf(const QTextDocument& document) {
    return RtfDocumentWriter(document).write();
}

} // namespace vl
