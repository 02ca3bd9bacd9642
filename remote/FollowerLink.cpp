#include "remote/FollowerLink.h"

#include <lo/lo.h>

#include <QFileInfo>

namespace vl {

namespace {

int64_t steadyNs(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A follower that started (or restarted) after the main hears the setlist and the
// selection again within this time.
constexpr auto kRepeatState = std::chrono::seconds(5);

} // namespace

MainSender::~MainSender() { stop(); }

void MainSender::start(const QStringList& followers) {
    stop();
    followers_.clear();
    for (const QString& f : followers)
        if (const auto hp = parseHostPort(f)) followers_.push_back(makeOscAddress(hp->host, hp->port));
    stopping_ = false;
    thread_ = std::thread([this] { loop(); });
}

void MainSender::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void MainSender::post(FollowMessage message) {
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() < 64) queue_.push_back(std::move(message));
    }
    wake_.notify_all();
}

void MainSender::play(const QString& title, double seconds, int64_t clockNs) {
    FollowMessage m;
    m.kind = FollowMessage::Kind::Play;
    m.title = title;
    m.seconds = seconds;
    m.clockNs = clockNs;
    post(std::move(m));
}

void MainSender::stopped() {
    FollowMessage m;
    m.kind = FollowMessage::Kind::Stop;
    m.clockNs = systemClockNs();
    post(std::move(m));
}

void MainSender::located(double seconds, int64_t clockNs) {
    FollowMessage m;
    m.kind = FollowMessage::Kind::Locate;
    m.seconds = seconds;
    m.clockNs = clockNs;
    post(std::move(m));
}

void MainSender::send(const char* path, lo_message message) {
    for (const OscAddress& a : followers_) lo_send_message(a.get(), path, message);
    lo_message_free(message);
}

void MainSender::loop() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point beatAt{}, stateAt{};
    std::shared_ptr<const ShowSnapshot> sent;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        std::deque<FollowMessage> due;
        due.swap(queue_);
        lock.unlock();
        for (const FollowMessage& f : due) {
            lo_message m = lo_message_new();
            if (f.kind == FollowMessage::Kind::Play) {
                lo_message_add_string(m, f.title.toUtf8().constData());
                lo_message_add_double(m, f.seconds);
                lo_message_add_int64(m, f.clockNs);
                send("/vellamorinth/follow/play", m);
            } else if (f.kind == FollowMessage::Kind::Locate) {
                lo_message_add_double(m, f.seconds);
                lo_message_add_int64(m, f.clockNs);
                send("/vellamorinth/follow/locate", m);
            } else {
                lo_message_add_int64(m, f.clockNs);
                send("/vellamorinth/follow/stop", m);
            }
        }
        const Clock::time_point now = Clock::now();
        const std::shared_ptr<const ShowSnapshot> s = board_.latest();
        const bool repeat = now - stateAt >= kRepeatState;
        if (repeat || !sent || sent->titles != s->titles) {
            lo_message m = lo_message_new();
            // Only the rows that are songs: headings are no songs a follower could lack.
            for (int i = 0; i < s->titles.size(); ++i)
                if (i < int(s->lengthsSeconds.size()) && s->lengthsSeconds[std::size_t(i)] > 0)
                    lo_message_add_string(m, s->titles[i].toUtf8().constData());
            send("/vellamorinth/follow/setlist", m);
        }
        if ((repeat || !sent || sent->selectedRow != s->selectedRow) && s->selectedRow > 0 &&
            s->selectedRow <= s->titles.size()) {
            lo_message m = lo_message_new();
            lo_message_add_int32(m, s->selectedRow);
            lo_message_add_string(m, s->titles[s->selectedRow - 1].toUtf8().constData());
            send("/vellamorinth/follow/select", m);
        }
        if (repeat) stateAt = now;
        sent = s;
        if (now - beatAt >= kHeartbeat) {
            lo_message m = lo_message_new();
            lo_message_add_int64(m, systemClockNs());
            send("/vellamorinth/follow/heartbeat", m);
            beatAt = now;
        }
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stopping_ || !queue_.empty(); });
    }
}

FollowerListener::FollowerListener(std::function<bool(ShowCommand)> post, QString songsRoot)
    : post_(std::move(post)), songsRoot_(std::move(songsRoot)), lastHeardNs_(steadyNs(std::chrono::steady_clock::now())) {}

QStringList FollowerListener::missingSongs() const {
    std::lock_guard lock(mutex_);
    return missing_;
}

void FollowerListener::take(const FollowMessage& f) {
    lastHeardNs_.store(steadyNs(std::chrono::steady_clock::now()), std::memory_order_relaxed);
    using Kind = ShowCommand::Kind;
    switch (f.kind) {
    case FollowMessage::Kind::Play: post_({Kind::PlayAt, 0, f.seconds, f.title, f.clockNs}); break;
    case FollowMessage::Kind::Stop: post_({Kind::Stop, 0, 0, {}, 0}); break;
    case FollowMessage::Kind::Locate: post_({Kind::Locate, 0, f.seconds, {}, f.clockNs}); break;
    case FollowMessage::Kind::Select: post_({Kind::SelectTitle, 0, 0, f.title, 0}); break;
    case FollowMessage::Kind::Setlist: {
        std::lock_guard lock(mutex_);
        if (f.titles == mainSongs_) break; // the main repeats it every few seconds
        mainSongs_ = f.titles;
        missing_.clear();
        for (const QString& title : f.titles)
            if (!title.contains(u'/') && !QFileInfo(songsRoot_ + title).isDir()) missing_ << title;
        break;
    }
    case FollowMessage::Kind::Heartbeat: break;
    }
}

bool FollowerListener::mainLost(std::chrono::steady_clock::time_point now) const {
    return steadyNs(now) - lastHeardNs_.load(std::memory_order_relaxed) >
           std::chrono::duration_cast<std::chrono::nanoseconds>(kMainLostAfter).count();
}

} // namespace vl
