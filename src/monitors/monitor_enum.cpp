// Finding the monitors: MonitorTable, DisplayTable and the monitor list, and
// re-reading them while keeping the watched monitor by its device name.
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include "core/app_state.h"
#include "display/display.h"
#include "mainwindow/frm_main.h"

namespace orvane {

namespace {

// The change method a new Display object is given, from the settings.
std::int32_t UpdateRegistryFor(std::int32_t changeDisplayType) {
    switch (changeDisplayType) {
        case 2:
            return 1;
        case 3:
            return 2;
        default:
            return 0;
    }
}

std::string ListText(const MonitorEntry& entry) {
    return (entry.dwFlags == 1 ? "(*)" : "   ") + TrimNull(entry.szDevice);
}

platform::Rect WindowRect(const QWidget& window) {
    const QRect r = window.frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

void frmMain::MonitorEnumProc(const platform::MonitorInfo& info, platform::MonitorHandle dwData) {
    MonitorEntry entry;
    entry.rcMonitor = info.monitor;
    entry.rcWork = info.work;
    entry.dwFlags = info.primary ? 1 : 0;
    entry.szDevice = DeviceField(info.deviceName);

    cmbDisplayList->addItem(QString::fromStdString(ListText(entry)));
    if (info.handle == dwData) {
        const QSignalBlocker quiet(cmbDisplayList);  // FormState is 0: only the default choice is recorded
        cmbDisplayList->setCurrentIndex(AppState.MonitorCount);
    }

    const auto next = static_cast<std::size_t>(AppState.MonitorCount) + 1;
    AppState.MonitorTable.resize(next);
    AppState.DisplayTable.resize(next);
    AppState.MonitorTable[AppState.MonitorCount] = entry;
    auto display = std::make_shared<Display>(Platform.displayModes());
    display->UpdateRegistry(UpdateRegistryFor(AppState.ChangeDisplayType));
    display->GetDisplayMode(TrimNull(entry.szDevice));
    AppState.DisplayTable[AppState.MonitorCount] = std::move(display);
    ++AppState.MonitorCount;
}

void frmMain::EnumerateMonitors() {
    auto& monitors = Platform.monitors();
    const platform::MonitorHandle own = monitors.monitorFromRect(WindowRect(*this));
    std::vector<platform::MonitorInfo> found = monitors.enumerate();
    if (found.empty()) {
        // The platform promises at least one monitor; should it break that
        // promise, the primary screen still gives the view something to watch.
        platform::MonitorInfo fallback;
        const QRect s = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                         : QRect(0, 0, 1920, 1080);
        fallback.handle = own;
        fallback.monitor = fallback.work = {s.left(), s.top(), s.left() + s.width(), s.top() + s.height()};
        fallback.primary = true;
        found.push_back(fallback);
    }
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
    awaitedDisplay_.clear();  // the user looks again: what the list shows now is their choice
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

bool frmMain::HoldsOwnWindow(const std::string& device) {
    platform::Monitors& monitors = Platform.monitors();
    const platform::MonitorHandle own = monitors.monitorFromRect(WindowRect(*this));
    for (const auto& info : monitors.enumerate())
        if (info.handle == own) return info.deviceName == device;
    return false;
}

}  // namespace orvane
