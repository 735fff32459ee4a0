// The simulated pointer: its position and image, and a log of everything
// injected through it.
#include "platform/fake/fake_state.h"

namespace orvane::platform::fake {

namespace {

class FakePointer : public Pointer {
public:
    explicit FakePointer(std::shared_ptr<State> s) : s_(std::move(s)) {}

    Point position() override {
        s_->call("Pointer::position");
        return s_->pointer;
    }
    void setPosition(Point p) override {
        s_->call("Pointer::setPosition");
        s_->pointer = p;
        s_->inputLog.push_back({InputEvent::Kind::Move, p, MouseButton::Left, false});
    }
    std::optional<CursorInfo> cursorInfo() override {
        s_->call("Pointer::cursorInfo");
        if (s_->cursorUnavailable) return std::nullopt;
        return CursorInfo{s_->cursorVisible, s_->pointer, s_->cursorVisible ? s_->cursor : nullptr};
    }
    bool sendButton(MouseButton button, bool down) override {
        s_->call("Pointer::sendButton");
        if (!s_->buttonsAvailable) return false;
        if (s_->buttonsBeforeFailure >= 0 && s_->buttonsBeforeFailure-- == 0) return false;
        s_->inputLog.push_back({InputEvent::Kind::Button, s_->pointer, button, down});
        return true;
    }
    bool canSendButtons() override { return s_->buttonsAvailable; }
    bool canReadPosition() override { return s_->positionReadable; }
    bool positionKnown() override { return s_->positionKnown; }
    bool startWindowMove(QWidget& /*window*/, Point /*at*/) override {
        s_->call("Pointer::startWindowMove");
        return false;  // no window manager: the program moves the window
    }
    int doubleClickTime() override {
        s_->call("Pointer::doubleClickTime");
        return s_->doubleClickTime;
    }

private:
    std::shared_ptr<State> s_;
};

}  // namespace

std::unique_ptr<Pointer> makePointer(std::shared_ptr<State> state) {
    return std::make_unique<FakePointer>(std::move(state));
}

void FakePlatform::setPointerPosition(Point p) { state_->pointer = p; }

void FakePlatform::setCursorImage(const QImage& image, Point hotspot) {
    auto cursor = std::make_shared<CursorImage>();
    cursor->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    cursor->hotspot = hotspot;
    cursor->serial = ++state_->cursorSerial;
    state_->cursor = std::move(cursor);
}

void FakePlatform::setCursorVisible(bool visible) { state_->cursorVisible = visible; }
void FakePlatform::setCursorUnavailable(bool unavailable) { state_->cursorUnavailable = unavailable; }
void FakePlatform::setDoubleClickTime(int ms) { state_->doubleClickTime = ms; }
const std::vector<InputEvent>& FakePlatform::inputLog() const { return state_->inputLog; }
void FakePlatform::clearInputLog() { state_->inputLog.clear(); }
void FakePlatform::setButtonsAvailable(bool available) { state_->buttonsAvailable = available; }
void FakePlatform::setPositionReadable(bool readable) { state_->positionReadable = readable; }
void FakePlatform::setPositionKnown(bool known) { state_->positionKnown = known; }
void FakePlatform::failOneButtonAfter(int sent) { state_->buttonsBeforeFailure = sent; }

}  // namespace orvane::platform::fake
