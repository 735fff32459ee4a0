// The mouse pointer: its position, its current image, moving it and
// injecting button events as if the user pressed them.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/geometry.h"

namespace orvane::platform {

// Button codes as the view's handlers use them.
enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

struct CursorImage {
    QImage image;              // Format_ARGB32_Premultiplied
    Point hotspot;             // within image
    std::uint64_t serial = 0;  // changes whenever the image changes
};

struct CursorInfo {
    bool visible = true;
    Point position;                            // virtual-screen pixels
    std::shared_ptr<const CursorImage> image;  // null when hidden
};

class Pointer {
public:
    virtual ~Pointer() = default;
    [[nodiscard]] virtual Point position() = 0;  // GetCursorPos
    virtual void setPosition(Point p) = 0;       // SetCursorPos
    // Whether position() tells where the pointer is wherever it is. Wayland
    // tells a client only while the pointer is over the client's windows:
    // there position() is the last position known.
    [[nodiscard]] virtual bool canReadPosition() { return true; }
    // Whether position() tells where the pointer is right now. Where the
    // position comes with the captured pictures (GNOME), it is unknown while
    // the pointer is hidden and until it first moves; position() then
    // answers the last one known.
    [[nodiscard]] virtual bool positionKnown() { return true; }
    // The current pointer image; nullopt when the platform cannot read it
    // (the caller then draws no pointer image).
    [[nodiscard]] virtual std::optional<CursorInfo> cursorInfo() = 0;
    // One button pressed or released where the pointer stands, no movement,
    // as if the user did it. False when it could not be sent.
    virtual bool sendButton(MouseButton button, bool down) = 0;
    // Whether sendButton can work at all here (X11: the XTest extension).
    [[nodiscard]] virtual bool canSendButtons() = 0;
    [[nodiscard]] virtual int doubleClickTime() = 0;  // milliseconds
    // Hands the pressed pointer to the window manager, which then moves
    // `window` (a top-level) with it as if its title bar were dragged from
    // `at`. False when no window manager offers that: the caller moves the
    // window itself.
    virtual bool startWindowMove(QWidget& window, Point at) = 0;
};

}  // namespace orvane::platform
