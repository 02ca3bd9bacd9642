#pragma once
// A program folder with songs, the English texts, scripted dialogs and a main song list.

#include "core/AppState.h"
#include "core/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "setlists/SongListModel.h"
#include "support/TempFolder.h"


#include <memory>

namespace vl::test {

inline QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

struct SetlistFixture {
    TempFolder home;
    AppState state;
    InterfaceTexts texts;
    ScriptedDialogs dialogs;
    SongListModel songs{state};
    bool playing = false;
    int positionResets = 0;
    std::unique_ptr<Setlists> setlists;

    explicit SetlistFixture(const QStringList& songs = {}) {
        texts.fill("english");
        state.programFolder = QString::fromStdString(home.str());
        state.songsRoot = qpath(home / "YourSongs") + "/";
        state.setlistPath = state.songsRoot + "Setlist.txt";
        std::filesystem::create_directories(home / "YourSongs");
        for (const QString& song : songs)
            addSong(song);
        setlists = std::make_unique<Setlists>(Setlists::Context{state, texts, dialogs, this->songs, nullptr, nullptr,
                                                                [this] { return playing; },
                                                                [this] { ++positionResets; }});
    }
    void addSong(const QString& name) {
        std::filesystem::create_directories(home / "YourSongs" / name.toStdString());
    }
    SetEditor& editor() { return setlists->editor(); }
    QStringList mainRows() const { return songs.titles(); }
    std::string setlistBytes() const { return readFile(state.setlistPath.toStdString()); }
};

} // namespace vl::test
