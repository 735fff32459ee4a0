// Rectangles and points in virtual-screen pixels, in the window system's own
// convention: right and bottom lie just outside the rectangle.
#pragma once

#include <cstdint>

namespace orvane::platform {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    [[nodiscard]] std::int32_t width() const { return right - left; }
    [[nodiscard]] std::int32_t height() const { return bottom - top; }
    // Left and top edges inclusive, right and bottom exclusive.
    [[nodiscard]] bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace orvane::platform
