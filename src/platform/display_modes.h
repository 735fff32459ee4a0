// Display modes of one monitor: enumerate, test, apply (temporarily or as the
// registered mode) and restore the registered mode. Results use the classic
// display-change codes so callers can tell success from the kinds of failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane::platform {

namespace DispChange {
inline constexpr std::int32_t Successful = 0;
inline constexpr std::int32_t Restart = 1;
inline constexpr std::int32_t Failed = -1;
inline constexpr std::int32_t BadMode = -2;
inline constexpr std::int32_t NotUpdated = -3;
inline constexpr std::int32_t BadFlags = -4;
inline constexpr std::int32_t BadParam = -5;
}  // namespace DispChange

// Flags of a mode change.
namespace ChangeFlags {
inline constexpr std::uint32_t Temporary = 0;
inline constexpr std::uint32_t UpdateRegistry = 1;
inline constexpr std::uint32_t Global = 8;
}  // namespace ChangeFlags

struct DisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t frequency = 0;  // Hz, rounded
    std::uint64_t id = 0;         // the platform's own identity of the mode
    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// A device is named by its monitor's device name; no name means the display
// the program runs on (the primary monitor).
using DeviceName = std::optional<std::string>;

class DisplayModes {
public:
    virtual ~DisplayModes() = default;
    // Mode number n of the device, in the platform's order; false past the last.
    [[nodiscard]] virtual bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) = 0;
    // Would the device accept this mode? Successful or a failure code.
    [[nodiscard]] virtual std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) = 0;
    // Sets the mode now; with UpdateRegistry it also becomes the registered mode,
    // or, when it cannot be kept so, is taken back and NotUpdated returned.
    virtual std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) = 0;
    // Returns the device to its registered mode. (X11: undoes only the
    // program's own temporary change, and only while the device still shows
    // it; a mode someone else set meanwhile is kept.)
    virtual std::int32_t restoreRegistered(const DeviceName& device) = 0;
    // The mode the device shows now (for queries without a mode table).
    [[nodiscard]] virtual std::optional<DisplayMode> currentMode(const DeviceName& device) = 0;
    // Whether the desktop itself asks the user to keep a change made with
    // these flags, and goes back by itself without an answer (GNOME does for
    // the modes it keeps); then the program need not ask as well.
    [[nodiscard]] virtual bool desktopConfirmsChange(std::uint32_t flags) const {
        (void)flags;
        return false;
    }
};

}  // namespace orvane::platform
