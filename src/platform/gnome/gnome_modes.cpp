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

namespace {

// Whether two modes are the same to the user: size and rounded rate (no rate: any).
bool Same(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && (b.frequency == 0 || a.frequency == b.frequency);
}

// The exact rate of the connector's mode that `mode` names, for the service to find it by.
double ExactRefresh(const dc::State& state, const std::string& connector, const DisplayMode& mode) {
    for (const dc::Monitor& m : state.monitors)
        if (m.id.connector == QString::fromStdString(connector))
            for (const dc::Mode& each : m.modes)
                if (Same(ModeOf(each, 0), mode)) return each.refresh;
    return mode.frequency;
}

}  // namespace

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
    for (const dc::Mode& each : m->modes)
        if (Same(ModeOf(each, 0), mode)) return DispChange::Successful;
    return DispChange::BadMode;
}

std::int32_t GnomeDisplayModes::apply(const std::string& connector, const DisplayMode& mode, quint32 method) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    std::string why;
    // The service refuses a layout made from a state that changed meanwhile.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<dc::State> state = dc::readState(bus, why);
        if (!state) break;
        const auto layout = dc::configKeeping(
            *state, {connector, mode.width, mode.height, mode.frequency, ExactRefresh(*state, connector, mode)});
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
    const DisplayMode before = shown ? ModeOf(*shown, 0) : DisplayMode{};
    const bool lasting = (flags & ChangeFlags::UpdateRegistry) != 0;
    const std::int32_t result = apply(connector, mode, lasting ? dc::kPersistent : dc::kTemporary);
    if (result != DispChange::Successful) return result;
    const auto own = changed_.find(connector);
    if (lasting) {
        if (own != changed_.end()) changed_.erase(own);
    } else if (own != changed_.end()) {
        own->second.second = mode;  // the first mode before the program's changes is the one to go back to
    } else if (shown) {
        changed_[connector] = {before, mode};
    }
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
    if (!Same(ModeOf(*shown, 0), ours)) return DispChange::Successful;
    return apply(connector, before, dc::kTemporary);
}

std::optional<DisplayMode> GnomeDisplayModes::currentMode(const DeviceName& device) {
    const dc::Monitor* m = monitorOf(device);
    const dc::Mode* shown = m ? dc::currentModeOf(*m) : nullptr;
    if (!shown) return std::nullopt;
    return ModeOf(*shown, 0);
}

}  // namespace orvane::platform::gnome
