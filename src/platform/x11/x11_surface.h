// What the drawing operations need to know of a surface on the X server: the
// drawable and picture behind it, and where the surface lies inside them.
#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <QRect>

#include "platform/drawing.h"

namespace orvane::platform::x11 {

struct SurfaceTarget {
    xcb_drawable_t drawable = 0;       // 0: nothing to draw into or read from
    xcb_render_picture_t picture = 0;  // 0 without RENDER
    std::uint8_t depth = 0;
    QPoint offset;  // surface pixel + offset = drawable pixel
    // The part of the surface that exists in the drawable, in surface pixels:
    // drawing outside it is dropped, reading outside it gives black.
    QRect area;
    // The picture repeats its edge pixels, so filtered sampling never blends
    // in what lies beyond the surface.
    bool padded = false;
};

class X11Surface {
public:
    virtual ~X11Surface() = default;
    // Resolved at each use: a view's window may be created or replaced, a
    // monitor may shrink.
    [[nodiscard]] virtual SurfaceTarget target() = 0;
};

// A surface of this backend behind the interface, or nullptr for a foreign one.
inline X11Surface* x11Surface(Surface& s) { return dynamic_cast<X11Surface*>(&s); }

}  // namespace orvane::platform::x11
