// The refresh tick: copy the watched monitor into the view (plain at 100 %,
// stretched otherwise), draw the pointer marker, present, then pursue.
#include <QComboBox>
#include <cmath>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"

namespace orvane {

bool UsesBufferedPath(double zoomPercentOfText, int cursorListIndex) {
    return std::floor(zoomPercentOfText) != 100 && cursorListIndex == 0;
}

std::unique_ptr<platform::Surface> frmMain::CreateMemoryCopy(platform::Surface& SourceDC, std::int32_t Width,
                                                             std::int32_t Height) {
    return Platform.drawing().createMemoryCopy(SourceDC, QSize(Width, Height));
}

void frmMain::tmrMain_Timer() {
    if (MonitorDC) {
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
            std::unique_ptr<platform::Surface> copy = CreateMemoryCopy(*MonitorDC, AppState.ViewWidth, AppState.ViewHeight);
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
    if (AppState.MousePursuit) MousePursuitStep();
}

}  // namespace orvane
