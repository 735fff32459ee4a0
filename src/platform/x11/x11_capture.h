// Reads pixels from the X server into QImages (MIT-SHM when the server shares
// memory with us, plain GetImage otherwise) and writes QImages back with
// PutImage: the pixel path for grab() and for servers without RENDER.
#pragma once

#include <QImage>
#include <QRect>

#include "platform/x11/x11_connection.h"

namespace orvane::platform::x11 {

class Capture {
public:
    explicit Capture(Connection& c) : c_(c) {}
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // The root window's rectangle r (including every window on it), RGB32;
    // whatever lies outside the screen is black.
    QImage grabScreen(const QRect& r);
    // Copies the drawable's rectangle src into dst at dstPos. The rectangle must
    // lie inside the drawable (X answers BadMatch otherwise). False on failure.
    bool read(xcb_drawable_t drawable, std::uint8_t depth, const QRect& src, QImage& dst, QPoint dstPos);
    // Writes image (RGB32 or ARGB32) to the drawable at pos, in strips that fit
    // the server's request size. Only depth-24 and depth-32 drawables.
    void write(xcb_drawable_t drawable, xcb_gcontext_t gc, std::uint8_t depth, const QImage& image,
               QPoint pos);

private:
    bool ensureSegment(std::size_t bytes);
    void releaseSegment();
    bool readShm(xcb_drawable_t drawable, std::uint8_t depth, const QRect& src, QImage& dst, QPoint dstPos);
    bool readPlain(xcb_drawable_t drawable, std::uint8_t depth, const QRect& src, QImage& dst, QPoint dstPos);

    Connection& c_;
    bool shmFailed_ = false;
    int shmId_ = -1;
    std::uint8_t* shmData_ = nullptr;
    std::size_t shmSize_ = 0;
    std::uint32_t shmSeg_ = 0;
};

}  // namespace orvane::platform::x11
