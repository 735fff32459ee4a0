// The simulated desktop: monitors, pointer, mode tables and shell in memory,
// every drawing operation on QImages. Tests script it through FakePlatform.
#include "platform/fake/fake_platform.h"

#include <QPainter>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

namespace orvane::platform::fake {

namespace {

QRect toQRect(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }
Rect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QImage blackImage(QSize size) {
    QImage image(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// Copies from's pixels of src into image at pos, replacing what was there;
// clipped to both images. Plain row copies: tests tick this at full monitor size.
void blit(QImage& image, QPoint pos, const QImage& src, QRect from) {
    from &= src.rect();
    QRect to = QRect(pos, from.size()) & image.rect();
    if (to.isEmpty()) return;
    from = QRect(from.topLeft() + (to.topLeft() - pos), to.size());
    if (image.format() != QImage::Format_RGB32 || src.format() != QImage::Format_RGB32) {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(to.topLeft(), src, from);
        return;
    }
    const auto bytes = static_cast<std::size_t>(to.width()) * 4;
    for (int y = 0; y < to.height(); ++y)
        std::memcpy(image.scanLine(to.top() + y) + std::ptrdiff_t{to.left()} * 4,
                    src.constScanLine(from.top() + y) + std::ptrdiff_t{from.left()} * 4, bytes);
}

// Squared distance between two rectangles; 0 when they touch or overlap.
std::int64_t distance2(const Rect& a, const Rect& b) {
    auto gap = [](std::int64_t lo1, std::int64_t hi1, std::int64_t lo2, std::int64_t hi2) -> std::int64_t {
        if (hi1 <= lo2) return lo2 - hi1 + 1;
        if (hi2 <= lo1) return lo1 - hi2 + 1;
        return 0;
    };
    const std::int64_t dx = gap(a.left, a.right, b.left, b.right);
    const std::int64_t dy = gap(a.top, a.bottom, b.top, b.bottom);
    return dx * dx + dy * dy;
}

std::int64_t overlapArea(const Rect& a, const Rect& b) {
    const std::int64_t w = std::int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    const std::int64_t h = std::int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

}  // namespace

FakeMode fakeMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t frequency) {
    FakeMode m;
    m.mode = DisplayMode{width, height, bits, frequency, 0};
    return m;
}

// ---------------------------------------------------------------------------
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

    Point pointer;
    std::shared_ptr<const CursorImage> cursor;
    std::uint64_t cursorSerial = 0;
    bool cursorVisible = true;
    bool cursorUnavailable = false;
    int doubleClickTime = 500;
    std::vector<InputEvent> inputLog;
    bool buttonsAvailable = true;
    int buttonsBeforeFailure = -1;

    std::map<std::string, Device> devices;
    std::vector<ModeChange> modeChanges;
    bool modesResizeMonitors = true;

    int flushCount = 0;
    std::vector<FakeViewSurface*> views;

    std::vector<std::string> links;
    bool linkResult = true;

    bool windowManager = true;
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

// ---------------------------------------------------------------------------
// Surfaces

namespace {

using State = FakePlatform::State;

class FakeMonitorContext : public MonitorContext {
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

class FakeMemorySurface : public Surface {
public:
    explicit FakeMemorySurface(QImage image) : image_(std::move(image)) {}
    [[nodiscard]] QSize size() const override { return image_.size(); }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return mode_; }
    QImage image_;

private:
    StretchMode mode_ = StretchMode::Simple;
};

// Pixels of a surface: pixel (x, y) of the rectangle asked for is pixel
// at + (x, y) of image.
struct Source {
    QImage image;
    QPoint at;
};

// Reads r of any fake surface, black where it has no pixels; straight from
// the surface's own image when r lies inside it.
Source sourceOf(Surface& s, const QRect& r) {
    if (auto* m = dynamic_cast<FakeMonitorContext*>(&s)) {
        QImage direct = m->direct(r);
        if (!direct.isNull()) return {direct, r.topLeft()};
        return {m->read(r), {0, 0}};
    }
    const QImage* image = nullptr;
    QPoint origin(0, 0);
    if (auto* mem = dynamic_cast<FakeMemorySurface*>(&s)) {
        image = &mem->image_;
    } else if (auto* view = dynamic_cast<FakeViewSurface*>(&s)) {
        image = view->target();
        origin = view->visibleRect().topLeft();
    }
    if (image == nullptr || image->isNull()) return {blackImage(r.size()), {0, 0}};
    const QRect inside(origin, image->size());
    if (inside.contains(r)) return {*image, r.topLeft() - origin};
    QImage out = blackImage(r.size());
    const QRect have = r & inside;
    if (!have.isEmpty()) blit(out, have.topLeft() - r.topLeft(), *image, have.translated(-origin));
    return {out, {0, 0}};
}

// r of a surface as an image of its own.
QImage readSurface(Surface& s, const QRect& r) {
    Source src = sourceOf(s, r);
    if (src.at == QPoint(0, 0) && src.image.size() == r.size()) return src.image;
    return src.image.copy(QRect(src.at, r.size()));
}

// Where drawing into s lands and where that image sits in s's coordinates;
// nullptr for surfaces nobody draws on (the watched monitor).
struct Target {
    QImage* image = nullptr;
    QPoint origin;
    FakeViewSurface* view = nullptr;
    [[nodiscard]] QRect area() const { return image ? QRect(origin, image->size()) : QRect(); }
    void done() const {
        if (view != nullptr && !view->persistent() && view->widget() != nullptr) view->widget()->update();
    }
};

Target targetOf(Surface& s) {
    if (auto* mem = dynamic_cast<FakeMemorySurface*>(&s)) return {&mem->image_, {0, 0}, nullptr};
    if (auto* view = dynamic_cast<FakeViewSurface*>(&s)) {
        QImage* image = view->target();
        if (image != nullptr && image->isNull()) image = nullptr;
        return {image, view->visibleRect().topLeft(), view};
    }
    return {};
}

// Source pixel positions, relative to the source rectangle, for nearest
// sampling: the centre of destination pixel u maps to (u + ½)·s/d, and a
// centre falling exactly on a pixel edge takes the pixel before it.
std::int64_t nearest(std::int64_t u, std::int64_t s, std::int64_t d) {
    return std::clamp<std::int64_t>(((2 * u + 1) * s - 1) / (2 * d), 0, s - 1);
}

// Area averaging: destination pixel u covers [u·s/d, (u+1)·s/d) of the
// source; each source pixel weighs by its overlap, in units of 1/d, so the
// weights of one destination pixel add up to s.
struct Tap {
    std::int64_t index;
    std::int64_t weight;
};
std::vector<Tap> boxTaps(std::int64_t u, std::int64_t s, std::int64_t d) {
    std::vector<Tap> taps;
    const std::int64_t a = u * s;
    const std::int64_t b = (u + 1) * s;
    for (std::int64_t k = a / d; k * d < b && k < s; ++k) {
        const std::int64_t w = std::min(b, (k + 1) * d) - std::max(a, k * d);
        if (w > 0) taps.push_back({k, w});
    }
    return taps;
}

}  // namespace

// ---------------------------------------------------------------------------
// The view

FakeViewWidget::FakeViewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void FakeViewWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

FakeViewSurface::FakeViewSurface(QWidget* frame, std::function<void(FakeViewSurface*)> onDestroy)
    : widget_(new FakeViewWidget(frame)), onDestroy_(std::move(onDestroy)) {
    widget_->setGeometry(0, 0, 0, 0);
    widget_->hide();
}

FakeViewSurface::~FakeViewSurface() {
    if (onDestroy_) onDestroy_(this);
    delete widget_.data();
}

QSize FakeViewSurface::size() const { return viewRect_.size(); }

QWidget* FakeViewSurface::widget() { return widget_.data(); }

QImage FakeViewSurface::shown() const { return widget_ ? widget_->picture : QImage(); }

QImage* FakeViewSurface::target() {
    if (persistent_) return &offscreen_;
    return widget_ ? &widget_->picture : nullptr;
}

void FakeViewSurface::setGeometry(const QRect& viewRect, QSize frameSize) {
    viewRect_ = viewRect;
    const QRect inFrame = viewRect & QRect(QPoint(0, 0), frameSize);
    const QRect oldVisible = visible_;
    visible_ = inFrame.isEmpty() ? QRect() : inFrame.translated(-viewRect.topLeft());

    // Both images keep what they held wherever the old and new visible parts
    // overlap, in view coordinates, as a picture box keeps its image on resize.
    auto refit = [&](QImage& image) {
        QImage fresh = blackImage(visible_.size());
        const QRect keep = oldVisible & visible_;
        if (!image.isNull() && !keep.isEmpty())
            blit(fresh, keep.topLeft() - visible_.topLeft(), image, keep.translated(-oldVisible.topLeft()));
        image = visible_.isEmpty() ? QImage() : fresh;
    };
    refit(offscreen_);
    if (!widget_) return;
    refit(widget_->picture);
    if (inFrame.isEmpty()) {
        widget_->hide();
        return;
    }
    widget_->setGeometry(inFrame);
    widget_->show();
    widget_->update();
}

void FakeViewSurface::present() {
    ++presentCount_;
    lastPresented_ = visible_;
    if (!persistent_ || !widget_) return;
    // Into the window's own buffer: sharing it would make the next tick's
    // drawing copy the whole image first.
    if (widget_->picture.size() == offscreen_.size() && widget_->picture.format() == offscreen_.format())
        blit(widget_->picture, {0, 0}, offscreen_, offscreen_.rect());
    else
        widget_->picture = offscreen_.copy();
    widget_->update();
}

void FakeViewSurface::present(const QRegion& part) {
    ++presentCount_;
    lastPresented_ = part & visible_;
    if (!persistent_ || !widget_) return;
    if (widget_->picture.size() != offscreen_.size()) {
        present();
        return;
    }
    for (const QRect& r : lastPresented_)
        blit(widget_->picture, r.topLeft() - visible_.topLeft(), offscreen_,
             r.translated(-visible_.topLeft()));
    widget_->update();
}

// ---------------------------------------------------------------------------
// The services

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

private:
    std::shared_ptr<State> s_;
};

class FakeDrawing : public Drawing {
public:
    explicit FakeDrawing(std::shared_ptr<State> s) : s_(std::move(s)) {}

