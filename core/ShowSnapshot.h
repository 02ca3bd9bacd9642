#pragma once
// An immutable picture of the show that the interface thread publishes on every change and
// any thread reads: the network's threads never touch the interface's objects.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vl {

struct ShowSnapshot {
    uint64_t serial = 0;             // rises with every publication whose content changed
    QString language;                // "english" or "deutsch"
    QString setlistName;
    QStringList titles;              // row i + 1 is titles[i]
    std::vector<int> lengthsSeconds; // each row's length, 0 when unknown
    int selectedRow = 0;             // 1-based; 0 none
    int playingRow = 0;              // 0 while stopped
    int nextRow = 0;                 // the row PLAY would start next; 0 none
    bool playing = false;
    double elapsedSeconds = 0;
    double lengthSeconds = 0;        // of the playing song, or the selected one while stopped
    bool lyricShown = false;
    bool darkMode = false;
    double masterLevel = 1.0;        // 0..1
    QString songFolder;              // of the playing or selected song, ends with "/"; "" none
    std::chrono::steady_clock::time_point takenAt; // when elapsedSeconds was read
    // The band view: the song's lyric as its page shows it (JSON; null: none), and the MIDI
    // lyric as it is sung.
    std::shared_ptr<const QByteArray> webLyric;
    QString midiSung, midiSinging, midiComing;

    double remainingSeconds() const { return lengthSeconds > elapsedSeconds ? lengthSeconds - elapsedSeconds : 0.0; }
    // Equal in what a reader shows; serial and takenAt do not count.
    bool sameShow(const ShowSnapshot& other) const;
};

class ShowSnapshotBoard {
public:
    ShowSnapshotBoard() : latest_(std::make_shared<const ShowSnapshot>()) {}

    void publish(std::shared_ptr<const ShowSnapshot> snapshot);
    // Never null.
    std::shared_ptr<const ShowSnapshot> latest() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const ShowSnapshot> latest_;
};

} // namespace vl
