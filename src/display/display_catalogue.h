// The watched monitor's modes grouped by screen size, in the order each size
// first occurs in its mode table (nothing is sorted).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/app_state.h"

namespace orvane {

class Display;

// With no display or no usable mode: one zero-filled size with one entry.
std::vector<SizeInfo> BuildDisplaySettingInfo(Display* d);
inline std::vector<SizeInfo> BuildDisplaySettingInfo(Display& d) { return BuildDisplaySettingInfo(&d); }

// A value in `placeholders` character places, filled from the right with
// blanks before it; a longer value is shown whole.
std::string PlaceholderText(const std::string& value, int placeholders);
// "1280 x 1024", " 800 x  600".
std::string SizeItemText(std::int32_t width, std::int32_t height);
// "32bit /60hz", " 8bit /75hz".
std::string DepthFrequencyItemText(std::int32_t bits, std::int32_t frequency);
// "1024x768 / 32bit / 60hz".
std::string ModeText(std::int32_t width, std::int32_t height, std::int32_t bits, std::int32_t frequency);
// "現在の設定:1024x768 / 32bit / 60hz".
std::string CurrentModeText(std::int32_t width, std::int32_t height, std::int32_t bits,
                            std::int32_t frequency);

}  // namespace orvane
