#include "lyrics/RtfReader.h"

#include "lyrics/RtfCodePage.h"
#include "lyrics/RtfTokenizer.h"

#include <QColor>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace vl {
namespace {

enum class Destination { Text, Skip, FontTable, ColourTable };

struct CharState {
    int font = -1;  // -1: the document's default font (\deff)
    int halfPoints = 24;
    int colour = 0;  // 0: automatic
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    bool operator==(const CharState&) const = default;
};

struct GroupState {
    CharState chars;
    Qt::Alignment alignment = Qt::AlignLeft;
    int fallbackLength = 1;  // \ucN: characters that stand in for each \uN
    Destination destination = Destination::Text;
};

// Deeper groups are read as nothing; real documents nest a few dozen levels at most.
constexpr std::size_t kMaxDepth = 256;
// Word's largest size, 1638 points.
constexpr int kMaxHalfPoints = 3276;
constexpr qsizetype kMaxFontName = 256;

// Groups that hold no body text; their content is skipped as a whole.
bool isSkippedDestination(QStringView word) {
    static const char16_t* const kWords[] = {
        u"stylesheet", u"info", u"pict", u"object", u"objdata", u"objclass", u"header", u"headerl",
        u"headerr", u"headerf", u"footer", u"footerl", u"footerr", u"footerf", u"footnote",
        u"annotation", u"listtable", u"listoverridetable", u"revtbl", u"pn", u"pntxta", u"pntxtb",
        u"fldinst", u"nonshppict", u"shpinst", u"shprslt", u"xe", u"tc", u"template", u"ftnsep",
        u"ftnsepc", u"ftncn", u"aftnsep", u"aftnsepc", u"aftncn", u"filetbl", u"atnid", u"atnauthor"};
    return std::any_of(std::begin(kWords), std::end(kWords), [&](const char16_t* w) { return word == w; });
}

// Control words that stand for one character of text.
std::optional<char16_t> characterWord(QStringView word) {
    static const std::pair<const char16_t*, char16_t> kWords[] = {
        {u"line", 0x2028},   {u"tab", u'\t'},      {u"cell", u'\t'},      {u"nestcell", u'\t'},
        {u"emdash", 0x2014}, {u"endash", 0x2013},  {u"emspace", 0x2003},  {u"enspace", 0x2002},
        {u"qmspace", 0x2005}, {u"bullet", 0x2022}, {u"lquote", 0x2018},   {u"rquote", 0x2019},
        {u"ldblquote", 0x201C}, {u"rdblquote", 0x201D}};
    for (const auto& [name, c] : kWords)
        if (word == name) return c;
    return std::nullopt;
}

bool isUnderlineWord(QStringView word) {
    return word == u"ul" || (word.startsWith(u"ul") && word != u"ulnone" && word != u"ulc");
}

// Characters a QTextDocument would take for structure (blocks, frames, objects) or that
// no text holds; a paragraph separator becomes a line break.
std::optional<char16_t> textCharacter(char16_t c) {
    if (c == 0x2029) return char16_t(0x2028);
    if ((c < 0x20 && c != u'\t') || c == 0x7F || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC) return std::nullopt;
    return c;
}

// A lone half of a surrogate pair becomes the replacement character.
void repairSurrogates(QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

class RtfDocumentReader {
public:
    explicit RtfDocumentReader(QTextDocument& document) : cursor_(&document) {}

    void read(QStringView rtf) {
        RtfTokenizer tokens(rtf);
        tokens.next();  // the document's own opening brace: its group is the bottom of the stack
        stack_.emplace_back();
        for (RtfToken t = tokens.next(); t.kind != RtfToken::Kind::End; t = tokens.next()) {
            if (skippedDepth_ > 0) {
                if (t.kind == RtfToken::Kind::GroupOpen) ++skippedDepth_;
                if (t.kind == RtfToken::Kind::GroupClose) --skippedDepth_;
                continue;
            }
            const bool atGroupStart = groupStart_;
            groupStart_ = false;
            switch (t.kind) {
            case RtfToken::Kind::GroupOpen: openGroup(); break;
            case RtfToken::Kind::GroupClose: closeGroup(); break;
            case RtfToken::Kind::Word: word(t); break;
            case RtfToken::Kind::Symbol: symbol(t.symbol, atGroupStart); break;
            case RtfToken::Kind::HexByte:
                if (!takeFallback()) append(codePage_[static_cast<std::size_t>(t.parameter) & 0xFF]);
                break;
            case RtfToken::Kind::Text: text(t.text); break;
            case RtfToken::Kind::End: break;
            }
        }
        flushRun();
        if (!paragraphPending_) finishParagraph();
    }

private:
    GroupState& state() { return stack_.back(); }

    void openGroup() {
        if (stack_.size() >= kMaxDepth) {
            skippedDepth_ = 1;
            return;
        }
        stack_.push_back(state());
        groupStart_ = true;
        pendingFallback_ = 0;
    }

    // Text after the document's closing brace still reads, in the body's last formats:
    // a plain-text import appends its text there.
    void closeGroup() {
        if (state().destination == Destination::FontTable) commitFont();
        pendingFallback_ = 0;
        if (stack_.size() > 1) stack_.pop_back();
    }

    // True when the unit is one of the characters standing in for the last \uN.
    bool takeFallback() {
        if (pendingFallback_ == 0) return false;
        --pendingFallback_;
        return true;
    }

    void symbol(char16_t c, bool atGroupStart) {
        if (takeFallback()) return;
        switch (c) {
        case u'\\': case u'{': case u'}': append(c); break;
        case u'~': append(0x00A0); break;
        case u'_': append(0x2011); break;
        case u'\n': paragraph(); break;
        case u'*':
            if (atGroupStart) state().destination = Destination::Skip;
            break;
        default: break;
        }
    }

    void text(QStringView run) {
        const auto skipped = std::min<qsizetype>(pendingFallback_, run.size());
        pendingFallback_ -= static_cast<int>(skipped);
        for (QChar c : run.sliced(skipped)) append(c.unicode());
    }

    void word(const RtfToken& t) {
        if (takeFallback()) return;
        const QStringView w = t.text;
        GroupState& s = state();
        if (s.destination == Destination::Skip) return;
        const int p = t.parameter;
        const bool on = !t.hasParameter || p != 0;
        if (w == u"fonttbl") { s.destination = Destination::FontTable; return; }
        if (w == u"colortbl") { s.destination = Destination::ColourTable; return; }
        if (isSkippedDestination(w)) { s.destination = Destination::Skip; return; }
        if (w == u"deff") { defaultFont_ = p; return; }
        if (w == u"ansicpg") { codePage_ = windowsCodePage(p).value_or(codePage_); return; }
        if (w == u"u") {
            // A signed 16-bit value; anything outside stands for no known character.
            append(p < -32768 || p > 65535 ? char16_t(0xFFFD) : static_cast<char16_t>(p < 0 ? p + 65536 : p));
            pendingFallback_ = s.fallbackLength;
            return;
        }
        if (w == u"uc") { s.fallbackLength = std::max(p, 0); return; }
        if (s.destination == Destination::FontTable) {
            if (w == u"f") {
                commitFont();
                fontBeingDefined_ = p;
            }
            return;
        }
        if (s.destination == Destination::ColourTable) {
            const int component = std::clamp(p, 0, 255);
            if (w == u"red") red_ = component;
            if (w == u"green") green_ = component;
            if (w == u"blue") blue_ = component;
            return;
        }
        CharState& c = s.chars;
        if (w == u"par" || w == u"sect" || w == u"page" || w == u"row" || w == u"nestrow") paragraph();
        else if (const auto ch = characterWord(w)) append(*ch);
        else if (w == u"plain") c = CharState{};
        else if (w == u"pard") s.alignment = Qt::AlignLeft;
        else if (w == u"ql") s.alignment = Qt::AlignLeft;
        else if (w == u"qc") s.alignment = Qt::AlignHCenter;
        else if (w == u"qr") s.alignment = Qt::AlignRight;
        else if (w == u"qj" || w == u"qd") s.alignment = Qt::AlignJustify;
        else if (w == u"b") c.bold = on;
        else if (w == u"i") c.italic = on;
        else if (w == u"ulnone") c.underline = false;
        else if (isUnderlineWord(w)) c.underline = on;
        else if (w == u"strike" || w == u"striked") c.strike = on;
        else if (w == u"v") c.hidden = on;
        else if (w == u"f") c.font = p;
        else if (w == u"fs") c.halfPoints = p > 0 ? std::min(p, kMaxHalfPoints) : 24;
        else if (w == u"cf") c.colour = p;
    }

    void append(char16_t raw) {
        const auto c = textCharacter(raw);
        if (!c) return;
        switch (state().destination) {
        case Destination::Text:
            if (state().chars.hidden) return;
            if (!run_.isEmpty() && runChars_ != state().chars) flushRun();
            openPendingParagraph();
            runChars_ = state().chars;
            run_.append(QChar(*c));
            break;
        case Destination::FontTable:
            if (*c == u';') commitFont();
            else if (fontName_.size() < kMaxFontName) fontName_.append(QChar(*c));
            break;
        case Destination::ColourTable:
            if (*c == u';') commitColour();
            break;
        case Destination::Skip: break;
        }
    }

    void paragraph() {
        flushRun();
        openPendingParagraph();
        finishParagraph();
        // The block opens with the next text, so that a document's last \par ends its
        // last paragraph rather than adding an empty one.
        paragraphPending_ = true;
    }

    void openPendingParagraph() {
        if (!paragraphPending_) return;
        cursor_.insertBlock();
        paragraphPending_ = false;
    }

    void finishParagraph() {
        QTextBlockFormat block = cursor_.blockFormat();
        block.setAlignment(state().alignment);
        cursor_.setBlockFormat(block);
        cursor_.setBlockCharFormat(format(state().chars));
    }

    void flushRun() {
        if (run_.isEmpty()) return;
        repairSurrogates(run_);
        cursor_.insertText(run_, format(runChars_));
        run_.clear();
    }

    QTextCharFormat format(const CharState& c) const {
        QTextCharFormat f;
        const auto font = fonts_.find(c.font < 0 ? defaultFont_ : c.font);
        if (font != fonts_.end()) f.setFontFamilies(QStringList{font->second});
        f.setFontPointSize(c.halfPoints / 2.0);
        f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(c.italic);
        f.setFontUnderline(c.underline);
        f.setFontStrikeOut(c.strike);
        if (c.colour > 0 && static_cast<std::size_t>(c.colour) < colours_.size() && colours_[c.colour])
            f.setForeground(*colours_[c.colour]);
        return f;
    }

    void commitFont() {
        QString name = fontName_.trimmed();
        fontName_.clear();
        name.removeIf([](QChar c) { return c.unicode() < 0x20 || c == QChar::LineSeparator; });
        if (!name.isEmpty()) fonts_[fontBeingDefined_] = name;
    }

    void commitColour() {
        if (red_ || green_ || blue_) colours_.emplace_back(QColor(red_.value_or(0), green_.value_or(0), blue_.value_or(0)));
        else colours_.emplace_back(std::nullopt);
        red_ = green_ = blue_ = std::nullopt;
    }

    QTextCursor cursor_;
    std::vector<GroupState> stack_;
    int skippedDepth_ = 0;
    bool groupStart_ = false;
    int pendingFallback_ = 0;
    CodePageTable codePage_ = windows1252();

    std::map<int, QString> fonts_;
    int defaultFont_ = 0;
    int fontBeingDefined_ = 0;
    QString fontName_;
    std::vector<std::optional<QColor>> colours_;
    std::optional<int> red_, green_, blue_;

    QString run_;
    CharState runChars_;
    bool paragraphPending_ = false;
};

void readPlainText(QStringView text, QTextDocument& document) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            plain.append(u'\n');
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (const auto kept = textCharacter(c)) {
            plain.append(QChar(*kept));
        }
    }
    repairSurrogates(plain);
    document.setPlainText(plain);
}

} // namespace

namespace {

// Blanks and a byte order mark, which an editor may have put before the RTF.
QStringView withoutLeadingBlanks(QStringView text) {
    text = text.trimmed();
    return text.startsWith(QChar::ByteOrderMark) ? text.sliced(1).trimmed() : text;
}

} // namespace

bool isRtf(QStringView text) {
    return withoutLeadingBlanks(text).startsWith(u"{\\rtf");
}

void readRtf(QStringView text, QTextDocument& document) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    if (isRtf(text)) {
        QTextCursor batch(&document);
        batch.beginEditBlock();
        RtfDocumentReader(document).read(withoutLeadingBlanks(text));
        batch.endEditBlock();
    } else {
        readPlainText(text, document);
    }
    document.setUndoRedoEnabled(undo);
}

} // namespace vl
