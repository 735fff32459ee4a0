// Capture through the wlroots screencopy protocol: one frame object per
// frame, the buffer offered anew for each.
#include <wayland-client.h>

#include "platform/wayland/capture.h"
#include "platform/wayland/wayland_connection.h"
#include "wlr-screencopy-client-protocol.h"

namespace orvane::platform::wayland {

namespace {

class ScreencopyCapture final : public ShmCapture {
public:
    ScreencopyCapture(Connection& c, std::string output, bool withCursor)
        : ShmCapture(c, std::move(output), withCursor) {
        request();
    }
    ~ScreencopyCapture() override { endFrame(); }

private:
    static ScreencopyCapture* of(void* data) { return static_cast<ScreencopyCapture*>(data); }
    static const zwlr_screencopy_frame_v1_listener kListener;

    void request() override;
    void onBuffer(std::uint32_t format, int width, int height, int stride);
    void onBufferDone();
    void onFailed();
    void endFrame();

    zwlr_screencopy_frame_v1* pending_ = nullptr;
    bool bufferOffered_ = false;
};

const zwlr_screencopy_frame_v1_listener ScreencopyCapture::kListener = {
    .buffer =
        [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width, std::uint32_t height,
           std::uint32_t stride) {
            of(data)->onBuffer(format, static_cast<int>(width), static_cast<int>(height), static_cast<int>(stride));
        },
    .flags =
        [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
            of(data)->yInvert_ = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
        },
    .ready =
        [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
            ScreencopyCapture* self = of(data);
            self->show(self->c_.screencopyVersion() >= 2);
            self->endFrame();
            self->request();
        },
    .failed = [](void* data, zwlr_screencopy_frame_v1*) { of(data)->onFailed(); },
    .damage =
        [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) {
            of(data)->onDamage(
                QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)));
        },
    .linux_dmabuf = [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {},
    .buffer_done = [](void* data, zwlr_screencopy_frame_v1*) { of(data)->onBufferDone(); },
};

void ScreencopyCapture::request() {
    if (gone() || pending_ || !c_.alive() || !c_.screencopy()) return;
    const Output* o = c_.output(outputName_);
    if (!o) {
        lose();
        return;
    }
    logical_ = o->logical;
    pending_ = zwlr_screencopy_manager_v1_capture_output(c_.screencopy(), withCursor_ ? 1 : 0, o->output);
    zwlr_screencopy_frame_v1_add_listener(pending_, &kListener, this);
    bufferOffered_ = false;
    yInvert_ = false;
    frameDamage_ = QRegion();
    c_.flush();
}

void ScreencopyCapture::onBuffer(std::uint32_t format, int width, int height, int stride) {
    bufferOffered_ = true;
    format_ = format;
    width_ = width;
    height_ = height;
    stride_ = stride;
    // Before version 3 the offer is complete with its one buffer event.
    if (c_.screencopyVersion() < 3) onBufferDone();
}

void ScreencopyCapture::onBufferDone() {
    if (!pending_) return;
    target_ = shown_ == 0 ? 1 : 0;
    if (!bufferOffered_ || !buffers_[target_].fit(c_, format_, width_, height_, stride_)) {
        onFailed();
        return;
    }
    // The first frame is taken at once; later ones wait until something
    // changes and say what did.
    if (firstDone_ && c_.screencopyVersion() >= 2)
        zwlr_screencopy_frame_v1_copy_with_damage(pending_, buffers_[target_].buffer());
    else
        zwlr_screencopy_frame_v1_copy(pending_, buffers_[target_].buffer());
    c_.flush();
}

void ScreencopyCapture::onFailed() {
    endFrame();
    ++failuresInARow_;
    if (!c_.output(outputName_)) {
        lose();
        return;
    }
    // A refused frame (the output is off, being reconfigured).
    retryLater();
}

void ScreencopyCapture::endFrame() {
    if (pending_) zwlr_screencopy_frame_v1_destroy(pending_);
    pending_ = nullptr;
    c_.flush();
}

}  // namespace

std::unique_ptr<OutputCapture> screencopyCapture(Connection& c, std::string output, bool withCursor) {
    return std::make_unique<ScreencopyCapture>(c, std::move(output), withCursor);
}

}  // namespace orvane::platform::wayland
