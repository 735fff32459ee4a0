#include "platform/backend_choice.h"

#include <cstdlib>

namespace orvane::platform {

namespace {

constexpr const char* kXWaylandLimits =
    "orvane: this is a Wayland session, and Orvane runs here through XWayland: it sees and clicks only the "
    "windows of other X programs (the rest of the screen shows black) and cannot change display modes. "
    "Choose an X11 (\"on Xorg\") session at login to use it fully.";

bool isWaylandSession(const SessionFacts& f) {
    if (f.sessionType == "wayland") return true;
    if (f.sessionType == "x11") return false;
    return f.hasWaylandDisplay;
}

BackendChoice x11(const SessionFacts& f) {
    if (!f.hasX11Display)
        return {std::nullopt, false, "orvane: no X display (DISPLAY is not set); start Orvane in your desktop session."};
    if (isWaylandSession(f)) return {Backend::X11, true, kXWaylandLimits};
    return {Backend::X11, false, {}};
}

}  // namespace

BackendChoice ChooseBackend(const SessionFacts& f) {
    if (f.forced == "x11") return x11(f);
    if (f.forced == "wayland") {
        if (!f.hasWaylandDisplay) return {std::nullopt, false, "orvane: ORVANE_BACKEND=wayland, but WAYLAND_DISPLAY is not set."};
        if (!f.waylandUsable)
            return {std::nullopt, false,
                    "orvane: ORVANE_BACKEND=wayland, but this compositor does not offer what Orvane needs "
                    "(screen capture, virtual pointer and output information of the wlroots family)."};
        return {Backend::Wayland, false, {}};
    }
    if (f.forced == "gnome") {
        if (!f.hasWaylandDisplay) return {std::nullopt, false, "orvane: ORVANE_BACKEND=gnome, but WAYLAND_DISPLAY is not set."};
        return {Backend::Gnome, false, {}};
    }
    if (f.forced == "portal") {
        if (!f.hasWaylandDisplay) return {std::nullopt, false, "orvane: ORVANE_BACKEND=portal, but WAYLAND_DISPLAY is not set."};
        return {Backend::Portal, false, {}};
    }
    if (!f.forced.empty())
        return {std::nullopt, false,
                "orvane: ORVANE_BACKEND must be \"x11\", \"wayland\", \"gnome\" or \"portal\", not \"" + f.forced +
                    "\"."};
    if (isWaylandSession(f) && f.hasWaylandDisplay && f.waylandUsable) return {Backend::Wayland, false, {}};
    // GNOME's compositor offers no wlroots protocols; its own services (asked
    // once the toolkit runs) capture, click and change modes instead.
    if (isWaylandSession(f) && f.hasWaylandDisplay && f.gnomeDesktop) return {Backend::Gnome, false, {}};
    // Any other Wayland desktop may offer screen cast and remote desktop
    // through its portal (asked once the toolkit runs; XWayland when not).
    if (isWaylandSession(f) && f.hasWaylandDisplay && f.waylandReachable) return {Backend::Portal, false, {}};
    if (!f.hasX11Display && isWaylandSession(f))
        return {std::nullopt, false,
                "orvane: this Wayland compositor does not offer what Orvane needs, and there is no XWayland "
                "(DISPLAY is not set) to run through instead."};
    return x11(f);
}

SessionFacts SessionFactsFromEnvironment(bool waylandUsable, bool waylandReachable) {
    auto text = [](const char* name) {
        const char* v = std::getenv(name);
        return std::string(v != nullptr ? v : "");
    };
    SessionFacts f;
    f.sessionType = text("XDG_SESSION_TYPE");
    f.hasX11Display = !text("DISPLAY").empty();
    f.hasWaylandDisplay = !text("WAYLAND_DISPLAY").empty();
    f.forced = text("ORVANE_BACKEND");
    f.waylandUsable = waylandUsable;
    f.waylandReachable = waylandReachable;
    // A colon-separated list, such as "ubuntu:GNOME".
    const std::string desktops = ":" + text("XDG_CURRENT_DESKTOP") + ":";
    f.gnomeDesktop = desktops.find(":GNOME:") != std::string::npos;
    return f;
}

}  // namespace orvane::platform
