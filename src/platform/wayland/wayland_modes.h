// Display modes on Wayland, through the compositor's output management: the
// modes each output lists, tested and applied for the session. The
// compositor's own configuration keeps modes across sessions, so a change
// asked to be kept is refused (NotUpdated) rather than kept for a while.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/display_modes.h"

namespace orvane::platform::wayland {

class Connection;
struct Head;
struct HeadMode;

class WaylandDisplayModes : public DisplayModes {
public:
    explicit WaylandDisplayModes(Connection& c) : c_(c) {}
    [[nodiscard]] bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override;
    [[nodiscard]] std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override;
    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) override;
    std::int32_t restoreRegistered(const DeviceName& device) override;
    [[nodiscard]] std::optional<DisplayMode> currentMode(const DeviceName& device) override;

private:
    [[nodiscard]] std::string nameOf(const DeviceName& device) const;
    [[nodiscard]] const Head* headOf(const DeviceName& device) const;
    std::int32_t configure(const std::string& name, const HeadMode& mode, bool apply);

    Connection& c_;
    // What each output showed before Orvane's first change, and what Orvane set.
    struct Change {
        DisplayMode before;
        DisplayMode set;
    };
    std::map<std::string, Change> changed_;
};

// The mode of an output's list that `mode` stands for: the same size, and
// the same refresh to the millihertz when `mode.id` holds one, else the same
// rounded refresh (the first such). Index into `modes`, or -1.
struct ModeFacts {
    int width, height, refreshMilliHz;
};
int matchingMode(const std::vector<ModeFacts>& modes, const DisplayMode& mode);
DisplayMode displayModeOf(const ModeFacts& m);
// Whether an output showing `now` shows `mode`: the same size and refresh
// (to the millihertz when `mode.id` holds it). Another program's change of
// the refresh alone is a change too.
bool showsMode(const DisplayMode& now, const DisplayMode& mode);

}  // namespace orvane::platform::wayland
