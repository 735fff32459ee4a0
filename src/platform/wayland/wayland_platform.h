// Entry point of the Wayland backend (wlroots compositors: sway and its kin).
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace orvane::platform::wayland {

// Whether the compositor at $WAYLAND_DISPLAY offers what the backend needs;
// false (with the reason) when there is none or it lacks something.
bool compositorUsable(std::string& why);

// Opens the backend's own connection to the compositor at $WAYLAND_DISPLAY;
// nullptr with a message for the user when that fails.
std::unique_ptr<Platform> createPlatform(std::string& error);

}  // namespace orvane::platform::wayland
