// Lists the monitors of the X screen and opens one of them as the source of
// the view: a window onto the root window that includes every window on it.
#include "platform/x11/x11_monitors.h"

#include <xcb/xcb.h>

#include <utility>

#include "platform/x11/x11_math.h"
#include "platform/x11/x11_randr.h"
#include "platform/x11/x11_surface.h"

namespace orvane::platform::x11 {

namespace {

// The whole screen as one monitor, for servers without RandR 1.5 or with no
// monitor configured at all.
constexpr MonitorHandle kRootHandle = 1;
constexpr const char* kRootName = "screen";

Rect toRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

class X11MonitorContext : public MonitorContext, public X11Surface {
public:
    X11MonitorContext(Connection& c, Rect rect, std::int32_t refresh)
        : c_(c), rect_(rect), refresh_(refresh) {
        watch_.area = QRect(rect.left, rect.top, rect.width(), rect.height());
        c_.damage().add(watch_);
    }
    ~X11MonitorContext() override { c_.damage().remove(watch_); }
    X11MonitorContext(const X11MonitorContext&) = delete;
    X11MonitorContext& operator=(const X11MonitorContext&) = delete;

    QSize size() const override { return {rect_.width(), rect_.height()}; }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    StretchMode stretchMode() const override { return mode_; }
    Rect rect() const override { return rect_; }
    std::int32_t bitsPerPixel() const override { return c_.bitsPerPixel(c_.rootDepth()); }
    std::int32_t refreshRate() const override { return refresh_; }

    // Damage inside the monitor's rectangle, and any screen change, counts;
    // damage elsewhere (Orvane's own window on another monitor) does not.
    // Without DAMAGE, or once the connection is lost, everything may have changed.
    MonitorChanges takeChanges() override {
        if (!c_.hasDamage()) return MonitorChanges::everything();
        c_.pollEvents();
        if (!c_.hasDamage()) return MonitorChanges::everything();
        c_.damage().rearm();
        return {std::exchange(watch_.region, QRegion()), std::exchange(watch_.all, false)};
    }

    SurfaceTarget target() override {
        SurfaceTarget t;
        if (!c_.alive()) return t;
        c_.pollEvents();
        t.drawable = c_.root();
        t.picture = c_.rootPicture();
        t.depth = c_.rootDepth();
        t.offset = QPoint(rect_.left, rect_.top);
        // What the screen lost since the monitor was opened reads black.
        const QRect own(t.offset, size());
        t.area = own.intersected(c_.rootBounds()).translated(-t.offset);
        return t;
    }

private:
    Connection& c_;
    Rect rect_;
    std::int32_t refresh_;
    StretchMode mode_ = StretchMode::Simple;
    ChangeWatch watch_;
};

}  // namespace

std::int32_t refreshRateOfOutputs(Connection& c, const std::vector<std::uint32_t>& outputs) {
    auto res = ScreenResources::query(c);
    if (!res) return 0;
    for (xcb_randr_output_t o : outputs) {
        auto out = queryOutput(c, *res, o);
        if (!out || out->crtc == 0) continue;
        auto crtc = queryCrtc(c, *res, out->crtc);
        if (!crtc || crtc->mode == 0) continue;
        if (const xcb_randr_mode_info_t* m = res->mode(crtc->mode))
            return static_cast<std::int32_t>(modeRefresh(*m));
    }
    return 0;
}

Rect X11Monitors::workArea() {
    const Rect root = toRect(c_.refreshRootBounds());
    const xcb_atom_t workAreaAtom = c_.atom("_NET_WORKAREA", true);
    if (workAreaAtom == XCB_ATOM_NONE) return root;
    std::uint32_t desktop = 0;
    if (xcb_atom_t cur = c_.atom("_NET_CURRENT_DESKTOP", true); cur != XCB_ATOM_NONE) {
        auto p = c_.reply(xcb_get_property_reply,
                          xcb_get_property(c_.get(), 0, c_.root(), cur, XCB_ATOM_CARDINAL, 0, 1));
        if (p && p->format == 32 && xcb_get_property_value_length(p.get()) >= 4)
            desktop = *static_cast<const std::uint32_t*>(xcb_get_property_value(p.get()));
    }
    auto p = c_.reply(xcb_get_property_reply, xcb_get_property(c_.get(), 0, c_.root(), workAreaAtom,
                                                               XCB_ATOM_CARDINAL, desktop * 4, 4));
    if (!p || p->format != 32 || xcb_get_property_value_length(p.get()) < 16) return root;
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(p.get()));
    const auto x = static_cast<std::int32_t>(v[0]), y = static_cast<std::int32_t>(v[1]);
    return {x, y, x + static_cast<std::int32_t>(v[2]), y + static_cast<std::int32_t>(v[3])};
}

std::vector<MonitorInfo> X11Monitors::enumerate() {
    std::vector<MonitorInfo> out;
    const Rect work = workArea();
    for (const RandrMonitor& m : queryMonitors(c_)) {
        if (m.rect.isEmpty()) continue;
        MonitorInfo info;
        info.handle = m.atom;
        info.monitor = toRect(m.rect);
        const Rect w = intersect(work, info.monitor);
        info.work = w.width() > 0 ? w : info.monitor;
        info.primary = m.primary;
        info.deviceName = m.name;
        out.push_back(std::move(info));
    }
    if (out.empty()) {
        MonitorInfo info;
        info.handle = kRootHandle;
        info.monitor = toRect(c_.rootBounds());
        const Rect w = intersect(work, info.monitor);
        info.work = w.width() > 0 ? w : info.monitor;
        info.primary = true;
        info.deviceName = kRootName;
        out.push_back(std::move(info));
    }
    return out;
}

MonitorHandle X11Monitors::monitorFromRect(const Rect& windowRect) {
    return monitorHoldingMost(enumerate(), windowRect);
}

std::unique_ptr<MonitorContext> X11Monitors::openMonitor(const std::string& deviceName) {
    if (!c_.alive()) return nullptr;
    for (const MonitorInfo& m : enumerate()) {
        if (m.deviceName != deviceName) continue;
        std::int32_t refresh = 0;
        for (const RandrMonitor& rm : queryMonitors(c_)) {
            if (rm.name == deviceName) refresh = refreshRateOfOutputs(c_, rm.outputs);
        }
        return std::make_unique<X11MonitorContext>(c_, m.monitor, refresh);
    }
    return nullptr;
}

void X11Monitors::watchLayout(std::function<void()> changed) {
    layoutChanged_ = std::move(changed);
    layoutChangesSeen_ = c_.layoutChanges();
    if (!c_.alive() || !c_.hasRandr12()) return;  // no reports to listen to
    // RandR's reports arrive on our connection: read them as soon as the
    // socket has data. Replies read elsewhere can leave reports queued inside
    // xcb with the socket already drained, so look now and then as well
    // (reading queued events costs no round trip).
    readable_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c_.get()), QSocketNotifier::Read);
    QObject::connect(readable_.get(), &QSocketNotifier::activated, [this] { lookForLayoutChanges(); });
    queuedEvents_.setInterval(500);
    QObject::connect(&queuedEvents_, &QTimer::timeout, [this] { lookForLayoutChanges(); });
    queuedEvents_.start();
}

void X11Monitors::lookForLayoutChanges() {
    c_.pollEvents();
    if (!c_.alive()) {
        readable_.reset();
        queuedEvents_.stop();
        return;
    }
    if (c_.layoutChanges() == layoutChangesSeen_) return;
    layoutChangesSeen_ = c_.layoutChanges();
    if (layoutChanged_) layoutChanged_();
}

}  // namespace orvane::platform::x11
