// Display modes on GNOME through mutter's display configuration.
#include "platform/gnome/gnome_modes.h"

#include <QDBusConnection>
#include <cmath>
#include <cstdio>

namespace orvane::platform::gnome {

namespace dc = desktop::gnome;

DisplayMode ModeOf(const dc::Mode& mode, std::uint64_t id) {
    return {static_cast<std::uint32_t>(mode.width), static_cast<std::uint32_t>(mode.height), 32,
            static_cast<std::uint32_t>(std::lround(mode.refresh)), id};
}

const dc::Monitor* GnomeDisplayModes::monitorOf(const DeviceName& device) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    std::string why;
    std::optional<dc::State> state = dc::readState(bus, why);
    if (!state) return nullptr;
    state_ = std::move(*state);
    QString connector = device ? QString::fromStdString(*device) : QString();
    if (connector.isEmpty())
        for (const dc::LogicalMonitor& lm : state_.logicalMonitors)
            if (lm.primary && !lm.monitors.isEmpty()) connector = lm.monitors.front().connector;
    for (const dc::Monitor& m : state_.monitors)
        if (m.id.connector == connector) return &m;
    return nullptr;
}

bool GnomeDisplayModes::enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) {
    // The dialog asks for every mode in turn: the state is read once, at the first.
    const dc::Monitor* m = nullptr;
    if (n == 0 || state_.monitors.isEmpty()) m = monitorOf(device);
    else
        for (const dc::Monitor& each : state_.monitors)
            if (device && each.id.connector == QString::fromStdString(*device)) m = &each;
    if (!m || n >= static_cast<std::uint32_t>(m->modes.size())) return false;
    out = ModeOf(m->modes[static_cast<int>(n)], n + 1);
    return true;
}

std::int32_t GnomeDisplayModes::testMode(const DeviceName& device, const DisplayMode& mode) {
    const dc::Monitor* m = monitorOf(device);
    if (!m) return DispChange::BadParam;
    for (const dc::Mode& each : m->modes) {
        const DisplayMode d = ModeOf(each, 0);
        if (d.width == mode.width && d.height == mode.height && (mode.frequency == 0 || d.frequency == mode.frequency))
            return DispChange::Successful;
    }
    return DispChange::BadMode;
}

std::int32_t GnomeDisplayModes::apply(const std::string& connector, const DisplayMode& mode, quint32 method) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    std::string why;
    // The service refuses a layout made from a state that changed meanwhile.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<dc::State> state = dc::readState(bus, why);
        if (!state) break;
        double exact = mode.frequency;
        for (const dc::Monitor& m : state->monitors)
            if (m.id.connector == QString::fromStdString(connector))
                for (const dc::Mode& each : m.modes)
                    if (ModeOf(each, 0).width == mode.width && ModeOf(each, 0).height == mode.height &&
                        ModeOf(each, 0).frequency == mode.frequency)
                        exact = each.refresh;
        const auto layout =
            dc::configKeeping(*state, {connector, mode.width, mode.height, mode.frequency, exact});
        if (!layout) return DispChange::BadMode;
        bool stale = false;
        if (dc::applyConfig(bus, *state, *layout, method, why, stale)) return DispChange::Successful;
        if (!stale) break;
    }
    std::fprintf(stderr, "orvane: %s\n", why.c_str());
    return DispChange::Failed;
}

std::int32_t GnomeDisplayModes::applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) {
    const dc::Monitor* m = monitorOf(device);
    if (!m) return DispChange::BadParam;
    const std::string connector = m->id.connector.toStdString();
    const dc::Mode* shown = dc::currentModeOf(*m);
    const std::optional<DisplayMode> before = shown ? std::optional(ModeOf(*shown, 0)) : std::nullopt;
    const bool lasting = (flags & ChangeFlags::UpdateRegistry) != 0;
    const std::int32_t result = apply(connector, mode, lasting ? dc::kPersistent : dc::kTemporary);
    if (result != DispChange::Successful) return result;
    if (lasting) changed_.erase(connector);
    // The first mode before the program's changes is the one to go back to.
    else if (before && !changed_.count(connector)) changed_[connector] = {*before, mode};
    else if (changed_.count(connector)) changed_[connector].second = mode;
    return DispChange::Successful;
}

std::int32_t GnomeDisplayModes::restoreRegistered(const DeviceName& device) {
    const dc::Monitor* m = monitorOf(device);
    if (!m) return DispChange::Successful;
    const std::string connector = m->id.connector.toStdString();
    const auto own = changed_.find(connector);
    if (own == changed_.end()) return DispChange::Successful;
    const auto [before, ours] = own->second;
    changed_.erase(own);
    // A mode someone else set meanwhile (rate included) is kept.
    const dc::Mode* shown = dc::currentModeOf(*m);
    if (!shown) return DispChange::Successful;
    const DisplayMode now = ModeOf(*shown, 0);
    if (now.width != ours.width || now.height != ours.height || now.frequency != ours.frequency)
        return DispChange::Successful;
    return apply(connector, before, dc::kTemporary);
}

std::optional<DisplayMode> GnomeDisplayModes::currentMode(const DeviceName& device) {
    const dc::Monitor* m = monitorOf(device);
    const dc::Mode* shown = m ? dc::currentModeOf(*m) : nullptr;
    if (!shown) return std::nullopt;
    return ModeOf(*shown, 0);
}

}  // namespace orvane::platform::gnome
