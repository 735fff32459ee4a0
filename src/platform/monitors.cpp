#include "platform/monitors.h"

namespace orvane::platform {

MonitorHandle monitorHoldingMost(const std::vector<MonitorInfo>& list, const Rect& windowRect) {
    std::vector<Rect> rects;
    rects.reserve(list.size());
    for (const MonitorInfo& m : list) rects.push_back(m.monitor);
    return list[bestRectFor(rects, windowRect).value_or(0)].handle;
}

std::vector<MonitorInfo> WithStandIn(std::vector<MonitorInfo> list) {
    if (list.empty()) list.push_back({1, {0, 0, 640, 480}, {0, 0, 640, 480}, true, ""});
    return list;
}

}  // namespace orvane::platform
