// The benchmarks' own X client (see x_client.h).
#include "x_client.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace orvane::bench {

QImage testPicture(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int block = (y / 180) * 16 + x / 240;
            if (y % 97 == 0 || x % 101 == 0) {
                row[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            } else {
                row[x] = qRgb((block * 53 + x / 8) % 256, (block * 97 + y / 8) % 256,
                              (block * 31 + (x ^ y)) % 256);
            }
        }
    }
    return img;
}

XClient::XClient(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c_)) return;
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    ok_ = screen_ != nullptr;
}

XClient::~XClient() {
    endMirror();
    detach(in_);
    detach(out_);
    if (ok_) {
        if (pixelGc_) xcb_free_gc(c_, pixelGc_);
        for (xcb_window_t w : windows_) xcb_destroy_window(c_, w);
        xcb_flush(c_);
    }
    xcb_disconnect(c_);
}

void XClient::sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

void XClient::changeArea(const QRect& screenRect, bool wait) {
    if (!ok_) return;
    if (!pixelGc_) {
        pixelGc_ = xcb_generate_id(c_);
        const std::uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
        xcb_create_gc(c_, pixelGc_, screen_->root, XCB_GC_SUBWINDOW_MODE, &includeInferiors);
    }
    pixelColour_ = (pixelColour_ + 0x010203) & 0xffffff;
    xcb_change_gc(c_, pixelGc_, XCB_GC_FOREGROUND, &pixelColour_);
    const xcb_rectangle_t r{
        static_cast<std::int16_t>(screenRect.x()), static_cast<std::int16_t>(screenRect.y()),
        static_cast<std::uint16_t>(screenRect.width()), static_cast<std::uint16_t>(screenRect.height())};
    xcb_poly_fill_rectangle(c_, screen_->root, pixelGc_, 1, &r);
    if (wait)
        sync();
    else
        xcb_flush(c_);
}

void XClient::showImage(const QRect& rect, const QImage& image) {
    const xcb_window_t root = screen_->root;
    const xcb_pixmap_t pix = xcb_generate_id(c_);
    xcb_create_pixmap(c_, screen_->root_depth, pix, root, static_cast<std::uint16_t>(rect.width()),
                      static_cast<std::uint16_t>(rect.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c_);
    xcb_create_gc(c_, gc, pix, 0, nullptr);
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    // Strips well under the server's request size limit.
    const int rows = std::max(1, (1 << 20) / std::max(1, img.width() * 4));
    for (int y = 0; y < img.height(); y += rows) {
        const int h = std::min(rows, img.height() - y);
        xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, pix, gc, static_cast<std::uint16_t>(img.width()),
                      static_cast<std::uint16_t>(h), 0, static_cast<std::int16_t>(y), 0, screen_->root_depth,
                      static_cast<std::uint32_t>(img.bytesPerLine() * h), img.constScanLine(y));
    }
    const xcb_window_t w = xcb_generate_id(c_);
    const std::uint32_t values[] = {pix, 1};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root, static_cast<std::int16_t>(rect.x()),
                      static_cast<std::int16_t>(rect.y()), static_cast<std::uint16_t>(rect.width()),
                      static_cast<std::uint16_t>(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c_, w);
    xcb_free_gc(c_, gc);
    xcb_free_pixmap(c_, pix);
    sync();
    windows_.push_back(w);
}

bool XClient::attach(Segment& s, std::size_t bytes) {
    if (s.data && s.size >= bytes) return true;
    detach(s);
    s.id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (s.id < 0) return false;
    void* p = shmat(s.id, nullptr, 0);
    if (p == reinterpret_cast<void*>(-1)) {
        shmctl(s.id, IPC_RMID, nullptr);
        s.id = -1;
        return false;
    }
    s.data = static_cast<std::uint8_t*>(p);
    s.size = bytes;
    s.seg = xcb_generate_id(c_);
    xcb_generic_error_t* err =
        xcb_request_check(c_, xcb_shm_attach_checked(c_, s.seg, static_cast<std::uint32_t>(s.id), 0));
    // Marked for removal only once the server holds it.
    shmctl(s.id, IPC_RMID, nullptr);
    if (err) {
        std::free(err);
        shmdt(s.data);
        s = Segment{};
        return false;
    }
    return true;
}

