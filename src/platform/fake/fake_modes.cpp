// The simulated display modes: mode tables with scripted answers, the
// registered mode and a log of every change.
#include <QEventLoop>
#include <QTimer>

#include "platform/fake/fake_state.h"

namespace orvane::platform::fake {

FakeMode fakeMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t frequency) {
    FakeMode m;
    m.mode = DisplayMode{width, height, bits, frequency, 0};
    return m;
}

namespace {

class FakeDisplayModes : public DisplayModes {
public:
    explicit FakeDisplayModes(std::shared_ptr<State> s) : s_(std::move(s)) {}

    bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override {
        s_->call("DisplayModes::enumMode");
        const auto it = s_->devices.find(s_->resolve(device));
        if (it == s_->devices.end() || n >= it->second.modes.size()) return false;
        out = it->second.modes[n].mode;
        return true;
    }

    std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override {
        s_->call("DisplayModes::testMode");
        const auto it = s_->devices.find(s_->resolve(device));
        if (it == s_->devices.end()) return DispChange::BadParam;
        State::Device& d = it->second;
        ++d.testCount;
        const int i = indexOf(d, mode);
        if (i < 0) return DispChange::BadMode;
        const std::int32_t answer = testAnswer(d, i);
        ++d.testsAnswered[i];
        return answer;
    }

    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) override {
        s_->call("DisplayModes::applyMode");
        const std::string name = s_->resolve(device);
        const std::int32_t result = apply(name, mode, flags);
        s_->modeChanges.push_back({name, mode, flags, result});
        return result;
    }

    bool desktopConfirmsChange(std::uint32_t flags) const override {
        return s_->desktopConfirmsRegistered && (flags & ChangeFlags::UpdateRegistry) != 0;
    }

    std::int32_t restoreRegistered(const DeviceName& device) override {
        s_->call("DisplayModes::restoreRegistered");
        const std::string name = s_->resolve(device);
        std::int32_t result = DispChange::Successful;
        const auto it = s_->devices.find(name);
        if (it == s_->devices.end()) {
            result = DispChange::BadParam;
        } else if (s_->changesFail) {
            result = DispChange::Failed;
        } else if (it->second.registered) {
            it->second.current = it->second.registered;
            s_->followMode(name, *it->second.registered);
        }
        s_->modeChanges.push_back({name, std::nullopt, 0, result});
        return result;
    }

    std::optional<DisplayMode> currentMode(const DeviceName& device) override {
        s_->call("DisplayModes::currentMode");
        const std::string name = s_->resolve(device);
        const auto it = s_->devices.find(name);
        if (it != s_->devices.end() && it->second.current) return it->second.current;
        if (const State::Monitor* m = s_->find(name))
            return DisplayMode{static_cast<std::uint32_t>(m->described.rect.width()),
                               static_cast<std::uint32_t>(m->described.rect.height()),
                               static_cast<std::uint32_t>(m->described.bitsPerPixel),
                               static_cast<std::uint32_t>(m->described.refreshRate), 0};
        return std::nullopt;
    }

private:
    static int indexOf(const State::Device& d, const DisplayMode& mode) {
        for (std::size_t i = 0; i < d.modes.size(); ++i)
            if (d.modes[i].mode == mode) return static_cast<int>(i);
        return -1;
    }
    static std::int32_t testAnswer(const State::Device& d, int i) {
        const FakeMode& m = d.modes[i];
        if (m.testsBeforeChange >= 0 && d.testsAnswered[i] >= m.testsBeforeChange) return m.laterTestResult;
        return m.testResult;
    }

    std::int32_t apply(const std::string& name, const DisplayMode& mode, std::uint32_t flags) {
        // As the classic call: unknown bits, or Global without UpdateRegistry, are bad flags.
        constexpr std::uint32_t known = ChangeFlags::UpdateRegistry | ChangeFlags::Global;
        if ((flags & ~known) != 0) return DispChange::BadFlags;
        if ((flags & ChangeFlags::Global) != 0 && (flags & ChangeFlags::UpdateRegistry) == 0)
            return DispChange::BadFlags;
        const auto it = s_->devices.find(name);
        if (it == s_->devices.end()) return DispChange::BadParam;
        State::Device& d = it->second;
        const int i = indexOf(d, mode);
        if (i < 0) return DispChange::BadMode;
        // A mode the device would refuse in a test is refused here too.
        const std::int32_t test = testAnswer(d, i);
        if (test != DispChange::Successful) return test;
        if (d.modes[i].applyResult != DispChange::Successful) return d.modes[i].applyResult;
        if (s_->changesFail) return DispChange::Failed;
        if ((flags & ChangeFlags::UpdateRegistry) != 0 && s_->storeTakesMs > 0) {
            // As a desktop's store is waited for: the event loop goes on meanwhile.
            QEventLoop wait;
            QTimer::singleShot(s_->storeTakesMs, &wait, &QEventLoop::quit);
            wait.exec();
        }
        if (s_->storeFails && (flags & ChangeFlags::UpdateRegistry) != 0) return DispChange::NotUpdated;
        d.current = mode;
        if ((flags & ChangeFlags::UpdateRegistry) != 0) d.registered = mode;
        s_->followMode(name, mode);
        return DispChange::Successful;
    }

    std::shared_ptr<State> s_;
};

}  // namespace

std::unique_ptr<DisplayModes> makeDisplayModes(std::shared_ptr<State> state) {
    return std::make_unique<FakeDisplayModes>(std::move(state));
}

void FakePlatform::setModes(const std::string& device, std::vector<FakeMode> modes,
                            std::optional<std::size_t> current, std::optional<std::size_t> registered) {
    State::Device d;
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (modes[i].mode.id == 0) modes[i].mode.id = i + 1;
    if (!registered) registered = current;
    if (current && *current < modes.size()) d.current = modes[*current].mode;
    if (registered && *registered < modes.size()) d.registered = modes[*registered].mode;
    d.testsAnswered.assign(modes.size(), 0);
    d.modes = std::move(modes);
    state_->devices[device] = std::move(d);
}

std::optional<DisplayMode> FakePlatform::registeredMode(const std::string& device) const {
    const auto it = state_->devices.find(device);
    return it == state_->devices.end() ? std::nullopt : it->second.registered;
}

int FakePlatform::testCount(const std::string& device) const {
    const auto it = state_->devices.find(device);
    return it == state_->devices.end() ? 0 : it->second.testCount;
}

const std::vector<ModeChange>& FakePlatform::modeChanges() const { return state_->modeChanges; }
void FakePlatform::clearModeChanges() { state_->modeChanges.clear(); }
void FakePlatform::setModesResizeMonitors(bool on) { state_->modesResizeMonitors = on; }

void FakePlatform::setDesktopConfirmsRegisteredChanges(bool on) { state_->desktopConfirmsRegistered = on; }
void FakePlatform::setStoreFails(bool fails) { state_->storeFails = fails; }
void FakePlatform::setModeChangesFail(bool fail) { state_->changesFail = fail; }
void FakePlatform::setStoreTakes(int ms) { state_->storeTakesMs = ms; }

}  // namespace orvane::platform::fake
