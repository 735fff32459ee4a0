// Surfaces and the drawing operations of the refresh tick: plain copy,
// stretched copy, pointer image, inverted square and presenting the view.
// The X11 backend performs them on the server; the simulated one on QImages.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <cmath>
#include <functional>
#include <memory>

class QWidget;

namespace orvane::platform {

struct CursorImage;

// COLORONCOLOR-like nearest sampling, or HALFTONE-like area averaging.
enum class StretchMode { Simple, Quality };

// Something the operations read from or draw into. Coordinates are the
// surface's own pixels, (0, 0) at its top-left corner.
class Surface {
public:
    virtual ~Surface() = default;
    [[nodiscard]] virtual QSize size() const = 0;
    // Sampling used when this surface is the destination of a stretch.
    virtual void setStretchMode(StretchMode mode) = 0;
    [[nodiscard]] virtual StretchMode stretchMode() const = 0;
};

// The view picView. It behaves as a surface of its full (possibly huge) size,
// placed anywhere relative to its frame, while only the part inside the frame
// exists as a window and as memory. Drawing outside that part is discarded.
class ViewSurface : public Surface {
public:
    // The visible window onto the view, a child of the frame given at creation
    // (owned by that frame). Mouse events arrive here in Qt's logical pixels;
    // times the widget's device pixel ratio plus visibleOrigin() they give
    // view coordinates.
    [[nodiscard]] virtual QWidget* widget() = 0;

    // Everything here counts the screen's (device) pixels, never Qt's logical
    // ones, so that a view the size of a monitor shows it pixel for pixel on a
    // scaled desktop too. viewRect: the view's rectangle in the frame (x, y may
    // be negative, the size may exceed the frame); frameSize: the frame's inner size.
    virtual void setGeometry(const QRect& viewRect, QSize frameSize) = 0;
    [[nodiscard]] virtual QRect geometry() const = 0;
    // Top-left of the visible part in view coordinates.
    [[nodiscard]] virtual QPoint visibleOrigin() const = 0;

    // With a persistent image (auto-redraw) the view never shows a part the
    // window system lost (covered, then uncovered) empty or stale: a surface
    // that keeps an image of its own repaints it from there, one that draws
    // straight into the window calls the lost-part handler (view coordinates)
    // to have it drawn again at once. Without it a lost part stays as the
    // window system leaves it until the next drawing.
    virtual void setPersistent(bool persistent) = 0;
    [[nodiscard]] virtual bool persistent() const = 0;
    virtual void setLostPartHandler(std::function<void(const QRegion&)> redraw) { (void)redraw; }
    // Shows what was drawn (all of it, or only part, in view coordinates).
    virtual void present() = 0;
    virtual void present(const QRegion& part) = 0;
};

// The widget rectangle (logical pixels) covering a rectangle of device pixels.
inline QRect logicalRect(const QRect& devicePixels, qreal ratio) {
    if (ratio == 1.0) return devicePixels;
    const auto at = [ratio](int v) { return static_cast<int>(std::lround(v / ratio)); };
    const int left = at(devicePixels.left());
    const int top = at(devicePixels.top());
    return {left, top, at(devicePixels.left() + devicePixels.width()) - left,
            at(devicePixels.top() + devicePixels.height()) - top};
}

// The device pixels a rectangle of logical pixels covers (rounded outwards).
inline QRect deviceRect(const QRect& logicalPixels, qreal ratio) {
    if (ratio == 1.0) return logicalPixels;
    const int left = static_cast<int>(std::floor(logicalPixels.left() * ratio));
    const int top = static_cast<int>(std::floor(logicalPixels.top() * ratio));
    const int right = static_cast<int>(std::ceil((logicalPixels.left() + logicalPixels.width()) * ratio));
    const int bottom = static_cast<int>(std::ceil((logicalPixels.top() + logicalPixels.height()) * ratio));
    return {left, top, right - left, bottom - top};
}

class Drawing {
public:
    virtual ~Drawing() = default;

    // Creates the view inside frame (a widget of the main window).
    [[nodiscard]] virtual std::unique_ptr<ViewSurface> createView(QWidget* frame) = 0;

    // An unscaled copy of source's (0, 0, size) area (CreateMemoryCopy).
    [[nodiscard]] virtual std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) = 0;

    // BitBlt SRCCOPY: dst's dstRect from src starting at srcPos, same size.
    virtual void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) = 0;
    // StretchBlt SRCCOPY with dst's stretch mode.
    virtual void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) = 0;
    // The same picture as stretch(), drawn only inside part (dst's pixels):
    // every pixel drawn equals what stretch() draws there, so redrawing the
    // part of the picture that changed leaves no seams.
    virtual void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                             const QRegion& part) = 0;
    // DrawIcon: the pointer image with its alpha, its top-left corner at topLeft.
    virtual void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) = 0;
    // BitBlt DSTINVERT.
    virtual void invert(Surface& dst, const QRect& rect) = 0;

    // Sends what the operations queued to the window system (X11: a flush).
    virtual void flush() = 0;

    // The pixels of a virtual-screen rectangle, RGB32; parts off the screen are
    // black. For tests and for paths that must read pixels.
    [[nodiscard]] virtual QImage grab(const QRect& screenRect) = 0;
};

}  // namespace orvane::platform
