#pragma once
// Publishes the show's state for the network's threads: after every timer tick of the main
// loop, a new snapshot when anything a reader shows has changed.

#include "core/ShowSnapshot.h"

#include <QObject>

namespace vl {

class Application;

class ShowSnapshotPublisher : public QObject {
    Q_OBJECT
public:
    explicit ShowSnapshotPublisher(Application& app);

    ShowSnapshotBoard& board() { return board_; }
    // Reads the show and publishes it when it changed.
    void publish();

private:
    ShowSnapshot read() const;

    Application& app_;
    ShowSnapshotBoard board_;
    uint64_t serial_ = 0;
};

} // namespace vl
