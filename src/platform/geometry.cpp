// Which rectangle a window belongs to, shared by every backend.
#include "platform/geometry.h"

#include <algorithm>
#include <limits>

namespace orvane::platform {

Rect intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) return {};
    return r;
}

namespace {
// Distance between two intervals, 0 when they overlap or touch.
std::int64_t gap(std::int32_t a0, std::int32_t a1, std::int32_t b0, std::int32_t b1) {
    if (a1 <= b0) return static_cast<std::int64_t>(b0) - a1;
    if (b1 <= a0) return static_cast<std::int64_t>(a0) - b1;
    return 0;
}
}  // namespace

std::optional<std::size_t> bestRectFor(const std::vector<Rect>& candidates, const Rect& r) {
    if (candidates.empty()) return std::nullopt;
    std::optional<std::size_t> best;
    std::int64_t bestArea = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Rect s = intersect(candidates[i], r);
        const std::int64_t area = static_cast<std::int64_t>(s.width()) * s.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (best) return best;
    std::size_t nearest = 0;
    std::int64_t nearestDist = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Rect& c = candidates[i];
        const std::int64_t dx = gap(c.left, c.right, r.left, r.right);
        const std::int64_t dy = gap(c.top, c.bottom, r.top, r.bottom);
        const std::int64_t d = dx * dx + dy * dy;
        if (d < nearestDist) {
            nearestDist = d;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace orvane::platform
