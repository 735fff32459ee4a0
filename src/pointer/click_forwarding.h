// Click forwarding: a press, release or double click in the view becomes real
// mouse input at the matching point of the watched monitor. This object holds
// what lies between those events (the target, the drag anchor, the last
// button, the input on its way back to our own view); the window turns Qt's
// events into its calls.
#pragma once

#include <QPointF>
#include <cstdint>
#include <optional>

#include "platform/geometry.h"
#include "platform/pointer.h"
#include "pointer/pointer_rules.h"

namespace orvane {

class ClickForwarding {
public:
    explicit ClickForwarding(platform::Pointer& pointer) : pointer_(pointer) {}

    // A press of `button` (1 left, 2 right, 4 middle) at view position (x, y).
    // True when it should open the popup once the double-click time passes.
    bool Press(int button, float x, float y);
    // The second press of a double click anchors a drag like any press.
    void AnchorDrag(int button, float x, float y);
    // A release: its watched-monitor point becomes the target of the next action.
    void Release(float x, float y);
    // Whether the popup, once its time has passed, is still wanted.
    [[nodiscard]] bool PopupDue() const { return lastButton_ == 2 && !busy_; }
    void ForgetButton() { lastButton_ = 0; }
    // What a completed double click does under the setting; the button is used up.
    DoubleClickAction TakeDoubleClick(std::int32_t setting);

    // Moves the pointer to the target.
    void MoveToTarget();
    // Clicks at the target and brings the pointer back.
    void Click(int button, bool doubleClick);
    // Whether this button event (global position in screen pixels) is input we
    // injected coming back to our own view; it is used up then.
    bool TakeEcho(QPointF globalScreenPixels);

    [[nodiscard]] platform::Point Target() const { return target_; }
    [[nodiscard]] platform::Point DragAnchor() const { return down_; }
    [[nodiscard]] int LastButton() const { return lastButton_; }
    [[nodiscard]] bool Busy() const { return busy_; }

private:
    void ExpectEcho(platform::Point at, int buttonEvents);

    platform::Pointer& pointer_;
    platform::Point target_;
    platform::Point down_;
    std::int16_t lastButton_ = 0;
    bool busy_ = false;
    struct Echo {
        platform::Point at;
        int pending = 0;
        std::int64_t until = 0;  // ms since the epoch
    };
    std::optional<Echo> echo_;
};

}  // namespace orvane
