#include "view/pointer_marker.h"

#include "core/app_state.h"
#include "core/rounding.h"

namespace orvane {

platform::Point ScreenToMonitor(platform::Point p) {
    return {p.x - AppState.ViewLeft, p.y - AppState.ViewTop};
}

QRect DotRect(platform::Point monitorPoint, double zoomRate, int side) {
    const int h = side / 2;
    return {R(monitorPoint.x * zoomRate - h), R(monitorPoint.y * zoomRate - h), side, side};
}

QString PositionText(platform::Point p) { return QStringLiteral("X = %1 Y = %2").arg(p.x).arg(p.y); }
}  // namespace orvane
