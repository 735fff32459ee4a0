// A simulated desktop for tests: scriptable monitors with pictures, a pointer
// with a cursor image, mode tables and a log of everything injected. All of it
// lives in memory; drawing happens on QImages, so it runs under the offscreen
// Qt platform.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/image_view.h"
#include "platform/platform.h"

namespace orvane::platform::fake {

// One monitor as a test describes it. An empty picture shows the coordinate
// pattern (see coordinatePattern) with blue = the low byte of 40 × handle.
// A picture smaller than the monitor leaves the rest black; a larger one is cut.
struct FakeMonitor {
    std::string deviceName{};
    Rect rect{};
    bool primary = false;
    std::optional<Rect> work{};  // none: the whole monitor
    std::int32_t bitsPerPixel = 32;
    std::int32_t refreshRate = 60;
    QImage picture{};
};

// One entry of a device's mode table with its scripted answers.
struct FakeMode {
    DisplayMode mode;
    // What testMode answers, until it has answered testsBeforeChange times
    // (-1: forever); from then on it answers laterTestResult.
    std::int32_t testResult = DispChange::Successful;
    int testsBeforeChange = -1;
    std::int32_t laterTestResult = DispChange::Failed;
    // What applyMode answers when the test would pass; anything but
    // Successful changes nothing.
    std::int32_t applyResult = DispChange::Successful;
};

// A mode entry that always passes (id 0 means "numbered by setModes").
FakeMode fakeMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t frequency);

// Everything injected through Pointer, in order.
struct InputEvent {
    enum class Kind { Move, Button };
    Kind kind = Kind::Move;
    Point position;  // the pointer position when the event happened (Move: the new one)
    MouseButton button = MouseButton::Left;
    bool down = false;
    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

// Every applyMode and restoreRegistered call, in order.
struct ModeChange {
    std::string device;               // resolved: never empty for the primary
    std::optional<DisplayMode> mode;  // none: a restore of the registered mode
    std::uint32_t flags = 0;
    std::int32_t result = 0;
};

// Every caption WindowStyle::setCaption gave or took, in order.
struct CaptionChange {
    QWidget* window = nullptr;
    bool shown = false;
    friend bool operator==(const CaptionChange&, const CaptionChange&) = default;
};

class FakePlatform;
// The view: the in-memory view of platform/image, whose persistent image and
// shown picture are kept apart so tests can tell "drawn" from "presented".
using FakeViewSurface = image::ImageViewSurface;

// Drawing is platform/image's, on QImages (RGB32).
class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    [[nodiscard]] Monitors& monitors() override;
    [[nodiscard]] Drawing& drawing() override;
    [[nodiscard]] Pointer& pointer() override;
    [[nodiscard]] DisplayModes& displayModes() override;
    [[nodiscard]] Shell& shell() override;
    [[nodiscard]] WindowStyle& windowStyle() override;

    // --- monitors -------------------------------------------------------
    // Appends a monitor to the enumeration order; the handle stays its own
    // until it is removed. Unless the device already has a mode table it gets
    // one mode, the monitor's size, depth and rate, current and registered.
    MonitorHandle addMonitor(FakeMonitor monitor);
    void removeMonitor(const std::string& deviceName);
    void removeAllMonitors();
    // Moves or resizes; the work area follows unless it was set on its own.
    void setMonitorRect(const std::string& deviceName, const Rect& rect);
    void setWorkArea(const std::string& deviceName, const Rect& work);
    void setPrimary(const std::string& deviceName);  // the others lose the flag
    void setBitsPerPixel(const std::string& deviceName, std::int32_t bits);
    void setRefreshRate(const std::string& deviceName, std::int32_t hz);
    void setPicture(const std::string& deviceName, const QImage& picture);
    // Draws pixels into a monitor's picture with their top-left corner at
    // `at` (monitor pixels), as an application would: only that area changes.
    void paint(const std::string& deviceName, QPoint at, const QImage& pixels);
    // Enumeration order by device names; names not listed keep their order after them.
    void setOrder(const std::vector<std::string>& deviceNames);
    [[nodiscard]] MonitorHandle handleOf(const std::string& deviceName) const;  // 0 when none
    // The desktop stops the capture (the pictures stay as they are) or resumes it.
    void setCaptureStopped(bool stopped);
    // Tells the program's layout watcher that monitors changed, as a real
    // display server reports it after the changes above.
    void announceLayoutChange();
    // The picture a monitor shows, at its size (RGB32).
    [[nodiscard]] QImage pictureOf(const std::string& deviceName) const;
    // The whole virtual screen (the bounding box of the monitors), off-monitor area black.
    [[nodiscard]] QImage screenPicture() const;
    [[nodiscard]] Rect screenRect() const;

