// The backend for Wayland desktops reached through xdg-desktop-portal (KDE
// Plasma and others that are neither GNOME nor of the wlroots family): the
// portal's screen cast and remote desktop; drawing in memory. The portal
// changes no display modes.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace orvane::platform::portal {

// Null, and why, when the desktop portal cannot be reached, refuses, or the
// user declines.
std::unique_ptr<Platform> createPlatform(std::string& why);

}  // namespace orvane::platform::portal
