// Entry point of the X11 backend (the services themselves live in the files beside it).
#include "platform/x11/x11_platform.h"

namespace orvane::platform::x11 {

std::unique_ptr<Platform> createPlatform(std::string& error) {
    error = "The X11 backend is not built yet.";
    return nullptr;
}

}  // namespace orvane::platform::x11
