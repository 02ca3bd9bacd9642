#include "remote/WebSession.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vl {

namespace {

constexpr int kOpcodeText = 0x1;
constexpr int kOpcodeClose = 0x8;
constexpr int kFinalFrame = 0x80;

QByteArray json(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

} // namespace

WebSession::WebSession(std::string address, OperatorGate& gate, Post post)
    : address_(std::move(address)), gate_(gate), post_(std::move(post)) {}

QByteArray WebSession::hear(int bits, const char* data, std::size_t size, bool& close) {
    const int opcode = bits & 0x0f;
    close = opcode == kOpcodeClose;
    // Only whole text frames are heard; pings, pongs, binary and fragments are dropped.
    if (opcode != kOpcodeText || !(bits & kFinalFrame)) return {};
    const std::optional<WebRequest> request = parseWebMessage(data, size);
    return request ? answer(*request) : QByteArray();
}

QByteArray WebSession::answer(const WebRequest& request) {
    using Type = WebRequest::Type;
    switch (request.type) {
    case Type::Pin: {
        const OperatorGate::Answer a = gate_.tryPin(address_, request.pin);
        QJsonObject o{{"type", "pin"}};
        if (a.result == OperatorGate::PinResult::Accepted) {
            o.insert("result", "accepted");
            o.insert("token", QString::fromLatin1(a.token));
        } else if (a.result == OperatorGate::PinResult::Locked) {
            o.insert("result", "locked");
            o.insert("wait", a.waitSeconds);
        } else {
            o.insert("result", "wrong");
        }
        return json(o);
    }
    case Type::Resume:
        return json({{"type", "session"}, {"valid", gate_.admits(request.token)}});
    case Type::Logout:
        gate_.forget(request.token);
        return json({{"type", "session"}, {"valid", false}});
    case Type::Command: {
        // Every command shows its token: a session that lapsed or was ended stops here.
        const char* result = !gate_.admits(request.token) ? "denied" : post_ && post_(request) ? "done" : "busy";
        return json({{"type", "command"}, {"result", result}});
    }
    }
    return {};
}

} // namespace vl
