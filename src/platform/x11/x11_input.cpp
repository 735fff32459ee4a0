// Pointer position, warping and injected button events on the X server.
#include "platform/x11/x11_input.h"

#include <xcb/xtest.h>

#include <QGuiApplication>
#include <QStyleHints>

#include "platform/x11/x11_window_style.h"

namespace orvane::platform::x11 {

std::uint8_t xButton(MouseButton b) {
    switch (b) {
        case MouseButton::Left:
            return 1;
        case MouseButton::Middle:
            return 2;
        case MouseButton::Right:
            return 3;
    }
    return 1;
}

Point X11Pointer::position() {
    if (!c_.alive()) return last_;
    auto r = c_.reply(xcb_query_pointer_reply, xcb_query_pointer(c_.get(), c_.root()));
    // On another screen of the display same_screen is false and the position
    // is meaningless: keep the last one.
    if (r && r->same_screen) last_ = {r->root_x, r->root_y};
    return last_;
}

void X11Pointer::setPosition(Point p) {
    if (!c_.alive()) return;
    xcb_warp_pointer(c_.get(), XCB_NONE, c_.root(), 0, 0, 0, 0, static_cast<std::int16_t>(p.x),
                     static_cast<std::int16_t>(p.y));
    // Like SetCursorPos, done when it returns: whoever asks next sees the move.
    c_.sync();
}

std::optional<CursorInfo> X11Pointer::cursorInfo() { return cursor_.read(); }

bool X11Pointer::sendButton(MouseButton button, bool down) {
    if (!c_.hasXTest() || !c_.alive()) return false;
    // What Qt has asked of the server so far (a popup's ungrab above all) must
    // be done before the button arrives, or the click goes to Qt's grab.
    syncQtConnection();
    // Checked: the caller releases what it pressed when a step fails.
    return c_.check(xcb_test_fake_input_checked(c_.get(), down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE,
                                                xButton(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0));
}

bool X11Pointer::startWindowMove(QWidget& window, Point at) {
    if (!c_.alive()) return false;
    const xcb_atom_t moveResize = c_.atom("_NET_WM_MOVERESIZE");
    if (!windowManagerSupports(c_, moveResize)) return false;
    // The press that started the drag left Qt holding the pointer; the window
    // manager can only take it once that grab is gone.
    if (xcb_connection_t* q = qtConnection()) {
        xcb_ungrab_pointer(q, XCB_CURRENT_TIME);
        xcb_flush(q);
        syncQtConnection();
    }
    constexpr std::uint32_t kMove = 8, kLeftButton = 1, kFromApplication = 1;
    askWindowManager(c_, static_cast<xcb_window_t>(window.winId()), moveResize,
                     {static_cast<std::uint32_t>(at.x), static_cast<std::uint32_t>(at.y), kMove, kLeftButton,
                      kFromApplication});
    return c_.alive();
}

int X11Pointer::doubleClickTime() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

}  // namespace orvane::platform::x11
