// Where the pointer marker goes: monitor coordinates of a screen point, the
// inverted square of a dot style, and the text of the pointer labels.
#pragma once

#include <QRect>
#include <QString>

#include "platform/geometry.h"

namespace orvane {

// The point relative to the watched monitor's top-left corner, not zoomed.
platform::Point ScreenToMonitor(platform::Point p);
// The side x side square of a dot marker in view pixels.
QRect DotRect(platform::Point monitorPoint, double zoomRate, int side);
// "X = 15 Y = -12"
QString PositionText(platform::Point p);

}  // namespace orvane
