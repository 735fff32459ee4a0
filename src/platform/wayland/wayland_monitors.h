// Monitors on Wayland: the compositor's outputs, each opened as a live
// capture (capture.h) whose latest frame the drawing reads in place.
#pragma once

#include <memory>

#include "platform/image/image_pixels.h"
#include "platform/monitors.h"
#include "platform/wayland/capture.h"

namespace orvane::platform::wayland {

class Connection;

// Frames come as 32-bit pixels whatever the output shows.
class WaylandMonitorContext : public image::MemoryMonitorContext {
public:
    WaylandMonitorContext(Connection& c, const std::string& output, Rect rect, std::int32_t refreshHz);
    [[nodiscard]] MonitorChanges takeChanges() override;
    [[nodiscard]] image::Source pixels(const QRect& r) override;
    [[nodiscard]] const OutputCapture& capture() const { return *capture_; }

private:
    std::unique_ptr<OutputCapture> capture_;
};

class WaylandMonitors : public Monitors {
public:
    explicit WaylandMonitors(Connection& c) : c_(c) {}
    [[nodiscard]] std::vector<MonitorInfo> enumerate() override;
    [[nodiscard]] MonitorHandle monitorFromRect(const Rect& windowRect) override;
    [[nodiscard]] std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) override;
    void watchLayout(std::function<void()> changed) override;

private:
    Connection& c_;
};

}  // namespace orvane::platform::wayland
