// Drawing done by this process on surfaces whose pixels are in its memory
// (platform/image/image_pixels.h): the simulated desktop's, and Wayland's,
// where the compositor draws nothing for a client.
//
// A stretch with Simple samples the nearest pixel: destination pixel centres
// map into the source, a centre exactly on a pixel edge takes the pixel
// before it (so 50 % keeps the even pixels). Quality averages the source area
// each destination pixel covers, exactly, whichever way it scales. Both
// work out every destination pixel on its own, so a part drawn alone equals
// that part of the whole. Drawing into a surface without a draw target (a
// monitor) is discarded.
#pragma once

#include "platform/drawing.h"
#include "platform/image/image_pixels.h"
#include "platform/pointer.h"

namespace orvane::platform::image {

class ImageDrawing : public Drawing {
public:
    std::unique_ptr<ViewSurface> createView(QWidget* frame) override;
    std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) override;
    void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) override;
    void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) override;
    void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                     const QRegion& part) override;
    void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) override;
    void invert(Surface& dst, const QRect& rect) override;
    void flush() override {}
};

// The pixels of r of any surface: black for surfaces not in memory.
Source pixelsOf(Surface& s, const QRect& r);
// r of a surface as an image of its own.
QImage readSurface(Surface& s, const QRect& r);

// A plain picture in memory (CreateMemoryCopy).
class MemorySurface : public Surface, public Pixels {
public:
    explicit MemorySurface(QImage image) : image_(std::move(image)) {}
    [[nodiscard]] QSize size() const override { return image_.size(); }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return mode_; }
    [[nodiscard]] Source pixels(const QRect& r) override { return pixelsOfImage(image_, {0, 0}, r); }
    [[nodiscard]] QRect drawArea() const override;
    void draw(const QRect& area, const DrawOp& op) override;

private:
    QImage image_;
    StretchMode mode_ = StretchMode::Simple;
};

}  // namespace orvane::platform::image
