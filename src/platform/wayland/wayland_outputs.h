// The first piece of the Wayland backend: a connection to the compositor, the
// globals it offers, and its outputs with their names and logical rectangles
// (wl_output with zxdg_output_manager_v1), as Monitors::enumerate reports them.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/monitors.h"

struct wl_display;

namespace orvane::platform::wayland {

class WaylandOutputs {
public:
    // nullptr with a reason when no compositor answers at `display` ($WAYLAND_DISPLAY when empty).
    static std::unique_ptr<WaylandOutputs> connect(const std::string& display, std::string& error);
    ~WaylandOutputs();
    WaylandOutputs(const WaylandOutputs&) = delete;
    WaylandOutputs& operator=(const WaylandOutputs&) = delete;

    // Interface names of the globals the compositor offers.
    [[nodiscard]] const std::set<std::string>& globals() const { return globals_; }
    [[nodiscard]] bool offers(const std::string& interface) const { return globals_.count(interface) > 0; }
    // Whether it offers all Orvane needs: outputs, capture, a virtual pointer.
    [[nodiscard]] bool usableForOrvane() const;

    // The outputs in the compositor's order; the first is the primary (Wayland
    // names none). Positions and sizes are logical (the layout's) pixels.
    [[nodiscard]] std::vector<MonitorInfo> monitors() const;

    // The compositor's objects, filled in by its events.
    struct Output;
    struct Registry;

private:
    WaylandOutputs() = default;
    void roundTrip();
    wl_display* display_ = nullptr;
    std::unique_ptr<Registry> registry_;
    std::set<std::string> globals_;
};

// Orvane's needs, by interface name: the screencopy of the wlroots family or
// its successor, the wlroots virtual pointer, and xdg-output for names and
// the logical layout.
bool offersWhatOrvaneNeeds(const std::set<std::string>& globals);

}  // namespace orvane::platform::wayland
