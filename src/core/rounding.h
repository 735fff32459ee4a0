// Number rules used wherever a fractional value becomes a whole one, and the
// number read from the start of a text ("125%" is 125, "0.5秒" is 0.5).
#pragma once

#include <cstdint>
#include <string_view>

namespace orvane {

// Nearest integer, halves to the even neighbour; saturates at the int32 range
// (NaN gives 0) so that a wild value never becomes undefined behaviour.
std::int32_t R(double x);

// The decimal number at the start of text after leading blanks: optional sign,
// digits, optional fraction, optional exponent. 0 when there is none.
double LeadingNumber(std::string_view text);

}  // namespace orvane
