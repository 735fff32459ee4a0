// Monitors on GNOME: mutter's monitors, each opened as its screen-cast
// stream, whose newest picture the drawing reads in place.
#pragma once

#include "platform/gnome/gnome_screen.h"
#include "platform/image/image_pixels.h"
#include "platform/monitors.h"

namespace orvane::platform::gnome {

class GnomeMonitorContext : public MonitorContext, public image::Pixels {
public:
    GnomeMonitorContext(GnomeScreen& screen, std::string connector, Rect rect, std::int32_t refreshHz);
    [[nodiscard]] QSize size() const override { return {rect_.width(), rect_.height()}; }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return mode_; }
    [[nodiscard]] Rect rect() const override { return rect_; }
    [[nodiscard]] std::int32_t bitsPerPixel() const override { return 32; }
    [[nodiscard]] std::int32_t refreshRate() const override { return refreshHz_; }
    [[nodiscard]] MonitorChanges takeChanges() override;
    [[nodiscard]] image::Source pixels(const QRect& r) override;

private:
    // The stream's picture in the monitor's layout size (a scaled monitor's
    // stream has more pixels than its place in the layout).
    const QImage& picture();

    GnomeScreen& screen_;
    std::string connector_;
    Rect rect_;
    std::int32_t refreshHz_;
    StretchMode mode_ = StretchMode::Simple;
    const PipeWireStream* lastStream_ = nullptr;
    QImage scaled_;
    int scaledFrame_ = -1;
};

class GnomeMonitors : public Monitors {
public:
    explicit GnomeMonitors(GnomeScreen& screen) : screen_(screen) {}
    [[nodiscard]] std::vector<MonitorInfo> enumerate() override;
    [[nodiscard]] MonitorHandle monitorFromRect(const Rect& windowRect) override;
    [[nodiscard]] std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) override;
    void watchLayout(std::function<void()> changed) override { screen_.watchLayout(std::move(changed)); }
    CaptureState captureState() override {
        return screen_.trouble().empty() ? CaptureState::Live : CaptureState::Stopped;
    }

private:
    GnomeScreen& screen_;
};

}  // namespace orvane::platform::gnome
