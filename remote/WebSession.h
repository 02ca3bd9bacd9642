#pragma once
// One page's WebSocket as the server hears it: each frame checked (a whole text frame, a
// known message), a PIN tried at the gate, a command passed on only with a live session.
// Runs on the civetweb worker that owns the socket.

#include "remote/OperatorGate.h"
#include "remote/WebMessage.h"

#include <QByteArray>

#include <functional>
#include <string>

namespace vl {

class WebSession {
public:
    using Post = std::function<bool(const WebRequest&)>;
    WebSession(std::string address, OperatorGate& gate, Post post);

    // The answer to a frame (`bits`: its first byte), empty for none; `close` set when the
    // page ends the socket.
    QByteArray hear(int bits, const char* data, std::size_t size, bool& close);

private:
    QByteArray answer(const WebRequest& request);

    std::string address_;
    OperatorGate& gate_;
    Post post_;
};

} // namespace vl
