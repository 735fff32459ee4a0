// Assembles a backend over screen-cast streams (GNOME's own, or the desktop
// portal's): monitors, drawing in memory and the pointer from the screen, the
// desktop's display modes, and a compositor's window frame.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/screencast/cast_screen.h"

namespace orvane::platform::screencast {

// `modes` may refer to `screen`: it is destroyed first.
std::unique_ptr<Platform> castPlatform(std::unique_ptr<CastScreen> screen, std::unique_ptr<DisplayModes> modes);

}  // namespace orvane::platform::screencast
