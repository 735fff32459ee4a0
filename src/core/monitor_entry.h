// One monitor as the enumeration records it: rectangle, work area, primary
// flag and the device name in a fixed 32-character field padded with NULs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/geometry.h"

namespace orvane {

inline constexpr std::size_t DeviceNameWidth = 32;

struct MonitorEntry {
    std::uint32_t cbSize = 72;
    platform::Rect rcMonitor;
    platform::Rect rcWork;
    std::uint32_t dwFlags = 0;  // 1 for the primary monitor
    std::string szDevice = std::string(DeviceNameWidth, '\0');
};

// The device-name field for a name: padded with NULs to the field's width.
// Longer names are kept whole rather than cut, so they still match by name.
std::string DeviceField(const std::string& name);

}  // namespace orvane
