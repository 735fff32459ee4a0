// Reads the pointer image with XFixes GetCursorImage. Its pixels already are
// premultiplied ARGB, so they go into the QImage unchanged; the image is
// rebuilt only when the server's cursor serial changes.
#include "platform/x11/x11_cursor.h"

#include <xcb/xfixes.h>

#include <cstring>

namespace orvane::platform::x11 {

std::optional<CursorInfo> CursorReader::read() {
    if (!c_.hasXFixes()) return std::nullopt;
    auto r = c_.reply(xcb_xfixes_get_cursor_image_reply, xcb_xfixes_get_cursor_image(c_.get()));
    if (!r) return std::nullopt;
    CursorInfo info;
    info.position = {r->x, r->y};
    if (!cached_ || cached_->serial != r->cursor_serial) {
        auto img = std::make_shared<CursorImage>();
        img->serial = r->cursor_serial;
        img->hotspot = {r->xhot, r->yhot};
        img->image = QImage(r->width, r->height, QImage::Format_ARGB32_Premultiplied);
        const int n = xcb_xfixes_get_cursor_image_cursor_image_length(r.get());
        if (!img->image.isNull() && n >= r->width * r->height) {
            const std::uint32_t* px = xcb_xfixes_get_cursor_image_cursor_image(r.get());
            for (int y = 0; y < r->height; ++y)
                std::memcpy(img->image.scanLine(y), px + static_cast<std::ptrdiff_t>(y) * r->width,
                            static_cast<std::size_t>(r->width) * 4);
        } else {
            img->image.fill(Qt::transparent);
        }
        cached_ = std::move(img);
    }
    // An empty image is what a hidden pointer looks like through XFixes.
    info.visible = !cached_->image.isNull() && cached_->image.width() > 0;
    if (info.visible) info.image = cached_;
    return info;
}

}  // namespace orvane::platform::x11
