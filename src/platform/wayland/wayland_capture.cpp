#include "platform/wayland/wayland_capture.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QTimer>
#include <algorithm>
#include <optional>
#include <cstdio>

#include "platform/wayland/wayland_connection.h"
#include "ext-image-capture-source-client-protocol.h"
#include "ext-image-copy-capture-client-protocol.h"
#include "wlr-screencopy-client-protocol.h"

namespace orvane::platform::wayland {

// Buffers

ShmBuffer::~ShmBuffer() { release(); }

void ShmBuffer::release() {
    if (buffer_) wl_buffer_destroy(buffer_);
    if (data_) munmap(data_, size_);
    buffer_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    width_ = height_ = stride_ = 0;
}

bool ShmBuffer::fit(Connection& c, std::uint32_t format, int width, int height, int stride) {
    if (buffer_ && format == format_ && width == width_ && height == height_ && stride == stride_) return true;
    release();
    if (!c.shm() || width <= 0 || height <= 0 || stride < width * 4) return false;
    const std::size_t size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const int fd = memfd_create("orvane-frame", MFD_CLOEXEC);
    if (fd < 0) return false;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return false;
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(c.shm(), fd, static_cast<std::int32_t>(size));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    close(fd);
    data_ = data;
    size_ = size;
    format_ = format;
    width_ = width;
    height_ = height;
    stride_ = stride;
    return true;
}

QImage frameImage(const uchar* bits, std::uint32_t format, int width, int height, int stride, bool yInvert) {
    QImage image;
    switch (format) {
    case WL_SHM_FORMAT_XRGB8888:
    case WL_SHM_FORMAT_ARGB8888:
        // Little-endian 0xAARRGGBB words: Qt's own pixel layout.
        image = QImage(bits, width, height, stride, QImage::Format_RGB32);
        break;
    case WL_SHM_FORMAT_XBGR8888:
    case WL_SHM_FORMAT_ABGR8888:
        image = QImage(bits, width, height, stride, QImage::Format_RGBX8888).convertToFormat(QImage::Format_RGB32);
        break;
    default:
        return {};
    }
    if (yInvert) image = image.mirrored(false, true);
    return image;
}

// Capture

struct OutputCapture::Events {
    static OutputCapture* of(void* data) { return static_cast<OutputCapture*>(data); }
    static void buffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width,
                       std::uint32_t height, std::uint32_t stride) {
        of(data)->onBuffer(format, static_cast<int>(width), static_cast<int>(height), static_cast<int>(stride));
    }
    static void flags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
        of(data)->yInvert_ = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    }
    static void ready(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
        of(data)->onReady();
    }
    static void failed(void* data, zwlr_screencopy_frame_v1*) { of(data)->onFailed(); }
    static void damage(void* data, zwlr_screencopy_frame_v1*, std::uint32_t x, std::uint32_t y, std::uint32_t w,
                       std::uint32_t h) {
        of(data)->onDamage(QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)));
    }
    static void linuxDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void bufferDone(void* data, zwlr_screencopy_frame_v1*) { of(data)->onBufferDone(); }
};

namespace {
const zwlr_screencopy_frame_v1_listener kFrameListener = {
    OutputCapture::Events::buffer, OutputCapture::Events::flags,       OutputCapture::Events::ready,
    OutputCapture::Events::failed, OutputCapture::Events::damage,      OutputCapture::Events::linuxDmabuf,
    OutputCapture::Events::bufferDone};
}  // namespace

struct OutputCapture::CopyCaptureEvents {
    static OutputCapture* of(void* data) { return static_cast<OutputCapture*>(data); }
    static void bufferSize(void* data, ext_image_copy_capture_session_v1*, std::uint32_t w, std::uint32_t h) {
        of(data)->width_ = static_cast<int>(w);
        of(data)->height_ = static_cast<int>(h);
    }
    static void shmFormat(void* data, ext_image_copy_capture_session_v1*, std::uint32_t format) {
        of(data)->offeredFormats_.push_back(format);
    }
    static void dmabufDevice(void*, ext_image_copy_capture_session_v1*, wl_array*) {}
    static void dmabufFormat(void*, ext_image_copy_capture_session_v1*, std::uint32_t, wl_array*) {}
    static void done(void* data, ext_image_copy_capture_session_v1*) { of(data)->onSessionDone(); }
    static void stopped(void* data, ext_image_copy_capture_session_v1*) { of(data)->onStopped(); }

