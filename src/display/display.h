// The display modes of one monitor: reads every mode its device offers, keeps
// those that pass a test change, answers questions about them by index,
// applies one with the chosen change method and restores the registered mode.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/display_modes.h"

namespace orvane {

class Display {
public:
    // Room for the usable modes. A device offering more keeps the first
    // MaxModes in enumeration order and is not read any further: the count
    // stays a 16-bit number and no mode past the table is ever tested.
    static constexpr std::int16_t MaxModes = 1001;

    // Reads the modes of the display the program runs on (no device name).
    explicit Display(platform::DisplayModes& modes);

    // Fields of the usable mode at index (0 .. count − 1), 0 for any other
    // index except −1, which answers the device's current mode (0 when the
    // platform cannot tell). Values past 32767 read as 32767.
    [[nodiscard]] std::int16_t GetWidth(std::int16_t index) const;
    [[nodiscard]] std::int16_t GetHeight(std::int16_t index) const;
    [[nodiscard]] std::int16_t GetBit(std::int16_t index) const;
    [[nodiscard]] std::int16_t GetFreq(std::int16_t index) const;

    // Reads the usable modes of the named device (none: the program's own
    // display) and returns how many there are.
    std::int16_t GetDisplayMode(const platform::DeviceName& DisplayName = std::nullopt);

    // Applies the mode at index, or when index is out of range the first mode
    // with this width, height and depth. Returns the platform's result: the
    // failing test's code when the device now refuses the mode, BadMode when
    // no stored mode matches.
    std::int32_t ChangeDisplayMode(std::int16_t index, std::int16_t width, std::int16_t height,
                                   std::int16_t bit);

    [[nodiscard]] std::int16_t GetDisplayModeNumber() const;

    // Applies the mode at index for now only, whatever the change method: a
    // mode the user has yet to keep is registered nowhere meanwhile.
    std::int32_t TryDisplayMode(std::int16_t index);
    // Whether the change method registers the mode it applies.
    [[nodiscard]] bool Registers() const;
    // The mode the device shows now, whole (nullopt when the platform cannot
    // tell): what a change is taken back to, even where the monitor's box is
    // turned or scaled and its size matches no mode.
    [[nodiscard]] std::optional<platform::DisplayMode> ShownMode() const;
    // Shows `mode` again for now (taking a change back) and tells whether the
    // device shows it afterwards.
    bool ShowAgain(const platform::DisplayMode& mode);

    // Whether the desktop asks the user to keep a change made with this
    // change method (and takes it back by itself without an answer).
    [[nodiscard]] bool DesktopConfirmsChange() const;

    // Returns the device to its registered mode; the result is not needed.
    void RestoreSetting();

    // The change method: 1 registers the mode for the user, 2 for all users,
    // anything else changes it until the registered mode is restored.
    [[nodiscard]] std::int32_t UpdateRegistry() const;
    void UpdateRegistry(std::int32_t lNewValue);

private:
    enum class Field { Width, Height, Bits, Frequency };
    [[nodiscard]] std::int16_t field(std::int16_t index, Field f) const;
    [[nodiscard]] std::uint32_t changeFlags() const;
    std::int32_t apply(std::int16_t index, std::uint32_t flags);

    platform::DisplayModes& modes_;
    std::array<platform::DisplayMode, MaxModes> DevModes{};
    std::int16_t ModeCount = 0;
    platform::DeviceName DeviceName;
    std::int32_t updateRegistry_ = 0;
};

}  // namespace orvane