    // What enumerate() reports when there is no monitor: one primary monitor
    // of this device name covering screenRect() (the bounding box, which
    // with no monitors at all is 1920×1080 at the origin).
    static constexpr const char* kFallbackDeviceName = "SCREEN";
    static constexpr MonitorHandle kFallbackHandle = ~MonitorHandle{0};

    // Known pictures: red = x mod 256, green = y mod 256, blue = tag.
    [[nodiscard]] static QImage coordinatePattern(QSize size, std::uint8_t tag);
    // Cells of cell × cell pixels, a at (0, 0).
    [[nodiscard]] static QImage checkerboard(QSize size, QRgb a, QRgb b, int cell = 1);
    [[nodiscard]] static QImage solid(QSize size, QRgb colour);

    // --- pointer --------------------------------------------------------
    // Moves the pointer as the user would: nothing is logged.
    void setPointerPosition(Point p);
    // A new image gets a new serial.
    void setCursorImage(const QImage& image, Point hotspot);
    void setCursorVisible(bool visible);
    // cursorInfo() answers nullopt, as when the platform cannot read the image.
    void setCursorUnavailable(bool unavailable);
    void setDoubleClickTime(int ms);
    [[nodiscard]] const std::vector<InputEvent>& inputLog() const;
    void clearInputLog();
    // Off: buttons cannot be sent at all (an X server without XTest).
    void setButtonsAvailable(bool available);
    // Like Wayland: the pointer position cannot be read (canReadPosition() false).
    void setPositionReadable(bool readable);
    // Like GNOME while the pointer is hidden: positionKnown() false for now.
    void setPositionKnown(bool known);
    // After `sent` more successful button events the next one fails (nothing
    // is logged); the ones after it succeed again.
    void failOneButtonAfter(int sent);

    // --- display modes --------------------------------------------------
    // Replaces a device's table. Modes with id 0 are numbered 1, 2, … by
    // position. current/registered index the table (none: no such mode).
    // Devices need no monitor; a device with an empty table has no modes.
    void setModes(const std::string& device, std::vector<FakeMode> modes,
                  std::optional<std::size_t> current = 0,
                  std::optional<std::size_t> registered = std::nullopt /* = current */);
    [[nodiscard]] std::optional<DisplayMode> registeredMode(const std::string& device) const;
    // How often testMode was asked, per device.
    [[nodiscard]] int testCount(const std::string& device) const;
    [[nodiscard]] const std::vector<ModeChange>& modeChanges() const;
    void clearModeChanges();
    // When on (the default), a successful change or restore also resizes the
    // monitor of that device and sets its depth and rate.
    void setModesResizeMonitors(bool on);
    // When on, the desktop asks the user itself after every change that is
    // to be kept (UpdateRegistry), as GNOME does.
    void setDesktopConfirmsRegisteredChanges(bool on);
    // The desktop's store refuses to keep a mode: a change to be registered
    // answers NotUpdated and changes nothing.
    void setStoreFails(bool fails);
    // Every change and restore fails (Failed) and changes nothing.
    void setModeChangesFail(bool fail);
    // A change to be registered waits this long for the store, the event
    // loop running meanwhile as the real backends do.
    void setStoreTakes(int ms);

    // --- drawing --------------------------------------------------------
    // The pixels of any surface this platform made (RGB32, its full size;
    // for a view the parts outside the visible window are black).
    [[nodiscard]] static QImage imageOf(Surface& surface);
    [[nodiscard]] int flushCount() const;
    // Views created and not yet destroyed, oldest first.
    [[nodiscard]] std::vector<FakeViewSurface*> views() const;

    // --- shell ----------------------------------------------------------
    [[nodiscard]] const std::vector<std::string>& openedLinks() const;
    void setOpenLinkResult(bool result);

    // --- window style -----------------------------------------------------
    // Whether a window manager runs (default: yes).
    void setWindowManager(bool running);
    // Like Wayland: full screen is the window system's own state.
    void setSystemFullScreen(bool on);
    // Off: setCaption answers that it cannot change captions.
    void setCaptionsSupported(bool supported);
    [[nodiscard]] const std::vector<CaptionChange>& captionChanges() const;

    // --- scripting between calls -----------------------------------------
    // Called at the start of every interface call with its name, e.g.
    // "Monitors::enumerate", "Drawing::copy", "DisplayModes::applyMode";
    // a test may change the desktop here (unplug a monitor, …).
    void setCallHook(std::function<void(const std::string& call)> hook);

    struct State;

private:
    std::shared_ptr<State> state_;
    struct Services;
    std::unique_ptr<Services> services_;
};

}  // namespace orvane::platform::fake
