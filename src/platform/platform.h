// The one boundary to the window system: everything above platform/ reaches
// monitors, drawing, the pointer, display modes and the shell only through here.
#pragma once

#include <string>

#include "platform/display_modes.h"
#include "platform/drawing.h"
#include "platform/monitors.h"
#include "platform/pointer.h"

namespace orvane::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address, or an e-mail address with or without "mailto:".
    virtual bool openLink(const std::string& target) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    [[nodiscard]] virtual Monitors& monitors() = 0;
    [[nodiscard]] virtual Drawing& drawing() = 0;
    [[nodiscard]] virtual Pointer& pointer() = 0;
    [[nodiscard]] virtual DisplayModes& displayModes() = 0;
    [[nodiscard]] virtual Shell& shell() = 0;
};

}  // namespace orvane::platform
