#pragma once
// Runs the show commands that the network's threads post, on the interface thread, through
// the code the keys, buttons and MIDI controls run.

#include "core/ShowCommand.h"
#include "core/ShowCommandInbox.h"

#include <QObject>

namespace vl {

class Application;

class ShowCommandRunner : public QObject {
    Q_OBJECT
public:
    explicit ShowCommandRunner(Application& app);

    ShowCommandInbox& inbox() { return inbox_; }
    // False when the command names nothing there is (a row or title the list does not have,
    // a setlist that cannot be read) or cannot run now; nothing changed then.
    bool run(const ShowCommand& command);
    // The row (1-based) whose title is `title`, ignoring case and outer spaces; 0 none.
    int rowOfTitle(const QString& title) const;
    // A row chosen from outside (a program change, a remote): the highlight moves to it.
    static void selectRow(Application& app, int row);

private:
    void drain();
    bool locate(double seconds);
    bool loadSetlist(const QString& name);

    Application& app_;
    ShowCommandInbox inbox_;
};

} // namespace vl
