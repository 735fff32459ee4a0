// DAMAGE reports on the root window turned into "changed" marks on the
// watched rectangles (see x11_damage.h).
#include "platform/x11/x11_damage.h"

#include <xcb/damage.h>

#include <algorithm>
#include <cstdlib>

namespace orvane::platform::x11 {

bool DamageTracker::start(xcb_connection_t* c, xcb_window_t root, std::uint8_t firstEvent) {
    c_ = c;
    const xcb_damage_damage_t d = xcb_generate_id(c);
    // Delta rectangles: one report per newly damaged area, nothing for
    // drawing again over damage not yet reset, so a busy screen cannot flood
    // the connection between two ticks (raw rectangles report every request).
    xcb_generic_error_t* err =
        xcb_request_check(c, xcb_damage_create_checked(c, d, root, XCB_DAMAGE_REPORT_LEVEL_DELTA_RECTANGLES));
    if (err) {
        std::free(err);
        return false;
    }
    damage_ = d;
    notifyEvent_ = static_cast<std::uint8_t>(firstEvent + XCB_DAMAGE_NOTIFY);
    return true;
}

bool DamageTracker::handle(const xcb_generic_event_t& ev) {
    if (!damage_ || (ev.response_type & 0x7f) != notifyEvent_) return false;
    const auto& n = reinterpret_cast<const xcb_damage_notify_event_t&>(ev);
    if (n.damage != damage_) return true;
    reported_ = true;
    // The area is in the root window's pixels, which are the virtual screen's.
    const QRect area(n.area.x, n.area.y, n.area.width, n.area.height);
    for (ChangeWatch* w : watches_) {
        if (w->area.intersects(area)) w->changed = true;
    }
    return true;
}

void DamageTracker::markAll() {
    for (ChangeWatch* w : watches_) w->changed = true;
}

void DamageTracker::remove(ChangeWatch& w) { std::erase(watches_, &w); }

void DamageTracker::rearm() {
    if (!damage_ || !reported_) return;
    xcb_damage_subtract(c_, damage_, XCB_NONE, XCB_NONE);
    xcb_flush(c_);
    reported_ = false;
}

}  // namespace orvane::platform::x11
