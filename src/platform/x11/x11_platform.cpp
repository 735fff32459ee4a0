// Entry point of the X11 backend: opens the backend's own connection to the
// display Qt uses and assembles the services of the files beside this one.
#include "platform/x11/x11_platform.h"

#include <QGuiApplication>

#include "platform/qt_shell.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_capture.h"
#include "platform/x11/x11_drawing.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_modes.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_window_style.h"

namespace orvane::platform::x11 {

namespace {

class X11Platform : public Platform {
public:
    explicit X11Platform(std::unique_ptr<Connection> c)
        : c_(std::move(c)),
          capture_(*c_),
          monitors_(*c_),
          drawing_(*c_, capture_),
          pointer_(*c_),
          modes_(*c_),
          windowStyle_(*c_) {}
    Monitors& monitors() override { return monitors_; }
    Drawing& drawing() override { return drawing_; }
    Pointer& pointer() override { return pointer_; }
    DisplayModes& displayModes() override { return modes_; }
    Shell& shell() override { return shell_; }
    WindowStyle& windowStyle() override { return windowStyle_; }

private:
    // Declared first: destroyed last, after everything that frees X resources.
    std::unique_ptr<Connection> c_;
    Capture capture_;
    X11Monitors monitors_;
    X11Drawing drawing_;
    X11Pointer pointer_;
    X11DisplayModes modes_;
    QtShell shell_;
    X11WindowStyle windowStyle_;
};

}  // namespace

std::unique_ptr<Platform> createPlatform(Options options, std::string& error) {
    auto c = Connection::open(std::move(options), error);
    if (!c) return nullptr;
    return std::make_unique<X11Platform>(std::move(c));
}

std::unique_ptr<Platform> createPlatform(std::string& error) {
    // The view is a native window of Qt's: without Qt on X there is nothing to draw into.
    if (!qtConnection()) {
        error = "Orvane needs an X11 display (Qt runs on \"" +
                (qGuiApp ? QGuiApplication::platformName().toStdString() : std::string("none")) + "\").";
        return nullptr;
    }
    std::string why;
    auto p = createPlatform(Options{}, why);
    if (!p) error = "Orvane cannot use the X server: " + why + ".";
    return p;
}

}  // namespace orvane::platform::x11
