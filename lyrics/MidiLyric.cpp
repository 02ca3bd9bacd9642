#include "lyrics/MidiLyric.h"

#include "core/EngineFunctions.h"
#include "platform/TextFile.h"

#include <QTextCursor>
#include <QTextDocument>

namespace vl {

namespace {

void colourFrom(QTextDocument& buffer, int from, const QColor& colour) {
    QTextCursor cursor(&buffer);
    cursor.setPosition(std::min(from, buffer.characterCount() - 1));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.mergeCharFormat(format);
}

// Inserts in the formatting of the text before, as typing there would; the position behind.
int insertAt(QTextDocument& buffer, int position, const QString& text) {
    QTextCursor cursor(&buffer);
    cursor.setPosition(std::min(position, buffer.characterCount() - 1));
    cursor.insertText(text);
    return cursor.position();
}

} // namespace

QString comingLyricLines(const QString& coming) {
    int feeds = 0;
    qsizetype last = -1;
    for (qsizetype i = 0; i < coming.size() && feeds < 4; ++i) {
        if (coming[i] == u'\n') {
            ++feeds;
            last = i;
        }
    }
    if (feeds < 3) return coming;
    return coming.left(last + 1) + QStringLiteral("...");
}

void composeMidiLyric(QTextDocument& buffer, const QString& sung, const QString& singing, const QString& coming) {
    // Behind the template's first character; at the start of a buffer without one.
    const int singingAt = insertAt(buffer, 1, sung);
    colourFrom(buffer, 0, kSungColour);
    const int comingAt = insertAt(buffer, singingAt, singing);
    colourFrom(buffer, singingAt, kSingingColour);
    insertAt(buffer, comingAt, comingLyricLines(coming));
    colourFrom(buffer, comingAt, kComingColour);
}

QString engineMidiText(const EngineFunctions& engine, int which) {
    const char* text = engine.GetMidiText ? engine.GetMidiText(which) : nullptr;
    return text ? decodeLine(text) : QString();
}

} // namespace vl
