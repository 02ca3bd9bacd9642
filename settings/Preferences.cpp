#include "settings/Preferences.h"

#include "platform/TextFile.h"

#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <climits>

namespace vl {

namespace {

const char* const kAudioLabel = "audiodriver";
const char* const kMidiLabel = "mididriver";

QString number(int value) {
    return QString::number(value);
}
QString flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}
QString oneLine(QString text) {
    return text.remove(u'\r').remove(u'\n');
}

// Reads the lines one after another; past the end every line is empty.
class LineCursor {
  public:
    explicit LineCursor(const QStringList& lines) : lines_(lines) {}
    QString text() { return lineAt(next_++); }
    int number() { return readNumberLine(text()); }
    bool flag() { return number() != 0; }
    void skip(int count = 1) { next_ += count; }
    bool hasMore() const { return next_ < lines_.size(); }

  private:
    QString lineAt(int i) const { return i < lines_.size() ? lines_[i] : QString(); }
    const QStringList& lines_;
    int next_ = 0;
};

} // namespace

int readNumberLine(const QString& line) {
    int i = 0;
    const int n = static_cast<int>(line.size());
    while (i < n && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (line[i] == u'-' || line[i] == u'+')) {
        negative = line[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < n && line[i] >= u'0' && line[i] <= u'9'; ++i) {
        value = value * 10 + (line[i].unicode() - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

QString folderOfPath(const QString& path) {
    const auto cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

PreferencesReadResult parsePreferences(const QStringList& lines, Preferences& p) {
    PreferencesReadResult result;
    LineCursor in(lines);

    if (in.text() == QLatin1String(kAudioLabel)) {
        p.audioDriverIndex = in.number();
    } else {
        p.audioDriverIndex = 0;
        in.skip();
        result.audioMarked = result.crashDetected = true;
    }
    if (in.text() == QLatin1String(kMidiLabel)) {
        p.midiInIndex = in.number();
        p.midiOutIndex = in.number();
    } else {
        p.midiInIndex = p.midiOutIndex = 0;
        in.skip(2);
        result.midiMarked = result.crashDetected = true;
    }

    in.skip(); // "busouts"
    for (int& out : p.subgroupOutput)
        out = in.number();
    in.skip(); // "mutechannels"
    for (bool& mute : p.globalMute)
        mute = in.flag();
    in.skip(); // "screensize"
    p.screenSizeIndex = in.number();
    in.skip(); // "doubleclick opens"
    p.doubleClickAction = in.number();
    in.skip(); // "play and show lyric"
    p.playShowsLyric = in.flag();
    in.skip(); // "textsize"
    p.setlistTextSize = in.text();
    in.skip(); // "midicontrol"
    for (MidiControlSlot& slot : p.midiControls) {
        slot.status = in.number();
        slot.data1 = in.number();
    }
    in.skip(); // "hotkeys"
    for (int& key : p.hotkeys)
        key = in.number();
    p.setlistPath = in.text();
    p.skinIndex = in.number();
    p.noMidiFileToMidiOut = in.flag();
    p.programChangeSelectsSong = in.flag();
    p.programChangePlays = in.flag();
    p.midiMasterVolumeEnabled = in.flag();
    p.midiMasterVolumeChannel = in.number();
    p.lyricSecondWindow = in.flag();
    p.mainWindowX = in.number();
    p.mainWindowY = in.number();
    p.lyricViewX = in.number();
    p.lyricViewY = in.number();
    in.skip(); // "midicontrol" again
    for (MidiControlSlot& slot : p.midiControls)
        slot.data2 = in.number();
    p.valueSensitive = in.flag();
    // A file that ends before this line keeps the zoom on.
    p.lyricZoom = true;
    const int zoom = in.number();
    if (zoom >= 1) p.lyricZoom = zoom - 1 != 0;

    if (in.hasMore()) {
        const int x = in.number();
        const int y = in.number();
        const int w = in.number();
        const int h = in.number();
        p.playbackWindowRect = {x, y, w, h};
    } else {
        p.playbackWindowRect = {};
    }
    // After a crash the name goes with the position, so the card is chosen again.
    const QString audioDriverName = in.text(); // read either way: the lines after it keep their places
    p.audioDriverName = result.audioMarked ? QString() : audioDriverName;
    p.jumpToNext = in.flag();
    p.autoPlay = in.flag();
    const QString segue = in.text();
    p.segueMs = segue.trimmed().isEmpty() ? kDefaultSegueMs : std::clamp(readNumberLine(segue), 0, kMaxSegueMs);
    if (in.hasMore()) {
        p.oscEnabled = in.flag();
        const int port = in.number();
        p.oscPort = port >= 1 && port <= 65535 ? port : 9000;
        p.oscAllowedSenders = in.text();
        p.oscFeedbackTo = in.text();
        const int role = in.number();
        p.showLinkRole = role >= 0 && role <= 2 ? role : 0;
        p.showLinkFollowers = in.text();
    }
    p.webEnabled = in.flag();
    if (const int port = in.number(); port >= 1024 && port <= 65535) p.webPort = port;
    p.webPin = in.text();
    // Timecode: each line a file of an older version lacks keeps its default.
    TimecodeChoice& tc = p.timecode;
    tc = {};
    if (in.hasMore()) {
        const int fps = in.number();
        if (isTimecodeFpsCode(fps)) tc.fpsCode = fps;
    }
    if (in.hasMore()) tc.mtc = in.flag();
    if (in.hasMore()) tc.ltcChannel = std::clamp(in.number(), 0, 8);
    if (in.hasMore()) tc.ltcLevelDb = std::clamp(in.number(), kLtcLevelLowestDb, 0);
    if (in.hasMore()) tc.midiClock = in.flag();
    return result;
}

QStringList formatPreferences(const Preferences& p, bool clean) {
    const QString marker = clean ? QString() : QStringLiteral("@");
    QStringList out;
    out.reserve(kPreferencesLineCount);
    out << marker + QLatin1String(kAudioLabel) << number(p.audioDriverIndex);
    out << marker + QLatin1String(kMidiLabel) << number(p.midiInIndex) << number(p.midiOutIndex);
    out << QStringLiteral("busouts");
    for (int o : p.subgroupOutput)
        out << number(o);
    out << QStringLiteral("mutechannels");
    for (bool m : p.globalMute)
        out << flag(m);
    out << QStringLiteral("screensize") << number(p.screenSizeIndex);
    out << QStringLiteral("doubleclick opens") << number(p.doubleClickAction);
    out << QStringLiteral("play and show lyric") << flag(p.playShowsLyric);
    out << QStringLiteral("textsize") << oneLine(p.setlistTextSize);
    out << QStringLiteral("midicontrol");
    for (const MidiControlSlot& slot : p.midiControls)
        out << number(slot.status) << number(slot.data1);
    out << QStringLiteral("hotkeys");
    for (int key : p.hotkeys)
        out << number(key);
    out << oneLine(p.setlistPath) << number(p.skinIndex) << flag(p.noMidiFileToMidiOut)
        << flag(p.programChangeSelectsSong) << flag(p.programChangePlays) << flag(p.midiMasterVolumeEnabled)
        << number(p.midiMasterVolumeChannel) << flag(p.lyricSecondWindow) << number(p.mainWindowX)
        << number(p.mainWindowY) << number(p.lyricViewX) << number(p.lyricViewY);
    out << QStringLiteral("midicontrol");
    for (const MidiControlSlot& slot : p.midiControls)
        out << number(slot.data2);
    out << flag(p.valueSensitive) << number(p.lyricZoom ? 2 : 1);
    const WindowRect& r = p.playbackWindowRect;
    out << number(r.x) << number(r.y) << number(r.width) << number(r.height);
    out << oneLine(p.audioDriverName) << flag(p.jumpToNext) << flag(p.autoPlay) << number(p.segueMs);
    out << flag(p.oscEnabled) << number(p.oscPort) << oneLine(p.oscAllowedSenders) << oneLine(p.oscFeedbackTo)
        << number(p.showLinkRole) << oneLine(p.showLinkFollowers);
    out << flag(p.webEnabled) << number(p.webPort) << oneLine(p.webPin);
    const TimecodeChoice& tc = p.timecode;
    out << number(tc.fpsCode) << flag(tc.mtc) << number(tc.ltcChannel) << number(tc.ltcLevelDb) << flag(tc.midiClock);
    return out;
}

bool writePreferencesFile(const QString& path, const Preferences& prefs, bool clean) {
    return writeTextLines(path, formatPreferences(prefs, clean));
}

namespace {

// The file's bytes with the '@' of the marker labels on lines 1 and 3 taken out.
QByteArray withoutMarkers(QByteArray bytes) {
    qsizetype lineStart = 0;
    for (int line = 0; line < 3 && lineStart < bytes.size(); ++line) {
        if ((line == 0 || line == 2) && bytes[lineStart] == '@') bytes.remove(lineStart, 1);
        const qsizetype end = bytes.indexOf('\n', lineStart);
        if (end < 0) break;
        lineStart = end + 1;
    }
    return bytes;
}

} // namespace

bool clearCrashMarkerInPlace(const QString& path, const Preferences& prefs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    const QByteArray old = file.readAll();
    QByteArray bytes = formatPreferences(prefs, true).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    // Only in the room the file has (nothing new to allocate), and only in its encoding.
    if (bytes.size() > old.size() || detectEncoding({old.constData(), static_cast<std::size_t>(old.size())}) !=
                                         TextEncoding::Utf8)
        bytes = withoutMarkers(old);
    if (bytes == old) return withoutMarkers(old) == old;
    if (!file.seek(0) || file.write(bytes) != bytes.size() || !file.flush() || !file.resize(bytes.size()))
        return false;
    return ::fsync(file.handle()) == 0;
}

} // namespace vl
