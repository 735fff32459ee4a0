// The view drawn in this process's memory: a plain child widget of the frame
// covering the visible part of the view rectangle. The drawing lands straight
// in the window's own picture (Qt's backing store) while the widget paints,
// one pass from the captured frame to what the window shows: with a
// persistent image when the view is presented (the tick draws a whole frame
// first, so nothing half drawn shows), without at once. Whatever else Qt
// paints (its picture may be new: a resized window, a window system's new
// buffer) is drawn again from the monitor through the lost-part handler. While
// the window cannot paint (hidden, not yet exposed) or a paint does not reach
// it, the drawing is kept in a picture of the view's own and painted from
// there once it can.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/drawing.h"
#include "platform/image/image_pixels.h"

namespace orvane::platform::image {

class ImageViewWidget;

class ImageViewSurface : public ViewSurface, public Pixels {
public:
    // onDestroy, when given, is told just before the surface goes.
    explicit ImageViewSurface(QWidget* frame, std::function<void(ImageViewSurface*)> onDestroy = {});
    ~ImageViewSurface() override;
    ImageViewSurface(const ImageViewSurface&) = delete;
    ImageViewSurface& operator=(const ImageViewSurface&) = delete;

    [[nodiscard]] QSize size() const override;
    void setStretchMode(StretchMode mode) override { stretchMode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return stretchMode_; }
    [[nodiscard]] QWidget* widget() override;
    void setGeometry(const QRect& viewRect, QSize frameSize) override;
    [[nodiscard]] QRect geometry() const override { return viewRect_; }
    [[nodiscard]] QPoint visibleOrigin() const override { return visible_.topLeft(); }
    void setPersistent(bool persistent) override { persistent_ = persistent; }
    [[nodiscard]] bool persistent() const override { return persistent_; }
    void setLostPartHandler(std::function<void(const QRegion&)> redraw) override { lostHandler_ = std::move(redraw); }
    void present() override;
    void present(const QRegion& part) override;

    [[nodiscard]] Source pixels(const QRect& r) override;
    [[nodiscard]] QRect drawArea() const override { return visible_; }
    void draw(const QRect& area, const DrawOp& op) override;

    // The visible part in view coordinates.
    [[nodiscard]] QRect visibleRect() const { return visible_; }
    // What the view shows (visible size): the window's picture where it
    // painted, with what was drawn and not yet painted over it.
    [[nodiscard]] QImage shown();
    [[nodiscard]] int presentCount() const { return presentCount_; }
    // What the last present() showed, in view coordinates.
    [[nodiscard]] const QRegion& lastPresented() const { return lastPresented_; }

private:
    friend class ImageViewWidget;
    // Paints what waits to be drawn, now; kept in held_ where the window cannot paint.
    void paintPending();
    void drawPendingIntoHeld();
    // Draws ops into the view's own picture inside region (view coordinates)
    // and asks the window to paint it from there.
    void hold(const std::vector<DrawOp>& ops, const QRegion& region);
    // The widget's paint event: into the window's picture (image, its
    // pixel (0, 0) at device pixel offset of the widget), clipped to clip
    // (device pixels of image).
    void paintInto(QImage& image, QPoint offset, const QRegion& clip);
    void redrawLost();
    // The window's picture at the widget, if it is one in memory.
    [[nodiscard]] QImage windowPicture() const;

    QPointer<ImageViewWidget> widget_;
    std::function<void(ImageViewSurface*)> onDestroy_;
    QRect viewRect_;
    QRect visible_;
    StretchMode stretchMode_ = StretchMode::Simple;
    bool persistent_ = true;
    int presentCount_ = 0;
    QRegion lastPresented_;
    // Drawing not yet painted, and where it lands (view coordinates).
    std::vector<DrawOp> pending_;
    QRegion pendingRegion_;
    // Drawn while the window could not paint (view coordinates, held_ is the visible part).
    QImage held_;
    QRegion heldRegion_;
    bool painting_ = false;
    std::function<void(const QRegion&)> lostHandler_;
    // The window picture's size and the view's origin in it when the view
    // last painted, and where it painted (view coordinates).
    struct StoreKey {
        QSize size;
        QPoint origin;
        bool operator==(const StoreKey&) const = default;
    };
    StoreKey paintedKey_;
    QRegion painted_;
    QRegion lost_;  // painted while Qt's picture had nothing of it, to be drawn again
    bool windowPainted_ = false;  // the window has painted into its picture once
};

// Paints what the view currently shows, one image pixel to one screen pixel.
class ImageViewWidget : public QWidget {
public:
    ImageViewWidget(QWidget* parent, ImageViewSurface* view);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ImageViewSurface* view_;
};

}  // namespace orvane::platform::image