void XClient::detach(Segment& s) {
    if (s.seg && ok_) xcb_shm_detach(c_, s.seg);
    if (s.data) shmdt(s.data);
    s = Segment{};
}

bool XClient::beginMirror(const Mirror& m) {
    endMirror();
    if (!ok_) return false;
    m_ = m;
    const auto bytes = [](QSize s) {
        return static_cast<std::size_t>(s.width()) * static_cast<std::size_t>(s.height()) * 4;
    };
    if (!attach(in_, bytes(m.source.size())) || !attach(out_, bytes(m.visible))) return false;
    target_ = xcb_generate_id(c_);
    const std::uint32_t values[] = {screen_->black_pixel, 1};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, target_, screen_->root, 0, 0,
                      static_cast<std::uint16_t>(m.visible.width()),
                      static_cast<std::uint16_t>(m.visible.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c_, target_);
    gc_ = xcb_generate_id(c_);
    const std::uint32_t noExposures[] = {0};
    xcb_create_gc(c_, gc_, target_, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
    sync();
    return true;
}

void XClient::mirrorFrame() {
    if (!target_) return;
    // Only the part of the monitor that shows is read when zooming in.
    QSize read = m_.source.size();
    if (m_.zoom > 1.0) {
        read = QSize(std::min(read.width(), static_cast<int>(std::ceil(m_.visible.width() / m_.zoom))),
                     std::min(read.height(), static_cast<int>(std::ceil(m_.visible.height() / m_.zoom))));
    }
    std::free(xcb_shm_get_image_reply(
        c_,
        xcb_shm_get_image(c_, screen_->root, static_cast<std::int16_t>(m_.source.x()),
                          static_cast<std::int16_t>(m_.source.y()), static_cast<std::uint16_t>(read.width()),
                          static_cast<std::uint16_t>(read.height()), ~0U, XCB_IMAGE_FORMAT_Z_PIXMAP, in_.seg,
                          0),
        nullptr));
    const std::uint8_t depth = screen_->root_depth;
    if (m_.zoom == 1.0) {
        xcb_shm_put_image(c_, target_, gc_, static_cast<std::uint16_t>(read.width()),
                          static_cast<std::uint16_t>(read.height()), 0, 0,
                          static_cast<std::uint16_t>(m_.visible.width()),
                          static_cast<std::uint16_t>(m_.visible.height()), 0, 0, depth,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 0, in_.seg, 0);
    } else {
        const QImage frame(in_.data, read.width(), read.height(), read.width() * 4, QImage::Format_RGB32);
        const QImage out = frame.scaled(m_.visible, Qt::IgnoreAspectRatio,
                                        m_.smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
        // QImage::scaled always allocates: one copy into the shared segment.
        for (int y = 0; y < out.height(); ++y)
            std::memcpy(out_.data + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width()) * 4,
                        out.constScanLine(y), static_cast<std::size_t>(out.width()) * 4);
        xcb_shm_put_image(c_, target_, gc_, static_cast<std::uint16_t>(out.width()),
                          static_cast<std::uint16_t>(out.height()), 0, 0,
                          static_cast<std::uint16_t>(out.width()), static_cast<std::uint16_t>(out.height()),
                          0, 0, depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, out_.seg, 0);
    }
    sync();
}

void XClient::endMirror() {
    if (!target_) return;
    xcb_free_gc(c_, gc_);
    xcb_destroy_window(c_, target_);
    target_ = 0;
    gc_ = 0;
    sync();
}

}  // namespace orvane::bench
