// Display modes on GNOME through mutter's display configuration: a change for
// the session with its temporary method (nothing written), one meant to last
// with its persistent method (GNOME Shell then asks the user to keep it).
#pragma once

#include <map>
#include <string>

#include "platform/desktop/gnome_display_config.h"
#include "platform/display_modes.h"

namespace orvane::platform::gnome {

class GnomeDisplayModes : public DisplayModes {
public:
    [[nodiscard]] bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override;
    [[nodiscard]] std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override;
    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) override;
    std::int32_t restoreRegistered(const DeviceName& device) override;
    [[nodiscard]] std::optional<DisplayMode> currentMode(const DeviceName& device) override;
    [[nodiscard]] bool desktopConfirmsChange(std::uint32_t flags) const override {
        return (flags & ChangeFlags::UpdateRegistry) != 0 && desktop::gnomeStore()->confirmsChangeItself();
    }

private:
    // The monitor a device names (the primary one for none) in a fresh state.
    const desktop::gnome::Monitor* monitorOf(const DeviceName& device);
    std::int32_t apply(const std::string& connector, const DisplayMode& mode, quint32 method);

    desktop::gnome::State state_;
    // Per monitor, the mode it showed before the program's own change for the
    // session, and that change, so only the program's own change is undone.
    std::map<std::string, std::pair<DisplayMode, DisplayMode>> changed_;
};

// A service mode as the program's display mode (32 bits a pixel: frames come so).
DisplayMode ModeOf(const desktop::gnome::Mode& mode, std::uint64_t id);

}  // namespace orvane::platform::gnome
