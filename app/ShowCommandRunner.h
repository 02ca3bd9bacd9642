#pragma once
// Runs the show commands that the network's threads post, on the interface thread, through
// the code the keys, buttons and MIDI controls run.

#include "core/ShowCommand.h"
#include "core/ShowCommandInbox.h"

#include <QObject>

#include <cstdint>

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
    // clockNs: the system clock at which the sender was at `seconds`; 0 none.
    bool locate(double seconds, int64_t clockNs);
    // The next start begins at the sample `seconds` stands for, not the slider's per mille.
    void startExactlyAt(double seconds, int64_t clockNs);
    bool loadSetlist(const QString& name);

    Application& app_;
    ShowCommandInbox inbox_;
};

} // namespace vl
