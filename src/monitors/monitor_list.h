// The monitors as the platform reports them, turned into the entries the
// rest of the program keeps (MonitorTable, DisplayTable, the list's texts),
// and the rule for following them as they come, go and change: a watched
// monitor that goes away is awaited by its name until it returns.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/monitor_entry.h"
#include "platform/platform.h"

namespace orvane {

class Display;

// One monitor as the tables keep it.
MonitorEntry MonitorEntryOf(const platform::MonitorInfo& info);
// The monitor list's text: "(*)" marks the primary monitor.
std::string ListText(const MonitorEntry& entry);
// The change method a new Display object is given, from the settings.
std::int32_t UpdateRegistryFor(std::int32_t changeDisplayType);
// Whether the platform's list still matches the tables (names, places, work areas, primary).
bool SameLayout(const std::vector<platform::MonitorInfo>& found, const std::vector<MonitorEntry>& table);

class MonitorList {
public:
    explicit MonitorList(platform::Platform& platform) : platform_(platform) {}

    // The platform's monitors; never empty (the primary screen stands in,
    // as monitor `own`, should the platform find none).
    std::vector<platform::MonitorInfo> Read(platform::MonitorHandle own) const;
    // The monitor that shows most of this window rectangle.
    platform::MonitorHandle MonitorOf(const platform::Rect& window) const;
    // Whether the monitor of this device name shows the window rectangle.
    bool HoldsWindow(const std::string& device, const platform::Rect& window) const;
    // The mode catalogue of one monitor, read now.
    std::shared_ptr<Display> DisplayOf(const MonitorEntry& entry) const;
    // Whether the watched monitor still shows the refresh rate it was read with.
    bool SameRate(const std::string& watched, std::int32_t rateReadWith) const;

    // After a change was reported: the monitor to watch once the list is read
    // again, or none when nothing the view depends on changed.
    std::optional<std::string> AfterChange(const std::vector<platform::MonitorInfo>& found,
                                           const std::vector<MonitorEntry>& table, const std::string& watched,
                                           std::int32_t rateReadWith);
    // The user chose (or looked again): what the list shows now is their choice.
    void ChoiceMade() { awaited_.clear(); }
    [[nodiscard]] const std::string& Awaited() const { return awaited_; }

private:
    platform::Platform& platform_;
    std::string awaited_;  // the watched monitor that went away, until it returns
};

}  // namespace orvane
