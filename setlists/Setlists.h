#pragma once
// Loading, creating and saving setlists, and the hand-over between the main window's song
// list and the set editor.

#include <QObject>

#include <functional>

class QTableWidget;
class QWidget;

namespace vl {

class Dialogs;
class InterfaceTexts;
class SetEditor;
struct AppState;

class Setlists : public QObject {
    Q_OBJECT
  public:
    struct Context {
        AppState& state;
        const InterfaceTexts& texts;
        Dialogs& dialogs;
        QTableWidget& songList;              // the main window's list
        QWidget* mainWindow = nullptr;       // hidden while the set editor shows
        std::function<bool()> isPlaying;     // VL_GetPlaying() != 0
        std::function<void()> resetPosition; // the position slider back to 0
    };

    explicit Setlists(Context context);
    ~Setlists() override;

    SetEditor& editor() { return *editor_; }

    void loadSetlist(bool ask);
    void saveSetlistAs(bool startEmpty);
    void openSetEditor();
    void closeSetEditor();
    void refreshSongList(bool takeSetList);

  private:
    bool playing() const { return ctx_.isPlaying && ctx_.isPlaying(); }
    void focusSongList();

    Context ctx_;
    SetEditor* editor_;
};

} // namespace vl
