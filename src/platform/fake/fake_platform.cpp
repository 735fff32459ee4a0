// The simulated desktop's services, all reading and changing one FakeDesk.
#include "platform/fake/fake_platform.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "platform/image/image_drawing.h"
#include "platform/image/image_pixels.h"

namespace orvane::platform::fake {

namespace {

using image::blackImage;
using image::blit;

QRect toQRect(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }

std::int64_t overlapArea(const Rect& a, const Rect& b) {
    const std::int64_t w = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    const std::int64_t h = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

// A monitor as opened: its rectangle fixed, what is no longer on it black.
class Context : public image::MemoryMonitorContext {
public:
    Context(std::shared_ptr<FakeDesk> d, std::string device, Rect rect, std::int32_t bits, std::int32_t hz)
        : MemoryMonitorContext(rect, bits, hz), d_(std::move(d)), device_(std::move(device)) {
        watch_.area = rect;
        d_->watches.push_back(&watch_);
    }
    ~Context() override { std::erase(d_->watches, &watch_); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    [[nodiscard]] MonitorChanges takeChanges() override {
        d_->call("MonitorContext::takeChanges");
        return std::exchange(watch_.changes, MonitorChanges{});
    }

    // The monitor's own picture, shared, while it is where it was opened and
    // nothing covers it (a tick reads the whole monitor every period).
    [[nodiscard]] image::Source pixels(const QRect& r) override {
        const FakeMonitor* m = d_->find(device_);
        const Rect opened = rect();
        const bool alone = m && std::ranges::none_of(d_->monitors, [&](const FakeMonitor& o) {
                               return &o != m && overlapArea(o.rect, m->rect) > 0;
                           });
        if (alone && m->rect == opened && QRect(QPoint(0, 0), size()).contains(r))
            return {d_->picture(*m), r.topLeft()};
        QImage out = blackImage(r.size());
        const QRect live =
            r.translated(opened.left, opened.top) & toQRect(opened) & (m ? toQRect(m->rect) : QRect());
        if (!live.isEmpty())
            d_->readScreenInto(out, live.topLeft() - QPoint(opened.left, opened.top) - r.topLeft(), live);
        return {out, {0, 0}};
    }

private:
    std::shared_ptr<FakeDesk> d_;
    std::string device_;
    FakeDesk::Watch watch_;
};

FakeMode* entry(FakeDesk::Device& dev, const DisplayMode& mode) {
    const auto it = std::ranges::find(dev.modes, mode, &FakeMode::mode);
    return it == dev.modes.end() ? nullptr : &*it;
}

std::int32_t testAnswer(const FakeMode& m) {
    return m.testsBeforeChange >= 0 && m.testsAnswered >= m.testsBeforeChange ? m.laterTestResult
                                                                              : m.testResult;
}

DisplayMode modeOf(const FakeMonitor& m) {
    return {static_cast<std::uint32_t>(m.rect.width()), static_cast<std::uint32_t>(m.rect.height()),
            static_cast<std::uint32_t>(m.bitsPerPixel), static_cast<std::uint32_t>(m.refreshRate), 0};
}

}  // namespace

void FakeDesk::call(const char* name) {
    if (!hook || inHook) return;
    inHook = true;
    hook(name);
    inHook = false;
}

// Everything that alters the screen's pixels in r calls this.
void FakeDesk::damage(const Rect& r) {
    for (Watch* w : watches) {
        const QRect area = toQRect(w->area), hit = toQRect(r) & area;
        if (!hit.isEmpty()) w->changes.region += hit.translated(-area.topLeft());
    }
}

FakeMonitor* FakeDesk::find(const std::string& name) {
    const auto it =
        std::ranges::find_if(monitors, [&](const FakeMonitor& m) { return m.deviceName == name; });
    return it == monitors.end() ? nullptr : &*it;
}

// No monitor at all: one primary "SCREEN" of 1920 × 1080.
std::vector<MonitorInfo> FakeDesk::enumerate() const {
    std::vector<MonitorInfo> out;
    for (const auto& m : monitors) out.push_back({m.handle, m.rect, m.rect, m.primary, m.deviceName});
    if (out.empty())
        out.push_back({~MonitorHandle{0}, {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true, "SCREEN"});
    return out;
}

QImage FakeDesk::picture(const FakeMonitor& m) {
    const QSize size(m.rect.width(), m.rect.height());
    if (m.picture.size() == size) return m.picture;
    QImage out = blackImage(size);
    blit(out, {0, 0}, m.picture, m.picture.rect());
    return out;
}

// The virtual screen's pixels of r into out at pos; where monitors overlap the later one shows.
void FakeDesk::readScreenInto(QImage& out, QPoint pos, const QRect& r) const {
    for (const auto& m : monitors) {
        const QRect mon = toQRect(m.rect), part = r & mon;
        if (!part.isEmpty())
            blit(out, pos + part.topLeft() - r.topLeft(), picture(m), part.translated(-mon.topLeft()));
    }
}

std::string FakeDesk::resolve(const DeviceName& device) const {
    if (device) return *device;
    const auto it = std::ranges::find_if(monitors, [](const FakeMonitor& m) { return m.primary; });
    return it != monitors.end() ? it->deviceName : monitors.empty() ? "SCREEN" : monitors.front().deviceName;
}

void FakeDesk::followMode(const std::string& device, const DisplayMode& mode) {
    FakeMonitor* m = find(device);
    if (!modesResizeMonitors || m == nullptr) return;
    damage(m->rect);
    m->rect.right = m->rect.left + static_cast<std::int32_t>(mode.width);
    m->rect.bottom = m->rect.top + static_cast<std::int32_t>(mode.height);
    m->bitsPerPixel = static_cast<std::int32_t>(mode.bitsPerPixel);
    m->refreshRate = static_cast<std::int32_t>(mode.frequency);
    damage(m->rect);
}

struct FakePlatform::Services : Monitors, Pointer, DisplayModes, Shell, WindowStyle, image::ImageDrawing {
    explicit Services(std::shared_ptr<FakeDesk> desk) : d(std::move(desk)) {}
    std::shared_ptr<FakeDesk> d;

    std::vector<MonitorInfo> enumerate() override {
        d->call("Monitors::enumerate");
        return d->enumerate();
    }
    // The monitor it overlaps most, else the first.
    MonitorHandle monitorFromRect(const Rect& window) override {
        const auto all = d->enumerate();
        return std::ranges::max(all, {}, [&](const MonitorInfo& m) { return overlapArea(window, m.monitor); })
            .handle;
    }
    std::unique_ptr<MonitorContext> openMonitor(const std::string& deviceName) override {
        for (const auto& m : d->enumerate()) {
            if (m.deviceName != deviceName) continue;
            const FakeMonitor* live = d->find(deviceName);
            return std::make_unique<Context>(d, deviceName, m.monitor, live ? live->bitsPerPixel : 32,
                                             live ? live->refreshRate : 0);
        }
        return nullptr;
    }
    void watchLayout(std::function<void()> changed) override { d->layoutWatcher = std::move(changed); }
    CaptureState captureState() override {
        return d->captureStopped ? CaptureState::Stopped : CaptureState::Live;
    }

    Point position() override {
        d->call("Pointer::position");
        return d->pointer;
    }
    void setPosition(Point p) override {
        d->call("Pointer::setPosition");
        d->pointer = p;
        d->inputLog.push_back({InputEvent::Kind::Move, p});
    }
    std::optional<CursorInfo> cursorInfo() override { return CursorInfo{true, d->pointer, d->cursor}; }
    bool sendButton(MouseButton button, bool down) override {
        d->call("Pointer::sendButton");
        if (!d->buttonsAvailable || (d->buttonsBeforeFailure >= 0 && d->buttonsBeforeFailure-- == 0))
            return false;
        d->inputLog.push_back({InputEvent::Kind::Button, d->pointer, button, down});
        return true;
    }
    bool canSendButtons() override { return d->buttonsAvailable; }
    bool canReadPosition() override { return d->positionReadable; }
    bool positionKnown() override { return d->positionKnown; }
    bool startWindowMove(QWidget&, Point) override { return false; }  // the program moves the window
    int doubleClickTime() override { return d->doubleClickMs; }

    bool enumMode(const DeviceName& device, std::uint32_t n, DisplayMode& out) override {
        const auto it = d->devices.find(d->resolve(device));
        if (it == d->devices.end() || n >= it->second.modes.size()) return false;
        out = it->second.modes[n].mode;
        return true;
    }
    std::int32_t testMode(const DeviceName& device, const DisplayMode& mode) override {
        const auto it = d->devices.find(d->resolve(device));
        if (it == d->devices.end()) return DispChange::BadParam;
        FakeDesk::Device& dev = it->second;
        ++dev.testCount;
        FakeMode* m = entry(dev, mode);
        if (m == nullptr) return DispChange::BadMode;
        const std::int32_t answer = testAnswer(*m);
        ++m->testsAnswered;
        return answer;
    }
    std::int32_t applyMode(const DeviceName& device, const DisplayMode& mode, std::uint32_t flags) override {
        const std::string name = d->resolve(device);
        const std::int32_t result = apply(name, mode, flags);
        d->modeChanges.push_back({name, mode, flags, result});
        return result;
    }
    std::int32_t apply(const std::string& name, const DisplayMode& mode, std::uint32_t flags) {
        // As the classic call: unknown bits, or Global without UpdateRegistry, are bad flags.
        const bool keep = (flags & ChangeFlags::UpdateRegistry) != 0;
        if ((flags & ~(ChangeFlags::UpdateRegistry | ChangeFlags::Global)) != 0 ||
            ((flags & ChangeFlags::Global) != 0 && !keep))
            return DispChange::BadFlags;
        const auto it = d->devices.find(name);
        if (it == d->devices.end()) return DispChange::BadParam;
        FakeDesk::Device& dev = it->second;
        const FakeMode* m = entry(dev, mode);
        if (m == nullptr) return DispChange::BadMode;
        if (const std::int32_t test = testAnswer(*m); test != DispChange::Successful) return test;
        if (m->applyResult != DispChange::Successful) return m->applyResult;
        if (d->changesFail) return DispChange::Failed;
        if (keep && d->storeTakesMs > 0) {
            QEventLoop wait;
            QTimer::singleShot(d->storeTakesMs, &wait, &QEventLoop::quit);
            wait.exec();
        }
        if (keep && d->storeFails) return DispChange::NotUpdated;
        dev.current = mode;
        if (keep) dev.registered = mode;
        d->followMode(name, mode);
        return DispChange::Successful;
    }
    bool desktopConfirmsChange(std::uint32_t flags) const override {
        return d->desktopConfirms && (flags & ChangeFlags::UpdateRegistry) != 0;
    }
    std::int32_t restoreRegistered(const DeviceName& device) override {
        const std::string name = d->resolve(device);
        const auto it = d->devices.find(name);
        std::int32_t result = DispChange::Successful;
        if (it == d->devices.end()) {
            result = DispChange::BadParam;
        } else if (d->changesFail) {
            result = DispChange::Failed;
        } else if (it->second.registered) {
            it->second.current = it->second.registered;
            d->followMode(name, *it->second.registered);
        }
        d->modeChanges.push_back({name, std::nullopt, 0, result});
        return result;
    }
    std::optional<DisplayMode> currentMode(const DeviceName& device) override {
        const std::string name = d->resolve(device);
        if (const auto it = d->devices.find(name); it != d->devices.end() && it->second.current)
            return it->second.current;
        const FakeMonitor* m = d->find(name);
        return m ? std::optional(modeOf(*m)) : std::nullopt;
    }

    bool openLink(const std::string& target) override {
        d->links.push_back(target);
        return true;
    }
    bool hasWindowManager() override { return true; }
    bool setCaption(QWidget& window, bool shown) override {
        if (!d->captionsSupported) return false;
        d->captions.push_back({&window, shown});
        return true;
    }
    bool fullScreenIsTheSystems() override { return d->systemFullScreen; }

    // Drawing is platform/image's; each operation is reported to the hook.
    std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) override {
        d->call("Drawing::createMemoryCopy");
        return ImageDrawing::createMemoryCopy(source, size);
    }
    void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) override {
        d->call("Drawing::copy");
        ImageDrawing::copy(dst, dstRect, src, srcPos);
    }
    void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) override {
        d->call("Drawing::stretch");
        ImageDrawing::stretch(dst, dstRect, src, srcRect);
    }
    void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                     const QRegion& part) override {
        d->call("Drawing::stretchPart");
        ImageDrawing::stretchPart(dst, dstRect, src, srcRect, part);
    }
    void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) override {
        d->call("Drawing::drawCursor");
        ImageDrawing::drawCursor(dst, topLeft, cursor);
    }
    void invert(Surface& dst, const QRect& rect) override {
        d->call("Drawing::invert");
        ImageDrawing::invert(dst, rect);
    }
    void flush() override { d->call("Drawing::flush"); }
    QImage grab(const QRect& screenRect) override {
        QImage out = blackImage(screenRect.size());
        d->readScreenInto(out, {0, 0}, screenRect);
        return out;
    }
};

