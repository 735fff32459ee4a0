// Mouse pursuit: at the end of every tick the view follows the pointer to its
// monitor and scrolls so that the pointer is centred.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "pointer/pointer_rules.h"

namespace orvane {

void frmMain::MousePursuitStep() {
    platform::Pointer& pointer = Platform.pointer();
    platform::Point p;
    int found = -1;
    // The pointer may move between two readings: each monitor is tested
    // against a fresh one.
    for (std::size_t i = 0; i < AppState.MonitorTable.size(); ++i) {
        p = pointer.position();
        if (AppState.MonitorTable[i].rcMonitor.contains(p)) {
            found = static_cast<int>(i);
            break;
        }
    }
    if (found < 0) return;
    if (found != cmbDisplayList->currentIndex()) SelectDisplayListIndex(found);
    // The bars count the window's pixels, the view the screen's.
    const double ratio = ViewPixelRatio();
    if (scrX->isEnabled()) {
        scrX->setValue(PursuitScrollValue(p.x, AppState.ViewLeft, AppState.ZoomRate / ratio,
                                          R(picViewRect.width() / ratio), scrX->minimum(), scrX->maximum()));
    }
    if (scrY->isEnabled()) {
        scrY->setValue(PursuitScrollValue(p.y, AppState.ViewTop, AppState.ZoomRate / ratio,
                                          R(picViewRect.height() / ratio), scrY->minimum(), scrY->maximum()));
    }
}

void frmMain::chkMouse_Click() {
    AppState.MousePursuit = chkMouse->isChecked();
    mnuTool_Mouse->setChecked(AppState.MousePursuit);
    // While pursuit is on the pointer alone chooses the monitor.
    cmbDisplayList->setEnabled(!AppState.MousePursuit);
    mnuTool_Select->setEnabled(!AppState.MousePursuit);
    if (FormState == 2 && picView->widget()) picView->widget()->setFocus();
}

// The stored choice is kept (and saved) where pursuit cannot run.
bool frmMain::PursuitActive() const {
    return AppState.MousePursuit && Platform.pointer().canReadPosition();
}

void frmMain::mnuTool_Mouse_Click() { chkMouse->setChecked(!chkMouse->isChecked()); }

void frmMain::ConnectMousePursuitControls() {
    connect(chkMouse, &QToolButton::toggled, this, [this] { chkMouse_Click(); });
    connect(mnuTool_Mouse, &QAction::triggered, this, [this] { mnuTool_Mouse_Click(); });
}

}  // namespace orvane
