// The refresh interval rules: typed seconds to milliseconds, and the seconds
// text the combo shows ("5秒", "0.5秒", "0.013秒").
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

inline constexpr std::int32_t kMinIntervalMs = 10;
inline constexpr std::int32_t kMaxIntervalMs = 60000;

// The milliseconds of a seconds text, unlimited: R(leading number x 1000).
std::int32_t IntervalMs(const std::string& text);
// The same, limited to 10..60000 as typed values are.
std::int32_t TypedIntervalMs(const std::string& text);
std::string SecondsText(std::int32_t ms);

}  // namespace orvane
