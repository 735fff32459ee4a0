// The pointer marker drawn into each tick's picture, the two pointer labels,
// and the marker style: the list, its menu mirror and the Cursor setting.
#include "view/pointer_marker.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QToolButton>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"

namespace orvane {

platform::Point ScreenToMonitor(platform::Point p) {
    return {p.x - AppState.ViewLeft, p.y - AppState.ViewTop};
}

QRect DotRect(platform::Point monitorPoint, double zoomRate, int side) {
    const int h = side / 2;
    return {R(monitorPoint.x * zoomRate - h), R(monitorPoint.y * zoomRate - h), side, side};
}

QString PositionText(platform::Point p) { return QStringLiteral("X = %1 Y = %2").arg(p.x).arg(p.y); }

bool frmMain::OnWatchedMonitor(platform::Point p) const {
    const int s = cmbDisplayList->currentIndex();
    return s >= 0 && s < static_cast<int>(AppState.MonitorTable.size()) &&
           AppState.MonitorTable[s].rcMonitor.contains(p);
}

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

std::optional<PointerMarker> frmMain::CurrentMarker(platform::Point p) {
    if (!OnWatchedMonitor(p)) return std::nullopt;
    if (AppState.Cursor == 0) {
        // No readable image (or a hidden pointer): nothing to draw.
        auto info = Platform.pointer().cursorInfo();
        if (!info || !info->visible || !info->image) return std::nullopt;
        const platform::Point q = ScreenToMonitor(info->position);
        const QRect rect(QPoint(q.x - info->image->hotspot.x, q.y - info->image->hotspot.y),
                         info->image->image.size());
        return PointerMarker{rect, std::move(info)};
    }
    if (AppState.Cursor >= 1 && AppState.Cursor <= 3 && Platform.pointer().canReadPosition() &&
        Platform.pointer().positionKnown()) {
        const int side = cmbCursor->currentData().toInt();
        if (side > 0)
            return PointerMarker{DotRect(ScreenToMonitor(p), AppState.ZoomRate, side), std::nullopt};
    }
    return std::nullopt;
}

void frmMain::DrawMarker(platform::Surface& TargetDC, const PointerMarker& marker) {
    if (marker.cursor)
        Platform.drawing().drawCursor(TargetDC, marker.rect.topLeft(), *marker.cursor->image);
    else
        Platform.drawing().invert(TargetDC, marker.rect);
}

void frmMain::DrawMouseCursor(platform::Surface& TargetDC, const PointerSnapshot& pointer) {
    ShowPointerLabels(pointer.position);
    if (pointer.marker) DrawMarker(TargetDC, *pointer.marker);
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
