// Pictures in this process's memory: the helpers every client-side surface
// uses, and what a surface offers the drawing operations when its pixels
// live here (the simulated desktop, and Wayland, where nothing draws on the
// server's side).
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <cstddef>
#include <cstring>
#include <functional>

#include "platform/monitors.h"

namespace orvane::platform::image {

inline QImage blackImage(QSize size) {
    QImage image(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// Images an RGB32 pixel can be written into as it is: opaque 0xffRRGGBB is
// the same pixel in all three.
inline bool holdsRgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
           image.format() == QImage::Format_ARGB32_Premultiplied;
}

// Copies from's pixels of src into image at pos, replacing what was there;
// clipped to both images: plain row copies.
inline void blit(QImage& image, QPoint pos, const QImage& src, QRect from) {
    from &= src.rect();
    QRect to = QRect(pos, from.size()) & image.rect();
    if (to.isEmpty()) return;
    from = QRect(from.topLeft() + (to.topLeft() - pos), to.size());
    // Another format is converted first (no painter: the image may be a
    // window's picture that is being painted already).
    QImage converted;
    const QImage* in = &src;
    if (src.format() != image.format() && !(src.format() == QImage::Format_RGB32 && holdsRgb32(image))) {
        converted = src.copy(from).convertToFormat(image.format());
        in = &converted;
        from.moveTo(0, 0);
    }
    const int depth = image.depth() / 8;
    const auto bytes = static_cast<std::size_t>(to.width()) * depth;
    for (int y = 0; y < to.height(); ++y)
        std::memcpy(image.scanLine(to.top() + y) + std::ptrdiff_t{to.left()} * depth,
                    in->constScanLine(from.top() + y) + std::ptrdiff_t{from.left()} * depth, bytes);
}

// Pixels of a surface: pixel (x, y) of the rectangle asked for is pixel
// at + (x, y) of image.
struct Source {
    QImage image;
    QPoint at;
};

// Where drawing into a surface lands: image, whose (0, 0) is the surface's
// origin, written only inside clip (surface coordinates).
struct Target {
    QImage* image = nullptr;
    QPoint origin;
    QRect clip;
    [[nodiscard]] QRect area() const { return image ? clip & QRect(origin, image->size()) : QRect(); }
};

// Writes a drawing operation's pixels into a target; whatever it reads was
// read when the operation was asked for.
using DrawOp = std::function<void(const Target&)>;

// A surface whose pixels are in memory, besides being a Surface.
class Pixels {
public:
    virtual ~Pixels() = default;
    // The pixels of r (surface coordinates), black where the surface has none;
    // straight from the surface's own image where it can.
    [[nodiscard]] virtual Source pixels(const QRect& r) = 0;
    // Where drawing into it can land; empty for surfaces nothing draws on
    // (the watched monitor).
    [[nodiscard]] virtual QRect drawArea() const { return {}; }
    // Has op write area (inside drawArea()): a picture in memory at once, a
    // view when its window paints.
    virtual void draw(const QRect& area, const DrawOp& op) {
        (void)area;
        (void)op;
    }
};

// A monitor opened as pictures in this process's memory (a capture, a
// screen-cast stream, the simulated desktop): the place, depth and refresh
// rate it was opened with, and the stretch mode asked for.
class MemoryMonitorContext : public MonitorContext, public Pixels {
public:
    MemoryMonitorContext(Rect rect, std::int32_t bitsPerPixel, std::int32_t refreshHz)
        : rect_(rect), bits_(bitsPerPixel), refreshHz_(refreshHz) {}
    [[nodiscard]] QSize size() const override { return {rect_.width(), rect_.height()}; }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return mode_; }
    [[nodiscard]] Rect rect() const override { return rect_; }
    [[nodiscard]] std::int32_t bitsPerPixel() const override { return bits_; }
    [[nodiscard]] std::int32_t refreshRate() const override { return refreshHz_; }

private:
    Rect rect_;
    std::int32_t bits_;
    std::int32_t refreshHz_;
    StretchMode mode_ = StretchMode::Simple;
};

// Reads r of an image that sits at origin in surface coordinates: shared
// when r lies inside it, a black-filled copy otherwise.
inline Source pixelsOfImage(const QImage& image, QPoint origin, const QRect& r) {
    if (image.isNull()) return {blackImage(r.size()), {0, 0}};
    const QRect inside(origin, image.size());
    if (inside.contains(r)) return {image, r.topLeft() - origin};
    QImage out = blackImage(r.size());
    const QRect have = r & inside;
    if (!have.isEmpty()) blit(out, have.topLeft() - r.topLeft(), image, have.translated(-origin));
    return {out, {0, 0}};
}

}  // namespace orvane::platform::image
