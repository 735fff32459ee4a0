// The pointer on Wayland: moved and clicked through a virtual pointer device
// of Orvane's own (absolute motion over the output layout, button events as
// the kernel numbers them). Wayland tells a client where the pointer is only
// over the client's own windows, and then only in window coordinates; where
// the compositor's IPC says where those windows are (sway), that gives the
// position in the layout, otherwise the last position Orvane knew.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/pointer.h"

struct zwlr_virtual_pointer_v1;

namespace orvane::platform::wayland {

class Connection;

// Where a point of one of the program's windows lies in the output layout;
// nullopt when the compositor does not say.
using WindowOrigin = std::function<std::optional<QPoint>(QWindow& window)>;

class WaylandPointer : public QObject, public Pointer {
public:
    WaylandPointer(Connection& c, WindowOrigin origin);
    ~WaylandPointer() override;
    [[nodiscard]] Point position() override;
    void setPosition(Point p) override;
    [[nodiscard]] bool canReadPosition() override { return false; }
    [[nodiscard]] std::optional<CursorInfo> cursorInfo() override { return std::nullopt; }
    bool sendButton(MouseButton button, bool down) override;
    [[nodiscard]] bool canSendButtons() override;
    [[nodiscard]] int doubleClickTime() override;
    bool startWindowMove(QWidget& window, Point at) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    zwlr_virtual_pointer_v1* device();
    std::uint32_t now() const;
    Connection& c_;
    WindowOrigin origin_;
    zwlr_virtual_pointer_v1* device_ = nullptr;
    Point known_;
    QPointer<QWindow> lastWindow_;     // the window the last mouse event came to
    std::optional<QPoint> lastOrigin_;  // its place in the layout then
    std::chrono::steady_clock::time_point moved_;  // the last warp
    unsigned held_ = 0;  // buttons pressed and not yet released, by bit
};

// The sway IPC answer to WindowOrigin (nullopt elsewhere).
std::optional<QPoint> swayWindowOrigin(QWindow& window);

}  // namespace orvane::platform::wayland
