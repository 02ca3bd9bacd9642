// The import dialog's filter offers every kind of file the engine plays, in any spelling.
#include "mixer/TrackImport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vl;

namespace {

// Matches as the file dialog does: case-sensitively, pattern by pattern.
bool offered(const QString& filter, const QString& name) {
    const QString first = filter.section(QStringLiteral(";;"), 0, 0);
    const QString patterns = first.section(QLatin1Char('('), 1).chopped(1);
    for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch())
            return true;
    return false;
}

} // namespace

TEST(TrackImport, TheFilterOffersWhatTheEnginePlaysInAnyCase) {
    const QString filter = mediaImportFilter();
    EXPECT_TRUE(filter.startsWith("mediafiles *.wav/*.mp3/*.aif/"));
    EXPECT_TRUE(filter.endsWith(";;All Files (*)"));
    for (const char* name : {"a.wav", "B.WAV", "c.Mp3", "d.aif", "e.AIFF", "f.flac", "g.OGG", "h.opus", "i.mid",
                             "j.KAR", "k.avi", "l.wmv", "m.MPG", "n.mp4", "o.mkv", "p.MOV", "q.webm", "r.m4a",
                             "s.AAC", "t.wma", "u.Mka"})
        EXPECT_TRUE(offered(filter, QString::fromLatin1(name))) << name;
    for (const char* name : {"notes.txt", "song.p", "wav", "lyric.rtf"})
        EXPECT_FALSE(offered(filter, QString::fromLatin1(name))) << name;
}
