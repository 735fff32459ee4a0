// Where the pointer is on the desktop, from the streams' cursor reports.
#include "platform/screencast/cursor_rules.h"

#include <cmath>

namespace orvane::platform::screencast {

Point StreamToLayout(QPoint position, QSize streamSize, const Rect& monitor) {
    const auto scaled = [](int v, int from, int to) {
        if (from <= 0 || from == to) return v;
        return static_cast<int>(std::floor(static_cast<double>(v) * to / from));
    };
    return {monitor.left + scaled(position.x(), streamSize.width(), monitor.width()),
            monitor.top + scaled(position.y(), streamSize.height(), monitor.height())};
}

std::optional<Point> PointerFromStreams(const std::vector<StreamCursor>& streams) {
    const StreamCursor* newest = nullptr;
    for (const StreamCursor& s : streams)
        if (s.visible && s.seq != 0 && (!newest || s.seq > newest->seq)) newest = &s;
    if (!newest) return std::nullopt;
    return StreamToLayout(newest->position, newest->streamSize, newest->monitor);
}

}  // namespace orvane::platform::screencast
