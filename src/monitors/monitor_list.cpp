#include "monitors/monitor_list.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/app_state.h"
#include "display/display.h"

namespace orvane {

MonitorEntry MonitorEntryOf(const platform::MonitorInfo& info) {
    MonitorEntry entry;
    entry.rcMonitor = info.monitor;
    entry.rcWork = info.work;
    entry.dwFlags = info.primary ? 1 : 0;
    entry.szDevice = DeviceField(info.deviceName);
    return entry;
}

std::string ListText(const MonitorEntry& entry) {
    return (entry.dwFlags == 1 ? "(*)" : "   ") + TrimNull(entry.szDevice);
}

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

std::vector<platform::MonitorInfo> MonitorList::Read(platform::MonitorHandle own) const {
    std::vector<platform::MonitorInfo> found = platform_.monitors().enumerate();
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
    return found;
}

platform::MonitorHandle MonitorList::MonitorOf(const platform::Rect& window) const {
    return platform_.monitors().monitorFromRect(window);
}

bool MonitorList::HoldsWindow(const std::string& device, const platform::Rect& window) const {
    const platform::MonitorHandle own = MonitorOf(window);
    for (const auto& info : platform_.monitors().enumerate())
        if (info.handle == own) return info.deviceName == device;
    return false;
}

std::shared_ptr<Display> MonitorList::DisplayOf(const MonitorEntry& entry) const {
    auto display = std::make_shared<Display>(platform_.displayModes());
    display->UpdateRegistry(UpdateRegistryFor(AppState.ChangeDisplayType));
    display->GetDisplayMode(TrimNull(entry.szDevice));
    return display;
}

bool MonitorList::SameRate(const std::string& watched, std::int32_t rateReadWith) const {
    // The layout holds no refresh rate, yet "現在の設定" and the mode to come
    // back to do.
    if (watched.empty()) return true;
    const auto now = platform_.displayModes().currentMode(watched);
    return !now || static_cast<std::int32_t>(now->frequency) == rateReadWith;
}

std::optional<std::string> MonitorList::AfterChange(const std::vector<platform::MonitorInfo>& found,
                                                    const std::vector<MonitorEntry>& table,
                                                    const std::string& watched, std::int32_t rateReadWith) {
    auto present = [&found](const std::string& name) {
        for (const auto& m : found)
            if (m.deviceName == name) return true;
        return false;
    };
    if (!present(watched) && awaited_.empty()) awaited_ = watched;
    if (!awaited_.empty() && present(awaited_)) {
        std::string back = awaited_;
        awaited_.clear();
        return back;
    }
    if (SameLayout(found, table) && SameRate(watched, rateReadWith)) return std::nullopt;
    return watched;
}

}  // namespace orvane
