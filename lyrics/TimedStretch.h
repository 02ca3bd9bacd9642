#pragma once
// The stretch of a timed lyric that a follower stands at, cut out of the whole lyric with
// its formatting, as the lyric view shows it; and every stretch of a lyric with its start.

#include "lyrics/TimeTags.h"

#include <QString>

#include <memory>
#include <vector>

class QTextDocument;

namespace vl {

// `buffer` holds the whole lyric (its plain text is `text`); afterwards only the stretch
// from f.segmentStart to the coming tag, the passed tag's time and bracket given way to
// three empty lines (before the first tag they go in front).
void cutToTimedStretch(QTextDocument& buffer, const QString& text, const LyricFollower& f);

struct TimedStretch {
    double fromSeconds = 0; // shown from this time on, until the next stretch's
    std::unique_ptr<QTextDocument> document;
};

// Every stretch the lyric view would show while the song plays through, in order; the
// first, from 0, is the text before the first tag.
std::vector<TimedStretch> timedStretches(const QString& rtfSource);

} // namespace vl
