// Display modes on Wayland: the modes of an output as the compositor lists them.
#pragma once

#include "platform/display_modes.h"

namespace orvane::platform::wayland {

class Connection;

class WaylandDisplayModes : public DisplayModes {
public:
    explicit WaylandDisplayModes(Connection& c) : c_(c) {}
    [[nodiscard]] bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override;
    [[nodiscard]] std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override;
    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) override;
    std::int32_t restoreRegistered(const DeviceName& device) override;
    [[nodiscard]] std::optional<DisplayMode> currentMode(const DeviceName& device) override;

private:
    Connection& c_;
};

}  // namespace orvane::platform::wayland
