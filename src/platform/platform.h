// The one boundary to the window system: everything above platform/ reaches
// monitors, drawing, the pointer, display modes and the shell only through here.
#pragma once

#include <string>

#include "platform/display_modes.h"
#include "platform/drawing.h"
#include "platform/monitors.h"
#include "platform/pointer.h"

namespace orvane::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address, or an e-mail address with or without "mailto:".
    virtual bool openLink(const std::string& target) = 0;
};

// The main window's frame as the window manager draws it.
class WindowStyle {
public:
    virtual ~WindowStyle() = default;
    // True when a window manager runs: it decorates, places and maximises
    // windows. Without one a window is exactly where and as big as it asks.
    [[nodiscard]] virtual bool hasWindowManager() = 0;
    // Gives the top-level `window` its caption or takes it away, keeping its
    // sizing border, place, size, stacking and visibility (no unmapping, no
    // activation). False when this platform cannot: the caller falls back
    // on what the toolkit offers.
    virtual bool setCaption(QWidget& window, bool shown) = 0;
    // Whether full screen must be the window system's own: where a window
    // cannot be sure to lose its caption and cover its monitor by being
    // maximised (Wayland compositors decide both, tiling ones ignore
    // "maximised"), the window asks for full screen instead.
    [[nodiscard]] virtual bool fullScreenIsTheSystems() { return false; }
};

class Platform {
public:
    virtual ~Platform() = default;
    [[nodiscard]] virtual Monitors& monitors() = 0;
    [[nodiscard]] virtual Drawing& drawing() = 0;
    [[nodiscard]] virtual Pointer& pointer() = 0;
    [[nodiscard]] virtual DisplayModes& displayModes() = 0;
    [[nodiscard]] virtual Shell& shell() = 0;
    [[nodiscard]] virtual WindowStyle& windowStyle() = 0;
};

}  // namespace orvane::platform
