// The view picView on X: a native child window of the frame, only as large as
// the part of the view inside the frame, with a server pixmap of that size as
// the persistent image. Qt never paints it; expose events re-present the pixmap.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/drawing.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_surface.h"

namespace orvane::platform::x11 {

class GcCache;
class ServerPixmap;

class X11ViewSurface : public ViewSurface, public X11Surface {
public:
    X11ViewSurface(Connection& c, GcCache& gcs, QWidget* frame);
    ~X11ViewSurface() override;

    QSize size() const override { return geometry_.size(); }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    StretchMode stretchMode() const override { return mode_; }

    QWidget* widget() override { return widget_; }
    void setGeometry(const QRect& viewRect, QSize frameSize) override;
    QRect geometry() const override { return geometry_; }
    QPoint visibleOrigin() const override { return visible_.topLeft() - geometry_.topLeft(); }
    void setPersistent(bool persistent) override { persistent_ = persistent; }
    bool persistent() const override { return persistent_; }
    void present() override;
    void present(const QRegion& part) override;

    SurfaceTarget target() override;

    // Copies the persistent image's rectangle r (the window's device pixels) to the window.
    void repaint(const QRect& r);

private:
    // Picks up the widget's current native window; Qt may have recreated it.
    bool ensureWindow();
    void ensurePixmap();
    void releaseWindow();
    // repaint() without sending the request at once.
    void copyToWindow(const QRect& r);

    Connection& c_;
    GcCache& gcs_;
    QPointer<QWidget> widget_;
    QRect geometry_;
    QRect visible_;  // in the frame's device pixels
    bool persistent_ = true;
    StretchMode mode_ = StretchMode::Simple;
    xcb_window_t window_ = 0;
    std::uint8_t windowDepth_ = 0;
    xcb_render_picture_t windowPicture_ = 0;
    std::unique_ptr<ServerPixmap> pixmap_;
};

}  // namespace orvane::platform::x11
