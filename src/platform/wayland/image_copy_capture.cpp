// Capture through ext-image-copy-capture: a session that states the buffer
// constraints (again after a change of size), and a frame object per frame
// written into a buffer the client attaches.
#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "ext-image-capture-source-client-protocol.h"
#include "ext-image-copy-capture-client-protocol.h"
#include "platform/wayland/capture.h"
#include "platform/wayland/wayland_connection.h"

namespace orvane::platform::wayland {

namespace {

using Session = ext_image_copy_capture_session_v1;
using Frame = ext_image_copy_capture_frame_v1;

class ImageCopyCapture final : public ShmCapture {
public:
    ImageCopyCapture(Connection& c, std::string output, bool withCursor);
    ~ImageCopyCapture() override;

private:
    static ImageCopyCapture* of(void* data) { return static_cast<ImageCopyCapture*>(data); }
    static const ext_image_copy_capture_session_v1_listener kSessionListener;
    static const ext_image_copy_capture_frame_v1_listener kFrameListener;

    void request() override;
    void onSessionDone();
    void onReady();
    void onFailed(std::uint32_t reason);
    void endFrame();

    ext_image_capture_source_v1* source_ = nullptr;
    Session* session_ = nullptr;
    Frame* copyFrame_ = nullptr;
    std::vector<std::uint32_t> offeredFormats_;
    bool constraintsKnown_ = false;
    // For each buffer what changed on the output since it was last written:
    // the compositor writes only what changed since the previous frame.
    std::array<QRegion, 2> stale_;
};

const ext_image_copy_capture_session_v1_listener ImageCopyCapture::kSessionListener = {
    .buffer_size =
        [](void* data, Session*, std::uint32_t w, std::uint32_t h) {
            of(data)->width_ = static_cast<int>(w);
            of(data)->height_ = static_cast<int>(h);
        },
    .shm_format = [](void* data, Session*, std::uint32_t format) { of(data)->offeredFormats_.push_back(format); },
    .dmabuf_device = [](void*, Session*, wl_array*) {},
    .dmabuf_format = [](void*, Session*, std::uint32_t, wl_array*) {},
    .done = [](void* data, Session*) { of(data)->onSessionDone(); },
    .stopped = [](void* data, Session*) { of(data)->lose(); },
};

const ext_image_copy_capture_frame_v1_listener ImageCopyCapture::kFrameListener = {
    .transform = [](void*, Frame*, std::uint32_t) {},
    .damage = [](void* data, Frame*, std::int32_t x, std::int32_t y, std::int32_t w,
                 std::int32_t h) { of(data)->onDamage(QRect(x, y, w, h)); },
    .presentation_time = [](void*, Frame*, std::uint32_t, std::uint32_t, std::uint32_t) {},
    .ready = [](void* data, Frame*) { of(data)->onReady(); },
    .failed = [](void* data, Frame*, std::uint32_t reason) { of(data)->onFailed(reason); },
};

// Of the formats a session offers, the one read without conversion first.
std::optional<std::uint32_t> chooseFormat(const std::vector<std::uint32_t>& offered) {
    for (std::uint32_t preferred : {WL_SHM_FORMAT_XRGB8888, WL_SHM_FORMAT_ARGB8888, WL_SHM_FORMAT_XBGR8888,
                                    WL_SHM_FORMAT_ABGR8888})
        if (std::find(offered.begin(), offered.end(), preferred) != offered.end()) return preferred;
    return std::nullopt;
}

ImageCopyCapture::ImageCopyCapture(Connection& c, std::string output, bool withCursor)
    : ShmCapture(c, std::move(output), withCursor) {
    const Output* o = c_.output(outputName_);
    if (!o || !c_.alive()) {
        lose();
        return;
    }
    logical_ = o->logical;
    source_ = ext_output_image_capture_source_manager_v1_create_source(c_.captureSources(), o->output);
    session_ = ext_image_copy_capture_manager_v1_create_session(
        c_.imageCopyCapture(), source_, withCursor_ ? EXT_IMAGE_COPY_CAPTURE_MANAGER_V1_OPTIONS_PAINT_CURSORS : 0);
    ext_image_copy_capture_session_v1_add_listener(session_, &kSessionListener, this);
    c_.flush();
}

ImageCopyCapture::~ImageCopyCapture() {
    if (copyFrame_) ext_image_copy_capture_frame_v1_destroy(copyFrame_);
    if (session_) ext_image_copy_capture_session_v1_destroy(session_);
    if (source_) ext_image_capture_source_v1_destroy(source_);
    c_.flush();
}

// A complete set of buffer constraints (again after a change of size).
void ImageCopyCapture::onSessionDone() {
    const std::optional<std::uint32_t> format = chooseFormat(offeredFormats_);
    offeredFormats_.clear();
    if (!format) {
        std::fprintf(stderr, "orvane: the compositor offers output %s in no pixel format Orvane can read\n",
                     outputName_.c_str());
        ++failuresInARow_;
        return;
    }
    format_ = *format;
    stride_ = width_ * 4;
    constraintsKnown_ = true;
    if (const Output* o = c_.output(outputName_)) logical_ = o->logical;
    if (!copyFrame_) request();
}

void ImageCopyCapture::request() {
    if (gone() || copyFrame_ || !session_ || !constraintsKnown_ || !c_.alive()) return;
    target_ = shown_ == 0 ? 1 : 0;
    ShmBuffer& b = buffers_[target_];
    const wl_buffer* before = b.buffer();
    if (!b.fit(c_, format_, width_, height_, stride_)) {
        ++failuresInARow_;
        return;
    }
    // A buffer new or remade holds nothing yet.
    if (b.buffer() != before) stale_[target_] = QRegion(0, 0, width_, height_);
    copyFrame_ = ext_image_copy_capture_session_v1_create_frame(session_);
    ext_image_copy_capture_frame_v1_add_listener(copyFrame_, &kFrameListener, this);
    ext_image_copy_capture_frame_v1_attach_buffer(copyFrame_, b.buffer());
    for (const QRect& r : stale_[target_] & QRect(0, 0, width_, height_))
        ext_image_copy_capture_frame_v1_damage_buffer(copyFrame_, r.x(), r.y(), r.width(), r.height());
    ext_image_copy_capture_frame_v1_capture(copyFrame_);
    frameDamage_ = QRegion();
    yInvert_ = false;
    c_.flush();
}

void ImageCopyCapture::onReady() {
    const int written = target_;
    const bool whole = show(true);
    // The other buffer missed what this frame brought.
    const ShmBuffer& b = buffers_[written];
    stale_[1 - written] += whole ? QRegion(0, 0, b.width(), b.height()) : frameDamage_;
    stale_[written] = QRegion();
    endFrame();
    request();
}

void ImageCopyCapture::onFailed(std::uint32_t reason) {
    endFrame();
    ++failuresInARow_;
    if (reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED) {
        lose();
        return;
    }
    // New constraints follow a mismatch; anything else is tried again a little later.
    if (reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_BUFFER_CONSTRAINTS) return;
    retryLater();
}

void ImageCopyCapture::endFrame() {
    if (copyFrame_) ext_image_copy_capture_frame_v1_destroy(copyFrame_);
    copyFrame_ = nullptr;
    c_.flush();
}

}  // namespace

std::unique_ptr<OutputCapture> imageCopyCapture(Connection& c, std::string output, bool withCursor) {
    return std::make_unique<ImageCopyCapture>(c, std::move(output), withCursor);
}

}  // namespace orvane::platform::wayland
