// Display modes through RandR 1.2 (see x11_modes.h). X cannot change the
// colour depth at run time, so every mode is listed once, at the screen's
// current depth.
#include "platform/x11/x11_modes.h"

#include <algorithm>
#include <cstdio>

#include "platform/desktop/desktop_display_store.h"

#include "platform/x11/x11_mode_store.h"
#include "platform/x11/x11_randr.h"

namespace orvane::platform::x11 {

namespace {
// The store of the session's desktop; null where it keeps no modes of its own.
std::unique_ptr<desktop::DisplayStore> desktopStore() { return desktop::storeOf(desktop::currentDesktop()); }
}  // namespace

struct X11DisplayModes::Device {
    ScreenResources res;
    OutputState output;
    std::optional<CrtcState> crtc;
};

X11DisplayModes::X11DisplayModes(Connection& c)
    : c_(c), bitsPerPixel_(static_cast<std::uint32_t>(c.bitsPerPixel(c.rootDepth()))) {}

std::optional<X11DisplayModes::Device> X11DisplayModes::resolve(const DeviceName& device) {
    if (!c_.alive() || !c_.hasRandr12()) return std::nullopt;
    auto res = ScreenResources::query(c_);
    if (!res) return std::nullopt;
    const std::vector<RandrMonitor> monitors = queryMonitors(c_);
    std::vector<xcb_randr_output_t> candidates;
    std::string name;
    if (device) {
        name = *device;
    } else {
        auto primary =
            std::find_if(monitors.begin(), monitors.end(), [](const RandrMonitor& m) { return m.primary; });
        if (primary == monitors.end() && !monitors.empty()) primary = monitors.begin();
        if (primary != monitors.end()) {
            name = primary->name;
        } else if (auto p = c_.reply(xcb_randr_get_output_primary_reply,
                                     xcb_randr_get_output_primary(c_.get(), c_.root()));
                   p && p->output) {
            candidates.push_back(p->output);
        }
    }
    for (const RandrMonitor& m : monitors) {
        if (m.name == name) candidates.insert(candidates.end(), m.outputs.begin(), m.outputs.end());
    }
    // A monitor usually has one output; take the first one that is lit.
    for (xcb_randr_output_t o : candidates) {
        auto out = queryOutput(c_, *res, o);
        if (!out || out->crtc == 0) continue;
        Device d{std::move(*res), std::move(*out), std::nullopt};
        d.crtc = queryCrtc(c_, d.res, d.output.crtc);
        return d;
    }
    // RandR 1.2 servers without monitors name devices by output.
    if (candidates.empty() && !name.empty()) {
        if (auto out = findOutput(c_, *res, name)) {
            Device d{std::move(*res), std::move(*out), std::nullopt};
            if (d.output.crtc) d.crtc = queryCrtc(c_, d.res, d.output.crtc);
            return d;
        }
    }
    return std::nullopt;
}

bool X11DisplayModes::enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) {
    auto d = resolve(device);
    if (!d || n >= d->output.modes.size()) return false;
    const xcb_randr_mode_info_t* m = d->res.mode(d->output.modes[n]);
    if (!m) return false;
    out = DisplayMode{m->width, m->height, bitsPerPixel_, modeRefresh(*m), m->id};
    return true;
}

std::int32_t X11DisplayModes::check(const Device& d, const DisplayMode& mode, std::uint32_t* modeId) {
    if (mode.bitsPerPixel != 0 && mode.bitsPerPixel != bitsPerPixel_) return DispChange::BadMode;
    const xcb_randr_mode_info_t* chosen = nullptr;
    for (xcb_randr_mode_t id : d.output.modes) {
        const xcb_randr_mode_info_t* m = d.res.mode(id);
        if (m && m->id == mode.id && m->width == mode.width && m->height == mode.height) chosen = m;
    }
    // A record that did not come from this server: match it by its values.
    for (xcb_randr_mode_t id : d.output.modes) {
        if (chosen) break;
        const xcb_randr_mode_info_t* m = d.res.mode(id);
        if (m && m->width == mode.width && m->height == mode.height &&
            (mode.frequency == 0 || modeRefresh(*m) == mode.frequency))
            chosen = m;
    }
    if (!chosen) return DispChange::BadMode;
    if (!d.crtc) return DispChange::Failed;
    const bool turned =
        (d.crtc->rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270)) != 0;
    const QRect mine(d.crtc->rect.topLeft(),
                     turned ? QSize(chosen->height, chosen->width) : QSize(chosen->width, chosen->height));
    std::vector<QRect> rects{mine};
    for (xcb_randr_crtc_t other : d.res.crtcs()) {
        if (other == d.crtc->crtc) continue;
        if (auto s = queryCrtc(c_, d.res, other)) rects.push_back(s->rect);
    }
    const QSize need = screenSizeFor(rects);
    auto range =
        c_.reply(xcb_randr_get_screen_size_range_reply, xcb_randr_get_screen_size_range(c_.get(), c_.root()));
    if (!range) return DispChange::Failed;
    if (need.width() < range->min_width || need.height() < range->min_height ||
        need.width() > range->max_width || need.height() > range->max_height)
        return DispChange::Failed;
    if (modeId) *modeId = chosen->id;
    return DispChange::Successful;
}

