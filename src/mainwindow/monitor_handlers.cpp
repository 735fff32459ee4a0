// The window's side of the monitors: the monitor list and its menu, making a
// monitor the watched one (context, geometry, status texts, mode catalogue),
// re-reading the list while keeping the watched monitor by its device name,
// and following the platform's reports of changes without the user pressing
// "モニタ再取得".
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

#include "core/app_state.h"
#include "display/display.h"
#include "display/display_catalogue.h"
#include "mainwindow/frm_main.h"

namespace orvane {

namespace {

// One report comes per CRTC, output and screen; a change of one monitor
// sends several. Wait for them to settle before reading the list again.
constexpr int kSettleMs = 250;

platform::Rect WindowRect(const QWidget& window) {
    const QRect r = window.frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

void frmMain::MonitorEnumProc(const platform::MonitorInfo& info, platform::MonitorHandle dwData) {
    const MonitorEntry entry = MonitorEntryOf(info);
    cmbDisplayList->addItem(QString::fromStdString(ListText(entry)));
    if (info.handle == dwData) {
        const QSignalBlocker quiet(cmbDisplayList);  // FormState is 0: only the default choice is recorded
        cmbDisplayList->setCurrentIndex(AppState.MonitorCount);
    }
    const auto next = static_cast<std::size_t>(AppState.MonitorCount) + 1;
    AppState.MonitorTable.resize(next);
    AppState.DisplayTable.resize(next);
    AppState.MonitorTable[AppState.MonitorCount] = entry;
    AppState.DisplayTable[AppState.MonitorCount] = monitors_.DisplayOf(entry);
    ++AppState.MonitorCount;
}

void frmMain::EnumerateMonitors() {
    const platform::MonitorHandle own = monitors_.MonitorOf(WindowRect(*this));
    const std::vector<platform::MonitorInfo> found = monitors_.Read(own);
    // The first entry shrinks the tables; release what lies beyond it.
    AppState.MonitorTable.clear();
    AppState.DisplayTable.clear();
    for (const auto& info : found) MonitorEnumProc(info, own);
    if (cmbDisplayList->currentIndex() < 0 && cmbDisplayList->count() > 0) {
        const QSignalBlocker quiet(cmbDisplayList);
        cmbDisplayList->setCurrentIndex(0);
    }
}

void frmMain::cmdReload_Click() {
    monitors_.ChoiceMade();
    ReloadMonitors(SelectedDevice(), true);
}

std::string frmMain::SelectedDevice() const {
    const int selected = cmbDisplayList->currentIndex();
    return (selected >= 0 && selected < static_cast<int>(AppState.MonitorTable.size()))
               ? TrimNull(AppState.MonitorTable[selected].szDevice)
               : std::string();
}

void frmMain::ReloadMonitors(const std::string& wanted, bool focusList) {
    FormState = 0;
    AppState.MonitorCount = 0;
    {
        const QSignalBlocker quiet(cmbDisplayList);
        cmbDisplayList->clear();
    }
    EnumerateMonitors();
    CreateMonitorSelectMenu();
    FitToolBar();  // other monitors may have longer names
    if (focusList && cmbDisplayList->isEnabled() && picToolBox->isVisible()) cmbDisplayList->setFocus();
    for (int i = 0; i < cmbDisplayList->count(); ++i) {
        if (!wanted.empty() && TrimNull(AppState.MonitorTable[i].szDevice) == wanted) {
            const QSignalBlocker quiet(cmbDisplayList);
            cmbDisplayList->setCurrentIndex(i);
            break;
        }
    }
    FormState = 2;
    cmbDisplayList_Click();
}

void frmMain::mnuTool_Select_Reload_Click() { cmdReload_Click(); }

bool frmMain::HoldsOwnWindow(const std::string& device) { return monitors_.HoldsWindow(device, WindowRect(*this)); }

void frmMain::WatchMonitorLayout() {
    monitorsChanged_.setSingleShot(true);
    monitorsChanged_.setInterval(kSettleMs);
    connect(&monitorsChanged_, &QTimer::timeout, this, [this] { FollowMonitorChanges(); });
    Platform.monitors().watchLayout([this] { monitorsChanged_.start(); });
}

void frmMain::FollowMonitorChanges() {
    if (unloaded_ || FormState == 0) return;
    // A dialog works on the list as it is (the resolution dialog reads it
    // again when it closes), and a forwarded click on its way uses it: look
    // again once they are done.
    if (QApplication::activeModalWidget() != nullptr || clicks_.Busy()) {
        monitorsChanged_.start();
        return;
    }
    const std::optional<std::string> wanted =
        monitors_.AfterChange(Platform.monitors().enumerate(), AppState.MonitorTable, SelectedDevice(),
                              AppState.ViewFreq);
    if (!wanted) return;  // a report that changed nothing the view depends on
    following_ = true;
    ReloadMonitors(*wanted, false);
    following_ = false;
}

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
    if (!following_) monitors_.ChoiceMade();  // chosen, not fallen back to

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
