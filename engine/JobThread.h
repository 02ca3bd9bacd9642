#pragma once
// A thread of its own that runs jobs in the order given, so that the UI thread hands over
// work it must not wait for (opening and prefilling the next song, freeing a dropped one).
// What a job leaves behind is the UI thread's again once wait() returns.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vl::engine {

class JobThread {
public:
    JobThread();
    // Runs what was given, then ends.
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    void post(std::function<void()> job);
    // Until every job given so far has run.
    void wait();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vl::engine
