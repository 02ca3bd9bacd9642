#pragma once
// Song folders under songsRoot: the set editor's scan, creating a song's program or
// lyric from the templates, and deleting a song folder.

#include <QColor>
#include <QString>

#include <filesystem>
#include <vector>


namespace vl {

class Dialogs;
class InterfaceTexts;
struct SongProgram;

// Entries with a "." in their name are drawn in this colour in the SONG LIST.
inline QColor dottedEntryColour() {
    return QColor(2, 88, 147);
}

// The folder songsRoot + name, or empty when the name could reach outside songsRoot
// (a separator, ".", "..", a NUL) or is empty.
QString songFolderPath(const QString& songsRoot, const QString& name);

struct SongFolderEntry {
    QString name;
    bool dotted = false; // second group: the name holds a "."
};

// The folders in songsRoot (links to folders too, plain files never): names without a
// dot first, then dotted names, each sorted ignoring case. Nothing when the folder cannot
// be listed.
std::vector<SongFolderEntry> listSongFolders(const QString& songsRoot, bool onlyFolders);

// Removes a folder and everything in it, write-protected entries included. Symbolic
// links are removed as links; their targets are never entered. False when anything stayed.
bool removeFolderTree(const std::filesystem::path& folder);

// The set editor's "delete song": two questions, then the folder goes. True when it was
// deleted (the caller rescans the SONG LIST).
bool deleteSongFolder(const QString& name, const QString& songsRoot, Dialogs& dialogs,
                      const InterfaceTexts& texts);

enum class SongFileKind { Program, Lyric };

// True when the program or lyric of `song` exists or was just made from its template
// (after asking). After a program was made, `program` (when given) loses its track file names.
bool ensureSongFile(SongFileKind kind, const QString& song, const QString& songsRoot, const QString& programFolder,
                    Dialogs& dialogs, const InterfaceTexts& texts, SongProgram* program = nullptr);

} // namespace vl
