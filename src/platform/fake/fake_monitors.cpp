// The simulated monitors: enumeration, the monitor under a window, opening
// a monitor, and the scripting that adds, moves and paints them.
#include <limits>

#include "platform/fake/fake_state.h"

namespace orvane::platform::fake {

namespace {

class FakeMonitors : public Monitors {
public:
    explicit FakeMonitors(std::shared_ptr<State> s) : s_(std::move(s)) {}

    std::vector<MonitorInfo> enumerate() override {
        s_->call("Monitors::enumerate");
        return s_->enumerate();
    }

    MonitorHandle monitorFromRect(const Rect& windowRect) override {
        s_->call("Monitors::monitorFromRect");
        const auto all = s_->enumerate();
        const MonitorInfo* best = &all.front();
        std::int64_t bestArea = 0;
        for (const auto& m : all) {
            const std::int64_t a = overlapArea(windowRect, m.monitor);
            if (a > bestArea) {
                bestArea = a;
                best = &m;
            }
        }
        if (bestArea > 0) return best->handle;
        std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
        for (const auto& m : all) {
            const std::int64_t d = distance2(windowRect, m.monitor);
            if (d < bestDistance) {
                bestDistance = d;
                best = &m;
            }
        }
        return best->handle;
    }

    std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) override {
        s_->call("Monitors::openMonitor");
        for (const auto& m : s_->enumerate()) {
            if (m.deviceName != deviceName) continue;
            const State::Monitor* live = s_->find(deviceName);
            const std::int32_t bits = live ? live->described.bitsPerPixel : 32;
            const std::int32_t hz = live ? live->described.refreshRate : 0;
            return std::make_unique<FakeMonitorContext>(s_, deviceName, m.monitor, bits, hz);
        }
        return nullptr;
    }

    void watchLayout(std::function<void()> changed) override { s_->layoutWatcher = std::move(changed); }
    CaptureState captureState() override { return s_->captureStopped ? CaptureState::Stopped : CaptureState::Live; }

private:
    std::shared_ptr<State> s_;
};

}  // namespace

std::unique_ptr<Monitors> makeMonitors(std::shared_ptr<State> state) {
    return std::make_unique<FakeMonitors>(std::move(state));
}

MonitorHandle FakePlatform::addMonitor(FakeMonitor monitor) {
    if (!monitor.picture.isNull()) monitor.picture = monitor.picture.convertToFormat(QImage::Format_RGB32);
    State::Monitor m;
    m.described = std::move(monitor);
    m.handle = state_->nextHandle++;
    const FakeMonitor& described = m.described;
    if (!state_->devices.contains(described.deviceName))
        setModes(described.deviceName, {fakeMode(static_cast<std::uint32_t>(described.rect.width()),
                                                 static_cast<std::uint32_t>(described.rect.height()),
                                                 static_cast<std::uint32_t>(described.bitsPerPixel),
                                                 static_cast<std::uint32_t>(described.refreshRate))});
    state_->monitors.push_back(std::move(m));
    state_->damage(state_->monitors.back().described.rect);
    return state_->monitors.back().handle;
}

void FakePlatform::removeMonitor(const std::string& deviceName) {
    if (const auto* m = state_->find(deviceName)) state_->damage(m->described.rect);
    std::erase_if(state_->monitors,
                  [&](const State::Monitor& m) { return m.described.deviceName == deviceName; });
}

void FakePlatform::setCaptureStopped(bool stopped) { state_->captureStopped = stopped; }

void FakePlatform::announceLayoutChange() {
    if (state_->layoutWatcher) state_->layoutWatcher();
}

void FakePlatform::removeAllMonitors() {
    for (const auto& m : state_->monitors) state_->damage(m.described.rect);
    state_->monitors.clear();
}

void FakePlatform::setMonitorRect(const std::string& deviceName, const Rect& rect) {
    if (auto* m = state_->find(deviceName)) {
        state_->damage(m->described.rect);
        m->described.rect = rect;
        state_->damage(rect);
    }
}

void FakePlatform::setWorkArea(const std::string& deviceName, const Rect& work) {
    if (auto* m = state_->find(deviceName)) m->described.work = work;
}

void FakePlatform::setPrimary(const std::string& deviceName) {
    for (auto& m : state_->monitors) m.described.primary = (m.described.deviceName == deviceName);
}

void FakePlatform::setBitsPerPixel(const std::string& deviceName, std::int32_t bits) {
    if (auto* m = state_->find(deviceName)) m->described.bitsPerPixel = bits;
}

void FakePlatform::setRefreshRate(const std::string& deviceName, std::int32_t hz) {
    if (auto* m = state_->find(deviceName)) m->described.refreshRate = hz;
}

void FakePlatform::setPicture(const std::string& deviceName, const QImage& picture) {
    if (auto* m = state_->find(deviceName)) {
        m->described.picture = picture.convertToFormat(QImage::Format_RGB32);
        state_->damage(m->described.rect);
    }
}

void FakePlatform::paint(const std::string& deviceName, QPoint at, const QImage& pixels) {
    auto* m = state_->find(deviceName);
    if (m == nullptr) return;
    QImage picture = state_->picture(*m).copy();
    blit(picture, at, pixels.convertToFormat(QImage::Format_RGB32), pixels.rect());
    m->described.picture = picture;
    const QRect hit = QRect(at, pixels.size()) & picture.rect();
    if (!hit.isEmpty())
        state_->damage(fromQRect(hit.translated(m->described.rect.left, m->described.rect.top)));
}

void FakePlatform::setOrder(const std::vector<std::string>& deviceNames) {
    auto rank = [&](const State::Monitor& m) {
        const auto it = std::find(deviceNames.begin(), deviceNames.end(), m.described.deviceName);
        return it - deviceNames.begin();
    };
    std::stable_sort(state_->monitors.begin(), state_->monitors.end(),
                     [&](const State::Monitor& a, const State::Monitor& b) { return rank(a) < rank(b); });
    // Where monitors overlap, the later one shows.
    for (const auto& m : state_->monitors) state_->damage(m.described.rect);
}

MonitorHandle FakePlatform::handleOf(const std::string& deviceName) const {
    const auto* m = state_->find(deviceName);
    return m ? m->handle : 0;
}

QImage FakePlatform::pictureOf(const std::string& deviceName) const {
    const auto* m = state_->find(deviceName);
    return m ? state_->picture(*m) : QImage();
}

QImage FakePlatform::screenPicture() const { return state_->readScreen(toQRect(state_->screenRect())); }

Rect FakePlatform::screenRect() const { return state_->screenRect(); }

QImage FakePlatform::coordinatePattern(QSize size, std::uint8_t tag) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) line[x] = qRgb(x & 0xff, y & 0xff, tag);
    }
    return image;
}

QImage FakePlatform::checkerboard(QSize size, QRgb a, QRgb b, int cell) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) line[x] = ((x / cell + y / cell) % 2 == 0) ? a : b;
    }
    return image;
}

QImage FakePlatform::solid(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}  // namespace orvane::platform::fake
