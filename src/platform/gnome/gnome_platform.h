// The backend for GNOME's Wayland session: mutter's screen cast, remote
// desktop and display configuration; drawing in memory.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace orvane::platform::gnome {

// Null, and why, when mutter's services cannot be reached or refuse.
std::unique_ptr<Platform> createPlatform(std::string& why);

}  // namespace orvane::platform::gnome
