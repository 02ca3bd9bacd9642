#pragma once
// The band view's page: the few files of its own folder, read into memory once when the
// server starts. A request is answered only by looking its path up among these names, so
// no path from the network ever reaches the file system.

#include <QByteArray>
#include <QString>

#include <map>
#include <string>

namespace vl {

struct WebPageFile {
    QByteArray body;
    const char* mimeType = "";
};

class WebPageFiles {
public:
    // Reads the plain files of `folder` (not its subfolders) whose names are page names;
    // false when the folder holds no index.html.
    bool load(const QString& folder);
    // The file a request path names: "/" is the index; null for anything else.
    const WebPageFile* find(const char* requestPath) const;
    std::size_t size() const { return files_.size(); }

private:
    std::map<std::string, WebPageFile> files_;
};

// A file name the page may have: letters, digits, "-" and "_", one dot and a known ending.
bool isPageFileName(const std::string& name);

} // namespace vl