FakeMode fakeMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t frequency) {
    return {DisplayMode{width, height, bits, frequency, 0}};
}

// The pointer image is a white square with a black border, its hotspot the corner.
FakePlatform::FakePlatform() : d_(std::make_shared<FakeDesk>()), services_(std::make_unique<Services>(d_)) {
    QImage arrow = solid({10, 10}, qRgb(0, 0, 0));
    blit(arrow, {1, 1}, solid({8, 8}, qRgb(255, 255, 255)), QRect(0, 0, 8, 8));
    setCursorImage(arrow, {0, 0});
}

FakePlatform::~FakePlatform() = default;

Monitors& FakePlatform::monitors() { return *services_; }
Drawing& FakePlatform::drawing() { return *services_; }
Pointer& FakePlatform::pointer() { return *services_; }
DisplayModes& FakePlatform::displayModes() { return *services_; }
Shell& FakePlatform::shell() { return *services_; }
WindowStyle& FakePlatform::windowStyle() { return *services_; }

MonitorHandle FakePlatform::addMonitor(FakeMonitor monitor) {
    const Rect r = monitor.rect;
    const MonitorHandle handle = d_->nextHandle++;
    monitor.picture = monitor.picture.isNull()
                          ? coordinatePattern({r.width(), r.height()}, static_cast<std::uint8_t>(handle * 40))
                          : monitor.picture.convertToFormat(QImage::Format_RGB32);
    monitor.handle = handle;
    if (!d_->devices.contains(monitor.deviceName)) setModes(monitor.deviceName, {{modeOf(monitor)}});
    d_->monitors.push_back(std::move(monitor));
    d_->damage(r);
    return handle;
}

