#include "app/RunOptions.h"

#include <QRegularExpression>

#include <iterator>

namespace vl {

namespace {

constexpr unsigned bit(RunCommand c) { return 1u << static_cast<unsigned>(c); }
constexpr unsigned kRun = bit(RunCommand::Run);
constexpr unsigned kCheck = bit(RunCommand::Check);
constexpr unsigned kRender = bit(RunCommand::Render);
constexpr unsigned kAll = kRun | kCheck | kRender;

struct OptionRow {
    const char* name;
    const char* value; // nullptr: a flag
    unsigned commands; // where it is accepted
    const char* help;  // nullptr: not listed
    // False, with `error` set, when the value is no good.
    bool (*apply)(RunOptions& options, const QString& value, QString& error);
};

bool wholeNumber(const QString& value, int low, int high, int& out) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high) return false;
    out = n;
    return true;
}

const OptionRow kOptions[] = {
    {"--help", nullptr, kAll, "show this help and exit",
     [](RunOptions& o, const QString&, QString&) { return o.command = RunCommand::Help, true; }},
    {"--version", nullptr, kAll, "show the version and exit",
     [](RunOptions& o, const QString&, QString&) { return o.command = RunCommand::Version, true; }},
    {"--home", "DIR", kAll, "use DIR as the program folder (instead of $VELLAMORINTH_HOME ...)",
     [](RunOptions& o, const QString& v, QString&) { return o.home = v, true; }},
    {"--json", nullptr, kCheck, "check: write the report as JSON",
     [](RunOptions& o, const QString&, QString&) { return o.json = true, true; }},
    {"--pair", "N", kRender, "render: output pair N, 1 (outputs 1/2) to 4 (7/8); the default is 1",
     [](RunOptions& o, const QString& v, QString& error) {
         if (wholeNumber(v, 1, 4, o.pair)) return true;
         error = QStringLiteral("--pair takes 1, 2, 3 or 4, not \"%1\"").arg(v);
         return false;
     }},
    {"--all", nullptr, kRender, "render: all eight outputs, one channel each",
     [](RunOptions& o, const QString&, QString&) { return o.pair = 0, true; }},
    {"--osc-port", "N", kRun, "turn OSC remote control on, on UDP port N, for this run",
     [](RunOptions& o, const QString& v, QString& error) {
         if (wholeNumber(v, 1, 65535, o.network.oscPort)) return true;
         error = QStringLiteral("--osc-port takes a port from 1 to 65535, not \"%1\"").arg(v);
         return false;
     }},
    {"--follower", "HOST:PORT", kRun, "lead the backup machine at HOST:PORT (its OSC port); repeatable",
     [](RunOptions& o, const QString& v, QString& error) {
         const int colon = v.lastIndexOf(':');
         bool ok = false;
         const int port = colon > 0 ? v.mid(colon + 1).toInt(&ok) : 0;
         if (ok && port >= 1 && port <= 65535) return o.network.followers << v, true;
         error = QStringLiteral("--follower takes HOST:PORT, not \"%1\"").arg(v);
         return false;
     }},
    {"--follow", nullptr, kRun, "be the backup machine: follow the main that sends to this OSC port",
     [](RunOptions& o, const QString&, QString&) { return o.network.follow = true, true; }},
    {"--web-port", "N", kRun, "turn the band view on for this run, on port N (1024-65535)",
     [](RunOptions& o, const QString& v, QString& error) {
         if (wholeNumber(v, 1024, 65535, o.webPort)) return true;
         error = QStringLiteral("--web-port takes a port from 1024 to 65535, not \"%1\"").arg(v);
         return false;
     }},
    {"--web-pin", "PIN", kRun, "the band view's operator PIN for this run (up to 16 letters or digits)",
     [](RunOptions& o, const QString& v, QString& error) {
         static const QRegularExpression plain(QStringLiteral("^[!-~]{1,16}$"));
         if (plain.match(v).hasMatch()) return o.webPin = v, true;
         error = QStringLiteral("--web-pin takes 1 to 16 letters, digits or signs, without spaces");
         return false;
     }},
    {"--segue-ms", "N", kRun, "for this run, N ms (0 to 1000) between the end of a song and the next by automatic play",
     [](RunOptions& o, const QString& v, QString& error) {
         if (wholeNumber(v, 0, 1000, o.segueMs)) return true;
         error = QStringLiteral("--segue-ms takes a number of milliseconds from 0 to 1000, not \"%1\"").arg(v);
         return false;
     }},
    {"--timecode-fps", "FPS", kRun, "timecode frame rate for this run: 24, 25, 29.97 (drop frame) or 30",
     [](RunOptions& o, const QString& v, QString& error) {
         const int code = v == QLatin1String("29.97") ? 2997 : v.toInt();
         if (v != QLatin1String("2997") && isTimecodeFpsCode(code)) return o.timecode.fpsCode = code, true;
         error = QStringLiteral("--timecode-fps takes 24, 25, 29.97 or 30, not \"%1\"").arg(v);
         return false;
     }},
    {"--ltc-channel", "N", kRun, "LTC on output N (1-8) for this run; 0: none",
     [](RunOptions& o, const QString& v, QString& error) {
         int channel = 0;
         if (wholeNumber(v, 0, 8, channel)) return o.timecode.ltcChannel = channel, true;
         error = QStringLiteral("--ltc-channel takes an output from 1 to 8, or 0, not \"%1\"").arg(v);
         return false;
     }},
    {"--mtc", nullptr, kRun, "send MIDI time code through the MIDI output for this run",
     [](RunOptions& o, const QString&, QString&) { return o.timecode.mtc = true, true; }},
    {"--midi-clock", nullptr, kRun, "send MIDI clock from the songs' MIDI files for this run",
     [](RunOptions& o, const QString&, QString&) { return o.timecode.midiClock = true, true; }},
    // Qt's own, handed on as they are.
    {"-platform", "NAME", kRun, nullptr, nullptr},
    {"-style", "NAME", kRun, nullptr, nullptr},
    {"-stylesheet", "FILE", kRun, nullptr, nullptr},
    {"-display", "NAME", kRun, nullptr, nullptr},
    {"-reverse", nullptr, kRun, nullptr, nullptr},
};

