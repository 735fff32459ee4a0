// The view picView on X: a native child window of the frame, only as large as
// the part of the view inside the frame. The tick draws straight into it; a
// persistent image is kept by drawing what an expose reports lost again at
// once from the watched monitor, not by a second copy of every frame into a
// pixmap (that copy doubled the X server's work per tick). Qt never paints it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/drawing.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_surface.h"

namespace orvane::platform::x11 {


class X11ViewSurface : public ViewSurface, public X11Surface {
public:
    X11ViewSurface(Connection& c, QWidget* frame);
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
    void setLostPartHandler(std::function<void(const QRegion&)> redraw) override { lostPart_ = std::move(redraw); }
    void present() override;
    void present(const QRegion& part) override;

    SurfaceTarget target() override;

    // The window lost widgetRect (Qt's logical pixels): have it drawn again.
    void lost(const QRect& widgetRect);

private:
    // Picks up the widget's current native window; Qt may have recreated it.
    bool ensureWindow();
    void releaseWindow();

    Connection& c_;
    QPointer<QWidget> widget_;
    QRect geometry_;
    QRect visible_;  // in the frame's device pixels
    bool persistent_ = true;
    StretchMode mode_ = StretchMode::Simple;
    xcb_window_t window_ = 0;
    std::uint8_t windowDepth_ = 0;
    xcb_render_picture_t windowPicture_ = 0;
    std::function<void(const QRegion&)> lostPart_;
};

}  // namespace orvane::platform::x11
