// Which pixels of the view a change on the watched monitor reaches, so a tick
// redraws only those: a small change (a clock, a typed letter) costs a small
// redraw instead of a whole frame.
#pragma once

#include <QRegion>
#include <QSize>

#include "platform/drawing.h"

namespace orvane {

// monitorRegion is in the monitor's pixels, the result in the view's. The view
// shows the whole monitor (monitorSize) stretched to viewSize. Each changed
// rectangle grows by what the sampler reads around a pixel: one pixel for
// nearest sampling, the halving chain's reach for area averaging. A region of
// many rectangles becomes its bounding rectangle: past a few dozen pieces one
// larger draw is cheaper than many small ones.
QRegion ChangedViewRegion(const QRegion& monitorRegion, QSize monitorSize, QSize viewSize,
                          platform::StretchMode mode);

// Beyond this many rectangles a region is drawn as its bounding rectangle.
inline constexpr int kMaxChangedPieces = 64;

}  // namespace orvane
