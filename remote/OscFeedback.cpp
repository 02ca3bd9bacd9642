#include "remote/OscFeedback.h"

#include <lo/lo.h>

#include <cmath>

namespace vl {

namespace {

struct Message {
    const char* path;
    lo_message message = lo_message_new();
    ~Message() { lo_message_free(message); }
};

int shownRow(const ShowSnapshot& s) { return s.playingRow > 0 ? s.playingRow : s.selectedRow; }

QString titleOf(const ShowSnapshot& s, int row) {
    return row >= 1 && row <= s.titles.size() ? s.titles[row - 1] : QString();
}

void addText(lo_message m, const QString& text) { lo_message_add_string(m, text.toUtf8().constData()); }

} // namespace

void OscFeedback::tick(std::chrono::steady_clock::time_point now) {
    const std::vector<OscTargets::Target> targets = targets_.due(now);
    const std::shared_ptr<const ShowSnapshot> s = board_.latest();
    const ShowSnapshot* before = sent_.get();
    const bool timeDue = now - timeSentAt_ >= std::chrono::milliseconds(100);

    const bool stateChanged = !before || before->playing != s->playing;
    const bool songChanged = !before || shownRow(*before) != shownRow(*s) ||
                             titleOf(*before, shownRow(*before)) != titleOf(*s, shownRow(*s));
    const bool nextChanged = !before || titleOf(*before, before->nextRow) != titleOf(*s, s->nextRow);
    const bool setlistChanged = !before || before->titles != s->titles;
    // Whole tenths: a client's display changes no faster, and a stopped song sends once.
    const auto tenths = [](double seconds) { return std::llround(seconds * 10); };
    const bool timeChanged = !before || tenths(before->elapsedSeconds) != tenths(s->elapsedSeconds) ||
                             tenths(before->remainingSeconds()) != tenths(s->remainingSeconds());

    const auto sendAll = [&](bool onlyChanged, const std::vector<OscAddress>& to) {
        if (to.empty()) return;
        const auto out = [&](bool changed, const char* path, auto fill) {
            if (onlyChanged && !changed) return;
            Message m{path};
            fill(m.message);
            for (const OscAddress& a : to) send_(a, path, m.message);
        };
        out(stateChanged, "/vellamorinth/state", [&](lo_message m) { lo_message_add_int32(m, s->playing ? 1 : 0); });
        out(songChanged, "/vellamorinth/song", [&](lo_message m) {
            lo_message_add_int32(m, shownRow(*s));
            addText(m, titleOf(*s, shownRow(*s)));
        });
        out(nextChanged, "/vellamorinth/next", [&](lo_message m) { addText(m, titleOf(*s, s->nextRow)); });
        out(timeChanged && (timeDue || !onlyChanged), "/vellamorinth/time", [&](lo_message m) {
            lo_message_add_float(m, float(s->elapsedSeconds));
            lo_message_add_float(m, float(s->remainingSeconds()));
        });
        out(setlistChanged, "/vellamorinth/setlist", [&](lo_message m) {
            for (const QString& title : s->titles) addText(m, title);
        });
    };

    std::vector<OscAddress> fresh, known;
    for (const auto& t : targets) (t.fresh ? fresh : known).push_back(t.address);
    sendAll(false, fresh);
    sendAll(true, known);
    if (timeChanged && timeDue) timeSentAt_ = now;
    // The time waits for its next turn: what was sent stays the reference for it.
    if (timeChanged && !timeDue && before) {
        auto kept = std::make_shared<ShowSnapshot>(*s);
        kept->elapsedSeconds = before->elapsedSeconds;
        kept->lengthSeconds = before->lengthSeconds;
        sent_ = std::move(kept);
    } else {
        sent_ = s;
    }
}

} // namespace vl
