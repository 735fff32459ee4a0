// The view drawn in this process's memory: a plain child widget of the frame
// covering the visible part of the view rectangle, painting a picture. With a
// persistent image, drawing goes to an image of its own and reaches the
// window when presented; without, it goes straight to what the window shows.
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
    // What the window shows now (visible size).
    [[nodiscard]] QImage shown() const;
    // The persistent off-screen image (visible size).
    [[nodiscard]] const QImage& offscreen() const { return offscreen_; }
    [[nodiscard]] int presentCount() const { return presentCount_; }
    // What the last present() showed, in view coordinates.
    [[nodiscard]] const QRegion& lastPresented() const { return lastPresented_; }

private:
    // Where drawing lands: the persistent image or straight the window's picture.
    [[nodiscard]] QImage* target();
    // Asks the window to show part (view coordinates) again.
    void repaint(const QRegion& part);

    QPointer<ImageViewWidget> widget_;
    std::function<void(ImageViewSurface*)> onDestroy_;
    QRect viewRect_;
    QRect visible_;
    QImage offscreen_;
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
