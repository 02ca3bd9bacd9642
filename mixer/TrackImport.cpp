#include "mixer/TrackImport.h"

#include <QFile>
#include <QStringList>

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace vl {

namespace fs = std::filesystem;

namespace {

// Audio the engine decodes, MIDI it renders, video it shows.
constexpr const char* kMediaExtensions[] = {"wav",  "mp3", "aif", "aiff", "flac", "ogg", "opus", "m4a", "aac",
                                            "wma",  "mka", "mid", "midi", "kar",  "avi", "wmv",  "mpg", "mp4",
                                            "mkv",  "mov", "webm"};

// "*.[wW][aA][vV]": file pickers on Linux match names case-sensitively.
QString anyCasePattern(const QString& extension) {
    QString pattern = QStringLiteral("*.");
    for (const QChar c : extension) {
        if (c.isLetter()) pattern += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else pattern += c;
    }
    return pattern;
}

} // namespace

QString mediaImportFilter() {
    QStringList shown, patterns;
    for (const char* extension : kMediaExtensions) {
        shown << QStringLiteral("*.") + QLatin1String(extension);
        patterns << anyCasePattern(QLatin1String(extension));
    }
    return QStringLiteral("mediafiles ") + shown.join(QLatin1Char('/')) + QStringLiteral(" (") +
           patterns.join(QLatin1Char(' ')) + QStringLiteral(");;All Files (*)");
}

CopyResult copyIntoSongFolder(const QString& source, const QString& target) {
    const fs::path from(QFile::encodeName(source).toStdString());
    const fs::path to(QFile::encodeName(target).toStdString());
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return CopyResult::Failed;
    if (fs::equivalent(from, to, ec)) return CopyResult::AlreadyThere;
    // A short name of its own: the target's name may already be as long as names can be.
    const fs::path partial = to.parent_path() / (".vl-import-" + std::to_string(::getpid()) + ".partial");
    fs::remove(partial, ec);
    if (!fs::copy_file(from, partial, fs::copy_options::overwrite_existing, ec) || ec) {
        fs::remove(partial, ec);
        return CopyResult::Failed;
    }
    // The song's copy must be writable whatever the source was.
    fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    fs::rename(partial, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
}

} // namespace vl
