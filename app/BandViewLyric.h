#pragma once
// A song's lyric as the band view's page shows it: the lyric file read by the program's own
// RTF reader, turned into paragraphs of styled runs (text, colour, size, weight, alignment)
// in a JSON message. The page follows it as the lyric view does: the plain lyric scrolls,
// the timed lyric shows its stretches, an empty lyric leaves the page to the MIDI lyric.

#include <QByteArray>
#include <QJsonArray>
#include <QString>

#include <memory>

class QTextDocument;

namespace vl {

QJsonArray lyricBlocks(const QTextDocument& document);

// `rtfSource` as read from the lyric file; empty for a song without one.
std::shared_ptr<const QByteArray> webLyricMessage(const QString& song, const QString& rtfSource);

} // namespace vl
