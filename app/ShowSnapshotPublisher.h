#pragma once
// Publishes the show's state for the network's threads: after every timer tick of the main
// loop, a new snapshot when anything a reader shows has changed. Only while some reader is
// on: a program without a network server spends nothing on it.

#include "core/ShowSnapshot.h"

#include <QObject>

#include <functional>
#include <vector>

namespace vl {

class Application;

class ShowSnapshotPublisher : public QObject {
    Q_OBJECT
public:
    explicit ShowSnapshotPublisher(Application& app);

    ShowSnapshotBoard& board() { return board_; }
    // Reads the show and publishes it when it changed and a reader is on.
    void publish();
    // `on` tells whether this reader wants the show now; `addFields`, when given, adds the
    // reader's own fields for the song of the snapshot (the playing or selected one).
    void addReader(std::function<bool()> on,
                   std::function<void(ShowSnapshot&, const QString& song)> addFields = nullptr);

private:
    ShowSnapshot read() const;

    Application& app_;
    ShowSnapshotBoard board_;
    uint64_t serial_ = 0;
    struct Reader {
        std::function<bool()> on;
        std::function<void(ShowSnapshot&, const QString&)> addFields;
    };
    std::vector<Reader> readers_;
};

} // namespace vl
