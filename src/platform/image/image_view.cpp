#include "platform/image/image_view.h"

#include <QPaintEvent>
#include <QPainter>

namespace orvane::platform::image {

ImageViewWidget::ImageViewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void ImageViewWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The picture counts device pixels: drawn at this ratio they land one to one.
    QImage shown = picture;
    shown.setDevicePixelRatio(devicePixelRatioF());
    const QRect part = event->rect();
    const QRect source = deviceRect(part, devicePixelRatioF()) & shown.rect();
    painter.drawImage(logicalRect(source, devicePixelRatioF()), shown, source);
}

ImageViewSurface::ImageViewSurface(QWidget* frame, std::function<void(ImageViewSurface*)> onDestroy)
    : widget_(new ImageViewWidget(frame)), onDestroy_(std::move(onDestroy)) {
    widget_->setGeometry(0, 0, 0, 0);
    widget_->hide();
}

ImageViewSurface::~ImageViewSurface() {
    if (onDestroy_) onDestroy_(this);
    delete widget_.data();
}

QSize ImageViewSurface::size() const { return viewRect_.size(); }

QWidget* ImageViewSurface::widget() { return widget_.data(); }

QImage ImageViewSurface::shown() const { return widget_ ? widget_->picture : QImage(); }

QImage* ImageViewSurface::target() { return widget_ ? &widget_->picture : nullptr; }

Source ImageViewSurface::pixels(const QRect& r) {
    const QImage* image = target();
    return pixelsOfImage(image ? *image : QImage(), visible_.topLeft(), r);
}

Target ImageViewSurface::drawTarget() {
    QImage* image = target();
    if (image != nullptr && image->isNull()) image = nullptr;
    return {image, visible_.topLeft()};
}

void ImageViewSurface::drawn() {
    if (!persistent_ && widget_) widget_->update();
}

void ImageViewSurface::repaint(const QRegion& part) {
    if (!widget_) return;
    const qreal ratio = widget_->devicePixelRatioF();
    QRegion logical;
    for (const QRect& r : part) logical += logicalRect(r.translated(-visible_.topLeft()), ratio).adjusted(-1, -1, 1, 1);
    widget_->update(logical);
}

void ImageViewSurface::setGeometry(const QRect& viewRect, QSize frameSize) {
    viewRect_ = viewRect;
    const QRect inFrame = viewRect & QRect(QPoint(0, 0), frameSize);
    const QRect oldVisible = visible_;
    visible_ = inFrame.isEmpty() ? QRect() : inFrame.translated(-viewRect.topLeft());

    if (!widget_) return;
    // The picture keeps what it held wherever the old and new visible parts
    // overlap, in view coordinates, as a picture box keeps its image on resize.
    QImage& image = widget_->picture;
    QImage fresh = blackImage(visible_.size());
    const QRect keep = oldVisible & visible_;
    if (!image.isNull() && !keep.isEmpty())
        blit(fresh, keep.topLeft() - visible_.topLeft(), image, keep.translated(-oldVisible.topLeft()));
    image = visible_.isEmpty() ? QImage() : fresh;
    if (inFrame.isEmpty()) {
        widget_->hide();
        return;
    }
    widget_->setGeometry(logicalRect(inFrame, widget_->devicePixelRatioF()));
    widget_->show();
    widget_->update();
}

void ImageViewSurface::present() {
    ++presentCount_;
    lastPresented_ = visible_;
    if (persistent_ && widget_) widget_->update();
}

void ImageViewSurface::present(const QRegion& part) {
    ++presentCount_;
    lastPresented_ = part & visible_;
    if (persistent_) repaint(lastPresented_);
}

}  // namespace orvane::platform::image
