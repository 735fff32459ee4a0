// Rounding and leading-number rules.
#include "core/rounding.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orvane {

std::int32_t R(double x) {
    if (std::isnan(x)) return 0;
    const double r = std::nearbyint(x);  // default rounding mode: halves to even
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t begin = i;
    auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    while (isDigit(i)) ++i;
    bool digits = i > begin;
    if (i < text.size() && text[i] == '.') {
        const std::size_t point = i++;
        while (isDigit(i)) ++i;
        digits = digits || i > point + 1;
    }
    if (!digits) return 0.0;
    // from_chars is exact and ignores the locale Qt installs ("0.05" stays 0.05).
    double value = 0.0;
    std::from_chars(text.data() + begin, text.data() + i, value);
    return negative ? -value : value;
}

}  // namespace orvane