void FakePlatform::removeMonitor(const std::string& deviceName) {
    if (const auto* m = d_->find(deviceName)) d_->damage(m->rect);
    std::erase_if(d_->monitors, [&](const FakeMonitor& m) { return m.deviceName == deviceName; });
}

void FakePlatform::setMonitorRect(const std::string& deviceName, const Rect& rect) {
    if (auto* m = d_->find(deviceName)) {
        d_->damage(m->rect);
        m->rect = rect;
        d_->damage(rect);
    }
}

void FakePlatform::setPicture(const std::string& deviceName, const QImage& picture) {
    if (auto* m = d_->find(deviceName)) {
        m->picture = picture.convertToFormat(QImage::Format_RGB32);
        d_->damage(m->rect);
    }
}

void FakePlatform::paint(const std::string& deviceName, QPoint at, const QImage& pixels) {
    auto* m = d_->find(deviceName);
    if (m == nullptr) return;
    QImage picture = d_->picture(*m).copy();
    blit(picture, at, pixels.convertToFormat(QImage::Format_RGB32), pixels.rect());
    m->picture = picture;
    const QRect hit = (QRect(at, pixels.size()) & picture.rect()).translated(m->rect.left, m->rect.top);
    if (!hit.isEmpty()) d_->damage({hit.left(), hit.top(), hit.right() + 1, hit.bottom() + 1});
}

