// Everything the picture a tick draws depends on besides the monitor's own
// pixels. When none of it changed since the last tick, the persistent image
// holds that picture except where the monitor was drawn on.
#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/drawing.h"
#include "platform/geometry.h"
#include "platform/monitors.h"
#include "view/pointer_marker.h"

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

// The pointer as one tick read it: where it stands and the marker drawn for
// it. Read once, so the record of what was drawn and the drawing agree.
struct PointerSnapshot {
    platform::Point position;
    std::optional<PointerMarker> marker;
};

// Which way the tick draws: through an unscaled copy (so the real pointer
// image scales with the picture) or straight into the view.
bool UsesBufferedPath(double zoomPercentOfText, int cursorListIndex);

enum class TickDrawing { LabelsOnly, ChangedPart, WholeFrame };

// What a tick draws: nothing but the labels when the kept image already shows
// this frame, only the changed part when just the monitor's pixels changed
// there (the buffered path copies the whole monitor anyway), else everything.
TickDrawing WhatTheTickDraws(bool keepsImage, const std::optional<TickInputs>& last, const TickInputs& now,
                             const platform::MonitorChanges& changes, bool bufferedPath);

}  // namespace orvane
