#include "platform/wayland/wayland_monitors.h"

#include <cmath>

#include "platform/wayland/wayland_connection.h"

namespace orvane::platform::wayland {

namespace {
// How long opening a monitor waits for its first frame, so the first tick
// has a picture to show.
constexpr int kFirstFrameMs = 1000;
}  // namespace

WaylandMonitorContext::WaylandMonitorContext(Connection& c, const std::string& output, Rect rect,
                                             std::int32_t refreshHz)
    : MemoryMonitorContext(rect, 32, refreshHz), capture_(captureOutput(c, output, /*withCursor=*/true)) {
    capture_->waitForFirstFrame(kFirstFrameMs);
}

MonitorChanges WaylandMonitorContext::takeChanges() {
    MonitorChanges m = capture_->takeChanges();
    if (!m.all) m.region &= QRect(QPoint(0, 0), size());
    return m;
}

image::Source WaylandMonitorContext::pixels(const QRect& r) {
    // Only the part of the frame inside the monitor as it was opened shows.
    const QImage& frame = capture_->frame();
    const QRect mine(QPoint(0, 0), size());
    return image::pixelsOfImage(mine.contains(frame.rect()) ? frame : frame.copy(frame.rect() & mine), {0, 0}, r);
}

std::vector<MonitorInfo> WaylandMonitors::enumerate() {
    return WithStandIn(c_.monitors());
}

MonitorHandle WaylandMonitors::monitorFromRect(const Rect& windowRect) {
    return monitorHoldingMost(enumerate(), windowRect);
}

std::unique_ptr<MonitorContext> WaylandMonitors::openMonitor(const std::string& deviceName) {
    const Output* o = c_.output(deviceName);
    if (!o || !c_.alive()) return nullptr;
    const auto hz = static_cast<std::int32_t>(std::lround(o->refreshMilliHz / 1000.0));
    return std::make_unique<WaylandMonitorContext>(c_, deviceName, o->logical, hz);
}

void WaylandMonitors::watchLayout(std::function<void()> changed) { c_.watchOutputs(std::move(changed)); }

}  // namespace orvane::platform::wayland