std::int32_t X11DisplayModes::testMode(const DeviceName& device, const DisplayMode& mode) {
    auto d = resolve(device);
    if (!d) return DispChange::BadParam;
    return check(*d, mode, nullptr);
}

std::int32_t X11DisplayModes::setMode(const Device& d, std::uint32_t modeId) {
    if (!d.crtc) return DispChange::Failed;
    if (d.crtc->mode == modeId) return DispChange::Successful;
    const xcb_randr_mode_info_t* m = d.res.mode(modeId);
    if (!m) return DispChange::BadMode;
    const bool turned =
        (d.crtc->rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270)) != 0;
    std::vector<QRect> rects{
        QRect(d.crtc->rect.topLeft(), turned ? QSize(m->height, m->width) : QSize(m->width, m->height))};
    for (xcb_randr_crtc_t other : d.res.crtcs()) {
        if (other == d.crtc->crtc) continue;
        if (auto s = queryCrtc(c_, d.res, other)) rects.push_back(s->rect);
    }
    const QSize target = screenSizeFor(rects);
    const QSize now = c_.refreshRootBounds().size();
    const xcb_screen_t& scr = c_.screen();
    // Keep the screen's physical size per pixel (its DPI) as the server started.
    auto mm = [](int px, int basePx, int baseMm) {
        return static_cast<std::uint32_t>(basePx > 0 && baseMm > 0
                                              ? (static_cast<long long>(px) * baseMm + basePx / 2) / basePx
                                              : (px * 254 + 480) / 960);
    };
    auto resize = [&](QSize s) {
        return c_.check(xcb_randr_set_screen_size_checked(
            c_.get(), c_.root(), static_cast<std::uint16_t>(s.width()),
            static_cast<std::uint16_t>(s.height()),
            mm(s.width(), scr.width_in_pixels, scr.width_in_millimeters),
            mm(s.height(), scr.height_in_pixels, scr.height_in_millimeters)));
    };
    // The CRTC must fit the screen at every moment: grow first, shrink after.
    const QSize grown = now.expandedTo(target);
    if (grown != now && !resize(grown)) return DispChange::Failed;
    auto r = c_.reply(
        xcb_randr_set_crtc_config_reply,
        xcb_randr_set_crtc_config(
            c_.get(), d.crtc->crtc, d.crtc->timestamp, d.res.configTimestamp(),
            static_cast<std::int16_t>(d.crtc->rect.x()), static_cast<std::int16_t>(d.crtc->rect.y()), modeId,
            d.crtc->rotation, static_cast<std::uint32_t>(d.crtc->outputs.size()), d.crtc->outputs.data()));
    if (!r || r->status != XCB_RANDR_SET_CONFIG_SUCCESS) {
        if (grown != now) resize(now);
        return DispChange::Failed;
    }
    if (target != grown) resize(target);
    c_.refreshRootBounds();
    return DispChange::Successful;
}

