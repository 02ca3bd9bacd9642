#include "remote/OscAddressSpace.h"

#include <lo/lo.h>

#include <cmath>
#include <cstring>
#include <optional>

namespace vl {

namespace {

using Kind = ShowCommand::Kind;

// liblo points into the packet, where arguments are only four-byte aligned: read them as bytes.
template <typename T>
T read(const lo_arg* arg) {
    T value;
    std::memcpy(&value, reinterpret_cast<const char*>(arg), sizeof value);
    return value;
}
QString readText(const lo_arg* arg) { return QString::fromUtf8(reinterpret_cast<const char*>(arg)); }

// Tablets and desks send numbers as int or float alike; both are taken.
std::optional<double> number(char type, lo_arg* arg) {
    switch (type) {
    case LO_INT32: return read<int32_t>(arg);
    case LO_INT64: return double(read<int64_t>(arg));
    case LO_FLOAT: return read<float>(arg);
    case LO_DOUBLE: return read<double>(arg);
    default: return std::nullopt;
    }
}

std::optional<QString> text(char type, lo_arg* arg) {
    if (type != LO_STRING && type != LO_SYMBOL) return std::nullopt;
    return readText(arg);
}

struct Message {
    QString address; // below the root
    const char* types;
    lo_arg** argv;
    int argc;
    bool none() const { return argc == 0; }
    std::optional<double> onlyNumber() const { return argc == 1 ? number(types[0], argv[0]) : std::nullopt; }
    std::optional<QString> onlyText() const { return argc == 1 ? text(types[0], argv[0]) : std::nullopt; }
    bool typed(const char* wanted) const { return std::strcmp(types, wanted) == 0; }
};

// The commands without arguments.
constexpr struct {
    const char* address;
    Kind kind;
} kPlainCommands[] = {
    {"play", Kind::Play},           {"stop", Kind::Stop},         {"playpause", Kind::PlayPause},
    {"next", Kind::Next},           {"previous", Kind::Previous}, {"lyric/show", Kind::ShowLyric},
    {"lyric/hide", Kind::HideLyric},
};

} // namespace

void OscAddressSpace::dispatch(const char* path, const char* types, lo_arg** argv, int argc, const OscSource& from) {
    const QString fullPath = QString::fromUtf8(path ? path : "");
    if (!fullPath.startsWith(QLatin1String(kOscRoot))) {
        rejects_.note(OscReject::UnknownAddress, fullPath);
        return;
    }
    const Message m{fullPath.mid(int(std::strlen(kOscRoot))), types ? types : "", argv, argc};
    const auto wrong = [&] { rejects_.note(OscReject::WrongTypes, fullPath + QLatin1Char(' ') + QLatin1String(m.types)); };
    const auto outOfRange = [&] { rejects_.note(OscReject::OutOfRange, fullPath); };
    const auto post = [&](ShowCommand command) {
        if (!hooks_.post(std::move(command))) rejects_.note(OscReject::InboxFull, fullPath);
    };

    for (const auto& plain : kPlainCommands) {
        if (m.address != QLatin1String(plain.address)) continue;
        if (!m.none()) return wrong();
        return post({plain.kind, 0, 0, {}});
    }
    if (m.address == QLatin1String("select")) {
        if (const auto title = m.onlyText()) return post({Kind::SelectTitle, 0, 0, *title});
        const auto row = m.onlyNumber();
        if (!row) return wrong();
        if (!(*row >= 1 && *row <= 100000) || *row != std::floor(*row)) return outOfRange();
        return post({Kind::SelectRow, int(*row), 0, {}});
    }
    if (m.address == QLatin1String("locate")) {
        const auto seconds = m.onlyNumber();
        if (!seconds) return wrong();
        if (!(*seconds >= 0 && *seconds < 1e6)) return outOfRange();
        return post({Kind::Locate, 0, *seconds, {}});
    }
    if (m.address == QLatin1String("darkmode")) {
        const auto on = m.onlyNumber();
        if (!on) return wrong();
        if (*on != 0 && *on != 1) return outOfRange();
        return post({Kind::DarkMode, int(*on), 0, {}});
    }
    if (m.address == QLatin1String("master")) {
        const auto level = m.onlyNumber();
        if (!level) return wrong();
        if (!(*level >= 0 && *level <= 1)) return outOfRange();
        return post({Kind::Master, 0, *level, {}});
    }
    if (m.address == QLatin1String("setlist/load")) {
        const auto name = m.onlyText();
        if (!name) return wrong();
        if (name->isEmpty()) return outOfRange();
        return post({Kind::LoadSetlist, 0, 0, *name});
    }
    if (m.address == QLatin1String("subscribe")) {
        if (m.none()) return hooks_.subscribe(from, 0);
        const auto port = m.onlyNumber();
        if (!port) return wrong();
        if (!(*port >= 1 && *port <= 65535) || *port != std::floor(*port)) return outOfRange();
        return hooks_.subscribe(from, int(*port));
    }
    if (m.address == QLatin1String("unsubscribe")) {
        if (!m.none()) return wrong();
        return hooks_.unsubscribe(from);
    }
    if (m.address.startsWith(QLatin1String("follow/"))) {
        const QString what = m.address.mid(7);
        FollowMessage f;
        if (what == QLatin1String("setlist")) {
            f.kind = FollowMessage::Kind::Setlist;
            for (int i = 0; i < argc; ++i) {
                const auto title = text(m.types[i], argv[i]);
                if (!title) return wrong();
                f.titles << *title;
            }
        } else if (what == QLatin1String("select")) {
            if (!m.typed("is")) return wrong();
            f.kind = FollowMessage::Kind::Select;
            f.row = read<int32_t>(argv[0]);
            f.title = readText(argv[1]);
        } else if (what == QLatin1String("play")) {
            if (!m.typed("sdh")) return wrong();
            f.kind = FollowMessage::Kind::Play;
            f.title = readText(argv[0]);
            f.seconds = read<double>(argv[1]);
            f.clockNs = read<int64_t>(argv[2]);
        } else if (what == QLatin1String("locate")) {
            if (!m.typed("dh")) return wrong();
            f.kind = FollowMessage::Kind::Locate;
            f.seconds = read<double>(argv[0]);
            f.clockNs = read<int64_t>(argv[1]);
        } else if (what == QLatin1String("stop") || what == QLatin1String("heartbeat")) {
            if (!m.typed("h")) return wrong();
            f.kind = what == QLatin1String("stop") ? FollowMessage::Kind::Stop : FollowMessage::Kind::Heartbeat;
            f.clockNs = read<int64_t>(argv[0]);
        } else {
            return rejects_.note(OscReject::UnknownAddress, fullPath);
        }
        if ((f.kind == FollowMessage::Kind::Play || f.kind == FollowMessage::Kind::Locate) &&
            !(f.seconds >= 0 && f.seconds < 1e6))
            return outOfRange();
        if (!hooks_.follow) return rejects_.note(OscReject::NotFollowing, fullPath);
        return hooks_.follow(f);
    }
    rejects_.note(OscReject::UnknownAddress, fullPath);
}

} // namespace vl
