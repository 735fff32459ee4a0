// The refresh tick: copy the watched monitor into the view (plain at 100 %,
// stretched otherwise; only the part that changed when that is all that
// did), draw the pointer marker, present, then pursue.
#include "view/tick.h"

#include <QComboBox>
#include <QLabel>
#include <cmath>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "view/changed_part.h"
#include "view/pointer_marker.h"

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

std::unique_ptr<platform::Surface> frmMain::CreateMemoryCopy(platform::Surface& SourceDC, std::int32_t Width,
                                                             std::int32_t Height) {
    return Platform.drawing().createMemoryCopy(SourceDC, QSize(Width, Height));
}

bool frmMain::TakesBufferedPath(platform::Point pointer) const {
    // A pointer elsewhere draws nothing into the copy, and then the direct
    // path gives the same picture without copying the whole monitor first.
    return UsesBufferedPath(LeadingNumber(cmbZoom->currentText().toStdString()), cmbCursor->currentIndex()) &&
           OnWatchedMonitor(pointer);
}

TickInputs frmMain::CurrentTickInputs(platform::Point pointer, const std::optional<PointerMarker>& marker) {
    TickInputs in;
    in.source = MonitorDC.get();
    in.viewRect = picView->geometry();
    in.frameSize = FrameViewPixels();
    in.window = picView->widget() ? picView->widget()->internalWinId() : 0;
    in.zoomRate = AppState.ZoomRate;
    in.zoomText = cmbZoom->currentText();
    in.cursorIndex = cmbCursor->currentIndex();
    in.cursorStyle = AppState.Cursor;
    in.viewWidth = AppState.ViewWidth;
    in.viewHeight = AppState.ViewHeight;
    in.stretchMode = picView->stretchMode();
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

void frmMain::tmrMain_Timer() {
    ShowCaptureState();
    RenderView();
    // Pursuit waits while the pointer's position is not known (hidden).
    if (PursuitActive() && Platform.pointer().positionKnown()) MousePursuitStep();
}

void frmMain::ShowCaptureState() {
    // The view keeps the last pictures meanwhile; the user is told why they stand still.
    const bool stopped = Platform.monitors().captureState() == platform::CaptureState::Stopped;
    if (stopped == !lblStatus_Capture->isHidden()) return;
    lblStatus_Capture->setText(stopped ? tr("画面の取り込みが止まっています。再開を待っています…") : QString());
    lblStatus_Capture->setVisible(stopped);
}

void frmMain::PlaceView() {
    picView->setGeometry(picViewRect, FrameViewPixels());
    RedrawSoon();
}

void frmMain::RedrawSoon() {
    // Whatever changed what the view shows is drawn as soon as the event
    // loop is free, once, however many changes one action made.
    if (!redrawSoon_.isActive()) redrawSoon_.start();
}

PointerSnapshot frmMain::ReadPointer() {
    const platform::Point position = Platform.pointer().position();
    return {position, CurrentMarker(position)};
}

void frmMain::RenderView() {
    if (!MonitorDC) return;
    const PointerSnapshot pointer = ReadPointer();
    const TickInputs inputs = CurrentTickInputs(pointer.position, pointer.marker);
    const platform::MonitorChanges changes = MonitorDC->takeChanges();
    // The persistent image holds the last frame; when nothing else the
    // picture depends on moved, only what changed on the monitor needs
    // drawing, and only the labels when nothing did (a pointer moving on
    // another monitor).
    switch (WhatTheTickDraws(picView->persistent() && !AppState.NoRedraw, lastTick_, inputs, changes,
                             TakesBufferedPath(pointer.position))) {
        case TickDrawing::LabelsOnly:
            ShowPointerLabels(pointer.position);
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

void frmMain::DrawChangedPart(const QRegion& monitorRegion, platform::Point pointer,
                              const std::optional<PointerMarker>& marker) {
    platform::ViewSurface& view = *picView;
    const QSize monitor(AppState.ViewWidth, AppState.ViewHeight);
    ShowPointerLabels(pointer);
    DrawViewPart(ChangedViewRegion(monitorRegion, monitor, view.size(), view.stretchMode()), marker);
}

void frmMain::RedrawLostPart(const QRegion& lost) {
    // Drawn again at once from the watched monitor: fresher than any kept
    // copy, and without the second copy of every frame that keeping one costs.
    if (!MonitorDC || AppState.NoRedraw) return;
    const platform::Point pointer = Platform.pointer().position();
    if (TakesBufferedPath(pointer)) {
        DrawFrame();
    } else {
        DrawViewPart(lost, CurrentMarker(pointer));
    }
    // The marker may now stand where the last frame did not have it.
    lastTick_.reset();
}

void frmMain::DrawViewPart(QRegion part, const std::optional<PointerMarker>& marker) {
    auto& drawing = Platform.drawing();
    platform::ViewSurface& view = *picView;
    const QSize monitor(AppState.ViewWidth, AppState.ViewHeight);
    // The marker is drawn over the picture (inverted, or blended), so where it
    // stands the picture under it is redrawn whole before it is drawn again.
    if (marker) part += marker->rect;
    const QRect visible = view.geometry()
                              .intersected(QRect(QPoint(0, 0), FrameViewPixels()))
                              .translated(-view.geometry().topLeft());
    part &= visible;
    if (part.isEmpty()) return;
    if (AppState.ZoomRate == 1.0) {
        for (const QRect& r : part) drawing.copy(view, r, *MonitorDC, r.topLeft());
    } else {
        drawing.stretchPart(view, QRect(QPoint(0, 0), view.size()), *MonitorDC, QRect(QPoint(0, 0), monitor),
                            part);
    }
    if (marker) DrawMarker(view, *marker);
    view.present(part);
    drawing.flush();
}

void frmMain::DrawFrame() { DrawFrame(ReadPointer()); }

void frmMain::DrawFrame(const PointerSnapshot& pointer) {
    auto& drawing = Platform.drawing();
    platform::ViewSurface& view = *picView;
    const QRect dest(0, 0, view.size().width(), view.size().height());
    const QRect source(0, 0, AppState.ViewWidth, AppState.ViewHeight);
    if (TakesBufferedPath(pointer.position)) {
        // The real pointer image is drawn at monitor scale so it shrinks or
        // grows with the picture.
        std::unique_ptr<platform::Surface> copy =
            CreateMemoryCopy(*MonitorDC, AppState.ViewWidth, AppState.ViewHeight);
        DrawMouseCursor(*copy, pointer);
        drawing.stretch(view, dest, *copy, source);
    } else {
        if (AppState.ZoomRate == 1.0) {
            drawing.copy(view, dest, *MonitorDC, QPoint(0, 0));
        } else {
            drawing.stretch(view, dest, *MonitorDC, source);
        }
        DrawMouseCursor(view, pointer);
    }
    if (!AppState.NoRedraw) view.present();
    drawing.flush();
}

}  // namespace orvane