std::int32_t X11DisplayModes::applyMode(const DeviceName& device, const DisplayMode& mode,
                                        std::uint32_t flags) {
    const std::uint32_t known = ChangeFlags::UpdateRegistry | ChangeFlags::Global;
    if ((flags & ~known) != 0) return DispChange::BadFlags;
    if ((flags & ChangeFlags::Global) != 0 && (flags & ChangeFlags::UpdateRegistry) == 0)
        return DispChange::BadFlags;
    auto d = resolve(device);
    if (!d) return DispChange::BadParam;
    std::uint32_t modeId = 0;
    if (const std::int32_t r = check(*d, mode, &modeId); r != DispChange::Successful) return r;
    const bool registering = (flags & ChangeFlags::UpdateRegistry) != 0;
    if (const auto store = registering ? desktopStore() : nullptr; store && store->setsModeItself()) {
        // The desktop sets the mode itself, moving the neighbours by the
        // change of size; only then does the output show it.
        temporary_.erase(d->output.name);
        const xcb_randr_mode_info_t* m = d->res.mode(modeId);
        if (!m || !keepBeyondSession(recordOf(d->output.name, *m), modeRefreshExact(*m)))
            return DispChange::NotUpdated;
        const auto after = resolve(device);
        const xcb_randr_mode_info_t* shown =
            after && after->crtc ? after->res.mode(after->crtc->mode) : nullptr;
        c_.refreshRootBounds();
        return shown && sameMode(*shown, recordOf(d->output.name, *m)) ? DispChange::Successful
                                                                       : DispChange::NotUpdated;
    }
    const xcb_randr_mode_info_t* shownBefore = d->crtc ? d->res.mode(d->crtc->mode) : nullptr;
    const std::int32_t r = setMode(*d, modeId);
    if (r != DispChange::Successful) return r;
    const xcb_randr_mode_info_t* m = d->res.mode(modeId);
    const RegisteredMode now =
        m ? recordOf(d->output.name, *m)
          : RegisteredMode{d->output.name, modeId, mode.width, mode.height, mode.frequency};
    if (!registering) {
        // The mode before our first change is the one to come back to.
        auto [it, fresh] = temporary_.try_emplace(d->output.name);
        if (fresh && shownBefore) it->second.before = recordOf(d->output.name, *shownBefore);
        it->second.set = now;
        return r;
    }
    temporary_.erase(d->output.name);  // registered: nothing of ours to undo
    if (!keepBeyondSession(now, m ? modeRefreshExact(*m) : 0)) {
        // Not kept as asked: the change is taken back, never reported as done.
        if (auto again = resolve(device); again && shownBefore) setMode(*again, shownBefore->id);
        return DispChange::NotUpdated;
    }
    return r;
}

bool X11DisplayModes::keepBeyondSession(const RegisteredMode& mode, double exactRefresh) {
    // The desktop's own store where it keeps one (it would overwrite ours at
    // login), else a file of ours applied again by an autostart entry.
    const std::unique_ptr<desktop::DisplayStore> store = desktopStore();
    if (!store) return storeRegisteredMode(mode);
    std::string why;
    if (desktop::keepWithoutBlocking(
            *store, {mode.output, mode.width, mode.height, mode.frequency, exactRefresh}, why))
        return true;
    std::fprintf(stderr, "orvane: the display mode was not kept: %s\n", why.c_str());
    return false;
}

bool X11DisplayModes::desktopConfirmsChange(std::uint32_t flags) const {
    const std::unique_ptr<desktop::DisplayStore> store = desktopStore();
    return (flags & ChangeFlags::UpdateRegistry) != 0 && store && store->confirmsChangeItself();
}

std::int32_t X11DisplayModes::restoreRegistered(const DeviceName& device) {
    auto d = resolve(device);
    if (!d) return DispChange::BadParam;
    // Only our own temporary change is undone, and only while the output
    // still shows it: a mode someone else set meanwhile (the desktop's
    // display settings, xrandr) is theirs to keep.
    auto ours = temporary_.find(d->output.name);
    if (ours == temporary_.end()) return DispChange::Successful;
    const TemporaryChange change = ours->second;
    temporary_.erase(ours);
    const xcb_randr_mode_info_t* shown = d->crtc ? d->res.mode(d->crtc->mode) : nullptr;
    if (!shown || !sameMode(*shown, change.set)) return DispChange::Successful;
    // Back to the mode shown before our change: the one the user had.
    const RegisteredMode& target = change.before;
    if (target.width == 0) return DispChange::Successful;  // the output showed nothing before
    // Mode ids can change when modes are re-added; fall back to size and rate.
    std::uint32_t id = 0;
    for (xcb_randr_mode_t m : d->output.modes) {
        if (m == target.modeId) id = m;
    }
    for (xcb_randr_mode_t m : d->output.modes) {
        if (id) break;
        const xcb_randr_mode_info_t* info = d->res.mode(m);
        if (info && sameMode(*info, target)) id = m;
    }
    if (!id) return DispChange::Failed;
    return setMode(*d, id);
}

RegisteredMode X11DisplayModes::recordOf(const std::string& output, const xcb_randr_mode_info_t& m) {
    return {output, m.id, m.width, m.height, modeRefresh(m)};
}

bool X11DisplayModes::sameMode(const xcb_randr_mode_info_t& m, const RegisteredMode& r) {
    return m.id == r.modeId || (m.width == r.width && m.height == r.height && modeRefresh(m) == r.frequency);
}

std::optional<DisplayMode> X11DisplayModes::currentMode(const DeviceName& device) {
    auto d = resolve(device);
    if (!d || !d->crtc || d->crtc->mode == 0) return std::nullopt;
    const xcb_randr_mode_info_t* m = d->res.mode(d->crtc->mode);
    if (!m) return std::nullopt;
    return DisplayMode{m->width, m->height, bitsPerPixel_, modeRefresh(*m), m->id};
}

}  // namespace orvane::platform::x11
