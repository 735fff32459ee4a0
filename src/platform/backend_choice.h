// Which window-system backend a run uses, from what the session says about
// itself: X11 in an X session, Wayland where the compositor offers what Orvane
// needs, GNOME's own services in GNOME's Wayland session, the desktop portal
// on other Wayland desktops (KDE Plasma …), X11 through XWayland where none of
// them serves (with a plain word about what that cannot do), and
// ORVANE_BACKEND to force one.
#pragma once

#include <optional>
#include <string>

namespace orvane::platform {

enum class Backend { X11, Wayland, Gnome, Portal };

struct SessionFacts {
    std::string sessionType;  // $XDG_SESSION_TYPE: "x11", "wayland", "tty", or empty
    bool hasX11Display = false;      // $DISPLAY set
    bool hasWaylandDisplay = false;  // $WAYLAND_DISPLAY set
    std::string forced;              // $ORVANE_BACKEND: "x11", "wayland", "gnome", "portal" or empty
    bool waylandUsable = false;      // the compositor offers capture, input and outputs as Orvane needs
    bool gnomeDesktop = false;       // $XDG_CURRENT_DESKTOP names GNOME
    bool waylandReachable = false;   // a compositor answers at $WAYLAND_DISPLAY
};

struct BackendChoice {
    std::optional<Backend> backend;  // none: nothing usable, `message` says why
    bool throughXWayland = false;    // X11 inside a Wayland session
    std::string message;             // for standard error; empty when there is nothing to say
};

BackendChoice ChooseBackend(const SessionFacts& facts);

// The facts of this process's environment (waylandUsable and waylandReachable as given).
SessionFacts SessionFactsFromEnvironment(bool waylandUsable, bool waylandReachable);

}  // namespace orvane::platform
