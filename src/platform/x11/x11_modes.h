// Display modes of a monitor through RandR 1.2: the modes of its output, mode
// changes of its CRTC (resizing the screen as needed), registered modes kept
// by the desktop's store or our own, and our own temporary changes, which
// restoring undoes.
#pragma once

#include <xcb/randr.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/display_modes.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_math.h"

namespace orvane::platform::x11 {

class X11DisplayModes : public DisplayModes {
public:
    explicit X11DisplayModes(Connection& c);
    bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override;
    std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override;
    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) override;
    std::int32_t restoreRegistered(const DeviceName& device) override;
    std::optional<DisplayMode> currentMode(const DeviceName& device) override;
    bool desktopConfirmsChange(std::uint32_t flags) const override;

private:
    struct Device;
    std::optional<Device> resolve(const DeviceName& device);
    std::int32_t check(const Device& d, const DisplayMode& mode, std::uint32_t* modeId);
    std::int32_t setMode(const Device& d, std::uint32_t modeId);
    bool keepBeyondSession(const RegisteredMode& mode, double exactRefresh);
    static RegisteredMode recordOf(const std::string& output, const xcb_randr_mode_info_t& m);
    static bool sameMode(const xcb_randr_mode_info_t& m, const RegisteredMode& r);

    // Our own temporary change of an output: what it showed before our
    // first change and what we set last.
    struct TemporaryChange {
        RegisteredMode before;
        RegisteredMode set;
    };
    std::map<std::string, TemporaryChange> temporary_;
    Connection& c_;
    std::uint32_t bitsPerPixel_;
};

}  // namespace orvane::platform::x11
