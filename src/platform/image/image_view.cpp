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

QImage* ImageViewSurface::target() {
    if (persistent_) return &offscreen_;
    return widget_ ? &widget_->picture : nullptr;
}

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

    // Both images keep what they held wherever the old and new visible parts
    // overlap, in view coordinates, as a picture box keeps its image on resize.
    auto refit = [&](QImage& image) {
        QImage fresh = blackImage(visible_.size());
        const QRect keep = oldVisible & visible_;
        if (!image.isNull() && !keep.isEmpty())
            blit(fresh, keep.topLeft() - visible_.topLeft(), image, keep.translated(-oldVisible.topLeft()));
        image = visible_.isEmpty() ? QImage() : fresh;
    };
    refit(offscreen_);
    if (!widget_) return;
    refit(widget_->picture);
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
    if (!persistent_ || !widget_) return;
    // Into the window's own buffer: sharing it would make the next tick's
    // drawing copy the whole image first.
    if (widget_->picture.size() == offscreen_.size() && widget_->picture.format() == offscreen_.format())
        blit(widget_->picture, {0, 0}, offscreen_, offscreen_.rect());
    else
        widget_->picture = offscreen_.copy();
    widget_->update();
}

void ImageViewSurface::present(const QRegion& part) {
    ++presentCount_;
    lastPresented_ = part & visible_;
    if (!persistent_ || !widget_) return;
    if (widget_->picture.size() != offscreen_.size()) {
        present();
        return;
    }
    for (const QRect& r : lastPresented_)
        blit(widget_->picture, r.topLeft() - visible_.topLeft(), offscreen_, r.translated(-visible_.topLeft()));
    repaint(lastPresented_);
}

}  // namespace orvane::platform::image
