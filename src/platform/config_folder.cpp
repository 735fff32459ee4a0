#include "platform/config_folder.h"

#include <cstdlib>

namespace orvane::platform {

std::string UserConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        std::string base(home);
        if (base.back() != '/') base += '/';
        return base + ".config";
    }
    return {};
}

std::string ConfigFolderOverride() {
    const char* dir = std::getenv("ORVANE_CONFIG_DIR");
    return dir != nullptr ? dir : "";
}

std::string OrvaneConfigFolder() {
    if (std::string dir = ConfigFolderOverride(); !dir.empty()) return dir;
    const std::string home = UserConfigHome();
    return home.empty() ? home : home + "/orvane";
}

}  // namespace orvane::platform
