#include "engine/devices/DeviceWatch.h"

namespace vl::engine {

DeviceWatch::DeviceWatch(AudioSource& source, std::chrono::milliseconds retryEvery)
    : source_(source), retryEvery_(retryEvery) {}

DeviceWatch::~DeviceWatch() {
    close();
}

bool DeviceWatch::start(std::unique_ptr<OutputDevice> device) {
    close();
    if (!device) return false;
    std::lock_guard lock(mutex_);
    device_ = std::move(device);
    tryOpen(Clock::now());
    if (!open_) state_.store(DeviceState::Unavailable, std::memory_order_release);
    if (device_->canBeLost()) thread_ = std::thread(&DeviceWatch::run, this);
    return open_;
}

void DeviceWatch::close() {
    stopThread();
    if (device_) device_->close();
    device_.reset();
    open_ = false;
    state_.store(DeviceState::Fine, std::memory_order_release);
}

void DeviceWatch::stopThread() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    stopping_ = false;
}

bool DeviceWatch::ensureOpen() {
    std::lock_guard lock(mutex_);
    if (!device_) return false;
    if (!open_) tryOpen(Clock::now());
    return open_;
}

int DeviceWatch::sampleRate() {
    std::lock_guard lock(mutex_);
    return device_ ? device_->sampleRate() : kSampleRate;
}

void DeviceWatch::render_RT(float* const* channels, int frames) {
    blocks_.fetch_add(1, std::memory_order_relaxed);
    source_.render_RT(channels, frames);
}

void DeviceWatch::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, kPollEvery, [this] { return stopping_; });
        if (!stopping_) check(Clock::now());
    }
}

void DeviceWatch::tryOpen(Clock::time_point now) {
    lastTry_ = now;
    open_ = device_->open(*this);
    if (!open_) return;
    blocksAtOpen_ = lastBlocks_ = blocks_.load(std::memory_order_relaxed);
    lastBlockSeen_ = now;
    state_.store(DeviceState::Fine, std::memory_order_release);
}

void DeviceWatch::check(Clock::time_point now) {
    if (!open_) {
        if (now - lastTry_ >= retryEvery_) tryOpen(now);
        return;
    }
    if (device_->lost()) {
        // Closed at once: a dead JACK client or stream holds the server's resources.
        device_->close();
        open_ = false;
        lastTry_ = now;
        state_.store(DeviceState::Lost, std::memory_order_release);
        return;
    }
    const uint64_t blocks = blocks_.load(std::memory_order_relaxed);
    if (blocks != lastBlocks_) {
        lastBlocks_ = blocks;
        lastBlockSeen_ = now;
        state_.store(DeviceState::Fine, std::memory_order_release); // a stall that passed
        return;
    }
    // A server that hangs without closing its connection: reported, not reopened, as a
    // close would hang with it.
    if (blocks - blocksAtOpen_ >= kSteadyBlocks && now - lastBlockSeen_ >= kStallAfter)
        state_.store(DeviceState::Lost, std::memory_order_release);
}

} // namespace vl::engine
