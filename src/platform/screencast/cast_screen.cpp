// What the screen-cast backends share: the pointer from the streams.
#include "platform/screencast/cast_screen.h"

#include "platform/screencast/cursor_rules.h"

namespace orvane::platform::screencast {

const CastMonitor* CastScreen::monitor(const std::string& name) const {
    for (const CastMonitor& m : monitors())
        if (m.info.deviceName == name) return &m;
    return nullptr;
}

std::optional<Point> CastScreen::pointer() {
    std::vector<StreamCursor> reports;
    for (const auto& [name, stream] : liveStreams()) {
        const CastMonitor* m = monitor(name);
        if (!m || !stream) continue;
        const PipeWireStream::Cursor& c = stream->cursor();
        QSize pixels = stream->frame().size();
        if (pixels.isEmpty()) pixels = QSize(m->info.monitor.width(), m->info.monitor.height());
        reports.push_back({c.visible, c.position, pixels, m->info.monitor, c.seq});
    }
    return PointerFromStreams(reports);
}

std::shared_ptr<const CursorImage> CastScreen::cursorImage() {
    // The pointer has one image wherever it is; each stream sends it only
    // when it changes, so the newest of any stream is the one.
    const PipeWireStream* newest = nullptr;
    for (const auto& [name, stream] : liveStreams())
        if (stream && stream->cursor().imageSeq > 0 && (!newest || stream->cursor().imageSeq > newest->cursor().imageSeq))
            newest = stream;
    if (!newest) return nullptr;
    if (!cursor_ || cursor_->serial != newest->cursor().imageSeq) {
        auto image = std::make_shared<CursorImage>();
        image->image = newest->cursor().image;
        image->hotspot = {newest->cursor().hotspot.x(), newest->cursor().hotspot.y()};
        image->serial = newest->cursor().imageSeq;
        cursor_ = std::move(image);
    }
    return cursor_;
}

}  // namespace orvane::platform::screencast
