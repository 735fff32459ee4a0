// Everything the picture a tick draws depends on besides the monitor's own
// pixels. When none of it changed since the last tick, the persistent image
// holds that picture except where the monitor was drawn on.
#pragma once

#include <QRect>
#include <QString>
#include <cstdint>

#include "platform/drawing.h"
#include "platform/geometry.h"
#include "platform/monitors.h"

namespace orvane {

struct TickInputs {
    const platform::MonitorContext* source = nullptr;
    QRect viewRect;
    QSize frameSize;
    unsigned long long window = 0;  // the view's native window
    double zoomRate = 0;
    QString zoomText;
    int cursorIndex = -1;
    std::int32_t cursorStyle = 0;
    std::int32_t viewWidth = 0;
    std::int32_t viewHeight = 0;
    platform::StretchMode stretchMode = platform::StretchMode::Simple;
    bool markerDrawn = false;
    platform::Point pointer;  // only while a marker is drawn
    std::uint64_t cursorSerial = 0;
    platform::Point cursorPosition;
    friend bool operator==(const TickInputs&, const TickInputs&) = default;
};

}  // namespace orvane
