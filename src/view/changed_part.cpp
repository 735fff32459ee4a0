#include "view/changed_part.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// How far (source pixels) the picture of one source pixel spreads along an
// axis shrunk or grown from `from` to `to` pixels.
int SamplerReach(int from, int to, platform::StretchMode mode) {
    if (from == to) return 0;
    if (mode == platform::StretchMode::Simple) return 1;
    // Area averaging halves until the last step is at most 2:1, then blends
    // neighbours of that level: a level pixel spans up to twice the ratio.
    const double shrink = static_cast<double>(from) / to;
    return 2 * static_cast<int>(std::ceil(std::max(shrink, 1.0))) + 2;
}

// [first, last] source pixels, grown by reach, in view pixels of that axis.
std::pair<int, int> ToView(int first, int last, int reach, int from, int to) {
    if (from == to) return {first, last};
    const double s = static_cast<double>(to) / from;
    const int lo = static_cast<int>(std::floor((first - reach) * s)) - 1;
    const int hi = static_cast<int>(std::ceil((last + 1 + reach) * s)) + 1;
    return {std::max(lo, 0), std::min(hi, to) - 1};
}

}  // namespace

QRegion ChangedViewRegion(const QRegion& monitorRegion, QSize monitorSize, QSize viewSize,
                          platform::StretchMode mode) {
    if (monitorSize.isEmpty() || viewSize.isEmpty()) return {};
    const QRegion inside = monitorRegion & QRect(QPoint(0, 0), monitorSize);
    const int rx = SamplerReach(monitorSize.width(), viewSize.width(), mode);
    const int ry = SamplerReach(monitorSize.height(), viewSize.height(), mode);
    QRegion out;
    auto add = [&](const QRect& r) {
        const auto [left, right] = ToView(r.left(), r.right(), rx, monitorSize.width(), viewSize.width());
        const auto [top, bottom] = ToView(r.top(), r.bottom(), ry, monitorSize.height(), viewSize.height());
        if (left <= right && top <= bottom) out += QRect(QPoint(left, top), QPoint(right, bottom));
    };
    if (inside.rectCount() > kMaxChangedPieces) {
        add(inside.boundingRect());
    } else {
        for (const QRect& r : inside) add(r);
    }
    if (out.rectCount() > kMaxChangedPieces) return out.boundingRect();
    return out;
}

}  // namespace orvane
