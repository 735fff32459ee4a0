// The view drawn in this process's memory: a plain child widget of the frame
// covering the visible part of the view rectangle, painting one picture that
// the drawing writes into. With a persistent image the window is asked to show
// what was drawn when it is presented (the tick draws a whole frame before
// the event loop can paint, so nothing half drawn shows); without, at once.
// The picture is also what the window repaints from when it was covered.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>

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
    void present() override;
    void present(const QRegion& part) override;

    [[nodiscard]] Source pixels(const QRect& r) override;
    [[nodiscard]] Target drawTarget() override;
    void drawn() override;

    // The visible part in view coordinates.
    [[nodiscard]] QRect visibleRect() const { return visible_; }
    // The window's picture (visible size): what it shows once painted.
    [[nodiscard]] QImage shown() const;
    [[nodiscard]] int presentCount() const { return presentCount_; }
    // What the last present() showed, in view coordinates.
    [[nodiscard]] const QRegion& lastPresented() const { return lastPresented_; }

private:
    [[nodiscard]] QImage* target();
    // Asks the window to show part (view coordinates) again.
    void repaint(const QRegion& part);

    QPointer<ImageViewWidget> widget_;
    std::function<void(ImageViewSurface*)> onDestroy_;
    QRect viewRect_;
    QRect visible_;
    StretchMode stretchMode_ = StretchMode::Simple;
    bool persistent_ = true;
    int presentCount_ = 0;
    QRegion lastPresented_;
};

// Paints what the view currently shows, one image pixel to one screen pixel.
class ImageViewWidget : public QWidget {
public:
    explicit ImageViewWidget(QWidget* parent);
    QImage picture;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orvane::platform::image
