// The simulated desktop: assembles the services of the files beside this
// one, and its shell and window style; tests script it through FakePlatform.
#include "platform/fake/fake_state.h"

namespace orvane::platform::fake {

namespace {

class FakeWindowStyle : public WindowStyle {
public:
    explicit FakeWindowStyle(std::shared_ptr<State> s) : s_(std::move(s)) {}
    bool hasWindowManager() override {
        s_->call("WindowStyle::hasWindowManager");
        return s_->windowManager;
    }
    bool setCaption(QWidget& window, bool shown) override {
        s_->call("WindowStyle::setCaption");
        if (!s_->captionsSupported) return false;
        s_->captions.push_back({&window, shown});
        return true;
    }
    bool fullScreenIsTheSystems() override { return s_->systemFullScreen; }

private:
    std::shared_ptr<State> s_;
};

class FakeShell : public Shell {
public:
    explicit FakeShell(std::shared_ptr<State> s) : s_(std::move(s)) {}
    bool openLink(const std::string& target) override {
        s_->call("Shell::openLink");
        s_->links.push_back(target);
        return s_->linkResult;
    }

private:
    std::shared_ptr<State> s_;
};

}  // namespace

struct FakePlatform::Services {
    explicit Services(const std::shared_ptr<State>& s)
        : monitors(makeMonitors(s)),
          drawing(makeDrawing(s)),
          pointer(makePointer(s)),
          displayModes(makeDisplayModes(s)),
          shell(s),
          windowStyle(s) {}
    std::unique_ptr<Monitors> monitors;
    std::unique_ptr<Drawing> drawing;
    std::unique_ptr<Pointer> pointer;
    std::unique_ptr<DisplayModes> displayModes;
    FakeShell shell;
    FakeWindowStyle windowStyle;
};

// ---------------------------------------------------------------------------
// Scripting

FakePlatform::FakePlatform()
    : state_(std::make_shared<State>()), services_(std::make_unique<Services>(state_)) {
    QImage arrow(10, 10, QImage::Format_ARGB32_Premultiplied);
    arrow.fill(qRgba(0, 0, 0, 255));
    for (int y = 1; y < 9; ++y)
        for (int x = 1; x < 9; ++x) arrow.setPixel(x, y, qRgba(255, 255, 255, 255));
    setCursorImage(arrow, {0, 0});
}

FakePlatform::~FakePlatform() = default;

Monitors& FakePlatform::monitors() { return *services_->monitors; }
Drawing& FakePlatform::drawing() { return *services_->drawing; }
Pointer& FakePlatform::pointer() { return *services_->pointer; }
DisplayModes& FakePlatform::displayModes() { return *services_->displayModes; }
Shell& FakePlatform::shell() { return services_->shell; }
WindowStyle& FakePlatform::windowStyle() { return services_->windowStyle; }

void FakePlatform::setWindowManager(bool running) { state_->windowManager = running; }
void FakePlatform::setSystemFullScreen(bool on) { state_->systemFullScreen = on; }
void FakePlatform::setCaptionsSupported(bool supported) { state_->captionsSupported = supported; }
const std::vector<CaptionChange>& FakePlatform::captionChanges() const { return state_->captions; }

const std::vector<std::string>& FakePlatform::openedLinks() const { return state_->links; }
void FakePlatform::setOpenLinkResult(bool result) { state_->linkResult = result; }

void FakePlatform::setCallHook(std::function<void(const std::string& call)> hook) {
    state_->hook = std::move(hook);
}

}  // namespace orvane::platform::fake