QImage FakePlatform::pictureOf(const std::string& deviceName) const {
    const auto* m = d_->find(deviceName);
    return m ? d_->picture(*m) : QImage();
}

QImage FakePlatform::coordinatePattern(QSize size, std::uint8_t tag) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) line[x] = qRgb(x & 0xff, y & 0xff, tag);
    }
    return image;
}

QImage FakePlatform::solid(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void FakePlatform::setCursorImage(const QImage& image, Point hotspot) {
    static std::uint64_t serial = 0;
    d_->cursor = std::make_shared<CursorImage>(
        CursorImage{image.convertToFormat(QImage::Format_ARGB32_Premultiplied), hotspot, ++serial});
}

void FakePlatform::setModes(const std::string& device, std::vector<FakeMode> modes,
                            std::optional<std::size_t> current, std::optional<std::size_t> registered) {
    FakeDesk::Device dev;
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (modes[i].mode.id == 0) modes[i].mode.id = i + 1;
    registered = registered ? registered : current;
    if (current && *current < modes.size()) dev.current = modes[*current].mode;
    if (registered && *registered < modes.size()) dev.registered = modes[*registered].mode;
    dev.modes = std::move(modes);
    d_->devices[device] = std::move(dev);
}

std::optional<DisplayMode> FakePlatform::registeredMode(const std::string& device) const {
    const auto it = d_->devices.find(device);
    return it == d_->devices.end() ? std::nullopt : it->second.registered;
}

int FakePlatform::testCount(const std::string& device) const {
    const auto it = d_->devices.find(device);
    return it == d_->devices.end() ? 0 : it->second.testCount;
}

}  // namespace orvane::platform::fake
