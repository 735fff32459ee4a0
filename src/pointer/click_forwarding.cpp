#include "pointer/click_forwarding.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

#include "core/app_state.h"
#include "core/rounding.h"

namespace orvane {

namespace {

// How long input we injected may take to come back to our own view.
constexpr qint64 kEchoWindowMs = 1000;

}  // namespace

bool ClickForwarding::Press(int button, float x, float y) {
    if (button == 1) down_ = {R(x), R(y)};
    const int prev = lastButton_;
    lastButton_ = static_cast<std::int16_t>(button);
    return button == 2 && !busy_ && prev != 2;
}

void ClickForwarding::AnchorDrag(int button, float x, float y) {
    if (button == 1) down_ = {R(x), R(y)};
}

void ClickForwarding::Release(float x, float y) {
    platform::Point t = ViewToScreen(x, y, AppState.ZoomRate, AppState.ViewLeft, AppState.ViewTop);
    // The user pointed at the watched monitor, even where rounding says
    // otherwise (the last column at 200 % rounds to the pixel after it) or
    // the release was dragged off the picture.
    if (AppState.ViewWidth > 0 && AppState.ViewHeight > 0) {
        t.x = std::clamp(t.x, AppState.ViewLeft, AppState.ViewLeft + AppState.ViewWidth - 1);
        t.y = std::clamp(t.y, AppState.ViewTop, AppState.ViewTop + AppState.ViewHeight - 1);
    }
    target_ = t;
}

DoubleClickAction ClickForwarding::TakeDoubleClick(std::int32_t setting) {
    const DoubleClickAction action = DoubleClickActionFor(setting, lastButton_);
    // With no action a pending popup is still shown.
    if (action.kind != DoubleClickAction::Kind::Nothing) lastButton_ = 0;
    return action;
}

void ClickForwarding::MoveToTarget() {
    // Never somewhere outside every monitor (no monitor was watched).
    if (MonitorIndexAt(AppState.MonitorTable, target_) < 0) return;
    pointer_.setPosition(target_);
}

void ClickForwarding::Click(int button, bool doubleClick) {
    const platform::Point target = target_;
    // Nothing goes anywhere the user did not point at, and where buttons
    // cannot be sent the pointer is not moved for nothing.
    if (!pointer_.canSendButtons() || MonitorIndexAt(AppState.MonitorTable, target) < 0) return;
    busy_ = true;
    auto releaseAll = [&] {
        for (const ButtonStep& step : ReleaseAllButtons()) pointer_.sendButton(step.button, step.down);
    };
    releaseAll();
    const platform::Point saved = pointer_.position();
    pointer_.setPosition(target);
    int sent = 0;
    for (const ButtonStep& step : ClickSequence(button, doubleClick)) {
        if (!pointer_.sendButton(step.button, step.down)) {
            // Never leave a button held because a step failed half way.
            releaseAll();
            break;
        }
        ++sent;
    }
    pointer_.setPosition(saved);
    ExpectEcho(target, sent);
    busy_ = false;
}

void ClickForwarding::ExpectEcho(platform::Point at, int buttonEvents) {
    if (buttonEvents <= 0) return;
    echo_ = Echo{at, buttonEvents, QDateTime::currentMSecsSinceEpoch() + kEchoWindowMs};
}

bool ClickForwarding::TakeEcho(QPointF g) {
    if (!echo_) return false;
    if (QDateTime::currentMSecsSinceEpoch() > echo_->until) {
        echo_.reset();
        return false;
    }
    if (std::abs(g.x() - echo_->at.x) > 1 || std::abs(g.y() - echo_->at.y) > 1) return false;
    if (--echo_->pending <= 0) echo_.reset();
    return true;
}

}  // namespace orvane
