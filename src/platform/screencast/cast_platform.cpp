#include "platform/screencast/cast_platform.h"

#include "platform/compositor_window_style.h"
#include "platform/qt_shell.h"
#include "platform/screencast/cast_monitors.h"
#include "platform/screencast/cast_pointer.h"

namespace orvane::platform::screencast {

namespace {

class CastPlatform : public Platform {
public:
    CastPlatform(std::unique_ptr<CastScreen> screen, std::unique_ptr<DisplayModes> modes)
        : screen_(std::move(screen)), monitors_(*screen_), drawing_(*screen_), pointer_(*screen_),
          modes_(std::move(modes)) {}
    Monitors& monitors() override { return monitors_; }
    Drawing& drawing() override { return drawing_; }
    Pointer& pointer() override { return pointer_; }
    DisplayModes& displayModes() override { return *modes_; }
    Shell& shell() override { return shell_; }
    WindowStyle& windowStyle() override { return windowStyle_; }

private:
    // Declared first: destroyed last, after everything that reads it.
    std::unique_ptr<CastScreen> screen_;
    CastMonitors monitors_;
    CastDrawing drawing_;
    CastPointer pointer_;
    std::unique_ptr<DisplayModes> modes_;
    QtShell shell_;
    CompositorWindowStyle windowStyle_;
};

}  // namespace

std::unique_ptr<Platform> castPlatform(std::unique_ptr<CastScreen> screen, std::unique_ptr<DisplayModes> modes) {
    return std::make_unique<CastPlatform>(std::move(screen), std::move(modes));
}

}  // namespace orvane::platform::screencast
