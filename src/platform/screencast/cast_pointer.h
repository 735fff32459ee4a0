// The pointer seen through screen-cast streams (GNOME, the portal): where it
// is and what it looks like come from the streams' cursor data; it is moved
// and clicked through the remote desktop session, as a user's mouse would.
#pragma once

#include "platform/screencast/cast_screen.h"
#include "platform/pointer.h"

namespace orvane::platform::screencast {

class CastPointer : public Pointer {
public:
    explicit CastPointer(CastScreen& screen) : screen_(screen) {}
    ~CastPointer() override;
    [[nodiscard]] Point position() override;
    void setPosition(Point p) override;
    [[nodiscard]] bool positionKnown() override { return screen_.pointer().has_value(); }
    [[nodiscard]] std::optional<CursorInfo> cursorInfo() override;
    bool sendButton(MouseButton button, bool down) override;
    [[nodiscard]] bool canSendButtons() override { return screen_.canSendInput(); }
    [[nodiscard]] int doubleClickTime() override;
    bool startWindowMove(QWidget& window, Point at) override;

private:
    CastScreen& screen_;
    Point known_;
    unsigned held_ = 0;  // buttons pressed and not yet released, by bit
};

// The kernel's number of a button (BTN_LEFT …), as the remote desktop takes it.
int EvdevButton(MouseButton button);

}  // namespace orvane::platform::screencast
