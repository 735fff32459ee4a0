// The view's renderer: each tick it draws the watched monitor into the view
// (plain at 100 %, stretched otherwise; only the part that changed when that
// is all that did), the pointer marker over it, and presents. It keeps the
// record of what the last whole frame depended on, and the request to draw
// again as soon as the event loop is free.
#pragma once

#include <QRegion>
#include <QSize>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "view/pointer_marker.h"
#include "view/tick.h"

namespace orvane {

// What the renderer asks of the window whose view it draws.
class ViewWindow {
public:
    virtual ~ViewWindow() = default;
    // The frame's inner area in the view's (screen) pixels.
    [[nodiscard]] virtual QSize FrameViewPixels() const = 0;
    // The zoom list's text, the marker list's choice and its dot size.
    [[nodiscard]] virtual QString ZoomListText() const = 0;
    [[nodiscard]] virtual int MarkerListIndex() const = 0;
    [[nodiscard]] virtual int MarkerDotSide() const = 0;
    // The watched monitor's place in MonitorTable; -1 for none.
    [[nodiscard]] virtual int WatchedIndex() const = 0;
    virtual void ShowPointerLabels(platform::Point p) = 0;
};

class ViewRenderer {
public:
    // `monitor` is the watched monitor's context, held by the window.
    ViewRenderer(platform::Platform& platform, ViewWindow& window,
                 const std::unique_ptr<platform::MonitorContext>& monitor);

    void SetView(platform::ViewSurface* view) { view_ = view; }

    // The tick's drawing: the watched monitor into the view, marker, labels.
    void Render();
    // Draws the view once the event loop is free, not at the next tick.
    void RedrawSoon();
    void StopRedraw() { redrawSoon_.stop(); }
    // A whole frame, for the pointer as read now or as the tick read it.
    void DrawFrame();
    void DrawFrame(const PointerSnapshot& pointer);
    // The window system lost part of the view: draw it again now.
    void RedrawLostPart(const QRegion& lost);
    PointerSnapshot ReadPointer();
    // The marker for the pointer at p; none when it is elsewhere or has no image.
    std::optional<PointerMarker> CurrentMarker(platform::Point p);
    [[nodiscard]] bool OnWatchedMonitor(platform::Point p) const;
    // The labels, then the marker into the surface.
    void DrawMouseCursor(platform::Surface& target, const PointerSnapshot& pointer);

private:
    // Draws part of the view (view coordinates) from the watched monitor, the marker over it.
    void DrawViewPart(QRegion part, const std::optional<PointerMarker>& marker);
    // Redraws only the view pixels the monitor's changed region reaches.
    void DrawChangedPart(const QRegion& monitorRegion, platform::Point pointer,
                         const std::optional<PointerMarker>& marker);
    void DrawMarker(platform::Surface& target, const PointerMarker& marker);
    // The real pointer image scales with the picture: drawn into a copy of the monitor first.
    [[nodiscard]] bool TakesBufferedPath(platform::Point pointer) const;
    TickInputs CurrentTickInputs(platform::Point pointer, const std::optional<PointerMarker>& marker) const;

    platform::Platform& platform_;
    ViewWindow& window_;
    const std::unique_ptr<platform::MonitorContext>& monitor_;
    platform::ViewSurface* view_ = nullptr;
    std::optional<TickInputs> lastTick_;
    QTimer redrawSoon_;
};

}  // namespace orvane
