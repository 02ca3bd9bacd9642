#pragma once
// An immutable picture of the show.

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vl {

struct ShowSnapshot {
    uint64_t serial = 0;
    QString language;
    QString setlistName;
    QStringList titles;
    std::vector<int> lengthsSeconds;
    int selectedRow = 0;
    int playingRow = 0;
    int nextRow = 0;
    bool playing = false;
    double elapsedSeconds = 0;
    double lengthSeconds = 0;
    double remainingSeconds() const { return lengthSeconds > elapsedSeconds ? lengthSeconds - elapsedSeconds : 0; }
    bool lyricShown = false;
    bool darkMode = false;
    double masterLevel = 1.0;
    QString songFolder;
    std::chrono::steady_clock::time_point takenAt;
};

class ShowSnapshotBoard {
public:
    void publish(std::shared_ptr<const ShowSnapshot> snapshot) {
        std::lock_guard lock(mutex_);
        latest_ = std::move(snapshot);
    }
    std::shared_ptr<const ShowSnapshot> latest() const {
        std::lock_guard lock(mutex_);
        return latest_;
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const ShowSnapshot> latest_ = std::make_shared<ShowSnapshot>();
};

} // namespace vl
