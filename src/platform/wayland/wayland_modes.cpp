#include "platform/wayland/wayland_modes.h"

#include <cmath>

#include "platform/wayland/wayland_connection.h"

namespace orvane::platform::wayland {

std::optional<DisplayMode> WaylandDisplayModes::currentMode(const DeviceName& device) {
    const std::vector<MonitorInfo> monitors = c_.monitors();
    if (monitors.empty()) return std::nullopt;
    const Output* o = c_.output(device ? *device : monitors.front().deviceName);
    if (!o || o->modeWidth <= 0) return std::nullopt;
    DisplayMode m;
    m.width = static_cast<std::uint32_t>(o->modeWidth);
    m.height = static_cast<std::uint32_t>(o->modeHeight);
    m.bitsPerPixel = 32;
    m.frequency = static_cast<std::uint32_t>(std::lround(o->refreshMilliHz / 1000.0));
    return m;
}

bool WaylandDisplayModes::enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) {
    const std::optional<DisplayMode> current = currentMode(device);
    if (!current || n > 0) return false;
    out = *current;
    return true;
}

std::int32_t WaylandDisplayModes::testMode(const DeviceName& device, const DisplayMode& mode) {
    const std::optional<DisplayMode> current = currentMode(device);
    if (!current) return DispChange::BadParam;
    return *current == mode ? DispChange::Successful : DispChange::BadMode;
}

std::int32_t WaylandDisplayModes::applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t) {
    return testMode(device, mode);
}

std::int32_t WaylandDisplayModes::restoreRegistered(const DeviceName& device) {
    return currentMode(device) ? DispChange::Successful : DispChange::BadParam;
}

}  // namespace orvane::platform::wayland
