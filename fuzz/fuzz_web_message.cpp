// What a page may send over the band view's WebSocket, as the server's session hears it:
// any bytes in any frame kind, split into several messages at each 0xff ("@@" stands for
// the session token), against a gate with a PIN. No input may crash; a command reaches the
// program only with a token the gate gave out, a known action and a row in range.
#include "remote/OperatorGate.h"
#include "remote/WebSession.h"

#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vl::OperatorGate gate(QStringLiteral("4711"));
    std::set<QByteArray> given;
    vl::WebSession session("192.0.2.7", gate, [&](const vl::WebRequest& r) {
        if (r.type != vl::WebRequest::Type::Command || !given.count(r.token)) std::abort();
        if (r.action == vl::WebAction::SelectRow && (r.row < 1 || r.row > 9999)) std::abort();
        return true;
    });
    // The right PIN first, so that commands with its token are heard too.
    bool close = false;
    const char pin[] = R"({"type":"pin","pin":"4711"})";
    const QByteArray accepted = session.hear(0x81, pin, sizeof pin - 1, close);
    const qsizetype at = accepted.indexOf("\"token\":\"");
    if (at < 0) std::abort();
    const QByteArray token = accepted.mid(at + 9, 32);
    given.insert(token);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0xff) continue;
        if (i > start) {
            // "@@" stands for the token, which the fuzzer could never guess.
            QByteArray message(reinterpret_cast<const char*>(data) + start + 1, static_cast<qsizetype>(i - start - 1));
            message.replace("@@", token);
            session.hear(data[start], message.constData(), static_cast<std::size_t>(message.size()), close);
        }
        start = i + 1;
    }
    return 0;
}
