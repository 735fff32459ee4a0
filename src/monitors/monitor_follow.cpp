// Following the monitors as they come, go and change, without the user
// pressing "モニタ再取得": the platform reports a change, and once the
// reports have settled the list is read again as the reload does. A watched
// monitor that goes away is awaited: the view shows what the reload chooses
// meanwhile and returns to it when it comes back under the same name.
#include <QApplication>
#include <QComboBox>

#include "core/app_state.h"
#include "mainwindow/frm_main.h"

namespace orvane {

namespace {

// One report comes per CRTC, output and screen; a change of one monitor
// sends several. Wait for them to settle before reading the list again.
constexpr int kSettleMs = 250;

bool SameLayout(const std::vector<platform::MonitorInfo>& found, const std::vector<MonitorEntry>& table) {
    if (found.size() != table.size()) return false;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const MonitorEntry& e = table[i];
        const platform::MonitorInfo& m = found[i];
        if (TrimNull(e.szDevice) != m.deviceName || !(e.rcMonitor == m.monitor) || !(e.rcWork == m.work) ||
            (e.dwFlags == 1) != m.primary)
            return false;
    }
    return true;
}

}  // namespace

bool frmMain::SameRate(const std::string& watched) {
    // The layout holds no refresh rate, yet "現在の設定" and the mode to come
    // back to do.
    if (watched.empty()) return true;
    const auto now = Platform.displayModes().currentMode(watched);
    return !now || static_cast<std::int32_t>(now->frequency) == AppState.ViewFreq;
}

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
    const std::vector<platform::MonitorInfo> found = Platform.monitors().enumerate();
    auto present = [&found](const std::string& name) {
        for (const auto& m : found)
            if (m.deviceName == name) return true;
        return false;
    };
    const std::string watched = SelectedDevice();
    if (!present(watched) && awaitedDisplay_.empty()) awaitedDisplay_ = watched;
    std::string wanted = watched;
    if (!awaitedDisplay_.empty() && present(awaitedDisplay_)) {
        wanted = awaitedDisplay_;
        awaitedDisplay_.clear();
    } else if (SameLayout(found, AppState.MonitorTable) && SameRate(watched)) {
        return;  // a report that changed nothing the view depends on
    }
    following_ = true;
    ReloadMonitors(wanted, false);
    following_ = false;
}

}  // namespace orvane
