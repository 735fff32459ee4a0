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
#include "platform/gnome/pipewire_stream.h"
#include "platform/monitors.h"
#include "platform/pointer.h"

namespace orvane::platform::gnome {

struct GnomeMonitor {
    MonitorInfo info;
    std::int32_t refreshHz = 0;
};

// The monitors of a display-configuration state, in its order: each monitor
// that shows a picture, at its logical monitor's place with the size its
// mode takes in the layout.
std::vector<GnomeMonitor> MonitorsFromState(const desktop::gnome::State& state);

class GnomeScreen : public QObject {
    Q_OBJECT
public:
    // Whether this session offers mutter's display configuration, screen
    // cast and remote desktop: what the GNOME backend needs.
    static bool available();
    // Reads the monitors and opens the screen cast; null, and why, when
    // mutter cannot be reached or refuses.
    static std::unique_ptr<GnomeScreen> open(std::string& why);
    ~GnomeScreen() override;

    [[nodiscard]] const std::vector<GnomeMonitor>& monitors() const { return monitors_; }
    [[nodiscard]] const GnomeMonitor* monitor(const std::string& connector) const;
    // The stream showing a monitor: the live one, or while a new session
    // starts the one before it, which keeps its last picture. Null when none.
    [[nodiscard]] PipeWireStream* stream(const std::string& connector);
    // The session that moves and clicks the pointer; null while there is none.
    [[nodiscard]] MutterSession* session() { return session_.get(); }
    // Why there is no live screen cast now; empty while there is one.
    [[nodiscard]] const std::string& trouble() const { return trouble_; }

    // The pointer's place in the layout from the streams' cursor reports;
    // none while it is hidden or has not moved since the streams started.
    [[nodiscard]] std::optional<Point> pointer() const;
    // The pointer image most recently reported by any stream.
    [[nodiscard]] std::shared_ptr<const CursorImage> cursorImage();

    // Called whenever the monitors may have changed.
    void watchLayout(std::function<void()> changed) { layoutChanged_ = std::move(changed); }

private slots:
    void onMonitorsChanged();
    void onSessionClosed();

private:
    GnomeScreen();
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
    std::shared_ptr<const CursorImage> cursor_;  // its serial is the report that brought it
};

}  // namespace orvane::platform::gnome
