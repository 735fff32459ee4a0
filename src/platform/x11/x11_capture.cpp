// Reads and writes pixels of X drawables (see x11_capture.h).
#include "platform/x11/x11_capture.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <algorithm>
#include <cstring>

#include "platform/x11/x11_math.h"

namespace orvane::platform::x11 {

namespace {

PixelLayout layoutFor(const Connection& c, std::uint8_t depth) {
    PixelLayout l;
    l.bitsPerPixel = c.bitsPerPixel(depth);
    l.lsbFirst = c.lsbFirst();
    if (depth == c.rootDepth() && c.rootVisual()) {
        l.redMask = c.rootVisual()->red_mask;
        l.greenMask = c.rootVisual()->green_mask;
        l.blueMask = c.rootVisual()->blue_mask;
    }
    return l;
}

int strideFor(int width, int bitsPerPixel) {
    // ZPixmap rows are padded to 32 bits on every server we know of.
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace

Capture::~Capture() { releaseSegment(); }

void Capture::releaseSegment() {
    if (shmSeg_ != 0 && c_.alive()) xcb_shm_detach(c_.get(), shmSeg_);
    if (shmData_) shmdt(shmData_);
    shmSeg_ = 0;
    shmData_ = nullptr;
    shmSize_ = 0;
    shmId_ = -1;
}

bool Capture::ensureSegment(std::size_t bytes) {
    if (shmData_ && shmSize_ >= bytes) return true;
    releaseSegment();
    shmId_ = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId_ < 0) return false;
    void* p = shmat(shmId_, nullptr, 0);
    if (p == reinterpret_cast<void*>(-1)) {
        shmctl(shmId_, IPC_RMID, nullptr);
        shmId_ = -1;
        return false;
    }
    shmData_ = static_cast<std::uint8_t*>(p);
    shmSize_ = bytes;
    shmSeg_ = xcb_generate_id(c_.get());
    // Writable, and marked for removal only once the server holds it: removing
    // earlier makes the attach fail.
    const bool attached =
        c_.check(xcb_shm_attach_checked(c_.get(), shmSeg_, static_cast<std::uint32_t>(shmId_), 0));
    shmctl(shmId_, IPC_RMID, nullptr);
    if (!attached) {
        shmSeg_ = 0;
        releaseSegment();
        return false;
    }
    return true;
}

bool Capture::readShm(xcb_drawable_t drawable, std::uint8_t depth, const QRect& src, QImage& dst,
                      QPoint dstPos) {
    const PixelLayout layout = layoutFor(c_, depth);
    const int stride = strideFor(src.width(), layout.bitsPerPixel);
    if (!ensureSegment(static_cast<std::size_t>(stride) * static_cast<std::size_t>(src.height())))
        return false;
    auto r =
        c_.reply(xcb_shm_get_image_reply,
                 xcb_shm_get_image(
                     c_.get(), drawable, static_cast<std::int16_t>(src.x()),
                     static_cast<std::int16_t>(src.y()), static_cast<std::uint16_t>(src.width()),
                     static_cast<std::uint16_t>(src.height()), ~0U, XCB_IMAGE_FORMAT_Z_PIXMAP, shmSeg_, 0));
    if (!r) return false;
    convertZPixmap(shmData_, src.width(), src.height(), stride, layout, dst, dstPos);
    return true;
}

bool Capture::readPlain(xcb_drawable_t drawable, std::uint8_t depth, const QRect& src, QImage& dst,
                        QPoint dstPos) {
    const PixelLayout layout = layoutFor(c_, depth);
    const int stride = strideFor(src.width(), layout.bitsPerPixel);
    // A reply is limited to the server's maximum length; read in bands of rows.
    const int maxBytes = 4 * 1024 * 1024;
    const int rows = std::max(1, maxBytes / std::max(1, stride));
    for (int y = 0; y < src.height(); y += rows) {
        const int h = std::min(rows, src.height() - y);
        auto r = c_.reply(
            xcb_get_image_reply,
            xcb_get_image(c_.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<std::int16_t>(src.x()),
                          static_cast<std::int16_t>(src.y() + y), static_cast<std::uint16_t>(src.width()),
                          static_cast<std::uint16_t>(h), ~0U));
        if (!r) return false;
        if (xcb_get_image_data_length(r.get()) < stride * h) return false;
        convertZPixmap(xcb_get_image_data(r.get()), src.width(), h, stride, layout, dst,
                       dstPos + QPoint(0, y));
    }
    return true;
}

bool Capture::read(xcb_drawable_t drawable, std::uint8_t depth, const QRect& src, QImage& dst,
                   QPoint dstPos) {
    if (src.isEmpty() || !c_.alive()) return false;
    if (c_.hasShm() && !shmFailed_) {
        if (readShm(drawable, depth, src, dst, dstPos)) return true;
        // A server on another machine cannot attach our memory: stop trying.
        if (!shmData_) shmFailed_ = true;
    }
    return readPlain(drawable, depth, src, dst, dstPos);
}

QImage Capture::grabScreen(const QRect& r) {
    QImage img(r.size().expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    if (img.isNull()) return img;
    img.fill(Qt::black);
    // A rectangle reaching past the root window gives BadMatch: read only the
    // part on the screen.
    const QRect on = r.intersected(c_.refreshRootBounds());
    if (!on.isEmpty() && !read(c_.root(), c_.rootDepth(), on, img, on.topLeft() - r.topLeft()))
        img.fill(Qt::black);
    return img;
}

void Capture::write(xcb_drawable_t drawable, xcb_gcontext_t gc, std::uint8_t depth, const QImage& image,
                    QPoint pos) {
    if (image.isNull() || !c_.alive() || c_.bitsPerPixel(depth) != 32 || !c_.lsbFirst()) return;
    const QImage src = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
                               image.format() == QImage::Format_ARGB32_Premultiplied
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    const std::size_t maxBytes = std::min<std::size_t>(
        static_cast<std::size_t>(xcb_get_maximum_request_length(c_.get())) * 4 - 64, 4U * 1024U * 1024U);
    const int stride = src.width() * 4;
    const int rows = std::max(1, static_cast<int>(maxBytes / static_cast<std::size_t>(stride)));
    std::vector<std::uint8_t> band;
    for (int y = 0; y < src.height(); y += rows) {
        const int h = std::min(rows, src.height() - y);
        band.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
        for (int i = 0; i < h; ++i)
            std::memcpy(band.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride),
                        src.constScanLine(y + i), static_cast<std::size_t>(stride));
        xcb_put_image(c_.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc,
                      static_cast<std::uint16_t>(src.width()), static_cast<std::uint16_t>(h),
                      static_cast<std::int16_t>(pos.x()), static_cast<std::int16_t>(pos.y() + y), 0, depth,
                      static_cast<std::uint32_t>(band.size()), band.data());
    }
}

}  // namespace orvane::platform::x11
