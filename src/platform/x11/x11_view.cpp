// The view's native window and its persistent server pixmap (see x11_view.h).
#include "platform/x11/x11_view.h"

#include <QtGui/qguiapplication_platform.h>

#include <QGuiApplication>
#include <QPaintEvent>
#include <functional>

#include "platform/x11/x11_drawing.h"

namespace orvane::platform::x11 {

namespace {

// A widget Qt keeps its hands off: no backing store, no background, no paint
// engine. Without WA_PaintOnScreen Qt's backing store overwrote the picture
// on every expose.
class ViewWidget : public QWidget {
public:
    ViewWidget(QWidget* parent, std::function<void(const QRect&)> onPaint)
        : QWidget(parent), onPaint_(std::move(onPaint)) {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAutoFillBackground(false);
    }
    void detach() { onPaint_ = nullptr; }
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent* e) override {
        if (onPaint_) onPaint_(e->rect());
    }

private:
    std::function<void(const QRect&)> onPaint_;
};

}  // namespace

X11ViewSurface::X11ViewSurface(Connection& c, GcCache& gcs, QWidget* frame) : c_(c), gcs_(gcs) {
    auto* w = new ViewWidget(frame, [this](const QRect& r) {
        repaint(deviceRect(r, widget_ ? widget_->devicePixelRatioF() : 1.0));
    });
    widget_ = w;
    w->winId();  // the native window exists from now on; the tick uses internalWinId()
    ensureWindow();
}

X11ViewSurface::~X11ViewSurface() {
    releaseWindow();
    if (widget_) {
        static_cast<ViewWidget*>(widget_.data())->detach();
        delete widget_.data();
    }
}

void X11ViewSurface::releaseWindow() {
    // The picture may already be gone with its window; the error that brings
    // is dropped with the other unchecked ones.
    if (windowPicture_ && c_.alive()) xcb_render_free_picture(c_.get(), windowPicture_);
    windowPicture_ = 0;
    window_ = 0;
}

bool X11ViewSurface::ensureWindow() {
    const xcb_window_t id = widget_ ? static_cast<xcb_window_t>(widget_->internalWinId()) : 0;
    if (id == window_) return window_ != 0;
    releaseWindow();
    if (id == 0 || !c_.alive()) return false;
    syncQtConnection();
    auto geo = c_.reply(xcb_get_geometry_reply, xcb_get_geometry(c_.get(), id));
    auto attr = c_.reply(xcb_get_window_attributes_reply, xcb_get_window_attributes(c_.get(), id));
    if (!geo || !attr) return false;
    window_ = id;
    windowDepth_ = geo->depth;
    if (c_.hasRender()) {
        if (const xcb_render_pictformat_t format = c_.formatForVisual(attr->visual)) {
            windowPicture_ = xcb_generate_id(c_.get());
            xcb_render_create_picture(c_.get(), windowPicture_, window_, format, 0, nullptr);
        }
    }
    if (pixmap_ && pixmap_->depth() != windowDepth_) pixmap_.reset();
    return true;
}

void X11ViewSurface::ensurePixmap() {
    const QSize size = visible_.size().expandedTo(QSize(1, 1));
    const std::uint8_t depth = window_ ? windowDepth_ : c_.rootDepth();
    if (pixmap_ && pixmap_->size() == size && pixmap_->depth() == depth) return;
    auto next = std::make_unique<ServerPixmap>(c_, size, depth, false);
    const xcb_rectangle_t all{0, 0, static_cast<std::uint16_t>(size.width()),
                              static_cast<std::uint16_t>(size.height())};
    xcb_poly_fill_rectangle(c_.get(), next->pixmap(), gcs_.black(depth), 1, &all);
    if (pixmap_ && pixmap_->depth() == depth) {
        // Keep what was shown until the next tick redraws it.
        const QSize keep = pixmap_->size().boundedTo(size);
        xcb_copy_area(c_.get(), pixmap_->pixmap(), next->pixmap(), gcs_.copy(depth), 0, 0, 0, 0,
                      static_cast<std::uint16_t>(keep.width()), static_cast<std::uint16_t>(keep.height()));
    }
    pixmap_ = std::move(next);
}

void X11ViewSurface::setGeometry(const QRect& viewRect, QSize frameSize) {
    geometry_ = viewRect;
    visible_ = viewRect.intersected(QRect(QPoint(0, 0), frameSize));
    if (!widget_) return;
    if (visible_.isEmpty()) {
        widget_->hide();
        return;
    }
    widget_->setGeometry(logicalRect(visible_, widget_->devicePixelRatioF()));
    widget_->show();
    ensureWindow();
    ensurePixmap();
}

SurfaceTarget X11ViewSurface::target() {
    SurfaceTarget t;
    if (!c_.alive() || visible_.isEmpty()) return t;
    ensureWindow();
    t.offset = -visibleOrigin();
    t.area = QRect(visibleOrigin(), visible_.size());
    if (persistent_) {
        ensurePixmap();
        t.drawable = pixmap_->pixmap();
        t.picture = pixmap_->picture();
        t.depth = pixmap_->depth();
    } else if (window_) {
        t.drawable = window_;
        t.picture = windowPicture_;
        t.depth = windowDepth_;
    }
    return t;
}

void X11ViewSurface::present() { repaint(QRect(QPoint(0, 0), visible_.size())); }

void X11ViewSurface::present(const QRegion& part) {
    for (const QRect& r : part) copyToWindow(r.translated(-visibleOrigin()));
    c_.flush();
}

void X11ViewSurface::repaint(const QRect& r) {
    copyToWindow(r);
    c_.flush();
}

void X11ViewSurface::copyToWindow(const QRect& r) {
    if (!persistent_ || !pixmap_ || visible_.isEmpty() || !c_.alive() || !ensureWindow()) return;
    const QRect part = r.intersected(QRect(QPoint(0, 0), pixmap_->size()));
    if (part.isEmpty() || pixmap_->depth() != windowDepth_) return;
    xcb_copy_area(c_.get(), pixmap_->pixmap(), window_, gcs_.copy(windowDepth_),
                  static_cast<std::int16_t>(part.x()), static_cast<std::int16_t>(part.y()),
                  static_cast<std::int16_t>(part.x()), static_cast<std::int16_t>(part.y()),
                  static_cast<std::uint16_t>(part.width()), static_cast<std::uint16_t>(part.height()));
}

}  // namespace orvane::platform::x11
