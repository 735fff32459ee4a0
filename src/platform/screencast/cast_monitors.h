// Monitors seen through screen-cast streams (GNOME, the portal): each opened
// as its stream, whose newest picture the drawing reads in place.
#pragma once

#include "platform/image/image_drawing.h"
#include "platform/image/image_pixels.h"
#include "platform/screencast/cast_screen.h"
#include "platform/monitors.h"

namespace orvane::platform::screencast {

// Streams carry 32-bit pixels whatever the monitor shows.
class CastMonitorContext : public image::MemoryMonitorContext {
public:
    CastMonitorContext(CastScreen& screen, std::string name, Rect rect, std::int32_t refreshHz);
    [[nodiscard]] MonitorChanges takeChanges() override;
    [[nodiscard]] image::Source pixels(const QRect& r) override;

private:
    // The stream's picture in the monitor's layout size (a scaled monitor's
    // stream has more pixels than its place in the layout).
    const QImage& picture();

    CastScreen& screen_;
    std::string name_;
    const PipeWireStream* lastStream_ = nullptr;
    QImage scaled_;
    int scaledFrame_ = -1;
};

class CastMonitors : public Monitors {
public:
    explicit CastMonitors(CastScreen& screen) : screen_(screen) {}
    [[nodiscard]] std::vector<MonitorInfo> enumerate() override;
    [[nodiscard]] MonitorHandle monitorFromRect(const Rect& windowRect) override;
    [[nodiscard]] std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) override;
    void watchLayout(std::function<void()> changed) override { screen_.watchLayout(std::move(changed)); }
    CaptureState captureState() override {
        return screen_.trouble().empty() ? CaptureState::Live : CaptureState::Stopped;
    }

private:
    CastScreen& screen_;
};

// Nothing draws for a client on Wayland: the operations work on pictures in
// memory; reading the screen reads the streams' newest pictures.
class CastDrawing : public image::ImageDrawing {
public:
    explicit CastDrawing(CastScreen& screen) : screen_(screen) {}
    QImage grab(const QRect& screenRect) override;

private:
    CastScreen& screen_;
};

}  // namespace orvane::platform::screencast
