#include "remote/WebPageFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace vl {

namespace {

constexpr qint64 kMaxFileBytes = 2 * 1024 * 1024;
constexpr std::size_t kMaxNameLength = 64;

struct Ending {
    const char* suffix;
    const char* mimeType;
};
constexpr Ending kEndings[] = {
    {".html", "text/html; charset=utf-8"},      {".css", "text/css; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},  {".svg", "image/svg+xml"},
    {".png", "image/png"},                      {".ico", "image/x-icon"},
    {".webmanifest", "application/manifest+json"},
};

const Ending* endingOf(const std::string& name) {
    for (const Ending& e : kEndings) {
        const std::size_t n = std::strlen(e.suffix);
        if (name.size() > n && name.compare(name.size() - n, n, e.suffix) == 0) return &e;
    }
    return nullptr;
}

} // namespace

bool isPageFileName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength || !endingOf(name)) return false;
    int dots = 0;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (c == '.') ++dots;
        else if (!plain) return false;
    }
    return dots == 1 && name.front() != '.';
}

bool WebPageFiles::load(const QString& folder) {
    files_.clear();
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Readable);
    for (const QFileInfo& entry : entries) {
        const std::string name = entry.fileName().toStdString();
        if (!isPageFileName(name) || entry.size() > kMaxFileBytes) continue;
        QFile file(entry.filePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        files_[name] = WebPageFile{file.readAll(), endingOf(name)->mimeType};
    }
    return files_.count("index.html") == 1;
}

const WebPageFile* WebPageFiles::find(const char* requestPath) const {
    if (!requestPath || requestPath[0] != '/') return nullptr;
    const std::string name = requestPath[1] ? std::string(requestPath + 1) : std::string("index.html");
    if (!isPageFileName(name)) return nullptr;
    const auto it = files_.find(name);
    return it == files_.end() ? nullptr : &it->second;
}

} // namespace vl
