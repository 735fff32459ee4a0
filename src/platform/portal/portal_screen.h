// A Wayland desktop seen through xdg-desktop-portal (KDE Plasma and others):
// the monitors the toolkit reports, each shown by the portal stream at its
// place; the pointer from the streams' cursor data, moved and clicked through
// the portal's remote desktop. Where the portal can restore remote desktop
// permission, one remote desktop session does it all; where it cannot
// (xdg-desktop-portal before 1.17), a screen cast alone starts without a
// dialog once a token exists, and the remote desktop is asked for at the
// first forwarded click. The token lives in a file of its own in Orvane's
// configuration folder. A session that ends keeps its last pictures and is
// opened again by itself.
#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/portal/portal_session.h"
#include "platform/screencast/cast_screen.h"

namespace orvane::platform::portal {

using screencast::CastMonitor;
using screencast::PipeWireStream;

// The restore token file in Orvane's configuration folder; empty when the
// folder is unknown.
std::string RestoreTokenPath();

class PortalScreen : public QObject, public screencast::CastScreen {
    Q_OBJECT
public:
    // Opens the screen cast (the portal may ask the user first); null and
    // why when the portal is missing, refuses, or the user declines.
    static std::unique_ptr<PortalScreen> open(std::string& why);
    ~PortalScreen() override;

    [[nodiscard]] const std::vector<CastMonitor>& monitors() const override { return monitors_; }
    [[nodiscard]] PipeWireStream* stream(const std::string& name) override;
    [[nodiscard]] const std::string& trouble() const override { return trouble_; }
    void watchLayout(std::function<void()> changed) override { layoutChanged_ = std::move(changed); }
    [[nodiscard]] bool canSendInput() override { return offer_.pointer; }
    bool movePointer(const std::string& name, double x, double y) override;
    bool button(int evdevCode, bool pressed) override;

private slots:
    void onSessionClosed();
    void onScreensChanged();

private:
    explicit PortalScreen(const PortalOffer& offer) : offer_(offer) {}
    [[nodiscard]] std::vector<std::pair<std::string, const PipeWireStream*>> liveStreams() const override;
    bool openCast(std::string& why, bool* declined);
    // The session that drives the pointer, opened (and asked for) when none is.
    PortalSession* input();
    // Each monitor's stream node in a session's streams; monitors without one are left out.
    std::map<std::string, std::uint32_t> nodesOf(const PortalSession& session) const;
    void readMonitors();
    void followScreens();
    void keepToken(const std::string& kind, const std::string& token);
    void retryLater();
    void check();

    PortalOffer offer_;
    std::vector<CastMonitor> screens_;   // every screen the toolkit reports
    std::vector<CastMonitor> monitors_;  // those a stream shows
    std::unique_ptr<PortalSession> cast_;
    // The remote desktop where it is apart from the screen cast.
    std::unique_ptr<PortalSession> input_;
    std::map<std::string, std::uint32_t> inputNodes_;
    std::map<std::string, std::unique_ptr<PipeWireStream>> streams_;
    std::map<std::string, std::unique_ptr<PipeWireStream>> previous_;
    std::string trouble_;
    bool asking_ = false;  // a session is being started: its answer is awaited
    QTimer retry_;
    QTimer watch_;
    std::function<void()> layoutChanged_;
};

}  // namespace orvane::platform::portal
