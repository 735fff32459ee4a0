// The zoom rules: what a typed or chosen zoom text means, and the text shown
// for a typed value, and the stretch mode the settings ask for.
#pragma once

#include <cstdint>
#include <string>

#include "platform/drawing.h"

namespace orvane {

inline constexpr std::int32_t kMinZoomPercent = 10;
inline constexpr std::int32_t kMaxZoomPercent = 300;

// A typed zoom text as a whole percentage: rounded, then limited to 10..300.
std::int32_t TypedZoomPercent(const std::string& text);

// The zoom factor a combo text applies: its leading number truncated toward
// minus infinity, divided by 100.
double AppliedZoomRate(const std::string& text);

// "%3d%" without cutting: 10 gives " 10%", 300 gives "300%".
std::string ZoomText(std::int32_t percent);

// ZoomRate x 100 as the start-up puts it into the combo: 100, 125, 37.5.
std::string PlainNumber(double value);

// The stretch mode the settings ask for: StretchHalftone on means the simple one.
platform::StretchMode StretchModeSetting(bool stretchHalftone);

}  // namespace orvane
