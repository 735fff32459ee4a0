// Assembles the portal backend: monitors and their screen cast, drawing in
// memory, the pointer through the portal's remote desktop, display modes that
// cannot change, and the window's frame.
#include "platform/portal/portal_platform.h"

#include "platform/portal/portal_screen.h"
#include "platform/screencast/cast_platform.h"

namespace orvane::platform::portal {

namespace {

using namespace screencast;

// A display mode as the portal knows it: only the one each monitor shows.
DisplayMode CurrentModeOf(int width, int height, int refreshHz) {
    return {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 32,
            static_cast<std::uint32_t>(refreshHz > 0 ? refreshHz : 60), 0};
}

// The portal offers no way to change a mode: each monitor has the one it
// shows, and any other is refused as a mode the monitor does not have.
class PortalDisplayModes : public DisplayModes {
public:
    explicit PortalDisplayModes(PortalScreen& screen) : screen_(screen) {}
    bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override {
        const std::optional<DisplayMode> m = currentMode(device);
        if (!m || n != 0) return false;
        out = *m;
        return true;
    }
    std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override {
        const std::optional<DisplayMode> m = currentMode(device);
        if (!m) return DispChange::BadParam;
        return same(*m, mode) ? DispChange::Successful : DispChange::BadMode;
    }
    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t) override {
        return testMode(device, mode);  // the mode shown already is all there is
    }
    std::int32_t restoreRegistered(const DeviceName& device) override {
        return currentMode(device) ? DispChange::Successful : DispChange::BadParam;
    }
    std::optional<DisplayMode> currentMode(const DeviceName& device) override {
        for (const CastMonitor& m : screen_.monitors())
            if (device ? m.info.deviceName == *device : m.info.primary)
                return CurrentModeOf(m.info.monitor.width(), m.info.monitor.height(), m.refreshHz);
        if (!device && !screen_.monitors().empty()) {
            const CastMonitor& m = screen_.monitors().front();
            return CurrentModeOf(m.info.monitor.width(), m.info.monitor.height(), m.refreshHz);
        }
        return std::nullopt;
    }

private:
    static bool same(const DisplayMode& a, const DisplayMode& b) {
        return a.width == b.width && a.height == b.height && (b.frequency == 0 || a.frequency == b.frequency);
    }
    PortalScreen& screen_;
};

}  // namespace

std::unique_ptr<Platform> createPlatform(std::string& why) {
    auto screen = PortalScreen::open(why);
    if (!screen) return nullptr;
    auto modes = std::make_unique<PortalDisplayModes>(*screen);
    return screencast::castPlatform(std::move(screen), std::move(modes));
}

}  // namespace orvane::platform::portal
