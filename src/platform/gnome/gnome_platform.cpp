// Assembles the GNOME backend: monitors and their screen cast, drawing in
// memory, the pointer through the remote desktop, display modes through
// mutter's display configuration, and the window's frame.
#include "platform/gnome/gnome_platform.h"

#include "platform/compositor_window_style.h"
#include "platform/gnome/gnome_modes.h"
#include "platform/gnome/gnome_screen.h"
#include "platform/qt_shell.h"
#include "platform/screencast/cast_monitors.h"
#include "platform/screencast/cast_pointer.h"

namespace orvane::platform::gnome {

namespace {

using namespace screencast;

class GnomePlatform : public Platform {
public:
    explicit GnomePlatform(std::unique_ptr<GnomeScreen> screen)
        : screen_(std::move(screen)), monitors_(*screen_), drawing_(*screen_), pointer_(*screen_) {}
    Monitors& monitors() override { return monitors_; }
    Drawing& drawing() override { return drawing_; }
    Pointer& pointer() override { return pointer_; }
    DisplayModes& displayModes() override { return modes_; }
    Shell& shell() override { return shell_; }
    WindowStyle& windowStyle() override { return windowStyle_; }

private:
    // Declared first: destroyed last, after everything that reads it.
    std::unique_ptr<GnomeScreen> screen_;
    CastMonitors monitors_;
    CastDrawing drawing_;
    CastPointer pointer_;
    GnomeDisplayModes modes_;
    QtShell shell_;
    CompositorWindowStyle windowStyle_;
};

}  // namespace

std::unique_ptr<Platform> createPlatform(std::string& why) {
    if (!GnomeScreen::available()) {
        why = "this GNOME session offers no screen cast and remote desktop (org.gnome.Mutter.ScreenCast, "
              "org.gnome.Mutter.RemoteDesktop) or display configuration";
        return nullptr;
    }
    auto screen = GnomeScreen::open(why);
    if (!screen) return nullptr;
    return std::make_unique<GnomePlatform>(std::move(screen));
}

}  // namespace orvane::platform::gnome
