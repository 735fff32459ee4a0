// Monitors on GNOME, each read from its screen-cast stream.
#include "platform/gnome/gnome_monitors.h"

namespace orvane::platform::gnome {

namespace {
// How long opening a monitor waits for its first picture, so the first tick
// has one to show.
constexpr int kFirstFrameMs = 1000;
}  // namespace

GnomeMonitorContext::GnomeMonitorContext(GnomeScreen& screen, std::string connector, Rect rect,
                                         std::int32_t refreshHz)
    : screen_(screen), connector_(std::move(connector)), rect_(rect), refreshHz_(refreshHz) {
    if (PipeWireStream* s = screen_.stream(connector_)) s->waitForFirstFrame(kFirstFrameMs);
}

MonitorChanges GnomeMonitorContext::takeChanges() {
    PipeWireStream* s = screen_.stream(connector_);
    if (!s) return {};
    // Another stream (a new session) shows the monitor now: all of it is new.
    if (s != lastStream_) {
        lastStream_ = s;
        (void)s->takeChanges();
        return MonitorChanges::everything();
    }
    MonitorChanges m = s->takeChanges();
    const QSize pixels = s->frame().size();
    if (!m.all && pixels != size()) m = MonitorChanges::everything();  // scaled: changes are in the stream's pixels
    if (!m.all) m.region &= QRect(QPoint(0, 0), size());
    return m;
}

const QImage& GnomeMonitorContext::picture() {
    static const QImage none;
    PipeWireStream* s = screen_.stream(connector_);
    if (!s) return none;
    const QImage& frame = s->frame();
    if (frame.isNull() || frame.size() == size()) return frame;
    if (scaledFrame_ != s->framesReceived() || scaled_.size() != size()) {
        scaled_ = frame.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGB32);
        scaledFrame_ = s->framesReceived();
    }
    return scaled_;
}

image::Source GnomeMonitorContext::pixels(const QRect& r) {
    return image::pixelsOfImage(picture(), QPoint(0, 0), r);
}

std::vector<MonitorInfo> GnomeMonitors::enumerate() {
    std::vector<MonitorInfo> list;
    for (const GnomeMonitor& m : screen_.monitors()) list.push_back(m.info);
    return WithStandIn(std::move(list));
}

MonitorHandle GnomeMonitors::monitorFromRect(const Rect& windowRect) {
    return monitorHoldingMost(enumerate(), windowRect);
}

std::unique_ptr<MonitorContext> GnomeMonitors::openMonitor(const std::string& deviceName) {
    const GnomeMonitor* m = screen_.monitor(deviceName);
    if (!m) return nullptr;
    return std::make_unique<GnomeMonitorContext>(screen_, deviceName, m->info.monitor, m->refreshHz);
}

}  // namespace orvane::platform::gnome
