// The X11 backend with its features chosen explicitly: tests use this to run
// the fallbacks (no RENDER, no SHM, ...) or to talk to a server of their own.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

namespace orvane::platform::x11 {

std::unique_ptr<Platform> createPlatform(Options options, std::string& error);

}  // namespace orvane::platform::x11
