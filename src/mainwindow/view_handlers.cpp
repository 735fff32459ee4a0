// The window's side of the view: the tick, the renderer's questions about the
// window's lists and labels, the pointer labels and the marker style (the
// list, its menu mirror and the Cursor setting).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QToolButton>
#include <algorithm>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "view/pointer_marker.h"
#include "view/tick.h"

namespace orvane {

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

void frmMain::RenderView() { renderer_.Render(); }
void frmMain::RedrawSoon() { renderer_.RedrawSoon(); }
void frmMain::DrawFrame() { renderer_.DrawFrame(); }
void frmMain::DrawMouseCursor(platform::Surface& TargetDC, const PointerSnapshot& pointer) {
    renderer_.DrawMouseCursor(TargetDC, pointer);
}

QString frmMain::ZoomListText() const { return cmbZoom->currentText(); }
int frmMain::MarkerListIndex() const { return cmbCursor->currentIndex(); }
int frmMain::MarkerDotSide() const { return cmbCursor->currentData().toInt(); }
int frmMain::WatchedIndex() const { return cmbDisplayList->currentIndex(); }

void frmMain::ShowPointerLabels(platform::Point p) {
    // An unknown position shows as none rather than as a wrong one.
    if (!Platform.pointer().canReadPosition() || !Platform.pointer().positionKnown()) {
        lblStatus_Cursor_All->clear();
        lblStatus_Cursor_View->clear();
        return;
    }
    lblStatus_Cursor_All->setText(PositionText(p));
    lblStatus_Cursor_View->setText(PositionText(ScreenToMonitor(p)));
}

void frmMain::cmbCursor_Click() {
    for (QAction* item : mnuView_Cursor_Select) item->setChecked(false);
    const int index = cmbCursor->currentIndex();
    if (index >= 0 && index < static_cast<int>(mnuView_Cursor_Select.size()))
        mnuView_Cursor_Select[index]->setChecked(true);
    AppState.Cursor = index;
}

void frmMain::mnuView_Cursor_Select_Click(int Index) {
    SelectComboItem(cmbCursor, Index);
    cmbCursor_Click();
}

void frmMain::ShowPointerPositionAvailability() {
    if (Platform.pointer().canReadPosition()) return;
    const QString why = tr("この環境ではマウスポインターの位置を読み取れないため使えません");
    // Pursuit shows off and cannot be turned on; the monitor is chosen by hand.
    {
        const QSignalBlocker quiet(chkMouse);
        chkMouse->setChecked(false);
    }
    chkMouse->setEnabled(false);
    chkMouse->setToolTip(chkMouse->toolTip() + QStringLiteral("\n") + why);
    mnuTool_Mouse->setChecked(false);
    mnuTool_Mouse->setEnabled(false);
    mnuTool_Mouse->setToolTip(why);
    cmbDisplayList->setEnabled(true);
    mnuTool_Select->setEnabled(true);
    // The dots mark a position; the pointer's own image comes with the
    // captured picture.
    auto* model = qobject_cast<QStandardItemModel*>(cmbCursor->model());
    for (int i = 1; i <= 3; ++i) {
        if (model) {
            model->item(i)->setEnabled(false);
            model->item(i)->setToolTip(why);
        }
        mnuView_Cursor_Select[i]->setEnabled(false);
        mnuView_Cursor_Select[i]->setToolTip(why);
    }
    for (QMenu* menu : {mnuTool, mnuView_Cursor}) menu->setToolTipsVisible(true);
}

void frmMain::ConnectPointerMarkerControls() {
    connect(cmbCursor, &QComboBox::activated, this, [this] { cmbCursor_Click(); });
    for (int i = 0; i < static_cast<int>(mnuView_Cursor_Select.size()); ++i)
        connect(mnuView_Cursor_Select[i], &QAction::triggered, this,
                [this, i] { mnuView_Cursor_Select_Click(i); });
}
}  // namespace orvane
