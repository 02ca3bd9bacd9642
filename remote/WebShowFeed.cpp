#include "remote/WebShowFeed.h"

#include "core/InterfaceTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace vl {

namespace {

QByteArray json(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

// Tenths of a second: finer than the page shows, coarse enough to repeat while stopped.
double tenths(double seconds) { return std::round(seconds * 10) / 10; }

QByteArray setlistMessage(const ShowSnapshot& s) {
    QJsonArray rows;
    for (qsizetype i = 0; i < s.titles.size(); ++i) {
        const int length = i < static_cast<qsizetype>(s.lengthsSeconds.size()) ? s.lengthsSeconds[static_cast<std::size_t>(i)] : 0;
        rows.append(QJsonObject{{"title", s.titles[i]}, {"length", length}});
    }
    return json({{"type", "setlist"}, {"name", s.setlistName}, {"rows", rows}});
}

QByteArray stateMessage(const ShowSnapshot& s) {
    const int row = s.playingRow > 0 ? s.playingRow : s.selectedRow;
    const QString title = row >= 1 && row <= s.titles.size() ? s.titles[row - 1] : QString();
    return json({{"type", "state"},
                 {"selectedRow", s.selectedRow},
                 {"playingRow", s.playingRow},
                 {"nextRow", s.nextRow},
                 {"playing", s.playing},
                 {"lyricShown", s.lyricShown},
                 {"title", title}});
}

QByteArray clockMessage(const ShowSnapshot& s) {
    return json({{"type", "clock"}, {"elapsed", tenths(s.elapsedSeconds)}, {"length", tenths(s.lengthSeconds)}});
}

QByteArray karaokeMessage(const ShowSnapshot& s) {
    return json({{"type", "karaoke"}, {"sung", s.midiSung}, {"singing", s.midiSinging}, {"coming", s.midiComing}});
}

struct TextKey {
    const char* key;
    StatusText id;
};
constexpr TextKey kPageTexts[] = {
    {"band", StatusText::WebBand},         {"lyric", StatusText::WebLyric},
    {"operator", StatusText::WebOperator}, {"offline", StatusText::WebOffline},
    {"pin", StatusText::WebPin},           {"enter", StatusText::WebEnter},
    {"previous", StatusText::WebPrevious}, {"play", StatusText::WebPlay},
    {"stop", StatusText::WebStop},         {"next", StatusText::WebNext},
    {"showLyric", StatusText::WebShowLyric}, {"hideLyric", StatusText::WebHideLyric},
    {"logout", StatusText::WebLogout},     {"pinWrong", StatusText::WebPinWrong},
    {"pinLocked", StatusText::WebPinLocked}, {"sessionOver", StatusText::WebSessionOver},
    {"busy", StatusText::WebBusy},         {"setTime", StatusText::WebSetTime},
};

} // namespace

WebShowFeed::WebShowFeed(const ShowSnapshotBoard& board, const InterfaceTexts& texts, const QString& language)
    : board_(board) {
    show_.parts[WebShow::Texts] = webTextsMessage(texts, language);
}

std::optional<WebShow> WebShowFeed::next(uint64_t since) {
    const std::shared_ptr<const ShowSnapshot> now = board_.latest();
    if (now == last_ && since == show_.serial) return std::nullopt;
    const ShowSnapshot* before = last_.get();
    const ShowSnapshot& s = *now;
    auto& parts = show_.parts;
    if (!before || before->titles != s.titles || before->lengthsSeconds != s.lengthsSeconds ||
        before->setlistName != s.setlistName)
        parts[WebShow::Setlist] = setlistMessage(s);
    parts[WebShow::State] = stateMessage(s);
    parts[WebShow::Clock] = clockMessage(s);
    if (!before || before->webLyric != s.webLyric)
        parts[WebShow::Lyric] = s.webLyric ? *s.webLyric : json({{"type", "lyric"}, {"mode", "none"}});
    if (!before || before->midiSung != s.midiSung || before->midiSinging != s.midiSinging || before->midiComing != s.midiComing)
        parts[WebShow::Karaoke] = karaokeMessage(s);
    last_ = now;
    show_.serial = s.serial;
    return show_;
}

QByteArray webTextsMessage(const InterfaceTexts& texts, const QString& language) {
    QJsonObject t;
    for (const TextKey& k : kPageTexts) t.insert(QLatin1String(k.key), texts[k.id]);
    return json({{"type", "texts"}, {"language", language}, {"texts", t}});
}

ShowCommand showCommandFor(const WebRequest& request) {
    ShowCommand c;
    switch (request.action) {
    case WebAction::Play: c.kind = ShowCommand::Kind::Play; break;
    case WebAction::Stop: c.kind = ShowCommand::Kind::Stop; break;
    case WebAction::Next: c.kind = ShowCommand::Kind::Next; break;
    case WebAction::Previous: c.kind = ShowCommand::Kind::Previous; break;
    case WebAction::SelectRow: c.kind = ShowCommand::Kind::SelectRow; c.number = request.row; break;
    case WebAction::ShowLyric: c.kind = ShowCommand::Kind::ShowLyric; break;
    case WebAction::HideLyric: c.kind = ShowCommand::Kind::HideLyric; break;
    }
    return c;
}

} // namespace vl
