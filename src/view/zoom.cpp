// The zoom rules: what a typed or listed zoom text means.
#include "view/zoom.h"

#include <cmath>
#include <cstdio>

#include "core/rounding.h"

namespace orvane {

std::int32_t TypedZoomPercent(const std::string& text) {
    std::int32_t v = R(LeadingNumber(text));
    if (v > kMaxZoomPercent) v = kMaxZoomPercent;
    if (v < kMinZoomPercent) v = kMinZoomPercent;
    return v;
}

double AppliedZoomRate(const std::string& text) { return std::floor(LeadingNumber(text)) / 100.0; }

std::string ZoomText(std::int32_t percent) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%3d%%", percent);
    return buffer;
}

std::string PlainNumber(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

platform::StretchMode StretchModeSetting(bool stretchHalftone) {
    return stretchHalftone ? platform::StretchMode::Simple : platform::StretchMode::Quality;
}
}  // namespace orvane
