#include "platform/image/image_view.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

namespace orvane::platform::image {

ImageViewWidget::ImageViewWidget(QWidget* parent, ImageViewSurface* view) : QWidget(parent), view_(view) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void ImageViewWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    QBackingStore* store = backingStore();
    const qreal ratio = devicePixelRatioF();
    if (device && store && device == store->paintDevice() && device->devType() == QInternal::Image &&
        holdsRgb32(*static_cast<QImage*>(device))) {
        // The window's picture itself: drawn into straight from the sources.
        const QPoint offset = painter.deviceTransform().map(QPointF(0, 0)).toPoint();
        QRegion clip = engine->systemClip();
        if (clip.isEmpty()) clip = deviceRect(event->rect(), ratio).translated(offset);
        view_->paintInto(*static_cast<QImage*>(device), offset, clip);
        return;
    }
    // Painted elsewhere (grabbed, or a window whose picture is not in memory
    // or holds other pixels).
    QImage shown = view_->shown();
    shown.setDevicePixelRatio(ratio);
    const QRect source = deviceRect(event->rect(), ratio) & shown.rect();
    painter.drawImage(logicalRect(source, ratio), shown, source);
}

ImageViewSurface::ImageViewSurface(QWidget* frame, std::function<void(ImageViewSurface*)> onDestroy)
    : widget_(new ImageViewWidget(frame, this)), onDestroy_(std::move(onDestroy)) {
    widget_->setGeometry(0, 0, 0, 0);
    widget_->hide();
}

ImageViewSurface::~ImageViewSurface() {
    if (onDestroy_) onDestroy_(this);
    delete widget_.data();
}

QSize ImageViewSurface::size() const { return viewRect_.size(); }

QWidget* ImageViewSurface::widget() { return widget_.data(); }

QImage ImageViewSurface::windowPicture() const {
    // Some window systems make the window's picture only when it first
    // paints (Wayland's has none before): ask for it only after that.
    if (!widget_ || !widget_->isVisible() || visible_.isEmpty() || !windowPainted_) return {};
    QBackingStore* store = widget_->backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image) return {};
    const auto* picture = static_cast<const QImage*>(device);
    if (!holdsRgb32(*picture)) return {};
    const QPoint at = deviceRect(QRect(widget_->mapTo(widget_->window(), QPoint(0, 0)), QSize(1, 1)),
                                 widget_->devicePixelRatioF())
                          .topLeft();
    return picture->copy(QRect(at, visible_.size())).convertToFormat(QImage::Format_RGB32);
}

QImage ImageViewSurface::shown() {
    drawPendingIntoHeld();
    QImage out = windowPicture();
    if (out.isNull()) out = blackImage(visible_.size());
    for (const QRect& r : heldRegion_)
        blit(out, r.topLeft() - visible_.topLeft(), held_, r.translated(-visible_.topLeft()));
    return out;
}

Source ImageViewSurface::pixels(const QRect& r) { return pixelsOfImage(shown(), visible_.topLeft(), r); }

void ImageViewSurface::draw(const QRect& area, const DrawOp& op) {
    pending_.push_back(op);
    pendingRegion_ += area & visible_;
    if (!persistent_) paintPending();
}

void ImageViewSurface::paintPending() {
    if (pending_.empty() || painting_) return;
    if (widget_ && widget_->isVisible()) {
        const qreal ratio = widget_->devicePixelRatioF();
        QRegion logical;
        for (const QRect& r : pendingRegion_) {
            const QRect l = logicalRect(r.translated(-visible_.topLeft()), ratio);
            logical += ratio == 1.0 ? l : l.adjusted(-1, -1, 1, 1);
        }
        widget_->repaint(logical);
    }
    // What the window could not paint now waits in the view's own picture.
    drawPendingIntoHeld();
}

void ImageViewSurface::drawPendingIntoHeld() {
    if (pending_.empty()) return;
    const std::vector<DrawOp> ops = std::move(pending_);
    const QRegion region = pendingRegion_;
    pending_.clear();
    pendingRegion_ = QRegion();
    hold(ops, region);
}

