#include "platform/wayland/wayland_modes.h"

#include <cmath>

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_heads.h"

namespace orvane::platform::wayland {

DisplayMode displayModeOf(const ModeFacts& m) {
    DisplayMode d;
    d.width = static_cast<std::uint32_t>(std::max(m.width, 0));
    d.height = static_cast<std::uint32_t>(std::max(m.height, 0));
    d.bitsPerPixel = 32;  // what Wayland clients see, whatever the link carries
    d.frequency = static_cast<std::uint32_t>(std::lround(std::max(m.refreshMilliHz, 0) / 1000.0));
    d.id = static_cast<std::uint64_t>(std::max(m.refreshMilliHz, 0));
    return d;
}

int matchingMode(const std::vector<ModeFacts>& modes, const DisplayMode& mode) {
    int rounded = -1;
    for (std::size_t i = 0; i < modes.size(); ++i) {
        const DisplayMode d = displayModeOf(modes[i]);
        if (d.width != mode.width || d.height != mode.height) continue;
        if (mode.bitsPerPixel != 0 && mode.bitsPerPixel != d.bitsPerPixel) continue;
        if (mode.id != 0 && d.id == mode.id) return static_cast<int>(i);
        if (rounded < 0 && d.frequency == mode.frequency) rounded = static_cast<int>(i);
    }
    return rounded;
}

bool showsMode(const DisplayMode& now, const DisplayMode& mode) {
    if (now.width != mode.width || now.height != mode.height) return false;
    return mode.id != 0 ? now.id == mode.id : now.frequency == mode.frequency;
}

namespace {
std::vector<ModeFacts> factsOf(const Head& h) {
    std::vector<ModeFacts> out;
    for (const auto& m : h.modes) out.push_back({m->width, m->height, m->refreshMilliHz});
    return out;
}
}  // namespace

std::string WaylandDisplayModes::nameOf(const DeviceName& device) const {
    if (device) return *device;
    const std::vector<MonitorInfo> monitors = c_.monitors();
    return monitors.empty() ? std::string() : monitors.front().deviceName;
}

const Head* WaylandDisplayModes::headOf(const DeviceName& device) const {
    OutputHeads* heads = c_.heads();
    const Head* h = heads ? heads->head(nameOf(device)) : nullptr;
    return h && listsRealModes(*h) ? h : nullptr;
}

std::optional<DisplayMode> WaylandDisplayModes::currentMode(const DeviceName& device) {
    if (const Head* h = headOf(device); h && h->current)
        return displayModeOf({h->current->width, h->current->height, h->current->refreshMilliHz});
    // Without output management: what wl_output says.
    const Output* o = c_.output(nameOf(device));
    if (!o || o->modeWidth <= 0) return std::nullopt;
    return displayModeOf({o->modeWidth, o->modeHeight, o->refreshMilliHz});
}

bool WaylandDisplayModes::enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) {
    const Head* h = headOf(device);
    if (h && !h->modes.empty()) {
        if (n >= h->modes.size()) return false;
        const HeadMode& m = *h->modes[n];
        out = displayModeOf({m.width, m.height, m.refreshMilliHz});
        return true;
    }
    // An output without a list of modes (a virtual one) has just its current one.
    const std::optional<DisplayMode> current = currentMode(device);
    if (!current || n > 0) return false;
    out = *current;
    return true;
}

std::int32_t WaylandDisplayModes::configure(const std::string& name, const HeadMode& mode, bool apply) {
    OutputHeads* heads = c_.heads();
    if (!heads) return DispChange::Failed;
    switch (heads->configure(c_, name, mode, apply)) {
        case OutputHeads::Outcome::Succeeded:
            return DispChange::Successful;
        case OutputHeads::Outcome::Failed:
            return DispChange::BadMode;  // the compositor refuses this mode
        case OutputHeads::Outcome::Cancelled:
        case OutputHeads::Outcome::NoAnswer:
            break;
    }
    return DispChange::Failed;
}

namespace {
// The entry of the head's list for `mode`, or a mode of its own (a custom one).
HeadMode modeFor(const Head& h, const DisplayMode& mode) {
    const int i = matchingMode(factsOf(h), mode);
    if (i >= 0) return *h.modes[static_cast<std::size_t>(i)];
    HeadMode custom;
    custom.width = static_cast<int>(mode.width);
    custom.height = static_cast<int>(mode.height);
    custom.refreshMilliHz = mode.id != 0 ? static_cast<int>(mode.id) : static_cast<int>(mode.frequency) * 1000;
    return custom;
}
}  // namespace

std::int32_t WaylandDisplayModes::testMode(const DeviceName& device, const DisplayMode& mode) {
    if (!c_.output(nameOf(device))) return DispChange::BadParam;
    const Head* h = headOf(device);
    // An output without a believable list (a virtual one) shows just its own mode.
    if (!h) return currentMode(device) == std::optional<DisplayMode>(mode) ? DispChange::Successful : DispChange::BadMode;
    if (!h->enabled) return DispChange::BadParam;
    if (mode.bitsPerPixel != 0 && mode.bitsPerPixel != 32) return DispChange::BadMode;
    return configure(h->name, modeFor(*h, mode), /*apply=*/false);
}

std::int32_t WaylandDisplayModes::applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) {
    if (!c_.output(nameOf(device))) return DispChange::BadParam;
    if (mode.bitsPerPixel != 0 && mode.bitsPerPixel != 32) return DispChange::BadMode;
    // Kept modes belong to the compositor's configuration, out of Orvane's reach.
    if (flags & ChangeFlags::UpdateRegistry) return DispChange::NotUpdated;
    const Head* h = headOf(device);
    if (!h) return currentMode(device) == std::optional<DisplayMode>(mode) ? DispChange::Successful : DispChange::BadMode;
    if (!h->enabled) return DispChange::BadParam;
    const std::optional<DisplayMode> before = currentMode(device);
    const std::string name = h->name;
    const std::int32_t result = configure(name, modeFor(*h, mode), /*apply=*/true);
    if (result == DispChange::Successful && before) {
        const auto it = changed_.find(name);
        changed_[name] = {it != changed_.end() ? it->second.before : *before, mode};
    }
    return result;
}

std::int32_t WaylandDisplayModes::restoreRegistered(const DeviceName& device) {
    const std::string name = nameOf(device);
    const auto it = changed_.find(name);
    if (it == changed_.end()) return DispChange::Successful;  // nothing of Orvane's to undo
    const Change change = it->second;
    changed_.erase(it);
    // A mode someone else set meanwhile is kept.
    const std::optional<DisplayMode> now = currentMode(device);
    if (!now || !showsMode(*now, change.set)) return DispChange::Successful;
    const Head* h = headOf(device);
    if (!h || !h->enabled) return DispChange::Successful;
    return configure(name, modeFor(*h, change.before), /*apply=*/true);
}

}  // namespace orvane::platform::wayland
