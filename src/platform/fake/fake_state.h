// What the simulated desktop's services share: the state behind them, the
// picture helpers, the monitor context drawing reads from, and the makers
// of the services. Only platform/fake/ includes it.
#pragma once

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <functional>
#include <memory>
#include <utility>

#include "platform/fake/fake_platform.h"
#include "platform/image/image_pixels.h"

namespace orvane::platform::fake {

inline QRect toQRect(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }
inline Rect fromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

using image::blackImage;
using image::blit;

// Squared distance between two rectangles; 0 when they touch or overlap.
inline std::int64_t distance2(const Rect& a, const Rect& b) {
    auto gap = [](std::int64_t lo1, std::int64_t hi1, std::int64_t lo2, std::int64_t hi2) -> std::int64_t {
        if (hi1 <= lo2) return lo2 - hi1 + 1;
        if (hi2 <= lo1) return lo1 - hi2 + 1;
        return 0;
    };
    const std::int64_t dx = gap(a.left, a.right, b.left, b.right);
    const std::int64_t dy = gap(a.top, a.bottom, b.top, b.bottom);
    return dx * dx + dy * dy;
}

inline std::int64_t overlapArea(const Rect& a, const Rect& b) {
    const std::int64_t w = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    const std::int64_t h = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

// Shared state. Contexts and views keep it alive, so a monitor context that
// outlives the platform in a test still reads (black) instead of crashing.

struct FakePlatform::State {
    struct Monitor {
        FakeMonitor described;
        MonitorHandle handle = 0;
        mutable QImage pattern;  // the coordinate pattern, made on first use
    };
    struct Device {
        std::vector<FakeMode> modes;
        std::vector<int> testsAnswered;  // per mode
        std::optional<DisplayMode> current;
        std::optional<DisplayMode> registered;
        int testCount = 0;
    };

    std::vector<Monitor> monitors;
    MonitorHandle nextHandle = 1;
    std::function<void()> layoutWatcher;  // what Monitors::watchLayout was given
    bool captureStopped = false;

    Point pointer;
    std::shared_ptr<const CursorImage> cursor;
    std::uint64_t cursorSerial = 0;
    bool cursorVisible = true;
    bool cursorUnavailable = false;
    int doubleClickTime = 500;
    std::vector<InputEvent> inputLog;
    bool buttonsAvailable = true;
    bool positionReadable = true;
    bool positionKnown = true;
    int buttonsBeforeFailure = -1;

    std::map<std::string, Device> devices;
    std::vector<ModeChange> modeChanges;
    bool modesResizeMonitors = true;
    bool desktopConfirmsRegistered = false;
    bool storeFails = false;
    bool changesFail = false;
    int storeTakesMs = 0;

    int flushCount = 0;
    std::vector<FakeViewSurface*> views;

    std::vector<std::string> links;
    bool linkResult = true;

    bool windowManager = true;
    bool systemFullScreen = false;
    bool captionsSupported = true;
    std::vector<CaptionChange> captions;

    std::function<void(const std::string&)> hook;
    bool inHook = false;

    // The rectangle a monitor context reads and what may differ there since
    // it last looked, in its own pixels; a new context has seen nothing yet.
    struct Watch {
        Rect area;
        MonitorChanges changes = MonitorChanges::everything();
    };
    std::vector<Watch*> watches;
    // Everything that alters the screen's pixels in r calls this.
    void damage(const Rect& r) {
        for (Watch* w : watches) {
            const QRect area = toQRect(w->area);
            const QRect hit = toQRect(r) & area;
            if (!hit.isEmpty()) w->changes.region += hit.translated(-area.topLeft());
        }
    }

    void call(const char* name) {
        if (!hook || inHook) return;
        inHook = true;
        hook(name);
        inHook = false;
    }

    Monitor* find(const std::string& name) {
        for (auto& m : monitors)
            if (m.described.deviceName == name) return &m;
        return nullptr;
    }
    const Monitor* find(const std::string& name) const { return const_cast<State*>(this)->find(name); }

    Rect screenRect() const {
        if (monitors.empty()) return {0, 0, 1920, 1080};
        Rect box = monitors.front().described.rect;
        for (const auto& m : monitors) {
            box.left = std::min(box.left, m.described.rect.left);
            box.top = std::min(box.top, m.described.rect.top);
            box.right = std::max(box.right, m.described.rect.right);
            box.bottom = std::max(box.bottom, m.described.rect.bottom);
        }
        return box;
    }

    std::vector<MonitorInfo> enumerate() const {
        std::vector<MonitorInfo> out;
        for (const auto& m : monitors)
            out.push_back({m.handle, m.described.rect, m.described.work.value_or(m.described.rect),
                           m.described.primary, m.described.deviceName});
        if (out.empty()) {
            const Rect all = screenRect();
            out.push_back({kFallbackHandle, all, all, true, kFallbackDeviceName});
        }
        return out;
    }

    // The picture of a monitor at its own size.
    QImage picture(const Monitor& m) const {
        const QSize size(m.described.rect.width(), m.described.rect.height());
        if (m.described.picture.isNull()) {
            if (m.pattern.size() != size)
                m.pattern = coordinatePattern(size, static_cast<std::uint8_t>((m.handle * 40) & 0xff));
            return m.pattern;
        }
        if (m.described.picture.size() == size) return m.described.picture;
        QImage out = blackImage(size);
        blit(out, {0, 0}, m.described.picture, m.described.picture.rect());
        return out;
    }

    // Virtual-screen pixels of r, black off every monitor; later monitors
    // in the order cover earlier ones where they overlap.
    QImage readScreen(const QRect& r) const {
        QImage out = blackImage(r.size());
        readScreenInto(out, {0, 0}, r);
        return out;
    }
    // The same, painted into out at pos over what is there off the monitors.
    void readScreenInto(QImage& out, QPoint pos, const QRect& r) const {
        for (const auto& m : monitors) {
            const QRect mon = toQRect(m.described.rect);
            const QRect part = r & mon;
            if (part.isEmpty()) continue;
            blit(out, pos + part.topLeft() - r.topLeft(), picture(m), part.translated(-mon.topLeft()));
        }
    }

    std::string resolve(const DeviceName& device) const {
        if (device) return *device;
        for (const auto& m : monitors)
            if (m.described.primary) return m.described.deviceName;
        if (!monitors.empty()) return monitors.front().described.deviceName;
        return kFallbackDeviceName;
    }

    void followMode(const std::string& device, const DisplayMode& mode) {
        if (!modesResizeMonitors) return;
        Monitor* m = find(device);
        if (m == nullptr) return;
        damage(m->described.rect);
        m->described.rect.right = m->described.rect.left + static_cast<std::int32_t>(mode.width);
        m->described.rect.bottom = m->described.rect.top + static_cast<std::int32_t>(mode.height);
        m->described.bitsPerPixel = static_cast<std::int32_t>(mode.bitsPerPixel);
        m->described.refreshRate = static_cast<std::int32_t>(mode.frequency);
        damage(m->described.rect);
    }
};

using State = FakePlatform::State;

class FakeMonitorContext : public MonitorContext, public image::Pixels {
public:
    FakeMonitorContext(std::shared_ptr<State> state, std::string device, Rect rect, std::int32_t bits,
                       std::int32_t hz)
        : state_(std::move(state)), device_(std::move(device)), rect_(rect), bits_(bits), hz_(hz) {
        watch_.area = rect_;
        state_->watches.push_back(&watch_);
    }
    ~FakeMonitorContext() override { std::erase(state_->watches, &watch_); }
    FakeMonitorContext(const FakeMonitorContext&) = delete;
    FakeMonitorContext& operator=(const FakeMonitorContext&) = delete;

    [[nodiscard]] QSize size() const override { return {rect_.width(), rect_.height()}; }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return mode_; }
    [[nodiscard]] Rect rect() const override { return rect_; }
    [[nodiscard]] std::int32_t bitsPerPixel() const override { return bits_; }
    [[nodiscard]] std::int32_t refreshRate() const override { return hz_; }

    // Where a picture, rectangle, presence or order of a monitor reaching
    // into this context's rectangle changed since the last call.
    [[nodiscard]] MonitorChanges takeChanges() override {
        state_->call("MonitorContext::takeChanges");
        return std::exchange(watch_.changes, MonitorChanges{});
    }

    // Pixels of r in the context's own coordinates. Only what is still inside
    // the monitor (it may have shrunk, moved or gone) shows; the rest is black.
    // While the monitor is unchanged and covered by no other, a rectangle
    // inside it reads straight from its picture, shared rather than copied
    // (a tick reads the whole monitor at every period). Null otherwise.
    [[nodiscard]] QImage direct(const QRect& r) const {
        const State::Monitor* m = state_->find(device_);
        if (m == nullptr || !QRect(QPoint(0, 0), size()).contains(r) || m->described.rect != rect_ ||
            covered(*m))
            return {};
        return state_->picture(*m);
    }

    [[nodiscard]] image::Source pixels(const QRect& r) override {
        QImage shared = direct(r);
        if (!shared.isNull()) return {shared, r.topLeft()};
        return {read(r), {0, 0}};
    }

    [[nodiscard]] QImage read(const QRect& r) const {
        const State::Monitor* m = state_->find(device_);
        QImage out = blackImage(r.size());
        if (m == nullptr) return out;
        const QRect wanted = r.translated(rect_.left, rect_.top) & QRect(toQRect(rect_));
        const QRect live = wanted & toQRect(m->described.rect);
        if (live.isEmpty()) return out;
        state_->readScreenInto(out, live.topLeft() - QPoint(rect_.left, rect_.top) - r.topLeft(), live);
        return out;
    }

private:
    [[nodiscard]] bool covered(const State::Monitor& m) const {
        bool after = false;
        for (const auto& other : state_->monitors) {
            if (after && overlapArea(other.described.rect, m.described.rect) > 0) return true;
            after = after || &other == &m;
        }
        return false;
    }

    std::shared_ptr<State> state_;
    std::string device_;
    Rect rect_;
    std::int32_t bits_;
    std::int32_t hz_;
    StretchMode mode_ = StretchMode::Simple;
    State::Watch watch_;
};

std::unique_ptr<Monitors> makeMonitors(std::shared_ptr<State> state);
std::unique_ptr<Drawing> makeDrawing(std::shared_ptr<State> state);
std::unique_ptr<Pointer> makePointer(std::shared_ptr<State> state);
std::unique_ptr<DisplayModes> makeDisplayModes(std::shared_ptr<State> state);

}  // namespace orvane::platform::fake
