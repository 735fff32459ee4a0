// The monitors of the virtual screen and the "device context" opened on one of
// them: the source of every capture and the answer to colour depth and refresh rate.
#pragma once

#include <QRegion>
#include <cstdint>
#include <functional>
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

// The changes to a monitor's pixels between two looks at it, in the
// monitor's own pixels (its top-left corner is (0, 0)).
struct MonitorChanges {
    QRegion region;
    // Anything may have changed: which part is unknown, or the screen was
    // reconfigured under the monitor.
    bool all = false;

    [[nodiscard]] static MonitorChanges everything() { return {QRegion(), true}; }
    [[nodiscard]] bool any() const { return all || !region.isEmpty(); }
};

// An open monitor: a drawing source covering exactly that monitor, whose
// (0, 0) is the monitor's own top-left corner. Its rectangle is fixed when it
// is opened; if the monitor later shrinks or vanishes, the lost area reads black.
class MonitorContext : public Surface {
public:
    [[nodiscard]] virtual Rect rect() const = 0;
    [[nodiscard]] virtual std::int32_t bitsPerPixel() const = 0;  // GetDeviceCaps BITSPIXEL
    [[nodiscard]] virtual std::int32_t refreshRate() const = 0;  // GetDeviceCaps VREFRESH, Hz; 0 when unknown

    // What was drawn on the monitor since the previous call. Lets the tick
    // skip a frame identical to the last, or redraw only the part that
    // changed. A platform that cannot tell answers "everything" every time.
    [[nodiscard]] virtual MonitorChanges takeChanges() { return MonitorChanges::everything(); }
};

// The handle of the monitor of `list` holding most of windowRect, or the
// nearest one when it lies on none (bestRectFor); list must not be empty.
MonitorHandle monitorHoldingMost(const std::vector<MonitorInfo>& list, const Rect& windowRect);

// The list as it is, or where every monitor is switched off or unplugged one
// stand-in, so callers always have a monitor (opening it finds nothing).
std::vector<MonitorInfo> WithStandIn(std::vector<MonitorInfo> list);

// Whether the monitors' pictures are live, or the last ones while the desktop
// has stopped the capture (a lock screen, a restart) until it resumes.
enum class CaptureState { Live, Stopped };

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

    // From now on calls `changed` from the event loop whenever monitors may
    // have come, gone, moved or changed size (several changes can come as
    // several calls). A platform that cannot tell never calls it.
    virtual void watchLayout(std::function<void()> changed) { (void)changed; }

    // Whether the pictures are live now (a platform that reads the screen
    // itself always is).
    [[nodiscard]] virtual CaptureState captureState() { return CaptureState::Live; }
};

}  // namespace orvane::platform
