// The arithmetic of pointer control, without a window: where a point of the
// view lies on the screen, where pursuit and grab scrolling put the scroll
// bars, and what each double-click action sends.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/monitor_entry.h"
#include "platform/geometry.h"
#include "platform/pointer.h"

namespace orvane {

// The screen point under view position (x, y): the exact inverse of the
// picture's mapping. The scroll position needs no term of its own because
// view positions are counted from the picture's corner.
platform::Point ViewToScreen(double x, double y, double zoomRate, std::int32_t viewLeft,
                             std::int32_t viewTop);

// A value limited to a scroll bar's range: above the maximum the maximum,
// else below the minimum the minimum.
std::int32_t LimitToRange(std::int32_t v, std::int32_t minimum, std::int32_t maximum);

// The scroll value that centres the pointer at screen coordinate `pointer`
// in a view `viewExtent` pixels long on one axis: R(max/2 - (extent/2 -
// (pointer - origin) * zoom)), limited to the range.
std::int32_t PursuitScrollValue(std::int32_t pointer, std::int32_t monitorOrigin, double zoomRate,
                                std::int32_t viewExtent, std::int32_t minimum, std::int32_t maximum);

// The scroll value that keeps the picture point pressed at `down` under the
// pointer now at `now` (both view positions on one axis).
std::int32_t GrabScrollValue(std::int32_t down, double now, std::int32_t value, std::int32_t minimum,
                             std::int32_t maximum);

// The first monitor whose rectangle holds p, or -1.
int MonitorIndexAt(const std::vector<MonitorEntry>& monitors, platform::Point p);

// The monitor the pointer is on and where, for pursuit; none when it is on none.
struct PointerOnMonitor {
    int monitor = -1;
    platform::Point position;
};
std::optional<PointerOnMonitor> FindPointerMonitor(platform::Pointer& pointer,
                                                   const std::vector<MonitorEntry>& monitors);

// What a double-click action code asks for.
struct DoubleClickAction {
    enum class Kind { Nothing, Move, Click, Unknown };
    Kind kind = Kind::Nothing;
    int button = 0;  // 1 left, 2 right, 4 middle (Click only)
    bool twice = false;
};
// Codes 2 and 3 click with the button last pressed in the view.
DoubleClickAction DoubleClickActionFor(std::int32_t code, int lastButton);

// One injected button event.
struct ButtonStep {
    platform::MouseButton button;
    bool down;
    friend bool operator==(const ButtonStep&, const ButtonStep&) = default;
};
// Every button up, left first, before anything is pressed.
std::vector<ButtonStep> ReleaseAllButtons();
// The down/up pair of one click (twice for a double click); empty for a
// button code that names no button.
std::vector<ButtonStep> ClickSequence(int button, bool twice);

// Button codes of a mouse event's buttons: 1 left, 2 right, 4 middle.
int ButtonCode(bool left, bool right, bool middle);

}  // namespace orvane
