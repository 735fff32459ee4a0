// Monitors seen through screen-cast streams, each read from its stream.
#include "platform/screencast/cast_monitors.h"

namespace orvane::platform::screencast {

namespace {
// How long opening a monitor waits for its first picture, so the first tick
// has one to show.
constexpr int kFirstFrameMs = 1000;
}  // namespace

CastMonitorContext::CastMonitorContext(CastScreen& screen, std::string name, Rect rect,
                                         std::int32_t refreshHz)
    : MemoryMonitorContext(rect, 32, refreshHz), screen_(screen), name_(std::move(name)) {
    if (PipeWireStream* s = screen_.stream(name_)) s->waitForFirstFrame(kFirstFrameMs);
}

MonitorChanges CastMonitorContext::takeChanges() {
    PipeWireStream* s = screen_.stream(name_);
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

const QImage& CastMonitorContext::picture() {
    static const QImage none;
    PipeWireStream* s = screen_.stream(name_);
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

image::Source CastMonitorContext::pixels(const QRect& r) {
    return image::pixelsOfImage(picture(), QPoint(0, 0), r);
}

std::vector<MonitorInfo> CastMonitors::enumerate() {
    std::vector<MonitorInfo> list;
    for (const CastMonitor& m : screen_.monitors()) list.push_back(m.info);
    return WithStandIn(std::move(list));
}

MonitorHandle CastMonitors::monitorFromRect(const Rect& windowRect) {
    return monitorHoldingMost(enumerate(), windowRect);
}

std::unique_ptr<MonitorContext> CastMonitors::openMonitor(const std::string& deviceName) {
    const CastMonitor* m = screen_.monitor(deviceName);
    if (!m) return nullptr;
    return std::make_unique<CastMonitorContext>(screen_, deviceName, m->info.monitor, m->refreshHz);
}

QImage CastDrawing::grab(const QRect& screenRect) {
    QImage out = image::blackImage(screenRect.size());
    for (const CastMonitor& m : screen_.monitors()) {
        const QRect monitor(m.info.monitor.left, m.info.monitor.top, m.info.monitor.width(), m.info.monitor.height());
        const QRect part = monitor & screenRect;
        if (part.isEmpty()) continue;
        CastMonitorContext context(screen_, m.info.deviceName, m.info.monitor, m.refreshHz);
        const image::Source s = context.pixels(part.translated(-monitor.topLeft()));
        image::blit(out, part.topLeft() - screenRect.topLeft(), s.image, QRect(s.at, part.size()));
    }
    return out;
}

}  // namespace orvane::platform::screencast
