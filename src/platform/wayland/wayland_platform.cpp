// Assembles the Wayland backend: outputs and their capture, drawing in
// memory, the virtual pointer, display modes and the window's frame.
#include "platform/wayland/wayland_platform.h"

#include "platform/image/image_drawing.h"
#include "platform/compositor_window_style.h"
#include "platform/qt_shell.h"
#include "platform/wayland/capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_modes.h"
#include "platform/wayland/wayland_monitors.h"
#include "platform/wayland/wayland_pointer.h"

namespace orvane::platform::wayland {

namespace {

// Nothing draws for a client on Wayland: every operation works on the
// pictures in memory; reading the screen captures the outputs once.
class WaylandDrawing : public image::ImageDrawing {
public:
    explicit WaylandDrawing(Connection& c) : c_(c) {}
    QImage grab(const QRect& screenRect) override {
        QImage out = image::blackImage(screenRect.size());
        for (const MonitorInfo& m : c_.monitors()) {
            const QRect monitor(m.monitor.left, m.monitor.top, m.monitor.width(), m.monitor.height());
            const QRect part = monitor & screenRect;
            if (part.isEmpty()) continue;
            const auto once = captureOutput(c_, m.deviceName, /*withCursor=*/false);
            if (!once->waitForFirstFrame(2000)) continue;
            image::blit(out, part.topLeft() - screenRect.topLeft(), once->frame(),
                        part.translated(-monitor.topLeft()));
        }
        return out;
    }

private:
    Connection& c_;
};

class WaylandPlatform : public Platform {
public:
    explicit WaylandPlatform(std::unique_ptr<Connection> c)
        : c_(std::move(c)), monitors_(*c_), drawing_(*c_), pointer_(*c_, swayWindowOrigin), modes_(*c_) {
        c_->dispatchFromEventLoop();
    }
    Monitors& monitors() override { return monitors_; }
    Drawing& drawing() override { return drawing_; }
    Pointer& pointer() override { return pointer_; }
    DisplayModes& displayModes() override { return modes_; }
    Shell& shell() override { return shell_; }
    WindowStyle& windowStyle() override { return windowStyle_; }

private:
    // Declared first: destroyed last, after everything that holds its objects.
    std::unique_ptr<Connection> c_;
    WaylandMonitors monitors_;
    WaylandDrawing drawing_;
    WaylandPointer pointer_;
    WaylandDisplayModes modes_;
    QtShell shell_;
    CompositorWindowStyle windowStyle_;
};

}  // namespace

std::unique_ptr<Connection> connectIfUsable(bool* reachable) {
    std::string why;
    auto c = Connection::connect("", why);
    if (reachable) *reachable = c != nullptr;
    return c && c->usableForOrvane() ? std::move(c) : nullptr;
}

std::unique_ptr<Platform> createPlatform(std::unique_ptr<Connection> c) {
    return std::make_unique<WaylandPlatform>(std::move(c));
}

}  // namespace orvane::platform::wayland
