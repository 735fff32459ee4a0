// Which parts of the screen were drawn on: a DAMAGE object on the root window
// whose reports mark the watched rectangles (the monitor contexts) they reach.
// Damage to the root includes what is drawn into its windows as long as no
// compositing manager redirects them.
#pragma once

#include <xcb/xcb.h>

#include <QRect>
#include <cstdint>
#include <vector>

namespace orvane::platform::x11 {

// A rectangle of the root window. `changed` is set when damage or a screen
// change reaches it; its owner clears it after reading.
struct ChangeWatch {
    QRect area;
    bool changed = true;
};

class DamageTracker {
public:
    DamageTracker() = default;
    DamageTracker(const DamageTracker&) = delete;
    DamageTracker& operator=(const DamageTracker&) = delete;

    // Creates the damage object; false (and the tracker stays off) when the
    // server refuses it. firstEvent is the extension's first event code.
    bool start(xcb_connection_t* c, xcb_window_t root, std::uint8_t firstEvent);
    // Off for good: after a lost connection nothing is reported any more.
    void stop() { damage_ = 0; }
    [[nodiscard]] bool active() const { return damage_ != 0; }
    // The object on the server, for freeing it with the connection.
    [[nodiscard]] std::uint32_t damage() const { return damage_; }

    // True when ev is a damage report (then it has been applied).
    bool handle(const xcb_generic_event_t& ev);
    // The screen was reconfigured: everything may have moved.
    void markAll();

    void add(ChangeWatch& w) { watches_.push_back(&w); }
    void remove(ChangeWatch& w);

    // Called after a watch was read. The server reports only damage outside
    // what it has already accumulated, so once reports came in the
    // accumulated damage is emptied (and sent at once): drawing again over
    // the same pixels is reported again. Requests that read the screen later
    // on this connection see every drawing made before the reset.
    void rearm();

private:
    xcb_connection_t* c_ = nullptr;
    std::uint32_t damage_ = 0;
    std::uint8_t notifyEvent_ = 0;
    bool reported_ = false;  // reports arrived since the last reset
    std::vector<ChangeWatch*> watches_;
};

}  // namespace orvane::platform::x11
