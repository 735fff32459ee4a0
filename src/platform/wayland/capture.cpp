#include "platform/wayland/capture.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "platform/wayland/wayland_connection.h"

namespace orvane::platform::wayland {

std::unique_ptr<OutputCapture> captureOutput(Connection& c, std::string output, bool withCursor) {
    if (c.captureSources() != nullptr && c.imageCopyCapture() != nullptr)
        return imageCopyCapture(c, std::move(output), withCursor);
    return screencopyCapture(c, std::move(output), withCursor);
}

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

// The shared bookkeeping

ShmCapture::ShmCapture(Connection& c, std::string output, bool withCursor)
    : c_(c), outputName_(std::move(output)), withCursor_(withCursor) {}

bool ShmCapture::show(bool damageKnown) {
    const ShmBuffer& b = buffers_[target_];
    QImage image = frameImage(b.bits(), b.format(), b.width(), b.height(), b.stride(), yInvert_);
    const QSize logical(logical_.width(), logical_.height());
    bool whole = !firstDone_ || !damageKnown || frame_.size() != logical;
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
    shown_ = target_;
    frame_ = image;
    if (whole)
        allChanged_ = true;
    else
        changed_ += frameDamage_;
    firstDone_ = true;
    ++frames_;
    failuresInARow_ = 0;
    return whole;
}

void ShmCapture::lose() {
    gone_ = true;
    frame_ = QImage();
    allChanged_ = true;
}

void ShmCapture::retryLater() {
    QTimer::singleShot(std::min(failuresInARow_, 10) * 100, &timers_, [this] { request(); });
}

bool ShmCapture::waitForFirstFrame(int timeoutMs) {
    c_.dispatchUntil([this] { return frames_ > 0 || failuresInARow_ > 0 || gone_; }, timeoutMs);
    return frames_ > 0;
}

MonitorChanges ShmCapture::takeChanges() {
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
