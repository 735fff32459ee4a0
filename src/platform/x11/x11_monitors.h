// The monitors of the X screen (RandR 1.5, else the root window as one
// monitor) and the monitor contexts the view copies from.
#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/monitors.h"
#include "platform/x11/x11_connection.h"

namespace orvane::platform::x11 {

class X11Monitors : public Monitors {
public:
    explicit X11Monitors(Connection& c) : c_(c) {}
    std::vector<MonitorInfo> enumerate() override;
    MonitorHandle monitorFromRect(const Rect& windowRect) override;
    std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) override;
    void watchLayout(std::function<void()> changed) override;

private:
    Rect workArea();
    void lookForLayoutChanges();
    Connection& c_;
    std::function<void()> layoutChanged_;
    std::uint64_t layoutChangesSeen_ = 0;
    std::unique_ptr<QSocketNotifier> readable_;
    QTimer queuedEvents_;
};

// Refresh rate of the first active CRTC among these outputs; 0 when unknown.
std::int32_t refreshRateOfOutputs(Connection& c, const std::vector<std::uint32_t>& outputs);

}  // namespace orvane::platform::x11
