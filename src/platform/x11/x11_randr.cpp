// RandR queries shared by the monitor list and the display modes.
#include "platform/x11/x11_randr.h"

#include "platform/x11/x11_math.h"

namespace orvane::platform::x11 {

std::vector<RandrMonitor> queryMonitors(Connection& c) {
    std::vector<RandrMonitor> out;
    if (!c.hasRandr15()) return out;
    auto r = c.reply(xcb_randr_get_monitors_reply, xcb_randr_get_monitors(c.get(), c.root(), 1));
    if (!r) return out;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t* m = it.data;
        RandrMonitor mon;
        mon.atom = m->name;
        mon.rect = QRect(m->x, m->y, m->width, m->height);
        mon.primary = m->primary != 0;
        const xcb_randr_output_t* o = xcb_randr_monitor_info_outputs(m);
        mon.outputs.assign(o, o + xcb_randr_monitor_info_outputs_length(m));
        out.push_back(std::move(mon));
    }
    // Names after the list is read: each is a round trip of its own.
    for (RandrMonitor& m : out) m.name = c.atomName(m.atom);
    return out;
}

std::optional<ScreenResources> ScreenResources::query(Connection& c) {
    if (!c.hasRandr12()) return std::nullopt;
    ScreenResources res;
    res.reply_ = c.reply(xcb_randr_get_screen_resources_current_reply,
                         xcb_randr_get_screen_resources_current(c.get(), c.root()));
    if (!res.reply_) return std::nullopt;
    return res;
}

const xcb_randr_mode_info_t* ScreenResources::mode(xcb_randr_mode_t id) const {
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_current_modes(reply_.get());
    const int n = xcb_randr_get_screen_resources_current_modes_length(reply_.get());
    for (int i = 0; i < n; ++i) {
        if (modes[i].id == id) return &modes[i];
    }
    return nullptr;
}

std::vector<xcb_randr_output_t> ScreenResources::outputs() const {
    const xcb_randr_output_t* o = xcb_randr_get_screen_resources_current_outputs(reply_.get());
    return {o, o + xcb_randr_get_screen_resources_current_outputs_length(reply_.get())};
}

std::vector<xcb_randr_crtc_t> ScreenResources::crtcs() const {
    const xcb_randr_crtc_t* o = xcb_randr_get_screen_resources_current_crtcs(reply_.get());
    return {o, o + xcb_randr_get_screen_resources_current_crtcs_length(reply_.get())};
}

std::uint32_t modeRefresh(const xcb_randr_mode_info_t& mode) {
    return refreshRate(mode.dot_clock, mode.htotal, mode.vtotal,
                       (mode.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) != 0,
                       (mode.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) != 0);
}

double modeRefreshExact(const xcb_randr_mode_info_t& mode) {
    return exactRefreshRate(mode.dot_clock, mode.htotal, mode.vtotal,
                            (mode.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) != 0,
                            (mode.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) != 0);
}

std::optional<CrtcState> queryCrtc(Connection& c, const ScreenResources& res, xcb_randr_crtc_t crtc) {
    auto r =
        c.reply(xcb_randr_get_crtc_info_reply, xcb_randr_get_crtc_info(c.get(), crtc, res.configTimestamp()));
    if (!r || r->status != XCB_RANDR_SET_CONFIG_SUCCESS) return std::nullopt;
    CrtcState s;
    s.crtc = crtc;
    s.timestamp = r->timestamp;
    s.mode = r->mode;
    s.rotation = r->rotation;
    if (r->mode != 0) s.rect = QRect(r->x, r->y, r->width, r->height);
    const xcb_randr_output_t* o = xcb_randr_get_crtc_info_outputs(r.get());
    s.outputs.assign(o, o + xcb_randr_get_crtc_info_outputs_length(r.get()));
    return s;
}

std::optional<OutputState> queryOutput(Connection& c, const ScreenResources& res, xcb_randr_output_t output) {
    auto r = c.reply(xcb_randr_get_output_info_reply,
                     xcb_randr_get_output_info(c.get(), output, res.configTimestamp()));
    if (!r) return std::nullopt;
    OutputState s;
    s.output = output;
    s.name.assign(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(r.get())),
                  static_cast<std::size_t>(xcb_randr_get_output_info_name_length(r.get())));
    s.connected = r->connection == XCB_RANDR_CONNECTION_CONNECTED;
    s.crtc = r->crtc;
    const xcb_randr_mode_t* m = xcb_randr_get_output_info_modes(r.get());
    s.modes.assign(m, m + xcb_randr_get_output_info_modes_length(r.get()));
    return s;
}

std::optional<OutputState> findOutput(Connection& c, const ScreenResources& res, const std::string& name) {
    for (xcb_randr_output_t o : res.outputs()) {
        auto s = queryOutput(c, res, o);
        if (s && s->name == name) return s;
    }
    return std::nullopt;
}

}  // namespace orvane::platform::x11