    std::unique_ptr<ViewSurface> createView(QWidget* frame) override {
        s_->call("Drawing::createView");
        std::weak_ptr<State> weak = s_;
        auto view = std::make_unique<FakeViewSurface>(frame, [weak](FakeViewSurface* v) {
            if (auto s = weak.lock()) std::erase(s->views, v);
        });
        s_->views.push_back(view.get());
        return view;
    }

    std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) override {
        s_->call("Drawing::createMemoryCopy");
        return std::make_unique<FakeMemorySurface>(readSurface(source, QRect(QPoint(0, 0), size)));
    }

    void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) override {
        s_->call("Drawing::copy");
        const Target t = targetOf(dst);
        const QRect region = dstRect & t.area();
        if (region.isEmpty()) return;
        const Source part = sourceOf(src, region.translated(srcPos - dstRect.topLeft()));
        blit(*t.image, region.topLeft() - t.origin, part.image, QRect(part.at, region.size()));
        t.done();
    }

    void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) override {
        s_->call("Drawing::stretch");
        const Target t = targetOf(dst);
        const QRect region = dstRect & t.area();
        if (region.isEmpty() || srcRect.width() <= 0 || srcRect.height() <= 0) return;
        if (dst.stretchMode() == StretchMode::Simple)
            stretchNearest(t, dstRect, region, src, srcRect);
        else
            stretchAverage(t, dstRect, region, src, srcRect);
        t.done();
    }

    // Each rectangle of part is drawn exactly as that region of a whole stretch:
    // both samplers work out every destination pixel on its own.
    void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                     const QRegion& part) override {
        s_->call("Drawing::stretchPart");
        const Target t = targetOf(dst);
        if (srcRect.width() <= 0 || srcRect.height() <= 0) return;
        for (const QRect& r : part) {
            const QRect region = r & dstRect & t.area();
            if (region.isEmpty()) continue;
            if (dst.stretchMode() == StretchMode::Simple)
                stretchNearest(t, dstRect, region, src, srcRect);
            else
                stretchAverage(t, dstRect, region, src, srcRect);
        }
        t.done();
    }

    void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) override {
        s_->call("Drawing::drawCursor");
        const Target t = targetOf(dst);
        if (t.image == nullptr || cursor.image.isNull()) return;
        {
            QPainter painter(t.image);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.drawImage(topLeft - t.origin, cursor.image);
        }
        t.done();
    }

    void invert(Surface& dst, const QRect& rect) override {
        s_->call("Drawing::invert");
        const Target t = targetOf(dst);
        const QRect region = (rect & t.area()).translated(-t.origin);
        if (region.isEmpty()) return;
        for (int y = region.top(); y <= region.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(t.image->scanLine(y));
            for (int x = region.left(); x <= region.right(); ++x) line[x] ^= 0x00ffffffu;
        }
        t.done();
    }

    void flush() override {
        s_->call("Drawing::flush");
        ++s_->flushCount;
    }

    QImage grab(const QRect& screenRect) override {
        s_->call("Drawing::grab");
        return s_->readScreen(screenRect);
    }

