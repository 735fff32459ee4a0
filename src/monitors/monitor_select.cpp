// Making a monitor the watched one: its context, geometry, status texts, mode
// catalogue and name; and the monitor menu that mirrors the list.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

#include "core/app_state.h"
#include "display/display.h"
#include "display/display_catalogue.h"
#include "mainwindow/frm_main.h"

namespace orvane {

void frmMain::cmbDisplayList_Click() {
    if (FormState == 0) return;
    int s = cmbDisplayList->currentIndex();
    if (s < 0 || s >= static_cast<int>(AppState.MonitorTable.size())) {
        // Nothing selected (or a list out of step with the table): watch the first monitor.
        if (AppState.MonitorTable.empty() || cmbDisplayList->count() == 0) return;
        const QSignalBlocker quiet(cmbDisplayList);
        cmbDisplayList->setCurrentIndex(0);
        s = 0;
    }
    const MonitorEntry e = AppState.MonitorTable[s];
    if (!following_) awaitedDisplay_.clear();  // chosen, not fallen back to

    for (int i = 0; i < static_cast<int>(mnuTool_Select_Monitor.size()); ++i)
        mnuTool_Select_Monitor[i]->setChecked(i == s);

    MonitorDC.reset();
    MonitorDC = Platform.monitors().openMonitor(TrimNull(e.szDevice));

    AppState.ViewLeft = e.rcMonitor.left;
    AppState.ViewTop = e.rcMonitor.top;
    lblStatus_Display_Pos->setText(
        QStringLiteral("L = %1 T = %2").arg(AppState.ViewLeft).arg(AppState.ViewTop));
    CreateDisplaySettingInfo();
    AppState.ViewWidth = e.rcMonitor.width();
    AppState.ViewHeight = e.rcMonitor.height();
    QString size = QStringLiteral("W = %1 H = %2").arg(AppState.ViewWidth).arg(AppState.ViewHeight);
    AppState.ViewBits = MonitorDC ? MonitorDC->bitsPerPixel() : 0;
    AppState.ViewFreq = MonitorDC ? MonitorDC->refreshRate() : 0;
    size += QStringLiteral(" B = %1").arg(AppState.ViewBits);
    lblStatus_Display_Size->setText(size);
    AppState.Display = e.szDevice;
    cmbZoom_Click();
    RedrawSoon();  // the same size on another monitor moves nothing, yet shows another picture
}

void frmMain::SelectDisplayListIndex(int index) {
    {
        const QSignalBlocker quiet(cmbDisplayList);
        cmbDisplayList->setCurrentIndex(index);
    }
    cmbDisplayList_Click();
}

void frmMain::mnuTool_Select_Monitor_Click(int Index) { SelectDisplayListIndex(Index); }

void frmMain::CreateMonitorSelectMenu() {
    while (mnuTool_Select_Monitor.size() > 1) {
        delete mnuTool_Select_Monitor.back();
        mnuTool_Select_Monitor.pop_back();
    }
    for (int i = 0; i < cmbDisplayList->count(); ++i) {
        if (i > 0) {
            auto* item = new QAction(mnuTool_Select);
            item->setCheckable(true);
            mnuTool_Select->insertAction(mnuTool_Select_Line1, item);
            connect(item, &QAction::triggered, this, [this, i] { mnuTool_Select_Monitor_Click(i); });
            mnuTool_Select_Monitor.push_back(item);
        }
        // A plain caption: "&" in a device name must not become a shortcut.
        QString caption = cmbDisplayList->itemText(i);
        mnuTool_Select_Monitor[i]->setText(caption.replace('&', QStringLiteral("&&")));
        mnuTool_Select_Monitor[i]->setChecked(i == cmbDisplayList->currentIndex());
    }
}

void frmMain::CreateDisplaySettingInfo() {
    const int s = cmbDisplayList->currentIndex();
    if (s >= 0 && s < static_cast<int>(AppState.DisplayTable.size()) && AppState.DisplayTable[s]) {
        AppState.DisplaySettingInfo = BuildDisplaySettingInfo(*AppState.DisplayTable[s]);
    } else {
        AppState.DisplaySettingInfo = BuildDisplaySettingInfo(nullptr);
    }
}

}  // namespace orvane
