#pragma once
// The show's network in the running program: the OSC server with its feedback, and the
// backup link, as main (its transport goes to the followers) or as follower (the main's
// transport comes in as show commands; a silent main is said across the window).
// Started after the main loop, restarted when the settings change.

#include "app/RunOptions.h"
#include "remote/FollowerLink.h"
#include "remote/OscServer.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace vl {

class Application;

class RemoteLink : public QObject {
    Q_OBJECT
public:
    RemoteLink(Application& app, ShowNetworkOverrides overrides);
    ~RemoteLink() override;

    // Also after the settings changed, to follow them at once.
    void start();
    void stop();

    OscServer& server() { return server_; }
    bool following() const { return listener_ != nullptr; }
    // A server or a main's sender runs and reads the show.
    bool readsShow() const { return running_ && (running_->osc || !running_->followers.isEmpty()); }

private:
    struct Plan {
        bool osc = false;
        OscServerSettings server;
        QStringList followers;
        bool follow = false;
        bool operator==(const Plan& o) const {
            return osc == o.osc && server.port == o.server.port && server.allowedSenders == o.server.allowedSenders &&
                   server.feedbackTo == o.server.feedbackTo && followers == o.followers && follow == o.follow;
        }
    };
    Plan plan() const;
    void apply();
    void songStarted();
    void showMainState();

    Application& app_;
    ShowNetworkOverrides overrides_;
    OscServer server_;
    MainSender sender_;
    std::unique_ptr<FollowerListener> listener_;
    std::optional<Plan> running_;
    QTimer settle_; // the settings' fields change by the key; the network follows once typing stops
    bool mainLostShown_ = false;
    QStringList missingShown_;
    bool started_ = false;
};

} // namespace vl
