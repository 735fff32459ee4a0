// The main window's frame on X: whether a window manager runs and what it
// offers (the EWMH properties on the root window), and the caption through
// the Motif hints most window managers read.
#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

namespace orvane::platform::x11 {

// The window manager's check window, or none when no window manager runs
// (or one that has gone left its properties behind).
xcb_window_t windowManagerWindow(Connection& c);
// Whether a running window manager lists `feature` in _NET_SUPPORTED.
bool windowManagerSupports(Connection& c, xcb_atom_t feature);
// Sends the window manager an EWMH request of `type` about `window` and
// waits until the server has passed it on.
void askWindowManager(Connection& c, xcb_window_t window, xcb_atom_t type, std::array<std::uint32_t, 5> data);

class X11WindowStyle : public WindowStyle {
public:
    explicit X11WindowStyle(Connection& c) : c_(c) {}
    bool hasWindowManager() override;
    bool setCaption(QWidget& window, bool shown) override;

private:
    struct Extents {
        int left = 0, right = 0, top = 0, bottom = 0;
        friend bool operator==(const Extents&, const Extents&) = default;
    };
    // The decoration around a managed window (_NET_FRAME_EXTENTS).
    std::optional<Extents> frameExtents(xcb_window_t window);
    std::optional<QPoint> clientPosition(xcb_window_t window);
    // Maximised or full screen: where it stands is the window manager's choice.
    bool placedByWindowManager(xcb_window_t window);
    void keepFrameWhereItWas(xcb_window_t window, Extents before, QPoint clientBefore);
    // Adds or removes one _NET_WM_STATE atom, mapped or not.
    void setWindowState(xcb_window_t window, xcb_atom_t state, bool on);
    Connection& c_;
};

}  // namespace orvane::platform::x11
