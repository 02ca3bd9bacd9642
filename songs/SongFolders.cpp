#include "songs/SongFolders.h"

#include "core/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "songs/SongPaths.h"
#include "songs/SongProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <system_error>

namespace vl {

namespace fs = std::filesystem;

QString songFolderPath(const QString& songsRoot, const QString& name) {
    if (!isBareName(name)) return {};
    QString root = songsRoot;
    if (!root.endsWith(QLatin1Char('/')) && !root.endsWith(QLatin1Char('\\'))) root += QLatin1Char('/');
    return root + name;
}

std::vector<SongFolderEntry> listSongFolders(const QString& songsRoot, bool onlyFolders) {
    std::vector<SongFolderEntry> folders, dotted;
    QDir dir(songsRoot);
    if (songsRoot.isEmpty() || !dir.exists()) return {};
    // Only folders are songs: a setlist or any other file beside them is not.
    const QStringList names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (name.isEmpty()) continue;
        const bool hasDot = name.contains(QLatin1Char('.'));
        if (hasDot && onlyFolders) continue;
        (hasDot ? dotted : folders).push_back({name, hasDot});
    }
    const auto byName = [](const SongFolderEntry& a, const SongFolderEntry& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(dotted.begin(), dotted.end(), byName);
    folders.insert(folders.end(), dotted.begin(), dotted.end());
    return folders;
}

namespace {

void makeOwnerWritable(const fs::path& path) {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ec);
}

} // namespace

bool removeFolderTree(const fs::path& folder) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (ec) return false;
    if (fs::is_symlink(status) || !fs::is_directory(status)) return fs::remove(folder, ec) && !ec;
    // A write-protected folder keeps its entries, so it is opened up before it is emptied.
    makeOwnerWritable(folder);
    bool complete = true;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    if (ec) complete = false;
    for (const fs::path& entry : entries) {
        const fs::file_status s = fs::symlink_status(entry, ec);
        if (!ec && fs::is_directory(s)) {
            complete = removeFolderTree(entry) && complete;
        } else {
            fs::remove(entry, ec);
            if (ec) complete = false;
        }
    }
    fs::remove(folder, ec);
    return complete && !ec;
}

bool deleteSongFolder(const QString& name, const QString& songsRoot, Dialogs& dialogs,
                      const InterfaceTexts& texts) {
    if (name.isEmpty()) return false;
    const QString folder = songFolderPath(songsRoot, name);
    if (folder.isEmpty()) return false;
    const QString question =
        texts[TextId::MessageDeleteSongQuestion] + QStringLiteral("\n\n") + folder + QStringLiteral(" ?");
    if (!dialogs.askYesNo(texts[TextId::MessageDeleteSongTitle], question, EnterAnswers::No)) return false;
    if (!dialogs.askYesNo(QStringLiteral("warning..."), QStringLiteral("really ? You can't undo !!!"),
                          EnterAnswers::No))
        return false;
    const fs::path path(QFile::encodeName(folder).toStdString());
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    // Only song folders go; a plain file listed beside them (a setlist) stays.
    if (ec || !(fs::is_directory(status) || fs::is_symlink(status))) return false;
    return removeFolderTree(path);
}

namespace {

QString kindWord(SongFileKind kind) {
    return kind == SongFileKind::Program ? QStringLiteral("Program") : QStringLiteral("Lyric");
}

} // namespace

bool ensureSongFile(SongFileKind kind, const QString& song, const QString& songsRoot, const QString& programFolder,
                    Dialogs& dialogs, const InterfaceTexts& texts, SongProgram* songProgram) {
    if (song.isEmpty()) return false;

    const bool program = kind == SongFileKind::Program;
    const TextId missing =
        program ? TextId::MessageProgramTemplateMissing : TextId::MessageLyricTemplateMissing;
    const QString folder = songFolderPath(songsRoot, song);
    if (folder.isEmpty()) {
        dialogs.message(texts[TextId::MessageTemplateErrorTitle], texts[missing]);
        return false;
    }
    const QString file =
        folder + QLatin1Char('/') + song + (program ? QStringLiteral(".p") : QStringLiteral(".rtf"));
    if (QFileInfo(file).isFile()) {
        QFile probe(file);
        if (probe.open(QIODevice::ReadOnly)) return true;
    }

    const QString question =
        texts[TextId::MessageCreateQuestionPrefix] + kindWord(kind) + QStringLiteral(" ?");
    if (!dialogs.askYesNo(texts[TextId::MessageCreateTitle], question)) return false;

    const QString templ = programFolder +
                          (program ? QStringLiteral("Data/emptySong.p") : QStringLiteral("Data/empty.rtf"));
    QDir().mkpath(folder);
    if (!QFile::copy(templ, file)) {
        dialogs.message(texts[TextId::MessageTemplateErrorTitle], texts[missing]);
        return false;
    }
    // The template may be write-protected where it is installed; the song's copy must not be.
    QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    if (program && songProgram) {
        for (int t = 0; t < kStoredTracks; ++t)
            songProgram->tracks[static_cast<std::size_t>(t)].fileName.clear();
    }
    return true;
}

} // namespace vl
