// The refresh tick: copy the watched monitor into the view (plain at 100 %,
// stretched otherwise), draw the pointer marker, present, then pursue.
#include "view/tick.h"

#include <QComboBox>
#include <QLabel>
#include <cmath>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "view/pointer_marker.h"

namespace orvane {

bool UsesBufferedPath(double zoomPercentOfText, int cursorListIndex) {
    return std::floor(zoomPercentOfText) != 100 && cursorListIndex == 0;
}

std::unique_ptr<platform::Surface> frmMain::CreateMemoryCopy(platform::Surface& SourceDC, std::int32_t Width,
                                                             std::int32_t Height) {
    return Platform.drawing().createMemoryCopy(SourceDC, QSize(Width, Height));
}

TickInputs frmMain::CurrentTickInputs(platform::Point pointer) {
    TickInputs in;
    in.source = MonitorDC.get();
    in.changes = MonitorDC->changeCount();
    in.viewRect = picView->geometry();
    in.frameSize = picFrameClient->size();
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
        if (AppState.Cursor == 0) {
            if (const auto info = Platform.pointer().cursorInfo(); info && info->visible && info->image) {
                in.cursorSerial = info->image->serial;
                in.cursorPosition = info->position;
            }
        }
    }
    return in;
}

void frmMain::tmrMain_Timer() {
    if (MonitorDC) {
        const platform::Point pointer = Platform.pointer().position();
        const TickInputs inputs = CurrentTickInputs(pointer);
        // The persistent image still holds exactly this frame: only the labels
        // can differ (a pointer moving on another monitor).
        if (picView->persistent() && !AppState.NoRedraw && lastTick_ && *lastTick_ == inputs) {
            ShowPointerLabels(pointer);
        } else {
            DrawFrame();
            lastTick_ = AppState.NoRedraw ? std::nullopt : std::optional<TickInputs>(inputs);
        }
    }
    if (AppState.MousePursuit) MousePursuitStep();
}

void frmMain::DrawFrame() {
    auto& drawing = Platform.drawing();
    platform::ViewSurface& view = *picView;
    const QRect dest(0, 0, view.size().width(), view.size().height());
    const QRect source(0, 0, AppState.ViewWidth, AppState.ViewHeight);
    // A pointer elsewhere draws nothing into the copy, and then the direct
    // path gives the same picture without copying the whole monitor first.
    if (UsesBufferedPath(LeadingNumber(cmbZoom->currentText().toStdString()), cmbCursor->currentIndex()) &&
        PointerOnWatchedMonitor()) {
        // The real pointer image is drawn at monitor scale so it shrinks or
        // grows with the picture.
        std::unique_ptr<platform::Surface> copy =
            CreateMemoryCopy(*MonitorDC, AppState.ViewWidth, AppState.ViewHeight);
        DrawMouseCursor(*copy);
        drawing.stretch(view, dest, *copy, source);
    } else {
        if (AppState.ZoomRate == 1.0) {
            drawing.copy(view, dest, *MonitorDC, QPoint(0, 0));
        } else {
            drawing.stretch(view, dest, *MonitorDC, source);
        }
        DrawMouseCursor(view);
    }
    if (!AppState.NoRedraw) view.present();
    drawing.flush();
}

}  // namespace orvane
