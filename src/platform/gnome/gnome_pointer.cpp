// The pointer on GNOME: read from the streams, moved and clicked through the
// remote desktop session.
#include "platform/gnome/gnome_pointer.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace orvane::platform::gnome {

int EvdevButton(MouseButton button) {
    switch (button) {
        case MouseButton::Left: return 0x110;
        case MouseButton::Right: return 0x111;
        case MouseButton::Middle: return 0x112;
    }
    return 0x110;
}

GnomePointer::~GnomePointer() {
    // A button must never stay held when Orvane ends.
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle})
        if (held_ & static_cast<unsigned>(b)) sendButton(b, false);
}

Point GnomePointer::position() {
    // While it is hidden (or has not moved since the streams started) the
    // last place known stands.
    if (const std::optional<Point> p = screen_.pointer()) known_ = *p;
    return known_;
}

void GnomePointer::setPosition(Point p) {
    MutterSession* session = screen_.session();
    const GnomeMonitor* on = nullptr;
    for (const GnomeMonitor& m : screen_.monitors())
        if (m.info.monitor.contains(p)) on = &m;
    if (!session || !on) return;
    // The remote desktop takes the point in the pixels of the monitor's stream.
    const Rect& r = on->info.monitor;
    double x = p.x - r.left, y = p.y - r.top;
    if (PipeWireStream* s = screen_.stream(on->info.deviceName); s && !s->frame().isNull()) {
        x = x * s->frame().width() / r.width();
        y = y * s->frame().height() / r.height();
    }
    if (session->movePointer(on->info.deviceName, x, y)) known_ = p;
}

std::optional<CursorInfo> GnomePointer::cursorInfo() {
    const std::optional<Point> p = screen_.pointer();
    if (!p) return CursorInfo{false, known_, nullptr};
    known_ = *p;
    return CursorInfo{true, *p, screen_.cursorImage()};
}

bool GnomePointer::sendButton(MouseButton button, bool down) {
    MutterSession* session = screen_.session();
    if (!session || !session->button(EvdevButton(button), down)) return false;
    if (down) held_ |= static_cast<unsigned>(button);
    else held_ &= ~static_cast<unsigned>(button);
    return true;
}

int GnomePointer::doubleClickTime() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

bool GnomePointer::startWindowMove(QWidget& window, Point) {
    QWindow* handle = window.windowHandle();
    return handle && handle->startSystemMove();
}

}  // namespace orvane::platform::gnome
