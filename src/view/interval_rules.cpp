// The interval rules: seconds text to milliseconds and back.
#include <string>

#include "core/rounding.h"
#include "view/interval.h"

namespace orvane {

std::int32_t IntervalMs(const std::string& text) { return R(LeadingNumber(text) * 1000.0); }

std::int32_t TypedIntervalMs(const std::string& text) {
    std::int32_t ms = IntervalMs(text);
    if (ms > kMaxIntervalMs) ms = kMaxIntervalMs;
    if (ms < kMinIntervalMs) ms = kMinIntervalMs;
    return ms;
}

std::string SecondsText(std::int32_t ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);  // three digits
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + "秒";
}

}  // namespace orvane
