// A simulated desktop for tests: scriptable monitors with pictures, a pointer,
// mode tables and logs of what the program did to them. All of it lives in
// memory and draws on QImages, so it runs under the offscreen Qt platform.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/image_view.h"
#include "platform/platform.h"

namespace orvane::platform::fake {

// An empty picture shows the coordinate pattern with blue = the low byte of
// 40 × handle; a picture of another size is cut or filled with black.
struct FakeMonitor {
    std::string deviceName{};
    Rect rect{};
    bool primary = false;
    std::int32_t bitsPerPixel = 32;
    std::int32_t refreshRate = 60;
    QImage picture{};
    MonitorHandle handle = 0;  // given by addMonitor
};

// A mode table entry: testMode answers testResult until it has answered
// testsBeforeChange times (-1: forever), then laterTestResult; applyMode
// answers applyResult when the test would pass.
struct FakeMode {
    DisplayMode mode;
    std::int32_t testResult = DispChange::Successful;
    int testsBeforeChange = -1;
    std::int32_t laterTestResult = DispChange::Failed;
    std::int32_t applyResult = DispChange::Successful;
    int testsAnswered = 0;
};
FakeMode fakeMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t frequency);

// What was injected through Pointer; a button event carries the pointer position.
struct InputEvent {
    enum class Kind { Move, Button };
    Kind kind = Kind::Move;
    Point position;
    MouseButton button = MouseButton::Left;
    bool down = false;
    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

// An applyMode (mode given) or restoreRegistered (none) call.
struct ModeChange {
    std::string device;  // resolved: never empty for the primary
    std::optional<DisplayMode> mode;
    std::uint32_t flags = 0;
    std::int32_t result = 0;
};

struct CaptionChange {
    QWidget* window = nullptr;
    bool shown = false;
    friend bool operator==(const CaptionChange&, const CaptionChange&) = default;
};

// What the desktop is and does; the services and monitor contexts share it.
struct FakeDesk {
    struct Device {
        std::vector<FakeMode> modes;
        std::optional<DisplayMode> current, registered;
        int testCount = 0;
    };
    std::vector<FakeMonitor> monitors;
    MonitorHandle nextHandle = 1;
    std::function<void()> layoutWatcher;
    bool captureStopped = false;

    Point pointer;
    std::shared_ptr<const CursorImage> cursor;
    int doubleClickMs = 500;
    std::vector<InputEvent> inputLog;
    bool buttonsAvailable = true;   // off: an X server without XTest
    bool positionReadable = true;   // off: Wayland
    bool positionKnown = true;      // off: GNOME while the pointer is hidden
    int buttonsBeforeFailure = -1;  // this many more button events succeed, the next one fails

    std::map<std::string, Device> devices;
    std::vector<ModeChange> modeChanges;
    bool modesResizeMonitors = true;  // a change resizes the device's monitor
    bool desktopConfirms = false;     // the desktop asks the user after a registered change (GNOME)
    bool storeFails = false;          // a registered change answers NotUpdated
    bool changesFail = false;         // every change and restore answers Failed
    int storeTakesMs = 0;             // a registered change waits this long, the event loop running

    std::vector<std::string> links;
    bool systemFullScreen = false;  // full screen is the window system's own state (Wayland)
    bool captionsSupported = true;
    std::vector<CaptionChange> captions;

    // Called with the name of every interface call, e.g. "Drawing::copy".
    std::function<void(const std::string& call)> hook;
    bool inHook = false;

    // The rectangle a monitor context reads and what changed there since it
    // last looked, in its own pixels.
    struct Watch {
        Rect area;
        MonitorChanges changes = MonitorChanges::everything();
    };
    std::vector<Watch*> watches;

    void call(const char* name);
    void damage(const Rect& r);
    FakeMonitor* find(const std::string& name);
    std::vector<MonitorInfo> enumerate() const;
    static QImage picture(const FakeMonitor& m);
    void readScreenInto(QImage& out, QPoint pos, const QRect& r) const;
    std::string resolve(const DeviceName& device) const;
    void followMode(const std::string& device, const DisplayMode& mode);
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    [[nodiscard]] Monitors& monitors() override;
    [[nodiscard]] Drawing& drawing() override;
    [[nodiscard]] Pointer& pointer() override;
    [[nodiscard]] DisplayModes& displayModes() override;
    [[nodiscard]] Shell& shell() override;
    [[nodiscard]] WindowStyle& windowStyle() override;
    // Everything above, for what has no setter of its own.
    [[nodiscard]] FakeDesk& desk() { return *d_; }

    // Monitors, in enumeration order. A device without a mode table gets one
    // mode, the monitor's size, depth and rate, current and registered.
    MonitorHandle addMonitor(FakeMonitor monitor);
    void removeMonitor(const std::string& deviceName);
    void setMonitorRect(const std::string& deviceName, const Rect& rect);
    void setPicture(const std::string& deviceName, const QImage& picture);
    // Draws into a monitor's picture at `at`, as an application would: only that part changes.
    void paint(const std::string& deviceName, QPoint at, const QImage& pixels);
    [[nodiscard]] QImage pictureOf(const std::string& deviceName) const;
    // Red = x mod 256, green = y mod 256, blue = tag.
    [[nodiscard]] static QImage coordinatePattern(QSize size, std::uint8_t tag);
    [[nodiscard]] static QImage solid(QSize size, QRgb colour);

    void setPointerPosition(Point p) { d_->pointer = p; }  // as the user moves it: not logged
    void setCursorImage(const QImage& image, Point hotspot);

    // Replaces a device's table; modes with id 0 are numbered 1, 2, … by
    // position. current/registered index the table (none: no such mode).
    void setModes(const std::string& device, std::vector<FakeMode> modes,
                  std::optional<std::size_t> current = 0,
                  std::optional<std::size_t> registered = std::nullopt /* = current */);
    [[nodiscard]] std::optional<DisplayMode> registeredMode(const std::string& device) const;
    [[nodiscard]] int testCount(const std::string& device) const;
    [[nodiscard]] const std::vector<ModeChange>& modeChanges() const { return d_->modeChanges; }
    void clearModeChanges() { d_->modeChanges.clear(); }
    void setModesResizeMonitors(bool on) { d_->modesResizeMonitors = on; }
    void setDesktopConfirmsRegisteredChanges(bool on) { d_->desktopConfirms = on; }
    void setStoreFails(bool fails) { d_->storeFails = fails; }
    void setModeChangesFail(bool fail) { d_->changesFail = fail; }
    void setStoreTakes(int ms) { d_->storeTakesMs = ms; }

    [[nodiscard]] const std::vector<std::string>& openedLinks() const { return d_->links; }
    void setSystemFullScreen(bool on) { d_->systemFullScreen = on; }
    void setCaptionsSupported(bool supported) { d_->captionsSupported = supported; }
    [[nodiscard]] const std::vector<CaptionChange>& captionChanges() const { return d_->captions; }
    // The hook may change the desktop (unplug a monitor, …) in the middle of a call.
    void setCallHook(std::function<void(const std::string& call)> hook) { d_->hook = std::move(hook); }

    struct Services;

private:
    std::shared_ptr<FakeDesk> d_;
    std::unique_ptr<Services> services_;
};

}  // namespace orvane::platform::fake
