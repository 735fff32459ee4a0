// The view's native window (see x11_view.h).
#include "platform/x11/x11_view.h"

#include <QtGui/qguiapplication_platform.h>

#include <QGuiApplication>
#include <QPaintEvent>
#include <functional>


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

X11ViewSurface::X11ViewSurface(Connection& c, QWidget* frame) : c_(c) {
    auto* w = new ViewWidget(frame, [this](const QRect& r) { lost(r); });
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
    return true;
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
}

SurfaceTarget X11ViewSurface::target() {
    SurfaceTarget t;
    if (!c_.alive() || visible_.isEmpty() || !ensureWindow()) return t;
    // Straight into the window, the one copy of each frame; what the window
    // system loses is drawn again on request (see lost()).
    t.offset = -visibleOrigin();
    t.area = QRect(visibleOrigin(), visible_.size());
    t.drawable = window_;
    t.picture = windowPicture_;
    t.depth = windowDepth_;
    return t;
}

void X11ViewSurface::present() { c_.flush(); }

void X11ViewSurface::present(const QRegion&) { c_.flush(); }

void X11ViewSurface::lost(const QRect& widgetRect) {
    if (!persistent_ || !lostPart_ || visible_.isEmpty() || !widget_) return;
    const QRect part = deviceRect(widgetRect, widget_->devicePixelRatioF());
    lostPart_(QRegion(part.translated(visibleOrigin())));
}

}  // namespace orvane::platform::x11
