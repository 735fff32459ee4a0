// The pointer on X: position and warp on the root window, its image through
// XFixes, and button presses injected with XTest.
#pragma once

#include "platform/pointer.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_cursor.h"

namespace orvane::platform::x11 {

class X11Pointer : public Pointer {
public:
    explicit X11Pointer(Connection& c) : c_(c), cursor_(c) {}
    Point position() override;
    void setPosition(Point p) override;
    std::optional<CursorInfo> cursorInfo() override;
    bool sendButton(MouseButton button, bool down) override;
    bool canSendButtons() override { return c_.hasXTest(); }
    int doubleClickTime() override;
    bool startWindowMove(QWidget& window, Point at) override;

private:
    Connection& c_;
    CursorReader cursor_;
    Point last_;
};

// The X button number of a button code (left 1, middle 2, right 3).
std::uint8_t xButton(MouseButton b);

}  // namespace orvane::platform::x11
