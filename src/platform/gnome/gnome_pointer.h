// The pointer on GNOME: where it is and what it looks like come from the
// screen-cast streams' cursor data; it is moved and clicked through the
// remote desktop session, as a user's mouse would.
#pragma once

#include "platform/gnome/gnome_screen.h"
#include "platform/pointer.h"

namespace orvane::platform::gnome {

class GnomePointer : public Pointer {
public:
    explicit GnomePointer(GnomeScreen& screen) : screen_(screen) {}
    ~GnomePointer() override;
    [[nodiscard]] Point position() override;
    void setPosition(Point p) override;
    [[nodiscard]] bool positionKnown() override { return screen_.pointer().has_value(); }
    [[nodiscard]] std::optional<CursorInfo> cursorInfo() override;
    bool sendButton(MouseButton button, bool down) override;
    [[nodiscard]] bool canSendButtons() override { return screen_.session() != nullptr; }
    [[nodiscard]] int doubleClickTime() override;
    bool startWindowMove(QWidget& window, Point at) override;

private:
    GnomeScreen& screen_;
    Point known_;
    unsigned held_ = 0;  // buttons pressed and not yet released, by bit
};

// The kernel's number of a button (BTN_LEFT …), as the remote desktop takes it.
int EvdevButton(MouseButton button);

}  // namespace orvane::platform::gnome
