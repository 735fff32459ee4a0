// Rectangles and points in virtual-screen pixels, in the window system's own
// convention: right and bottom lie just outside the rectangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

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

// Index of the rectangle sharing the largest area with r; when r touches none,
// the nearest one (ties go to the lower index). nullopt only for an empty list.
std::optional<std::size_t> bestRectFor(const std::vector<Rect>& candidates, const Rect& r);

Rect intersect(const Rect& a, const Rect& b);  // empty rectangles come back as all zero

}  // namespace orvane::platform
