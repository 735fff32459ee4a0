// Which parts of the screen were drawn on: a DAMAGE object on the root window
// whose accumulated region goes to the watched rectangles (the monitor
// contexts) it reaches.
// Damage to the root includes what is drawn into its windows as long as no
// compositing manager redirects them.
#pragma once

#include <xcb/xcb.h>

#include <QRect>
#include <QRegion>
#include <cstdint>
#include <vector>

namespace orvane::platform::x11 {

// A rectangle of the root window and what was drawn in it since its owner
// last read it: `region` in the rectangle's own pixels, `all` when a screen
// change may have moved everything. A new watch has seen nothing yet.
struct ChangeWatch {
    QRect area;
    QRegion region;
    bool all = true;
};

class DamageTracker {
public:
    DamageTracker() = default;
    DamageTracker(const DamageTracker&) = delete;
    DamageTracker& operator=(const DamageTracker&) = delete;

    // Creates the damage object and the region it is read through; false
    // (and the tracker stays off) when the server refuses them. firstEvent is
    // the extension's first event code; XFixes 2 must have been negotiated.
    bool start(xcb_connection_t* c, xcb_window_t root, std::uint8_t firstEvent);
    // Off for good: after a lost connection nothing is reported any more.
    void stop() { damage_ = 0; }
    [[nodiscard]] bool active() const { return damage_ != 0; }
    // The objects on the server, for freeing them with the connection.
    [[nodiscard]] std::uint32_t damage() const { return damage_; }
    [[nodiscard]] std::uint32_t region() const { return parts_; }

    // True when ev is a damage report (then it has been noted).
    bool handle(const xcb_generic_event_t& ev);
    // The screen was reconfigured: everything may have moved.
    void markAll();

    void add(ChangeWatch& w) { watches_.push_back(&w); }
    void remove(ChangeWatch& w);

    // Called before a watch is read. Once reports came in, the accumulated
    // damage is taken from the server and emptied in one request, and handed
    // to every watch it reaches. Reports only say that something was drawn:
    // the server reports damage outside what it has accumulated, so drawing
    // done by other clients between a report and the reset would be lost
    // with the reset, while the region taken with it holds exactly what was
    // drawn before, and whatever comes after is reported anew. Requests that
    // read the screen later on this connection see every drawing made before.
    void rearm();

private:
    xcb_connection_t* c_ = nullptr;
    std::uint32_t damage_ = 0;
    std::uint32_t parts_ = 0;  // XFixes region receiving the damage at each reset
    std::uint8_t notifyEvent_ = 0;
    bool reported_ = false;  // reports arrived since the last reset
    std::vector<ChangeWatch*> watches_;
};

}  // namespace orvane::platform::x11
