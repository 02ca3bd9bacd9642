#pragma once
// What a page may say over its WebSocket, checked before anything acts on it: a short JSON
// object with a known type, a known command and values in range. Anything else is dropped.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

namespace vl {

inline constexpr std::size_t kMaxWebMessageBytes = 512;
inline constexpr int kMaxWebPinLength = 16;
inline constexpr int kWebTokenLength = 32; // hex digits

enum class WebAction { Play, Stop, Next, Previous, SelectRow, ShowLyric, HideLyric };

struct WebRequest {
    enum class Type { Pin, Resume, Logout, Command };
    Type type = Type::Pin;
    QString pin;      // Pin
    QByteArray token; // Resume, Logout, Command
    WebAction action = WebAction::Stop;
    int row = 0;      // SelectRow: 1-based
};

std::optional<WebRequest> parseWebMessage(const char* data, std::size_t size);

} // namespace vl
