#include "view/tick.h"

#include <cmath>

namespace orvane {

bool UsesBufferedPath(double zoomPercentOfText, int cursorListIndex) {
    return std::floor(zoomPercentOfText) != 100 && cursorListIndex == 0;
}

TickDrawing WhatTheTickDraws(bool keepsImage, const std::optional<TickInputs>& last, const TickInputs& now,
                             const platform::MonitorChanges& changes, bool bufferedPath) {
    const bool sameFrame = keepsImage && last && *last == now;
    if (sameFrame && !changes.any()) return TickDrawing::LabelsOnly;
    if (sameFrame && !changes.all && !bufferedPath) return TickDrawing::ChangedPart;
    return TickDrawing::WholeFrame;
}
}  // namespace orvane