    static void transform(void*, ext_image_copy_capture_frame_v1*, std::uint32_t) {}
    static void damage(void* data, ext_image_copy_capture_frame_v1*, std::int32_t x, std::int32_t y, std::int32_t w,
                       std::int32_t h) {
        of(data)->onDamage(QRect(x, y, w, h));
    }
    static void presentationTime(void*, ext_image_copy_capture_frame_v1*, std::uint32_t, std::uint32_t,
                                 std::uint32_t) {}
    static void ready(void* data, ext_image_copy_capture_frame_v1*) { of(data)->onReady(); }
    static void failed(void* data, ext_image_copy_capture_frame_v1*, std::uint32_t reason) {
        of(data)->onCopyCaptureFailed(reason);
    }
};

namespace {
const ext_image_copy_capture_session_v1_listener kSessionListener = {
    OutputCapture::CopyCaptureEvents::bufferSize, OutputCapture::CopyCaptureEvents::shmFormat,
    OutputCapture::CopyCaptureEvents::dmabufDevice, OutputCapture::CopyCaptureEvents::dmabufFormat,
    OutputCapture::CopyCaptureEvents::done, OutputCapture::CopyCaptureEvents::stopped};
const ext_image_copy_capture_frame_v1_listener kCopyFrameListener = {
    OutputCapture::CopyCaptureEvents::transform, OutputCapture::CopyCaptureEvents::damage,
    OutputCapture::CopyCaptureEvents::presentationTime, OutputCapture::CopyCaptureEvents::ready,
    OutputCapture::CopyCaptureEvents::failed};

// Of the formats a session offers, the one read without conversion first.
std::optional<std::uint32_t> chooseFormat(const std::vector<std::uint32_t>& offered) {
    for (std::uint32_t preferred : {WL_SHM_FORMAT_XRGB8888, WL_SHM_FORMAT_ARGB8888, WL_SHM_FORMAT_XBGR8888,
                                    WL_SHM_FORMAT_ABGR8888})
        if (std::find(offered.begin(), offered.end(), preferred) != offered.end()) return preferred;
    return std::nullopt;
}
}  // namespace

OutputCapture::OutputCapture(Connection& c, std::string output, bool withCursor)
    : c_(c), outputName_(std::move(output)), withCursor_(withCursor) {
    copyCapture_ = c_.captureSources() != nullptr && c_.imageCopyCapture() != nullptr;
    if (copyCapture_)
        startSession();
    else
        request();
}

OutputCapture::~OutputCapture() {
    if (pending_) zwlr_screencopy_frame_v1_destroy(pending_);
    if (copyFrame_) ext_image_copy_capture_frame_v1_destroy(copyFrame_);
    if (session_) ext_image_copy_capture_session_v1_destroy(session_);
    if (source_) ext_image_capture_source_v1_destroy(source_);
    c_.flush();
}

void OutputCapture::startSession() {
    const Output* o = c_.output(outputName_);
    if (!o || !c_.alive()) {
        gone_ = true;
        return;
    }
    logical_ = o->logical;
    source_ = ext_output_image_capture_source_manager_v1_create_source(c_.captureSources(), o->output);
    session_ = ext_image_copy_capture_manager_v1_create_session(
        c_.imageCopyCapture(), source_, withCursor_ ? EXT_IMAGE_COPY_CAPTURE_MANAGER_V1_OPTIONS_PAINT_CURSORS : 0);
    ext_image_copy_capture_session_v1_add_listener(session_, &kSessionListener, this);
    c_.flush();
}

// A complete set of buffer constraints (again after a change of size).
void OutputCapture::onSessionDone() {
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
    if (!copyFrame_) requestCopyCaptureFrame();
}

void OutputCapture::requestCopyCaptureFrame() {
    if (gone_ || copyFrame_ || !session_ || !constraintsKnown_ || !c_.alive()) return;
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
    ext_image_copy_capture_frame_v1_add_listener(copyFrame_, &kCopyFrameListener, this);
    ext_image_copy_capture_frame_v1_attach_buffer(copyFrame_, b.buffer());
    for (const QRect& r : stale_[target_] & QRect(0, 0, width_, height_))
        ext_image_copy_capture_frame_v1_damage_buffer(copyFrame_, r.x(), r.y(), r.width(), r.height());
    ext_image_copy_capture_frame_v1_capture(copyFrame_);
    frameDamage_ = QRegion();
    yInvert_ = false;
    c_.flush();
}

