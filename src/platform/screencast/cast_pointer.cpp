// The pointer seen through screen-cast streams: read from them, moved and
// clicked through the remote desktop session.
#include "platform/screencast/cast_pointer.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace orvane::platform::screencast {

int EvdevButton(MouseButton button) {
    switch (button) {
        case MouseButton::Left: return 0x110;
        case MouseButton::Right: return 0x111;
        case MouseButton::Middle: return 0x112;
    }
    return 0x110;
}

CastPointer::~CastPointer() {
    // A button must never stay held when Orvane ends.
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle})
        if (held_ & static_cast<unsigned>(b)) sendButton(b, false);
}

Point CastPointer::position() {
    // While it is hidden (or has not moved since the streams started) the
    // last place known stands.
    if (const std::optional<Point> p = screen_.pointer()) known_ = *p;
    return known_;
}

void CastPointer::setPosition(Point p) {
    const CastMonitor* on = nullptr;
    for (const CastMonitor& m : screen_.monitors())
        if (m.info.monitor.contains(p)) on = &m;
    if (!on) return;  // a point on no monitor is not sent anywhere
    const Rect& r = on->info.monitor;
    if (screen_.movePointer(on->info.deviceName, p.x - r.left, p.y - r.top)) known_ = p;
}

std::optional<CursorInfo> CastPointer::cursorInfo() {
    const std::optional<Point> p = screen_.pointer();
    if (!p) return CursorInfo{false, known_, nullptr};
    known_ = *p;
    return CursorInfo{true, *p, screen_.cursorImage()};
}

bool CastPointer::sendButton(MouseButton button, bool down) {
    if (!screen_.button(EvdevButton(button), down)) return false;
    if (down) held_ |= static_cast<unsigned>(button);
    else held_ &= ~static_cast<unsigned>(button);
    return true;
}

int CastPointer::doubleClickTime() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

bool CastPointer::startWindowMove(QWidget& window, Point) {
    QWindow* handle = window.windowHandle();
    return handle && handle->startSystemMove();
}

}  // namespace orvane::platform::screencast
