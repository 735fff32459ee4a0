// Where the pointer is, from the cursor data that comes with each monitor's
// screen-cast stream (mutter's or a portal's): only the stream of the monitor the
// pointer is on reports a position, in that stream's pixels; the others
// report it hidden.
#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"

namespace orvane::platform::screencast {

// A stream's latest cursor report.
struct StreamCursor {
    bool visible = false;
    QPoint position;         // in the stream's pixels
    QSize streamSize;        // the stream's frame size in pixels
    Rect monitor;            // the monitor's place in the layout (logical pixels)
    std::uint64_t seq = 0;   // when it was reported: larger is newer; 0 never
};

// A position in a stream's pixels as a layout position: the stream shows the
// monitor at its own scale, the layout counts logical pixels.
Point StreamToLayout(QPoint position, QSize streamSize, const Rect& monitor);

// The pointer's layout position: the newest report among the streams that
// show it. When the pointer crosses from one monitor to another both streams
// report, in either order; the one that still shows it is the one it is on.
// None while every stream reports it hidden (it is hidden, or has not moved
// since the streams started).
std::optional<Point> PointerFromStreams(const std::vector<StreamCursor>& streams);

// A buffer whose chunk is empty or flagged corrupted carries no picture: mutter
// sends such buffers when only the pointer moved.
constexpr bool BufferHasPicture(std::uint32_t chunkSize, bool corrupted) { return chunkSize > 0 && !corrupted; }

}  // namespace orvane::platform::screencast