void OutputCapture::onCopyCaptureFailed(std::uint32_t reason) {
    endFrame();
    ++failuresInARow_;
    if (reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED) {
        onStopped();
        return;
    }
    // New constraints follow a mismatch; anything else is tried again a little later.
    if (reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_BUFFER_CONSTRAINTS) return;
    QTimer::singleShot(std::min(failuresInARow_, 10) * 100, &timers_, [this] { requestCopyCaptureFrame(); });
}

void OutputCapture::onStopped() {
    gone_ = true;
    frame_ = QImage();
    allChanged_ = true;
}

void OutputCapture::request() {
    if (copyCapture_) {
        requestCopyCaptureFrame();
        return;
    }
    if (gone_ || pending_ || !c_.alive() || !c_.screencopy()) return;
    const Output* o = c_.output(outputName_);
    if (!o) {
        gone_ = true;
        frame_ = QImage();
        allChanged_ = true;
        return;
    }
    logical_ = o->logical;
    pending_ = zwlr_screencopy_manager_v1_capture_output(c_.screencopy(), withCursor_ ? 1 : 0, o->output);
    zwlr_screencopy_frame_v1_add_listener(pending_, &kFrameListener, this);
    bufferOffered_ = false;
    yInvert_ = false;
    frameDamage_ = QRegion();
    c_.flush();
}

void OutputCapture::onBuffer(std::uint32_t format, int width, int height, int stride) {
    bufferOffered_ = true;
    format_ = format;
    width_ = width;
    height_ = height;
    stride_ = stride;
    // Before version 3 the offer is complete with its one buffer event.
    if (c_.screencopyVersion() < 3) onBufferDone();
}

void OutputCapture::onBufferDone() {
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

void OutputCapture::onDamage(const QRect& r) { frameDamage_ += r; }

void OutputCapture::onReady() {
    const ShmBuffer& b = buffers_[target_];
    QImage image = frameImage(b.bits(), b.format(), b.width(), b.height(), b.stride(), yInvert_);
    const QSize logical(logical_.width(), logical_.height());
    bool whole = !firstDone_ || (!copyCapture_ && c_.screencopyVersion() < 2) || frame_.size() != logical;
    if (image.isNull()) {
        std::fprintf(stderr, "orvane: the compositor offers output %s in a pixel format Orvane cannot read\n",
                     outputName_.c_str());
        whole = true;
    } else if (image.size() != logical) {
        // A scaled or rotated output: its frames come in the output's own
        // pixels, the monitor is measured in the layout's.
        image = image.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        whole = true;
    }
    if (!whole && yInvert_) {
        QRegion upright;
        for (const QRect& r : frameDamage_) upright += QRect(r.x(), b.height() - r.bottom() - 1, r.width(), r.height());
        frameDamage_ = upright;
    }
    if (copyCapture_) {
        // The other buffer missed what this frame brought.
        const int other = target_ == 0 ? 1 : 0;
        stale_[other] += whole ? QRegion(0, 0, b.width(), b.height()) : frameDamage_;
        stale_[target_] = QRegion();
    }
    shown_ = target_;
    frame_ = image;
    if (whole)
        allChanged_ = true;
    else
        changed_ += frameDamage_;
    firstDone_ = true;
    ++frames_;
    failuresInARow_ = 0;
    endFrame();
    request();
}

void OutputCapture::onFailed() {
    endFrame();
    ++failuresInARow_;
    if (!c_.output(outputName_)) {
        gone_ = true;
        frame_ = QImage();
        allChanged_ = true;
        return;
    }
    // A refused frame (the output is off, being reconfigured): ask again a
    // little later rather than in a tight loop.
    QTimer::singleShot(std::min(failuresInARow_, 10) * 100, &timers_, [this] { request(); });
}

void OutputCapture::endFrame() {
    if (pending_) zwlr_screencopy_frame_v1_destroy(pending_);
    pending_ = nullptr;
    if (copyFrame_) ext_image_copy_capture_frame_v1_destroy(copyFrame_);
    copyFrame_ = nullptr;
    c_.flush();
}

bool OutputCapture::waitForFirstFrame(int timeoutMs) {
    c_.dispatchUntil([this] { return frames_ > 0 || failuresInARow_ > 0 || gone_; }, timeoutMs);
    return frames_ > 0;
}

MonitorChanges OutputCapture::takeChanges() {
    if (allChanged_) {
        allChanged_ = false;
        changed_ = QRegion();
        return MonitorChanges::everything();
    }
    MonitorChanges m{changed_, false};
    changed_ = QRegion();
    return m;
}

}  // namespace orvane::platform::wayland
