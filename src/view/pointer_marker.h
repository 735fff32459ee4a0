// Where the pointer marker goes: monitor coordinates of a screen point, the
// inverted square of a dot style, and the text of the pointer labels.
#pragma once

#include <QRect>
#include <QString>
#include <optional>

#include "platform/geometry.h"
#include "platform/pointer.h"

namespace orvane {

// The point relative to the watched monitor's top-left corner, not zoomed.
platform::Point ScreenToMonitor(platform::Point p);
// The side x side square of a dot marker in view pixels.
QRect DotRect(platform::Point monitorPoint, double zoomRate, int side);
// What a tick draws as the pointer marker and the rectangle it covers in the
// surface drawn into: an inverted dot, or the pointer image (`cursor`).
struct PointerMarker {
    QRect rect;
    std::optional<platform::CursorInfo> cursor;
};

// "X = 15 Y = -12"
QString PositionText(platform::Point p);

}  // namespace orvane
