// Entry point of the Wayland backend (wlroots compositors: sway and its kin).
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace orvane::platform::wayland {

class Connection;

// The backend's own connection to the compositor at $WAYLAND_DISPLAY when it
// offers what the backend needs; nullptr when there is none or it lacks
// something. `reachable` tells whether a compositor answered at all.
std::unique_ptr<Connection> connectIfUsable(bool* reachable = nullptr);

// The backend over such a connection, read from Qt's event loop (which must
// exist by then).
std::unique_ptr<Platform> createPlatform(std::unique_ptr<Connection> c);

}  // namespace orvane::platform::wayland
