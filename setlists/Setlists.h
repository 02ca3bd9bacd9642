#pragma once
// Loading, creating and saving setlists, and the hand-over between the main window's song
// list and the set editor.

#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;

namespace vl {

class Dialogs;
class InterfaceTexts;
class SetEditor;
class SongListModel;
struct AppState;

class Setlists : public QObject {
    Q_OBJECT
  public:
    struct Context {
        AppState& state;
        const InterfaceTexts& texts;
        Dialogs& dialogs;
        SongListModel& songs;                // the rows the main window shows
        QWidget* songListView = nullptr;     // takes the focus back after each command
        QWidget* mainWindow = nullptr;       // hidden while the set editor shows
        std::function<bool()> isPlaying;     // VL_GetPlaying() != 0
        std::function<void()> resetPosition; // the position slider back to 0
    };

    explicit Setlists(Context context);
    ~Setlists() override;

    SetEditor& editor() { return *editor_; }

    void loadSetlist(bool ask);
    // The setlist file at `path`, as if chosen in the load dialog; false when it cannot be read.
    bool loadSetlistFile(const QString& path);
    void saveSetlistAs(bool startEmpty);
    void openSetEditor();
    void closeSetEditor();
    // With `takeSetList` the song list takes the set editor's rows; otherwise its times are
    // read again. Either way the setlist file is written and the playing row marked.
    void refreshSongList(bool takeSetList);

  private:
    bool playing() const { return ctx_.isPlaying && ctx_.isPlaying(); }
    void focusSongList();
    void takeSetlistRows(const QStringList& rows);
    void sayNotSaved(const QString& path);
    // False (and said) when the rows could not be written.
    bool writeRows(const QString& path, const QStringList& rows);

    Context ctx_;
    SetEditor* editor_;
};

} // namespace vl
