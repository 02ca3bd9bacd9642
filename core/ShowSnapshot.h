#pragma once
// An immutable picture of the show, published by the interface thread on every change (and
// each fast tick while playing); any thread reads the latest.

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
    QStringList titles;              // the song list's rows, in order (row i+1 = titles[i])
    std::vector<int> lengthsSeconds; // each row's length, 0 when unknown
    int selectedRow = 0;             // 1-based; 0 none
    int playingRow = 0;              // 0 while stopped
    int nextRow = 0;                 // the row PLAY would start next; 0 none
    bool playing = false;
    double elapsedSeconds = 0;
    double lengthSeconds = 0;        // of the playing (or selected) song
    double remainingSeconds() const { return lengthSeconds > elapsedSeconds ? lengthSeconds - elapsedSeconds : 0; }
    bool lyricShown = false;
    bool darkMode = false;
    double masterLevel = 1.0;        // 0..1
    QString songFolder;              // of the playing (or selected) song, ends with "/"; "" none
    std::chrono::steady_clock::time_point takenAt; // when elapsedSeconds was read
    // The band view: the song's lyric as its page shows it (JSON; null: none), and the MIDI
    // lyric as it is sung.
    std::shared_ptr<const QByteArray> webLyric;
    QString midiSung, midiSinging, midiComing;
};

class ShowSnapshotBoard {
public:
    ShowSnapshotBoard() : latest_(std::make_shared<const ShowSnapshot>()) {}
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
    std::shared_ptr<const ShowSnapshot> latest_;
};

} // namespace vl
