// The monitors of the virtual screen and the "device context" opened on one of
// them: the source of every capture and the answer to colour depth and refresh rate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/drawing.h"
#include "platform/geometry.h"

namespace orvane::platform {

// Identifies a monitor within one enumeration; 0 is never a valid handle.
using MonitorHandle = std::uint64_t;

struct MonitorInfo {
    MonitorHandle handle = 0;
    Rect monitor;  // virtual-screen pixels
    Rect work;     // work area (monitor minus panels); kept, not used by the view
    bool primary = false;
    std::string deviceName;  // e.g. the RandR monitor name "HDMI-1"
};

// An open monitor: a drawing source covering exactly that monitor, whose
// (0, 0) is the monitor's own top-left corner. Its rectangle is fixed when it
// is opened; if the monitor later shrinks or vanishes, the lost area reads black.
class MonitorContext : public Surface {
public:
    [[nodiscard]] virtual Rect rect() const = 0;
    [[nodiscard]] virtual std::int32_t bitsPerPixel() const = 0;  // GetDeviceCaps BITSPIXEL
    [[nodiscard]] virtual std::int32_t refreshRate() const = 0;  // GetDeviceCaps VREFRESH, Hz; 0 when unknown

    // A number that stays the same only while nothing on the monitor has
    // changed since the previous call; a platform that cannot tell answers a
    // new number every time. Lets the tick skip a frame identical to the last.
    [[nodiscard]] virtual std::uint64_t changeCount() { return ++unknownChanges_; }

private:
    std::uint64_t unknownChanges_ = 0;
};

class Monitors {
public:
    virtual ~Monitors() = default;

    // Every monitor, in the platform's enumeration order. Never empty: a server
    // that reports none yields one monitor covering the whole screen.
    [[nodiscard]] virtual std::vector<MonitorInfo> enumerate() = 0;

    // The monitor holding most of the given window rectangle, or the nearest one
    // when it lies on none. Always one of the handles enumerate() returns.
    [[nodiscard]] virtual MonitorHandle monitorFromRect(const Rect& windowRect) = 0;

    // Opens the monitor with this device name; nullptr when there is none.
    [[nodiscard]] virtual std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) = 0;
};

}  // namespace orvane::platform
