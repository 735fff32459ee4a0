// The display modes of one monitor, on top of the platform's mode service.
#include "display/display.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace orvane {

namespace {

std::int16_t toInt16(std::uint32_t v) {
    return static_cast<std::int16_t>(std::min<std::uint32_t>(v, std::numeric_limits<std::int16_t>::max()));
}

}  // namespace

Display::Display(platform::DisplayModes& modes) : modes_(modes) { GetDisplayMode(std::nullopt); }

std::int16_t Display::field(std::int16_t index, Field f) const {
    std::optional<platform::DisplayMode> mode;
    if (index == -1)
        mode = modes_.currentMode(DeviceName);
    else if (index >= 0 && index < ModeCount)
        mode = DevModes[static_cast<std::size_t>(index)];
    if (!mode) return 0;
    switch (f) {
        case Field::Width:
            return toInt16(mode->width);
        case Field::Height:
            return toInt16(mode->height);
        case Field::Bits:
            return toInt16(mode->bitsPerPixel);
        case Field::Frequency:
            return toInt16(mode->frequency);
    }
    return 0;
}

std::int16_t Display::GetWidth(std::int16_t index) const { return field(index, Field::Width); }
std::int16_t Display::GetHeight(std::int16_t index) const { return field(index, Field::Height); }
std::int16_t Display::GetBit(std::int16_t index) const { return field(index, Field::Bits); }
std::int16_t Display::GetFreq(std::int16_t index) const { return field(index, Field::Frequency); }

std::int16_t Display::GetDisplayMode(const platform::DeviceName& DisplayName) {
    DeviceName = DisplayName;
    ModeCount = 0;
    // A full table ends the reading: a later mode would have no slot.
    for (std::uint32_t n = 0; ModeCount < MaxModes; ++n) {
        platform::DisplayMode& slot = DevModes[static_cast<std::size_t>(ModeCount)];
        if (!modes_.enumMode(DeviceName, n, slot)) break;
        if (modes_.testMode(DeviceName, slot) == platform::DispChange::Successful) ++ModeCount;
    }
    return ModeCount;
}

std::uint32_t Display::changeFlags() const {
    if (updateRegistry_ == 1) return platform::ChangeFlags::UpdateRegistry;
    if (updateRegistry_ == 2) return platform::ChangeFlags::UpdateRegistry | platform::ChangeFlags::Global;
    return platform::ChangeFlags::Temporary;
}

bool Display::DesktopConfirmsChange() const { return modes_.desktopConfirmsChange(changeFlags()); }

std::int32_t Display::ChangeDisplayMode(std::int16_t index, std::int16_t width, std::int16_t height,
                                        std::int16_t bit) {
    if (index >= 0 && index < ModeCount) return apply(index, changeFlags());
    for (std::int16_t i = 0; i < ModeCount; ++i)
        if (GetWidth(i) == width && GetHeight(i) == height && GetBit(i) == bit)
            return ChangeDisplayMode(i, width, height, bit);
    // Nothing matched, so nothing was changed: say so rather than "successful".
    return platform::DispChange::BadMode;
}

std::int32_t Display::apply(std::int16_t index, std::uint32_t flags) {
    const platform::DisplayMode& mode = DevModes[static_cast<std::size_t>(index)];
    const std::int32_t test = modes_.testMode(DeviceName, mode);
    // A refused test reports its own code: 0 would tell the caller the change worked.
    if (test != platform::DispChange::Successful) return test;
    return modes_.applyMode(DeviceName, mode, flags);
}

std::int16_t Display::GetDisplayModeNumber() const { return ModeCount; }

std::int32_t Display::TryDisplayMode(std::int16_t index) {
    if (index < 0 || index >= ModeCount) return platform::DispChange::BadMode;
    return apply(index, platform::ChangeFlags::Temporary);
}

bool Display::Registers() const { return changeFlags() != platform::ChangeFlags::Temporary; }

std::optional<platform::DisplayMode> Display::ShownMode() const { return modes_.currentMode(DeviceName); }

bool Display::ShowAgain(const platform::DisplayMode& mode) {
    // The platform's own identity of a mode may change when modes are added
    // again; what the user sees is size, depth and rate.
    auto shows = [&] {
        const auto now = ShownMode();
        return now && now->width == mode.width && now->height == mode.height &&
               now->bitsPerPixel == mode.bitsPerPixel && now->frequency == mode.frequency;
    };
    if (shows()) return true;
    modes_.applyMode(DeviceName, mode, platform::ChangeFlags::Temporary);
    return shows();
}

void Display::RestoreSetting() { modes_.restoreRegistered(DeviceName); }

std::int32_t Display::UpdateRegistry() const { return updateRegistry_; }

void Display::UpdateRegistry(std::int32_t lNewValue) { updateRegistry_ = lNewValue; }

}  // namespace orvane
