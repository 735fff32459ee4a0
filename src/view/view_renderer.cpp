#include "view/view_renderer.h"

#include <QWidget>

#include "core/app_state.h"
#include "core/rounding.h"
#include "view/changed_part.h"

namespace orvane {

ViewRenderer::ViewRenderer(platform::Platform& platform, ViewWindow& window,
                           const std::unique_ptr<platform::MonitorContext>& monitor)
    : platform_(platform), window_(window), monitor_(monitor) {
    redrawSoon_.setSingleShot(true);
    redrawSoon_.setInterval(0);
    QObject::connect(&redrawSoon_, &QTimer::timeout, [this] { Render(); });
}

bool ViewRenderer::OnWatchedMonitor(platform::Point p) const {
    const int s = window_.WatchedIndex();
    return s >= 0 && s < static_cast<int>(AppState.MonitorTable.size()) &&
           AppState.MonitorTable[s].rcMonitor.contains(p);
}

std::optional<PointerMarker> ViewRenderer::CurrentMarker(platform::Point p) {
    if (!OnWatchedMonitor(p)) return std::nullopt;
    platform::Pointer& pointer = platform_.pointer();
    if (AppState.Cursor == 0) {
        // No readable image (or a hidden pointer): nothing to draw.
        auto info = pointer.cursorInfo();
        if (!info || !info->visible || !info->image) return std::nullopt;
        const platform::Point q = ScreenToMonitor(info->position);
        const QRect rect(QPoint(q.x - info->image->hotspot.x, q.y - info->image->hotspot.y),
                         info->image->image.size());
        return PointerMarker{rect, std::move(info)};
    }
    if (AppState.Cursor >= 1 && AppState.Cursor <= 3 && pointer.canReadPosition() && pointer.positionKnown()) {
        const int side = window_.MarkerDotSide();
        if (side > 0) return PointerMarker{DotRect(ScreenToMonitor(p), AppState.ZoomRate, side), std::nullopt};
    }
    return std::nullopt;
}

void ViewRenderer::DrawMarker(platform::Surface& target, const PointerMarker& marker) {
    if (marker.cursor)
        platform_.drawing().drawCursor(target, marker.rect.topLeft(), *marker.cursor->image);
    else
        platform_.drawing().invert(target, marker.rect);
}

void ViewRenderer::DrawMouseCursor(platform::Surface& target, const PointerSnapshot& pointer) {
    window_.ShowPointerLabels(pointer.position);
    if (pointer.marker) DrawMarker(target, *pointer.marker);
}

bool ViewRenderer::TakesBufferedPath(platform::Point pointer) const {
    // A pointer elsewhere draws nothing into the copy, and then the direct
    // path gives the same picture without copying the whole monitor first.
    return UsesBufferedPath(LeadingNumber(window_.ZoomListText().toStdString()), window_.MarkerListIndex()) &&
           OnWatchedMonitor(pointer);
}

TickInputs ViewRenderer::CurrentTickInputs(platform::Point pointer,
                                           const std::optional<PointerMarker>& marker) const {
    TickInputs in;
    in.source = monitor_.get();
    in.viewRect = view_->geometry();
    in.frameSize = window_.FrameViewPixels();
    in.window = view_->widget() ? view_->widget()->internalWinId() : 0;
    in.zoomRate = AppState.ZoomRate;
    in.zoomText = window_.ZoomListText();
    in.cursorIndex = window_.MarkerListIndex();
    in.cursorStyle = AppState.Cursor;
    in.viewWidth = AppState.ViewWidth;
    in.viewHeight = AppState.ViewHeight;
    in.stretchMode = view_->stretchMode();
    // Where the pointer is matters to the picture only when a marker is drawn.
    in.markerDrawn = OnWatchedMonitor(pointer) && AppState.Cursor >= 0 && AppState.Cursor <= 3;
    if (in.markerDrawn) {
        in.pointer = pointer;
        if (marker && marker->cursor) {
            in.cursorSerial = marker->cursor->image->serial;
            in.cursorPosition = marker->cursor->position;
        }
    }
    return in;
}

void ViewRenderer::RedrawSoon() {
    // Whatever changed what the view shows is drawn as soon as the event
    // loop is free, once, however many changes one action made.
    if (!redrawSoon_.isActive()) redrawSoon_.start();
}

PointerSnapshot ViewRenderer::ReadPointer() {
    const platform::Point position = platform_.pointer().position();
    return {position, CurrentMarker(position)};
}

void ViewRenderer::Render() {
    if (!monitor_ || view_ == nullptr) return;
    const PointerSnapshot pointer = ReadPointer();
    const TickInputs inputs = CurrentTickInputs(pointer.position, pointer.marker);
    const platform::MonitorChanges changes = monitor_->takeChanges();
    // The persistent image holds the last frame; when nothing else the
    // picture depends on moved, only what changed on the monitor needs
    // drawing, and only the labels when nothing did (a pointer moving on
    // another monitor).
    switch (WhatTheTickDraws(view_->persistent() && !AppState.NoRedraw, lastTick_, inputs, changes,
                             TakesBufferedPath(pointer.position))) {
        case TickDrawing::LabelsOnly:
            window_.ShowPointerLabels(pointer.position);
            break;
        case TickDrawing::ChangedPart:
            DrawChangedPart(changes.region, pointer.position, pointer.marker);
            break;
        case TickDrawing::WholeFrame:
            DrawFrame(pointer);
            lastTick_ = AppState.NoRedraw ? std::nullopt : std::optional<TickInputs>(inputs);
            break;
    }
}

void ViewRenderer::DrawChangedPart(const QRegion& monitorRegion, platform::Point pointer,
                                   const std::optional<PointerMarker>& marker) {
    const QSize monitor(AppState.ViewWidth, AppState.ViewHeight);
    window_.ShowPointerLabels(pointer);
    DrawViewPart(ChangedViewRegion(monitorRegion, monitor, view_->size(), view_->stretchMode()), marker);
}

void ViewRenderer::RedrawLostPart(const QRegion& lost) {
    // Drawn again at once from the watched monitor: fresher than any kept
    // copy, and without the second copy of every frame that keeping one costs.
    if (!monitor_ || view_ == nullptr || AppState.NoRedraw) return;
    const platform::Point pointer = platform_.pointer().position();
    if (TakesBufferedPath(pointer)) {
        DrawFrame();
    } else {
        DrawViewPart(lost, CurrentMarker(pointer));
    }
    // The marker may now stand where the last frame did not have it.
    lastTick_.reset();
}

void ViewRenderer::DrawViewPart(QRegion part, const std::optional<PointerMarker>& marker) {
    auto& drawing = platform_.drawing();
    platform::ViewSurface& view = *view_;
    const QSize monitor(AppState.ViewWidth, AppState.ViewHeight);
    // The marker is drawn over the picture (inverted, or blended), so where it
    // stands the picture under it is redrawn whole before it is drawn again.
    if (marker) part += marker->rect;
    const QRect visible = view.geometry()
                              .intersected(QRect(QPoint(0, 0), window_.FrameViewPixels()))
                              .translated(-view.geometry().topLeft());
    part &= visible;
    if (part.isEmpty()) return;
    if (AppState.ZoomRate == 1.0) {
        for (const QRect& r : part) drawing.copy(view, r, *monitor_, r.topLeft());
    } else {
        drawing.stretchPart(view, QRect(QPoint(0, 0), view.size()), *monitor_, QRect(QPoint(0, 0), monitor),
                            part);
    }
    if (marker) DrawMarker(view, *marker);
    view.present(part);
    drawing.flush();
}

void ViewRenderer::DrawFrame() { DrawFrame(ReadPointer()); }

void ViewRenderer::DrawFrame(const PointerSnapshot& pointer) {
    if (!monitor_ || view_ == nullptr) return;
    auto& drawing = platform_.drawing();
    platform::ViewSurface& view = *view_;
    const QRect dest(0, 0, view.size().width(), view.size().height());
    const QRect source(0, 0, AppState.ViewWidth, AppState.ViewHeight);
    if (TakesBufferedPath(pointer.position)) {
        // The real pointer image is drawn at monitor scale so it shrinks or
        // grows with the picture.
        std::unique_ptr<platform::Surface> copy =
            drawing.createMemoryCopy(*monitor_, QSize(AppState.ViewWidth, AppState.ViewHeight));
        DrawMouseCursor(*copy, pointer);
        drawing.stretch(view, dest, *copy, source);
    } else {
        if (AppState.ZoomRate == 1.0) {
            drawing.copy(view, dest, *monitor_, QPoint(0, 0));
        } else {
            drawing.stretch(view, dest, *monitor_, source);
        }
        DrawMouseCursor(view, pointer);
    }
    if (!AppState.NoRedraw) view.present();
    drawing.flush();
}

}  // namespace orvane
