#include "platform/x11/x11_window_style.h"

#include <QWidget>
#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

namespace orvane::platform::x11 {

namespace {

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kHintsDecorations = 1U << 1;
constexpr std::uint32_t kDecorAll = 1U << 0;
constexpr std::uint32_t kDecorBorder = 1U << 1;
constexpr std::uint32_t kDecorResizeHandle = 1U << 2;

}  // namespace

xcb_window_t windowManagerWindow(Connection& c) {
    if (!c.alive()) return XCB_NONE;
    auto check = c.reply(
        xcb_get_property_reply,
        xcb_get_property(c.get(), 0, c.root(), c.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1));
    if (!check || xcb_get_property_value_length(check.get()) != 4) return XCB_NONE;
    const xcb_window_t wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    // A window manager that has ended leaves the property naming a window that is gone.
    if (!c.reply(xcb_get_window_attributes_reply, xcb_get_window_attributes(c.get(), wm))) return XCB_NONE;
    return wm;
}

bool windowManagerSupports(Connection& c, xcb_atom_t feature) {
    if (windowManagerWindow(c) == XCB_NONE) return false;
    auto supported =
        c.reply(xcb_get_property_reply,
                xcb_get_property(c.get(), 0, c.root(), c.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096));
    if (!supported) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const int n = xcb_get_property_value_length(supported.get()) / 4;
    return std::find(atoms, atoms + n, feature) != atoms + n;
}

void askWindowManager(Connection& c, xcb_window_t window, xcb_atom_t type,
                      std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = type;
    std::copy(data.begin(), data.end(), ev.data.data32);
    xcb_send_event(c.get(), 0, c.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    c.sync();
}

bool X11WindowStyle::hasWindowManager() { return windowManagerWindow(c_) != XCB_NONE; }

bool X11WindowStyle::setCaption(QWidget& window, bool shown) {
    if (!c_.alive()) return false;
    // Qt's own hints for the window must not come after ours.
    const auto id = static_cast<xcb_window_t>(window.winId());
    syncQtConnection();
    // Without the caption the border stays, so the window can still be
    // resized by its edges; nothing is unmapped, moved or activated.
    const std::optional<Extents> before = frameExtents(id);
    const auto clientBefore = clientPosition(id);
    const std::array<std::uint32_t, 5> hints = {
        kHintsDecorations, 0, shown ? kDecorAll : (kDecorBorder | kDecorResizeHandle), 0, 0};
    const xcb_atom_t motif = c_.atom("_MOTIF_WM_HINTS");
    const bool ok =
        c_.check(xcb_change_property_checked(c_.get(), XCB_PROP_MODE_REPLACE, id, motif, motif, 32,
                                             static_cast<std::uint32_t>(hints.size()), hints.data()));
    // Openbox reads the Motif hints only when it takes a window on; its own
    // window state does the same at any time and keeps the border.
    const xcb_atom_t undecorated = c_.atom("_OB_WM_STATE_UNDECORATED");
    if (ok && windowManagerSupports(c_, undecorated)) setWindowState(id, undecorated, !shown);
    if (ok && before && clientBefore) keepFrameWhereItWas(id, *before, *clientBefore);
    return ok;
}

std::optional<X11WindowStyle::Extents> X11WindowStyle::frameExtents(xcb_window_t window) {
    auto r = c_.reply(
        xcb_get_property_reply,
        xcb_get_property(c_.get(), 0, window, c_.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) != 16) return std::nullopt;
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return Extents{static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                   static_cast<int>(v[3])};
}

bool X11WindowStyle::placedByWindowManager(xcb_window_t window) {
    auto r = c_.reply(xcb_get_property_reply, xcb_get_property(c_.get(), 0, window, c_.atom("_NET_WM_STATE"),
                                                               XCB_ATOM_ATOM, 0, 1024));
    if (!r || r->format != 32) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    for (const char* name :
         {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_WM_STATE_FULLSCREEN"}) {
        if (std::find(atoms, atoms + n, c_.atom(name)) != atoms + n) return true;
    }
    return false;
}

std::optional<QPoint> X11WindowStyle::clientPosition(xcb_window_t window) {
    auto t = c_.reply(xcb_translate_coordinates_reply,
                      xcb_translate_coordinates(c_.get(), window, c_.root(), 0, 0));
    if (!t) return std::nullopt;
    return QPoint(t->dst_x, t->dst_y);
}

void X11WindowStyle::keepFrameWhereItWas(xcb_window_t window, Extents before, QPoint clientBefore) {
    // Window managers keep the client where it is when its decoration
    // changes, so the frame's corner moves by the caption's height. Once
    // the new decoration is in place, put the frame's corner back.
    const xcb_atom_t moveResize = c_.atom("_NET_MOVERESIZE_WINDOW");
    if (!windowManagerSupports(c_, moveResize) || placedByWindowManager(window)) return;
    std::optional<Extents> after;
    for (int i = 0; i < 50; ++i) {  // at most half a second
        after = frameExtents(window);
        if (after && !(*after == before)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!after || *after == before) return;
    // Static gravity: the position is the client's own, the frame's old
    // corner plus the new decoration (window managers differ in how they
    // read a frame corner).
    constexpr std::uint32_t kStatic = 10;
    constexpr std::uint32_t kX = 1U << 8, kY = 1U << 9, kFromApplication = 1U << 12;
    askWindowManager(c_, window, moveResize,
                     {kStatic | kX | kY | kFromApplication,
                      static_cast<std::uint32_t>(clientBefore.x() - before.left + after->left),
                      static_cast<std::uint32_t>(clientBefore.y() - before.top + after->top), 0, 0});
}

void X11WindowStyle::setWindowState(xcb_window_t window, xcb_atom_t state, bool on) {
    const xcb_atom_t netWmState = c_.atom("_NET_WM_STATE");
    auto attributes = c_.reply(xcb_get_window_attributes_reply, xcb_get_window_attributes(c_.get(), window));
    if (!attributes) return;
    if (attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
        // A managed window's state is the window manager's: ask it (add or
        // remove, the state, no second state, as an ordinary application).
        askWindowManager(c_, window, netWmState, {on ? 1U : 0U, state, 0, 1, 0});
        return;
    }
    // Before it is mapped the window says its state itself, in the property
    // the window manager reads when it takes the window on (Qt keeps what it
    // finds there when it adds its own).
    auto current = c_.reply(xcb_get_property_reply,
                            xcb_get_property(c_.get(), 0, window, netWmState, XCB_ATOM_ATOM, 0, 1024));
    std::vector<xcb_atom_t> atoms;
    if (current && current->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(current.get()));
        atoms.assign(data, data + xcb_get_property_value_length(current.get()) / 4);
    }
    atoms.erase(std::remove(atoms.begin(), atoms.end(), state), atoms.end());
    if (on) atoms.push_back(state);
    xcb_change_property(c_.get(), XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    c_.sync();
}

}  // namespace orvane::platform::x11
