#include "songs/ProgramFile.h"

#include "platform/TextFile.h"
#include "songs/ValueLines.h"

namespace vl {
namespace {

// One description of the layout serves reading and writing: the walker visits every
// value in file order and the visitor either reads a line into it or writes it out.
template <typename Program, typename Visitor>
void walkLayout(Program& p, Visitor& v, int trackCount, bool current, FileNames names) {
    if (names == FileNames::Included)
        for (int t = 0; t < trackCount; ++t)
            v.name(p.tracks[t].fileName);
    v.level(p.masterVolume);
    for (int t = 0; t < trackCount; ++t)
        v.level(p.tracks[t].volume);
    for (int t = 0; t < trackCount; ++t)
        v.integer(p.tracks[t].pan);
    for (int t = 0; t < trackCount; ++t)
        v.integer(p.tracks[t].outputPair);
    for (int t = 0; t < trackCount; ++t)
        v.integer(p.tracks[t].mute);
    for (auto& change : p.midiProgramChanges)
        v.integer(change.channel);
    for (auto& change : p.midiProgramChanges)
        v.integer(change.program);
    if (current) {
        auto& buses = p.effectBuses;
        v.integer(buses.reverbVolume);
        v.integer(buses.reverbTime);
        v.integer(buses.delayVolume);
        v.integer(buses.delayFeedback);
        v.integer(buses.delayTime);
        for (int t = 0; t < trackCount; ++t) {
            auto& track = p.tracks[t];
            v.integer(track.eqActive);
            v.integer(track.treble);
            v.integer(track.mid);
            v.integer(track.bass);
            v.integer(track.compressorActive);
            v.rounded(track.ratio);
            v.rounded(track.threshold);
            v.rounded(track.release);
            v.integer(track.reverbSend);
            v.integer(track.delaySend);
        }
    }
    for (auto& value : p.reserved)
        v.integer(value);
}

struct LineReader {
    const QStringList& lines;
    int next = 1; // line 1 is the header

    QString take() { return lineAt(lines, next++); }
    void name(QString& s) { s = limitFileName(take()); }
    void level(float& f) { f = parseLevelText(take()); }
    void integer(int32_t& i) { i = parseIntegerLine(take()); }
    void rounded(float& f) { f = static_cast<float>(parseIntegerLine(take())); }
};

struct LineWriter {
    QStringList lines;

    // A line break inside a name would shift every later line of the file.
    void name(const QString& s) {
        QString clean = limitFileName(s);
        clean.remove(u'\r');
        clean.remove(u'\n');
        lines.append(clean);
    }
    void level(float f) { lines.append(formatLevel(f)); }
    void integer(int32_t i) { lines.append(QString::number(i)); }
    void rounded(float f) { lines.append(QString::number(roundToInt(f))); }
};

} // namespace

QString limitFileName(const QString& name) {
    if (name.size() <= kFileNameMax) return name;
    // Never keep half of a surrogate pair.
    const int keep = name[kFileNameMax - 1].isHighSurrogate() ? kFileNameMax - 1 : kFileNameMax;
    return name.left(keep);
}

bool readProgramLines(const QStringList& lines, SongProgram& program, FileNames names) {
    const QString header = lineAt(lines, 0);
    if (!header.contains(QLatin1String("Vellamorinth v1."))) return false;
    const bool legacy = header.contains(QLatin1String("v1.0"));
    LineReader reader{lines};
    walkLayout(program, reader, legacy ? kLegacyTracks : kStoredTracks, !legacy, names);
    return true;
}

QStringList writeProgramLines(const SongProgram& program, FileNames names) {
    LineWriter writer;
    writer.lines.append(QString::fromLatin1(kProgramHeader));
    walkLayout(program, writer, kStoredTracks, true, names);
    return writer.lines;
}

} // namespace vl