private:
    static void stretchNearest(const Target& t, const QRect& dstRect, const QRect& region, Surface& src,
                               const QRect& srcRect) {
        const std::int64_t sw = srcRect.width(), sh = srcRect.height();
        const std::int64_t dw = dstRect.width(), dh = dstRect.height();
        const int x0 = region.left() - dstRect.left(), y0 = region.top() - dstRect.top();
        const int w = region.width(), h = region.height();
        // Only the source pixels the visible destination needs are read.
        const int sx0 = static_cast<int>(nearest(x0, sw, dw));
        const int sy0 = static_cast<int>(nearest(y0, sh, dh));
        const int sx1 = static_cast<int>(nearest(x0 + w - 1, sw, dw));
        const int sy1 = static_cast<int>(nearest(y0 + h - 1, sh, dh));
        const Source part =
            sourceOf(src, QRect(srcRect.left() + sx0, srcRect.top() + sy0, sx1 - sx0 + 1, sy1 - sy0 + 1));
        std::vector<int> columns(static_cast<std::size_t>(w));
        int* column = columns.data();
        for (int i = 0; i < w; ++i) column[i] = static_cast<int>(nearest(x0 + i, sw, dw)) - sx0 + part.at.x();
        const QPoint at = region.topLeft() - t.origin;
        for (int j = 0; j < h; ++j) {
            const int row = static_cast<int>(nearest(y0 + j, sh, dh)) - sy0 + part.at.y();
            const auto* in = reinterpret_cast<const QRgb*>(part.image.constScanLine(row));
            auto* out = reinterpret_cast<QRgb*>(t.image->scanLine(at.y() + j)) + at.x();
            for (int i = 0; i < w; ++i) out[i] = in[column[i]];
        }
    }

    // Separable: a horizontal pass once per source row into sums of at most
    // 255·s (32 bits suffice), then a vertical pass per destination row.
    // Every column has the same number of taps, unused ones weigh 0.
    static void stretchAverage(const Target& t, const QRect& dstRect, const QRect& region, Surface& src,
                               const QRect& srcRect) {
        const std::int64_t sw = srcRect.width(), sh = srcRect.height();
        const std::int64_t dw = dstRect.width(), dh = dstRect.height();
        const int x0 = region.left() - dstRect.left(), y0 = region.top() - dstRect.top();
        const int w = region.width(), h = region.height();
        std::vector<std::vector<Tap>> cols(static_cast<std::size_t>(w));
        std::vector<std::vector<Tap>> rows(static_cast<std::size_t>(h));
        std::size_t n = 1;
        for (int i = 0; i < w; ++i) {
            cols[i] = boxTaps(x0 + i, sw, dw);
            n = std::max(n, cols[i].size());
        }
        for (int j = 0; j < h; ++j) rows[j] = boxTaps(y0 + j, sh, dh);
        const std::int64_t sx0 = cols.front().front().index, sx1 = cols.back().back().index;
        const std::int64_t sy0 = rows.front().front().index, sy1 = rows.back().back().index;
        const Source part =
            sourceOf(src, QRect(srcRect.left() + static_cast<int>(sx0), srcRect.top() + static_cast<int>(sy0),
                                static_cast<int>(sx1 - sx0 + 1), static_cast<int>(sy1 - sy0 + 1)));

        std::vector<int> tapIndex(static_cast<std::size_t>(w) * n, 0);
        std::vector<std::uint32_t> tapWeight(static_cast<std::size_t>(w) * n, 0);
        for (int i = 0; i < w; ++i)
            for (std::size_t k = 0; k < cols[i].size(); ++k) {
                tapIndex[i * n + k] = static_cast<int>(cols[i][k].index - sx0) + part.at.x();
                tapWeight[i * n + k] = static_cast<std::uint32_t>(cols[i][k].weight);
            }
        const int* index = tapIndex.data();
        const std::uint32_t* weight = tapWeight.data();
        const int taps = static_cast<int>(n);

        const int srcRows = static_cast<int>(sy1 - sy0 + 1);
        std::vector<std::uint32_t> acrossRows(static_cast<std::size_t>(srcRows) * w * 3);
        for (int l = 0; l < srcRows; ++l) {
            const auto* in = reinterpret_cast<const QRgb*>(part.image.constScanLine(part.at.y() + l));
            std::uint32_t* out = acrossRows.data() + static_cast<std::size_t>(l) * w * 3;
            for (int i = 0; i < w; ++i) {
                std::uint32_t r = 0, g = 0, b = 0;
                for (int k = i * taps; k < (i + 1) * taps; ++k) {
                    const QRgb p = in[index[k]];
                    r += weight[k] * ((p >> 16) & 0xffu);
                    g += weight[k] * ((p >> 8) & 0xffu);
                    b += weight[k] * (p & 0xffu);
                }
                out[3 * i] = r;
                out[3 * i + 1] = g;
                out[3 * i + 2] = b;
            }
        }
        const auto total = static_cast<std::uint64_t>(sw * sh);
        const QPoint at = region.topLeft() - t.origin;
        std::vector<std::uint64_t> sums(static_cast<std::size_t>(w) * 3);
        std::uint64_t* acc = sums.data();
        for (int j = 0; j < h; ++j) {
            std::fill(sums.begin(), sums.end(), 0);
            for (const Tap& ty : rows[j]) {
                const auto wy = static_cast<std::uint64_t>(ty.weight);
                const std::uint32_t* in =
                    acrossRows.data() + static_cast<std::size_t>(ty.index - sy0) * w * 3;
                for (int k = 0; k < 3 * w; ++k) acc[k] += wy * in[k];
            }
            auto* out = reinterpret_cast<QRgb*>(t.image->scanLine(at.y() + j)) + at.x();
            for (int i = 0; i < w; ++i) {
                const auto r = static_cast<QRgb>((acc[3 * i] + total / 2) / total);
                const auto g = static_cast<QRgb>((acc[3 * i + 1] + total / 2) / total);
                const auto b = static_cast<QRgb>((acc[3 * i + 2] + total / 2) / total);
                out[i] = 0xff000000u | (r << 16) | (g << 8) | b;
            }
        }
    }

    std::shared_ptr<State> s_;
};

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

    std::int32_t restoreRegistered(const DeviceName& device) override {
        s_->call("DisplayModes::restoreRegistered");
        const std::string name = s_->resolve(device);
        std::int32_t result = DispChange::Successful;
        const auto it = s_->devices.find(name);
        if (it == s_->devices.end()) {
            result = DispChange::BadParam;
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
        d.current = mode;
        if ((flags & ChangeFlags::UpdateRegistry) != 0) d.registered = mode;
        s_->followMode(name, mode);
        return DispChange::Successful;
    }

    std::shared_ptr<State> s_;
};

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
        : monitors(s), drawing(s), pointer(s), displayModes(s), shell(s), windowStyle(s) {}
    FakeMonitors monitors;
    FakeDrawing drawing;
    FakePointer pointer;
    FakeDisplayModes displayModes;
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

