#pragma once
// The three MIDI texts (recent lines, current line, upcoming text) and the flag that
// says they were rebuilt. Rebuilds happen on the engine's MIDI thread, so a finished set
// is handed over whole; the UI thread takes it when it learns of the update and reads
// that stable copy until it asks again, so the three texts always belong together.

#include <atomic>
#include <mutex>
#include <string>

namespace vl::engine {

class MidiTexts {
public:
    // UI thread: 1..3 give recent lines, current line, upcoming text; anything else "".
    const char* text(int which) const;
    // UI thread: force raises the flag and answers 1; otherwise answers and clears it, and
    // on 1 takes the newest set for text().
    int takeUpdated(bool force);
    // Any thread but the audio callback: publish a new set and raise the flag.
    void publish(std::string recent, std::string current, std::string upcoming);
    // UI thread: empty all three and lower the flag (stop).
    void clear();

private:
    std::mutex mutex_; // never taken on the audio thread
    std::string pending_[3];
    bool pendingFresh_ = false;
    std::string shown_[3];
    std::atomic<bool> updated_{false};
};

} // namespace vl::engine