const OptionRow* findOption(const QString& name) {
    for (const OptionRow& row : kOptions)
        if (name == QLatin1String(row.name)) return &row;
    return nullptr;
}

const char* commandName(RunCommand c) {
    return c == RunCommand::Check ? "check" : c == RunCommand::Render ? "render" : "";
}

} // namespace

RunOptions parseRunOptions(const QStringList& arguments) {
    RunOptions o;
    RunCommand command = RunCommand::Run;
    QStringList positional;
    int first = 0;
    if (!arguments.isEmpty() && arguments[0] == QLatin1String("check")) command = RunCommand::Check, first = 1;
    if (!arguments.isEmpty() && arguments[0] == QLatin1String("render")) command = RunCommand::Render, first = 1;
    o.command = command;
    bool optionsEnd = false;
    for (int i = first; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        if (!optionsEnd && arg == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        if (optionsEnd || !arg.startsWith('-') || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        QString value;
        bool inlineValue = false;
        if (const int eq = arg.indexOf('='); arg.startsWith(QLatin1String("--")) && eq > 0) {
            value = arg.mid(eq + 1);
            arg.truncate(eq);
            inlineValue = true;
        }
        const OptionRow* row = findOption(arg);
        if (!row || !(row->commands & bit(command))) {
            o.error = row ? QStringLiteral("%1 is not an option of %2").arg(arg, command == RunCommand::Run ? QStringLiteral("the program") : QLatin1String(commandName(command)))
                          : QStringLiteral("unknown option %1").arg(arg);
            return o;
        }
        if (row->value && !inlineValue) {
            if (i + 1 >= arguments.size()) {
                o.error = QStringLiteral("%1 needs a value (%2)").arg(arg, QLatin1String(row->value));
                return o;
            }
            value = arguments[++i];
        } else if (!row->value && inlineValue) {
            o.error = QStringLiteral("%1 takes no value").arg(arg);
            return o;
        }
        if (!row->apply) {
            o.qtOptions << arg;
            if (row->value) o.qtOptions << value;
            continue;
        }
        const RunCommand before = o.command;
        if (!row->apply(o, value, o.error)) return o;
        // --help and --version win over the command, whatever else follows.
        if (before == RunCommand::Help || before == RunCommand::Version) o.command = before;
    }
    if (o.command == RunCommand::Help || o.command == RunCommand::Version) return o;
    if (command == RunCommand::Run && !positional.isEmpty()) {
        o.error = QStringLiteral("unknown command %1").arg(positional[0]);
    } else if (command == RunCommand::Check) {
        if (positional.size() > 1) o.error = QStringLiteral("check takes one setlist at most");
        else if (!positional.isEmpty()) o.setlist = positional[0];
    } else if (command == RunCommand::Render) {
        if (positional.size() != 2) {
            o.error = QStringLiteral("render needs a song and the WAV file to write");
        } else {
            o.song = positional[0];
            o.output = positional[1];
        }
    }
    return o;
}

QString usageText() {
    return QStringLiteral(
        "usage: vellamorinth [--home DIR] [--segue-ms N] [--osc-port N] [--follower HOST:PORT]... [--follow]\n"
        "                    [--web-port N] [--web-pin PIN]\n"
        "                    [--timecode-fps FPS] [--ltc-channel N] [--mtc] [--midi-clock]\n"
        "       vellamorinth check [SETLIST] [--home DIR] [--json]\n"
        "       vellamorinth render SONG OUT.wav [--pair N | --all] [--home DIR]\n"
        "       vellamorinth --help | --version\n");
}

QString helpText() {
    QString text = usageText();
    text += QStringLiteral(
        "\n"
        "Without a command the program starts with its windows.\n"
        "\n"
        "check   checks a setlist before the show, without a window or a sound device: every\n"
        "        row's song folder, program, tracks (through the engine's own decoders), MIDI\n"
        "        file, sound font, video, lyric and info file. One line a problem, then a\n"
        "        summary. SETLIST: a setlist file; without it, the remembered setlist. Empty\n"
        "        rows, \"a..\" rows and rows in capitals without a song folder (SET 1) are\n"
        "        headings.\n"
        "        Exit status 0 when nothing is wrong, 1 when something is.\n"
        "render  renders SONG (a song folder's name beside the remembered setlist, or a song\n"
        "        folder's path) with its program, as the program plays it, as fast as the\n"
        "        machine goes, into the 16-bit 44,100 Hz WAV file OUT.wav.\n"
        "\n"
        "Options:\n");
    for (const OptionRow& row : kOptions) {
        if (!row.help) continue;
        QString name = QLatin1String(row.name);
        if (row.value) name += ' ' + QLatin1String(row.value);
        // A long name takes a line of its own, so the help texts stay in one column.
        if (name.size() >= 12) name += QStringLiteral("\n") + QString(14, u' ');
        text += QStringLiteral("  %1%2\n").arg(name.leftJustified(12), QLatin1String(row.help));
    }
    text += QStringLiteral(
        "\n"
        "Neither command writes into the program folder. Exit status 2: the command line\n"
        "or the program folder could not be used.\n");
    return text;
}

QString versionText() {
    return QStringLiteral("vellamorinth " VL_VERSION "\n");
}

} // namespace vl