void ImageViewSurface::paintInto(QImage& image, QPoint offset, const QRegion& clip) {
    painting_ = true;
    windowPainted_ = true;
    // View coordinates of the picture's pixel (0, 0).
    const QPoint origin = visible_.topLeft() - offset;
    const QRegion area = clip.translated(origin) & visible_;
    const QRegion fromHeld = heldRegion_ & area;
    for (const QRect& r : fromHeld) blit(image, r.topLeft() - origin, held_, r.translated(-visible_.topLeft()));
    heldRegion_ -= fromHeld;
    if (heldRegion_.isEmpty()) held_ = QImage();

    const std::vector<DrawOp> ops = std::move(pending_);
    const QRegion outside = pendingRegion_ - area;
    // What this view painted earlier into a picture of the same size, at the
    // same place, is still there (Qt copies its last picture into the next
    // buffer it paints); a picture of another size is new.
    const StoreKey key{image.size(), origin};
    if (key != paintedKey_) {
        paintedKey_ = key;
        painted_ = QRegion();
    }
    const QRegion lost = area - fromHeld - pendingRegion_ - painted_;
    painted_ += area - lost;
    pending_.clear();
    pendingRegion_ = QRegion();
    for (const QRect& r : area)
        for (const DrawOp& op : ops) op({&image, origin, r});
    painting_ = false;
    // The rest may be gone from Qt's picture (a resized window, a window
    // system's buffer made anew): drawn again from the monitor once the
    // events waiting now are handled, unless they draw it first (a scroll
    // that moved the view draws it at once).
    if (persistent_ && lostHandler_ && !lost.isEmpty()) {
        if (lost_.isEmpty())
            QMetaObject::invokeMethod(widget_.data(), [this] { redrawLost(); }, Qt::QueuedConnection);
        lost_ += lost;
    }
    // Drawing this paint does not cover waits for the next one: the monitor
    // may not change again, so what is dropped here would never show.
    if (!outside.isEmpty()) hold(ops, outside);
}

void ImageViewSurface::hold(const std::vector<DrawOp>& ops, const QRegion& region) {
    if (held_.size() != visible_.size()) {
        held_ = windowPicture();
        if (held_.isNull()) held_ = blackImage(visible_.size());
    }
    for (const QRect& r : region)
        for (const DrawOp& op : ops) op({&held_, visible_.topLeft(), r});
    heldRegion_ += region;
    if (!widget_) return;
    const qreal ratio = widget_->devicePixelRatioF();
    for (const QRect& r : region)
        widget_->update(logicalRect(r.translated(-visible_.topLeft()), ratio).adjusted(-1, -1, 1, 1));
}

void ImageViewSurface::redrawLost() {
    const QRegion lost = lost_ - painted_;
    lost_ = QRegion();
    if (!lost.isEmpty() && persistent_ && lostHandler_) lostHandler_(lost & visible_);
}

void ImageViewSurface::setGeometry(const QRect& viewRect, QSize frameSize) {
    viewRect_ = viewRect;
    const QRect inFrame = viewRect & QRect(QPoint(0, 0), frameSize);
    const QRect oldVisible = visible_;
    visible_ = inFrame.isEmpty() ? QRect() : inFrame.translated(-viewRect.topLeft());

    // What waits in the view's own picture stays where it is in view coordinates.
    heldRegion_ &= visible_;
    if (heldRegion_.isEmpty()) {
        held_ = QImage();
    } else if (oldVisible != visible_) {
        QImage fresh = blackImage(visible_.size());
        const QRect keep = oldVisible & visible_;
        blit(fresh, keep.topLeft() - visible_.topLeft(), held_, keep.translated(-oldVisible.topLeft()));
        held_ = fresh;
    }
    if (!widget_) return;
    if (inFrame.isEmpty()) {
        widget_->hide();
        return;
    }
    widget_->setGeometry(logicalRect(inFrame, widget_->devicePixelRatioF()));
    widget_->show();
}

void ImageViewSurface::present() {
    ++presentCount_;
    lastPresented_ = visible_;
    paintPending();
}

void ImageViewSurface::present(const QRegion& part) {
    ++presentCount_;
    lastPresented_ = part & visible_;
    paintPending();
}

}  // namespace orvane::platform::image
