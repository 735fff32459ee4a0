// The watched monitor's modes grouped by screen size, in the order each size
// first occurs in its mode table (nothing is sorted).
#pragma once

#include <vector>

#include "core/app_state.h"

namespace orvane {

class Display;

// With no display or no usable mode: one zero-filled size with one entry.
std::vector<SizeInfo> BuildDisplaySettingInfo(Display* d);
inline std::vector<SizeInfo> BuildDisplaySettingInfo(Display& d) { return BuildDisplaySettingInfo(&d); }

}  // namespace orvane
