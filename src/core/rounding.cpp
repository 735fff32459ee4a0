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
    // An exponent counts only with at least one digit ("1e2" is 100, "1e" is 1).
    bool hugeExponent = false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        if (isDigit(k)) {
            hugeExponent = text[i + 1] != '-';
            while (isDigit(k)) ++k;
            i = k;
        }
    }
    // from_chars is exact and ignores the locale Qt installs ("0.05" stays 0.05).
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + begin, text.data() + i, value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        value = hugeExponent ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

}  // namespace orvane
