// Assembles the GNOME backend: monitors and their screen cast, drawing in
// memory, the pointer through the remote desktop, display modes through
// mutter's display configuration, and the window's frame.
#include "platform/gnome/gnome_platform.h"

#include "platform/gnome/gnome_modes.h"
#include "platform/gnome/gnome_monitors.h"
#include "platform/gnome/gnome_pointer.h"
#include "platform/gnome/gnome_screen.h"
#include "platform/image/image_drawing.h"
#include "platform/compositor_window_style.h"
#include "platform/qt_shell.h"

namespace orvane::platform::gnome {

namespace {

// Nothing draws for a client on Wayland: the operations work on pictures in
// memory; reading the screen reads the streams' newest pictures.
class GnomeDrawing : public image::ImageDrawing {
public:
    explicit GnomeDrawing(GnomeScreen& screen) : screen_(screen) {}
    QImage grab(const QRect& screenRect) override {
        QImage out = image::blackImage(screenRect.size());
        for (const GnomeMonitor& m : screen_.monitors()) {
            const QRect monitor(m.info.monitor.left, m.info.monitor.top, m.info.monitor.width(),
                                m.info.monitor.height());
            const QRect part = monitor & screenRect;
            if (part.isEmpty()) continue;
            GnomeMonitorContext context(screen_, m.info.deviceName, m.info.monitor, m.refreshHz);
            const image::Source s = context.pixels(part.translated(-monitor.topLeft()));
            image::blit(out, part.topLeft() - screenRect.topLeft(), s.image, QRect(s.at, part.size()));
        }
        return out;
    }

private:
    GnomeScreen& screen_;
};

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
    GnomeMonitors monitors_;
    GnomeDrawing drawing_;
    GnomePointer pointer_;
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
