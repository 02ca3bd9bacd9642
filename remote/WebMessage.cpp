#include "remote/WebMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace vl {

namespace {

constexpr int kMaxRow = 9999;

struct ActionName {
    const char* name;
    WebAction action;
};
constexpr ActionName kActions[] = {
    {"play", WebAction::Play},         {"stop", WebAction::Stop},          {"next", WebAction::Next},
    {"previous", WebAction::Previous}, {"row", WebAction::SelectRow},      {"lyric-show", WebAction::ShowLyric},
    {"lyric-hide", WebAction::HideLyric},
};

bool plainPin(const QString& pin) {
    if (pin.isEmpty() || pin.size() > kMaxWebPinLength) return false;
    for (const QChar c : pin)
        if (c.unicode() < 0x21 || c.unicode() > 0x7e) return false;
    return true;
}

std::optional<QByteArray> tokenOf(const QJsonObject& o) {
    const QJsonValue v = o.value(QLatin1String("token"));
    if (!v.isString()) return std::nullopt;
    const QByteArray token = v.toString().toLatin1();
    if (token.size() != kWebTokenLength) return std::nullopt;
    for (const char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    return token;
}

std::optional<WebAction> actionOf(const QJsonObject& o) {
    const QJsonValue v = o.value(QLatin1String("command"));
    if (!v.isString()) return std::nullopt;
    const QString name = v.toString();
    for (const ActionName& a : kActions)
        if (name == QLatin1String(a.name)) return a.action;
    return std::nullopt;
}

} // namespace

std::optional<WebRequest> parseWebMessage(const char* data, std::size_t size) {
    if (!data || size == 0 || size > kMaxWebMessageBytes) return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(data, static_cast<qsizetype>(size)), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject o = document.object();
    if (o.size() > 4) return std::nullopt;
    const QString type = o.value(QLatin1String("type")).toString();
    WebRequest r;
    if (type == QLatin1String("pin")) {
        const QJsonValue pin = o.value(QLatin1String("pin"));
        if (!pin.isString() || !plainPin(pin.toString())) return std::nullopt;
        r.type = WebRequest::Type::Pin;
        r.pin = pin.toString();
        return r;
    }
    const std::optional<QByteArray> token = tokenOf(o);
    if (!token) return std::nullopt;
    r.token = *token;
    if (type == QLatin1String("resume")) r.type = WebRequest::Type::Resume;
    else if (type == QLatin1String("logout")) r.type = WebRequest::Type::Logout;
    else if (type == QLatin1String("command")) {
        const std::optional<WebAction> action = actionOf(o);
        if (!action) return std::nullopt;
        r.type = WebRequest::Type::Command;
        r.action = *action;
        if (r.action == WebAction::SelectRow) {
            const QJsonValue row = o.value(QLatin1String("row"));
            const double n = row.toDouble(-1);
            if (!row.isDouble() || !(n >= 1 && n <= kMaxRow) || n != std::floor(n)) return std::nullopt;
            r.row = static_cast<int>(n);
        }
    } else {
        return std::nullopt;
    }
    return r;
}

} // namespace vl
