#include "app/RemoteLink.h"

#include "app/Application.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "core/TimeTexts.h"
#include "settings/Settings.h"

namespace vl {

namespace {

QStringList commaList(const QString& text) {
    QStringList out;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty()) out << part.trimmed();
    return out;
}

} // namespace

RemoteLink::RemoteLink(Application& app, ShowNetworkOverrides overrides)
    : app_(app), overrides_(std::move(overrides)), server_(app.showCommands(), app.showBoard()),
      sender_(app.showBoard()) {
    settle_.setSingleShot(true);
    settle_.setInterval(1000);
    connect(&settle_, &QTimer::timeout, this, &RemoteLink::apply);
}

RemoteLink::~RemoteLink() { stop(); }

RemoteLink::Plan RemoteLink::plan() const {
    const Preferences& p = app_.prefs();
    Plan plan;
    plan.follow = overrides_.follow || (overrides_.followers.isEmpty() && p.showLinkRole == 2);
    plan.osc = p.oscEnabled || overrides_.oscPort > 0 || plan.follow;
    plan.server.port = overrides_.oscPort > 0 ? overrides_.oscPort : p.oscPort;
    plan.server.allowedSenders = commaList(p.oscAllowedSenders);
    plan.server.feedbackTo = commaList(p.oscFeedbackTo);
    if (!overrides_.followers.isEmpty()) plan.followers = overrides_.followers;
    else if (p.showLinkRole == 1 && !overrides_.follow) plan.followers = commaList(p.showLinkFollowers);
    return plan;
}

void RemoteLink::start() {
    running_.reset();
    if (started_) return apply();
    started_ = true;
    connect(&app_.settings(), &Settings::preferencesChanged, this, [this] { settle_.start(); });
    connect(&app_.transport(), &Transport::engineStarted, this, &RemoteLink::songStarted);
    connect(&app_.transport(), &Transport::engineStopped, this, [this] {
        if (running_ && !running_->followers.isEmpty()) sender_.stopped();
    });
    connect(&app_.mainLoop(), &MainLoop::ticked, this, &RemoteLink::showMainState);
    apply();
}

void RemoteLink::stop() {
    settle_.stop();
    server_.stop();
    sender_.stop();
    running_.reset();
}

void RemoteLink::apply() {
    const Plan wanted = plan();
    if (running_ && *running_ == wanted) return;
    server_.stop();
    sender_.stop();
    listener_.reset();
    server_.setFollowHandler(nullptr);
    if (wanted.follow) {
        listener_ = std::make_unique<FollowerListener>(
            [this](ShowCommand c) { return app_.showCommands().post(std::move(c)); }, app_.state().songsRoot);
        server_.setFollowHandler([listener = listener_.get()](const FollowMessage& m) { listener->take(m); });
    }
    QString notice;
    if (wanted.osc) {
        QString error;
        if (!server_.start(wanted.server, &error)) {
            qWarning("OSC: %s", qUtf8Printable(error));
            notice = app_.texts()[StatusText::OscPortUnavailable].arg(wanted.server.port);
        }
    }
    if (!wanted.followers.isEmpty()) sender_.start(wanted.followers);
    if (MainWindow* w = app_.main()) w->showLinkNotice(notice);
    mainLostShown_ = false;
    running_ = wanted;
}

void RemoteLink::songStarted() {
    if (!running_ || running_->followers.isEmpty() || !app_.transport().playing()) return;
    const EngineFunctions& engine = app_.engine();
    // The position and the clock read together, right as the song starts.
    const double seconds = double(engine.GetSongPos()) / double(kSongBytesPerSecond);
    sender_.play(app_.songs().title(app_.state().playingSong), seconds, systemClockNs());
}

void RemoteLink::showMainState() {
    if (!listener_) return;
    const bool lost = listener_->mainLost();
    const QStringList missing = listener_->missingSongs();
    if (lost == mainLostShown_ && missing == missingShown_) return;
    if (lost != mainLostShown_) {
        if (lost) qWarning("show link: MAIN LOST, no word from the main machine for over a second; playing on");
        else qWarning("show link: the main machine is back");
    }
    mainLostShown_ = lost;
    missingShown_ = missing;
    const InterfaceTexts& t = app_.texts();
    QStringList said;
    if (lost) said << t[StatusText::MainLost];
    if (!missing.isEmpty()) said << t[StatusText::FollowedSongsMissing].arg(QStringLiteral("\"%1\"").arg(missing.join(QStringLiteral("\", \""))));
    if (MainWindow* w = app_.main()) w->showLinkNotice(said.join(QStringLiteral("   \u2014   ")));
}

} // namespace vl
