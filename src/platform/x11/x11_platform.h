// Entry point of the X11 backend: connects to the X server the program's
// windows use and offers every platform service on top of xcb.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace orvane::platform::x11 {

// The backend on the X connection Qt opened (QT_QPA_PLATFORM=xcb). nullptr,
// with a reason for the user in error, when no X display is reachable.
std::unique_ptr<Platform> createPlatform(std::string& error);

}  // namespace orvane::platform::x11
