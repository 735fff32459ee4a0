#include "pointer/pointer_rules.h"

#include "core/rounding.h"

namespace orvane {

platform::Point ViewToScreen(double x, double y, double zoomRate, std::int32_t viewLeft,
                             std::int32_t viewTop) {
    return {R(x / zoomRate + viewLeft), R(y / zoomRate + viewTop)};
}

std::int32_t LimitToRange(std::int32_t v, std::int32_t minimum, std::int32_t maximum) {
    if (v > maximum) return maximum;
    if (v < minimum) return minimum;
    return v;
}

std::int32_t PursuitScrollValue(std::int32_t pointer, std::int32_t monitorOrigin, double zoomRate,
                                std::int32_t viewExtent, std::int32_t minimum, std::int32_t maximum) {
    const double v = static_cast<double>(maximum) / 2.0 -
                     (static_cast<double>(viewExtent) / 2.0 -
                      (static_cast<double>(pointer) - static_cast<double>(monitorOrigin)) * zoomRate);
    return LimitToRange(R(v), minimum, maximum);
}

std::int32_t GrabScrollValue(std::int32_t down, double now, std::int32_t value, std::int32_t minimum,
                             std::int32_t maximum) {
    return LimitToRange(R(static_cast<double>(down) - now + static_cast<double>(value)), minimum, maximum);
}

int MonitorIndexAt(const std::vector<MonitorEntry>& monitors, platform::Point p) {
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].rcMonitor.contains(p)) return static_cast<int>(i);
    return -1;
}

std::optional<PointerOnMonitor> FindPointerMonitor(platform::Pointer& pointer,
                                                   const std::vector<MonitorEntry>& monitors) {
    // The pointer may move between two readings: each monitor is tested
    // against a fresh one.
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const platform::Point p = pointer.position();
        if (monitors[i].rcMonitor.contains(p)) return PointerOnMonitor{static_cast<int>(i), p};
    }
    return std::nullopt;
}

DoubleClickAction DoubleClickActionFor(std::int32_t code, int lastButton) {
    using K = DoubleClickAction::Kind;
    switch (code) {
        case 0:
            return {K::Nothing, 0, false};
        case 1:
            return {K::Move, 0, false};
        case 2:
            return {K::Click, lastButton, false};
        case 3:
            return {K::Click, lastButton, true};
        case 4:
            return {K::Click, 1, false};
        case 5:
            return {K::Click, 1, true};
        case 6:
            return {K::Click, 4, false};
        case 7:
            return {K::Click, 4, true};
        case 8:
            return {K::Click, 2, false};
        case 9:
            return {K::Click, 2, true};
        default:
            return {K::Unknown, 0, false};
    }
}

std::vector<ButtonStep> ReleaseAllButtons() {
    using B = platform::MouseButton;
    return {{B::Left, false}, {B::Middle, false}, {B::Right, false}};
}

std::vector<ButtonStep> ClickSequence(int button, bool twice) {
    platform::MouseButton b;
    switch (button) {
        case 1:
            b = platform::MouseButton::Left;
            break;
        case 2:
            b = platform::MouseButton::Right;
            break;
        case 4:
            b = platform::MouseButton::Middle;
            break;
        default:
            return {};
    }
    std::vector<ButtonStep> steps{{b, true}, {b, false}};
    if (twice) steps.insert(steps.end(), {{b, true}, {b, false}});
    return steps;
}

int ButtonCode(bool left, bool right, bool middle) {
    return (left ? 1 : 0) | (right ? 2 : 0) | (middle ? 4 : 0);
}

}  // namespace orvane
