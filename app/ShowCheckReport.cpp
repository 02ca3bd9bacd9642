#include "app/ShowCheckReport.h"

#include "app/ShowCheck.h"
#include "core/InterfaceTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vl {

namespace {

const char* roleName(int role) {
    switch (role) {
    case VL_ROLE_AUDIO: return "audio";
    case VL_ROLE_MIDI: return "midi";
    case VL_ROLE_VIDEO: return "video";
    case VL_ROLE_SOUNDFONT: return "soundfont";
    default: return "unknown";
    }
}

QJsonObject fileJson(const CheckedFile& f) {
    QJsonObject o;
    if (f.track > 0) o["track"] = f.track;
    o["file"] = f.name;
    o["path"] = f.path;
    o["role"] = QLatin1String(roleName(f.role));
    o["readable"] = f.readable;
    if (!f.readable) o["reason"] = f.reason;
    if (f.readable && (f.role == VL_ROLE_AUDIO || f.role == VL_ROLE_MIDI)) {
        o["songBytes"] = static_cast<qint64>(f.lengthSongBytes);
        o["seconds"] = double(f.lengthSongBytes) / 176400.0;
    }
    if (f.readable && f.role == VL_ROLE_AUDIO) {
        o["rate"] = f.rate;
        o["channels"] = f.channels;
    }
    return o;
}

int songsWithProblems(const ShowCheck& check) {
    int n = 0;
    for (const CheckedSong& song : check.songs) n += song.problems.isEmpty() ? 0 : 1;
    return n;
}

QString summary(const ShowCheck& check, const InterfaceTexts& texts) {
    if (check.ok()) return texts[StatusText::CheckSummaryGood].arg(check.songs.size()).arg(check.filesChecked);
    return texts[StatusText::CheckSummaryProblems]
        .arg(check.problems.size())
        .arg(songsWithProblems(check))
        .arg(check.filesChecked);
}

} // namespace

QByteArray showCheckText(const ShowCheck& check, const InterfaceTexts& texts) {
    QString out;
    for (const QString& problem : check.problems) out += problem + '\n';
    out += summary(check, texts) + '\n';
    return out.toUtf8();
}

QByteArray showCheckJson(const ShowCheck& check, const InterfaceTexts& texts) {
    QJsonObject root;
    root["programFolder"] = check.programFolder;
    root["setlist"] = check.setlistPath;
    root["setlistReadable"] = check.setlistRead;
    root["songsFolder"] = check.songsRoot;
    if (check.soundFontNeeded) root["soundFont"] = fileJson(check.soundFont);
    QJsonArray songs;
    for (const CheckedSong& song : check.songs) {
        QJsonObject s;
        s["row"] = song.row;
        s["song"] = song.title;
        s["folder"] = song.folder;
        s["folderFound"] = song.folderFound;
        if (song.folderFound) {
            s["programReadable"] = song.programRead;
            QJsonArray files;
            for (const CheckedFile& f : song.files) files.append(fileJson(f));
            s["tracks"] = files;
            s["lyric"] = QJsonObject{{"path", song.lyricPath}, {"readable", song.lyricReadable}};
            QJsonObject info;
            info["songBytes"] = song.infoSongBytes ? QJsonValue(static_cast<qint64>(*song.infoSongBytes)) : QJsonValue();
            info["tracksSongBytes"] = static_cast<qint64>(song.tracksSongBytes);
            info["agrees"] = song.infoAgrees;
            s["info"] = info;
        }
        s["problems"] = QJsonArray::fromStringList(song.problems);
        s["ok"] = song.problems.isEmpty();
        songs.append(s);
    }
    root["songs"] = songs;
    root["problems"] = QJsonArray::fromStringList(check.problems);
    root["summary"] = QJsonObject{{"songs", static_cast<int>(check.songs.size())},
                                  {"songsWithProblems", songsWithProblems(check)},
                                  {"files", check.filesChecked},
                                  {"problems", static_cast<int>(check.problems.size())},
                                  {"ok", check.ok()},
                                  {"text", summary(check, texts)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace vl
