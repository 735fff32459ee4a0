// Assembles the GNOME backend: monitors and their screen cast, drawing in
// memory, the pointer through the remote desktop, display modes through
// mutter's display configuration, and the window's frame.
#include "platform/gnome/gnome_platform.h"

#include "platform/gnome/gnome_modes.h"
#include "platform/gnome/gnome_screen.h"
#include "platform/screencast/cast_platform.h"

namespace orvane::platform::gnome {

std::unique_ptr<Platform> createPlatform(std::string& why) {
    if (!GnomeScreen::available()) {
        why = "this GNOME session offers no screen cast and remote desktop (org.gnome.Mutter.ScreenCast, "
              "org.gnome.Mutter.RemoteDesktop) or display configuration";
        return nullptr;
    }
    auto screen = GnomeScreen::open(why);
    if (!screen) return nullptr;
    return screencast::castPlatform(std::move(screen), std::make_unique<GnomeDisplayModes>());
}

}  // namespace orvane::platform::gnome
