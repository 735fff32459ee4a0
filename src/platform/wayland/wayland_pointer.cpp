#include "platform/wayland/wayland_pointer.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <thread>

#include "platform/wayland/sway_ipc.h"
#include "platform/wayland/wayland_connection.h"
#include "wlr-virtual-pointer-client-protocol.h"

namespace orvane::platform::wayland {

namespace {

std::uint32_t evdevButton(MouseButton b) {
    switch (b) {
        case MouseButton::Left:
            return BTN_LEFT;
        case MouseButton::Middle:
            return BTN_MIDDLE;
        case MouseButton::Right:
            return BTN_RIGHT;
    }
    return BTN_LEFT;
}

unsigned bitOf(MouseButton b) { return static_cast<unsigned>(b); }

}  // namespace

std::optional<QPoint> swayWindowOrigin(QWindow& window) {
    const std::optional<QRect> r = swayWindowRect(QCoreApplication::applicationPid(), window.title());
    if (!r) return std::nullopt;
    return r->topLeft();
}

WaylandPointer::WaylandPointer(Connection& c, WindowOrigin origin) : c_(c), origin_(std::move(origin)) {
    const Rect bounds = c_.layoutBounds();
    known_ = {bounds.left + bounds.width() / 2, bounds.top + bounds.height() / 2};
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

WaylandPointer::~WaylandPointer() {
    // No button may stay held after Orvane is gone.
    for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle})
        if (held_ & bitOf(b)) sendButton(b, false);
    if (device_) zwlr_virtual_pointer_v1_destroy(device_);
    c_.flush();
}

zwlr_virtual_pointer_v1* WaylandPointer::device() {
    if (!device_ && c_.virtualPointers() && c_.alive())
        device_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(c_.virtualPointers(), c_.seat());
    return device_;
}

std::uint32_t WaylandPointer::now() const {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Point WaylandPointer::position() { return known_; }

void WaylandPointer::setPosition(Point p) {
    zwlr_virtual_pointer_v1* d = device();
    const Rect b = c_.layoutBounds();
    if (!d || b.width() <= 0 || b.height() <= 0) return;
    // Absolute motion spans the layout's rectangle: x / extent of its width.
    const auto x = static_cast<std::uint32_t>(std::clamp(p.x, b.left, b.right - 1) - b.left);
    const auto y = static_cast<std::uint32_t>(std::clamp(p.y, b.top, b.bottom - 1) - b.top);
    zwlr_virtual_pointer_v1_motion_absolute(d, now(), x, y, static_cast<std::uint32_t>(b.width()),
                                            static_cast<std::uint32_t>(b.height()));
    zwlr_virtual_pointer_v1_frame(d);
    // Like SetCursorPos, done when it returns.
    c_.roundTrip();
    known_ = {b.left + static_cast<std::int32_t>(x), b.top + static_cast<std::int32_t>(y)};
    moved_ = std::chrono::steady_clock::now();
}

bool WaylandPointer::sendButton(MouseButton button, bool down) {
    zwlr_virtual_pointer_v1* d = device();
    if (!d) return false;
    // What Qt has asked of the compositor so far (closing a popup menu above
    // all, whose grab would take the button) must arrive first. Qt sends its
    // requests when its event dispatcher wakes; the compositor gets a moment.
    if (auto* dispatcher = QAbstractEventDispatcher::instance();
        dispatcher && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        emit dispatcher->awake();
        moved_ = std::max(moved_, std::chrono::steady_clock::now());
    }
    // A client may drop a button that reaches it in one read with the pointer
    // entering its window (Qt's do): the move gets a moment to arrive alone.
    constexpr auto kSettle = std::chrono::milliseconds(10);
    std::this_thread::sleep_until(moved_ + kSettle);
    zwlr_virtual_pointer_v1_button(d, now(), evdevButton(button),
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(d);
    if (!c_.roundTrip()) return false;
    if (down)
        held_ |= bitOf(button);
    else
        held_ &= ~bitOf(button);
    return true;
}

bool WaylandPointer::canSendButtons() { return c_.virtualPointers() != nullptr && c_.alive(); }

int WaylandPointer::doubleClickTime() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

bool WaylandPointer::startWindowMove(QWidget& window, Point) {
    QWindow* handle = window.windowHandle();
    return handle != nullptr && handle->startSystemMove();
}

bool WaylandPointer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (t != QEvent::MouseMove && t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
        t != QEvent::MouseButtonDblClick)
        return false;
    // Each mouse event reaches its window first, in window coordinates.
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window) return false;
    // Over its own windows a client knows where the pointer is, once it knows
    // where the window is: asked at presses and when the pointer comes to
    // another window, and kept for the moves between.
    if (t != QEvent::MouseMove || lastWindow_ != window) {
        lastWindow_ = window;
        // A popup (a menu) lies where Qt placed it relative to its window,
        // which the compositor knows the place of.
        QWindow* top = window;
        while (top->transientParent()) top = top->transientParent();
        lastOrigin_ = origin_ ? origin_(*top) : std::nullopt;
        if (lastOrigin_ && top != window) *lastOrigin_ += window->mapToGlobal(QPoint(0, 0)) - top->mapToGlobal(QPoint(0, 0));
    }
    if (!lastOrigin_) return false;
    const QPoint at = *lastOrigin_ + static_cast<QMouseEvent*>(event)->position().toPoint();
    known_ = {at.x(), at.y()};
    return false;
}

}  // namespace orvane::platform::wayland
