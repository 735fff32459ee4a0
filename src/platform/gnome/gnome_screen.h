// GNOME's Wayland session as Orvane sees it: the monitors mutter's display
// configuration reports (named by their connectors, placed in the layout),
// and a live screen cast of every one of them through one mutter session,
// with the remote desktop tied to it that moves and clicks the pointer. When
// mutter closes the session (the screen locked, remote access inhibited,
// mutter restarting) the last pictures stay and a new session is opened as
// soon as mutter allows one.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/gnome_display_config.h"
#include "platform/gnome/mutter_session.h"
#include "platform/screencast/cast_screen.h"

namespace orvane::platform::gnome {

using GnomeMonitor = screencast::CastMonitor;
using screencast::PipeWireStream;

// The monitors of a display-configuration state, in its order: each monitor
// that shows a picture, at its logical monitor's place with the size its
// mode takes in the layout.
std::vector<GnomeMonitor> MonitorsFromState(const desktop::gnome::State& state);

class GnomeScreen : public QObject, public screencast::CastScreen {
    Q_OBJECT
public:
    // Whether this session offers mutter's display configuration, screen
    // cast and remote desktop: what the GNOME backend needs.
    static bool available();
    // Reads the monitors and opens the screen cast; null, and why, when
    // mutter cannot be reached or refuses.
    static std::unique_ptr<GnomeScreen> open(std::string& why);
    ~GnomeScreen() override;

    [[nodiscard]] const std::vector<GnomeMonitor>& monitors() const override { return monitors_; }
    [[nodiscard]] PipeWireStream* stream(const std::string& connector) override;
    [[nodiscard]] const std::string& trouble() const override { return trouble_; }
    void watchLayout(std::function<void()> changed) override { layoutChanged_ = std::move(changed); }
    [[nodiscard]] bool canSendInput() override { return session_ != nullptr; }
    // The remote desktop takes the point in the pixels of the monitor's stream.
    bool movePointer(const std::string& connector, double x, double y) override;
    bool button(int evdevCode, bool pressed) override { return session_ && session_->button(evdevCode, pressed); }

private slots:
    void onMonitorsChanged();
    void onSessionClosed();

private:
    GnomeScreen();
    [[nodiscard]] std::vector<std::pair<std::string, const PipeWireStream*>> liveStreams() const override;
    bool readMonitors(std::string& why);
    bool openSession(std::string& why);
    void retryLater();

    std::vector<GnomeMonitor> monitors_;
    std::unique_ptr<MutterSession> session_;
    std::map<std::string, std::unique_ptr<PipeWireStream>> streams_;
    // The streams of the session before, kept for their last pictures until
    // the new ones have theirs.
    std::map<std::string, std::unique_ptr<PipeWireStream>> previous_;
    std::string trouble_;
    QTimer retry_;
    std::function<void()> layoutChanged_;
};

}  // namespace orvane::platform::gnome