Monitors& FakePlatform::monitors() { return services_->monitors; }
Drawing& FakePlatform::drawing() { return services_->drawing; }
Pointer& FakePlatform::pointer() { return services_->pointer; }
DisplayModes& FakePlatform::displayModes() { return services_->displayModes; }
Shell& FakePlatform::shell() { return services_->shell; }
WindowStyle& FakePlatform::windowStyle() { return services_->windowStyle; }

void FakePlatform::setWindowManager(bool running) { state_->windowManager = running; }
void FakePlatform::setCaptionsSupported(bool supported) { state_->captionsSupported = supported; }
const std::vector<CaptionChange>& FakePlatform::captionChanges() const { return state_->captions; }

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
void FakePlatform::failOneButtonAfter(int sent) { state_->buttonsBeforeFailure = sent; }

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

QImage FakePlatform::imageOf(Surface& surface) {
    return readSurface(surface, QRect(QPoint(0, 0), surface.size()));
}

int FakePlatform::flushCount() const { return state_->flushCount; }
std::vector<FakeViewSurface*> FakePlatform::views() const { return state_->views; }

const std::vector<std::string>& FakePlatform::openedLinks() const { return state_->links; }
void FakePlatform::setOpenLinkResult(bool result) { state_->linkResult = result; }

void FakePlatform::setCallHook(std::function<void(const std::string& call)> hook) {
    state_->hook = std::move(hook);
}

}  // namespace orvane::platform::fake
