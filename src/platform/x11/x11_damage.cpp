// DAMAGE reports on the root window turned into the changed regions of the
// watched rectangles (see x11_damage.h).
#include "platform/x11/x11_damage.h"

#include <xcb/damage.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace orvane::platform::x11 {

namespace {
// Past this many rectangles a watch's region is kept as its bounding rectangle.
constexpr std::size_t kMaxRects = 256;
}  // namespace

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
    const xcb_xfixes_region_t parts = xcb_generate_id(c);
    err = xcb_request_check(c, xcb_xfixes_create_region_checked(c, parts, 0, nullptr));
    if (err) {
        std::free(err);
        xcb_damage_destroy(c, d);
        return false;
    }
    damage_ = d;
    parts_ = parts;
    notifyEvent_ = static_cast<std::uint8_t>(firstEvent + XCB_DAMAGE_NOTIFY);
    return true;
}

bool DamageTracker::handle(const xcb_generic_event_t& ev) {
    if (!damage_ || (ev.response_type & 0x7f) != notifyEvent_) return false;
    const auto& n = reinterpret_cast<const xcb_damage_notify_event_t&>(ev);
    if (n.damage != damage_) return true;
    reported_ = true;
    return true;
}

void DamageTracker::markAll() {
    for (ChangeWatch* w : watches_) w->all = true;
}

void DamageTracker::remove(ChangeWatch& w) { std::erase(watches_, &w); }

void DamageTracker::rearm() {
    if (!damage_ || !reported_) return;
    reported_ = false;
    xcb_damage_subtract(c_, damage_, XCB_NONE, parts_);
    xcb_xfixes_fetch_region_reply_t* r =
        xcb_xfixes_fetch_region_reply(c_, xcb_xfixes_fetch_region(c_, parts_), nullptr);
    if (!r) {
        markAll();  // the damage is gone but unknown: redraw everything
        return;
    }
    const xcb_rectangle_t* rects = xcb_xfixes_fetch_region_rectangles(r);
    const int n = xcb_xfixes_fetch_region_rectangles_length(r);
    // The region is in the root window's pixels, which are the virtual screen's.
    std::vector<QRect> hits;
    for (ChangeWatch* w : watches_) {
        hits.clear();
        for (int i = 0; i < n; ++i) {
            const QRect hit = w->area & QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
            if (!hit.isEmpty()) hits.push_back(hit.translated(-w->area.topLeft()));
        }
        // Each union costs in the size of the region: a screen of thousands
        // of scattered changes is taken as the rectangle around them.
        if (hits.size() > kMaxRects) {
            QRect around;
            for (const QRect& h : hits) around |= h;
            w->region += around;
        } else {
            for (const QRect& h : hits) w->region += h;
        }
        if (w->region.rectCount() > static_cast<int>(kMaxRects)) w->region = w->region.boundingRect();
    }
    std::free(r);
}

}  // namespace orvane::platform::x11
