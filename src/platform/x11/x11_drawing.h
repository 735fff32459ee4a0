// The refresh tick's drawing operations performed on the X server: CopyArea
// for plain copies, RENDER Composite for stretching and the pointer image,
// and a client-side path (read, scale with Qt, PutImage) for servers without RENDER.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/drawing.h"
#include "platform/x11/x11_capture.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_surface.h"

namespace orvane::platform::x11 {

// Graphics contexts per depth: a GC only serves drawables of the depth it was
// made for.
class GcCache {
public:
    explicit GcCache(Connection& c) : c_(c) {}
    ~GcCache();
    GcCache(const GcCache&) = delete;
    GcCache& operator=(const GcCache&) = delete;
    // Copies include the windows on a drawable (the root) and report no exposures.
    xcb_gcontext_t copy(std::uint8_t depth);
    xcb_gcontext_t black(std::uint8_t depth);
    xcb_gcontext_t invert(std::uint8_t depth);

private:
    struct Set {
        xcb_pixmap_t probe = 0;
        xcb_gcontext_t copy = 0, black = 0, invert = 0;
    };
    Set& set(std::uint8_t depth);
    Connection& c_;
    std::map<std::uint8_t, Set> sets_;
};

// A server pixmap with its picture; freed with the object.
class ServerPixmap {
public:
    ServerPixmap(Connection& c, QSize size, std::uint8_t depth, bool padded);
    ~ServerPixmap();
    ServerPixmap(const ServerPixmap&) = delete;
    ServerPixmap& operator=(const ServerPixmap&) = delete;
    [[nodiscard]] xcb_pixmap_t pixmap() const { return pixmap_; }
    [[nodiscard]] xcb_render_picture_t picture() const { return picture_; }
    [[nodiscard]] QSize size() const { return size_; }
    [[nodiscard]] std::uint8_t depth() const { return depth_; }
    // Pixmaps made so far in this process, for tests that a tick makes none.
    [[nodiscard]] static std::uint64_t createdCount();

private:
    Connection& c_;
    QSize size_;
    std::uint8_t depth_;
    xcb_pixmap_t pixmap_ = 0;
    xcb_render_picture_t picture_ = 0;
};

class X11Drawing : public Drawing {
public:
    X11Drawing(Connection& c, Capture& capture) : c_(c), capture_(capture), gcs_(c) {}
    ~X11Drawing() override;

    std::unique_ptr<ViewSurface> createView(QWidget* frame) override;
    std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) override;
    void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) override;
    void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) override;
    void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                     const QRegion& part) override;
    void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) override;
    void invert(Surface& dst, const QRect& rect) override;
    void flush() override;
    QImage grab(const QRect& screenRect) override;

private:
    // Copies src's pixels at srcTopLeft into dst's rectangle dstPart; both lie
    // inside their targets' areas.
    void copyPixels(const SurfaceTarget& dt, const QRect& dstPart, const SurfaceTarget& st,
                    QPoint srcTopLeft);
    void fillBlack(const SurfaceTarget& dt, const QRect& r);
    // stretch() limited to part when there is one.
    void stretchWithin(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                       const QRegion* part);
    void clientStretch(const SurfaceTarget& dt, const QRect& dstRect, const QRect& drawn,
                       const SurfaceTarget& st, const QRect& srcRect, StretchMode mode);
    // srcRect of the source as level 0 of a scaling, inside a padded picture.
    ServerPixmap& scratch(std::size_t level, QSize size, std::uint8_t depth);

    Connection& c_;
    Capture& capture_;
    GcCache gcs_;
    std::vector<std::unique_ptr<ServerPixmap>> scratch_;
    // The memory copy's pixmap, kept for the next copy of the same size: the
    // buffered path makes one every tick, and a monitor-sized pixmap is
    // 8-32 MB the server would otherwise allocate and clear each time.
    std::shared_ptr<ServerPixmap> memoryPixmap_;
    // The pointer image last uploaded, reused while its serial stays the same.
    std::unique_ptr<ServerPixmap> cursorPixmap_;
    std::uint64_t cursorSerial_ = 0;
    qint64 cursorKey_ = 0;
};

}  // namespace orvane::platform::x11
