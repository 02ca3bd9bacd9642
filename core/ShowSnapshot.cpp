#include "core/ShowSnapshot.h"

namespace vl {

bool ShowSnapshot::sameShow(const ShowSnapshot& o) const {
    return language == o.language && setlistName == o.setlistName && titles == o.titles &&
           lengthsSeconds == o.lengthsSeconds && selectedRow == o.selectedRow && playingRow == o.playingRow &&
           nextRow == o.nextRow && playing == o.playing && elapsedSeconds == o.elapsedSeconds &&
           lengthSeconds == o.lengthSeconds && lyricShown == o.lyricShown && darkMode == o.darkMode &&
           masterLevel == o.masterLevel && songFolder == o.songFolder && webLyric == o.webLyric && midiSung == o.midiSung &&
           midiSinging == o.midiSinging && midiComing == o.midiComing;
}

void ShowSnapshotBoard::publish(std::shared_ptr<const ShowSnapshot> snapshot) {
    if (!snapshot) return;
    std::lock_guard lock(mutex_);
    latest_.swap(snapshot);
    // The old picture is released here, after the lock, by whichever thread held it last.
}

std::shared_ptr<const ShowSnapshot> ShowSnapshotBoard::latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

} // namespace vl
