// Drawing on the simulated desktop: memory copies, the view and every
// drawing operation on QImages.
#include "platform/fake/fake_state.h"

namespace orvane::platform::fake {

namespace {

class FakeMemorySurface : public Surface {
public:
    explicit FakeMemorySurface(QImage image) : image_(std::move(image)) {}
    [[nodiscard]] QSize size() const override { return image_.size(); }
    void setStretchMode(StretchMode mode) override { mode_ = mode; }
    [[nodiscard]] StretchMode stretchMode() const override { return mode_; }
    QImage image_;

private:
    StretchMode mode_ = StretchMode::Simple;
};

// Pixels of a surface: pixel (x, y) of the rectangle asked for is pixel
// at + (x, y) of image.
struct Source {
    QImage image;
    QPoint at;
};

// Reads r of any fake surface, black where it has no pixels; straight from
// the surface's own image when r lies inside it.
Source sourceOf(Surface& s, const QRect& r) {
    if (auto* m = dynamic_cast<FakeMonitorContext*>(&s)) {
        QImage direct = m->direct(r);
        if (!direct.isNull()) return {direct, r.topLeft()};
        return {m->read(r), {0, 0}};
    }
    const QImage* image = nullptr;
    QPoint origin(0, 0);
    if (auto* mem = dynamic_cast<FakeMemorySurface*>(&s)) {
        image = &mem->image_;
    } else if (auto* view = dynamic_cast<FakeViewSurface*>(&s)) {
        image = view->target();
        origin = view->visibleRect().topLeft();
    }
    if (image == nullptr || image->isNull()) return {blackImage(r.size()), {0, 0}};
    const QRect inside(origin, image->size());
    if (inside.contains(r)) return {*image, r.topLeft() - origin};
    QImage out = blackImage(r.size());
    const QRect have = r & inside;
    if (!have.isEmpty()) blit(out, have.topLeft() - r.topLeft(), *image, have.translated(-origin));
    return {out, {0, 0}};
}

// r of a surface as an image of its own.
QImage readSurface(Surface& s, const QRect& r) {
    Source src = sourceOf(s, r);
    if (src.at == QPoint(0, 0) && src.image.size() == r.size()) return src.image;
    return src.image.copy(QRect(src.at, r.size()));
}

// Where drawing into s lands and where that image sits in s's coordinates;
// nullptr for surfaces nobody draws on (the watched monitor).
struct Target {
    QImage* image = nullptr;
    QPoint origin;
    FakeViewSurface* view = nullptr;
    [[nodiscard]] QRect area() const { return image ? QRect(origin, image->size()) : QRect(); }
    void done() const {
        if (view != nullptr && !view->persistent() && view->widget() != nullptr) view->widget()->update();
    }
};

Target targetOf(Surface& s) {
    if (auto* mem = dynamic_cast<FakeMemorySurface*>(&s)) return {&mem->image_, {0, 0}, nullptr};
    if (auto* view = dynamic_cast<FakeViewSurface*>(&s)) {
        QImage* image = view->target();
        if (image != nullptr && image->isNull()) image = nullptr;
        return {image, view->visibleRect().topLeft(), view};
    }
    return {};
}

// Source pixel positions, relative to the source rectangle, for nearest
// sampling: the centre of destination pixel u maps to (u + ½)·s/d, and a
// centre falling exactly on a pixel edge takes the pixel before it.
std::int64_t nearest(std::int64_t u, std::int64_t s, std::int64_t d) {
    return std::clamp<std::int64_t>(((2 * u + 1) * s - 1) / (2 * d), 0, s - 1);
}

// Area averaging: destination pixel u covers [u·s/d, (u+1)·s/d) of the
// source; each source pixel weighs by its overlap, in units of 1/d, so the
// weights of one destination pixel add up to s.
struct Tap {
    std::int64_t index;
    std::int64_t weight;
};
std::vector<Tap> boxTaps(std::int64_t u, std::int64_t s, std::int64_t d) {
    std::vector<Tap> taps;
    const std::int64_t a = u * s;
    const std::int64_t b = (u + 1) * s;
    for (std::int64_t k = a / d; k * d < b && k < s; ++k) {
        const std::int64_t w = std::min(b, (k + 1) * d) - std::max(a, k * d);
        if (w > 0) taps.push_back({k, w});
    }
    return taps;
}

}  // namespace

// The view

FakeViewWidget::FakeViewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void FakeViewWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

FakeViewSurface::FakeViewSurface(QWidget* frame, std::function<void(FakeViewSurface*)> onDestroy)
    : widget_(new FakeViewWidget(frame)), onDestroy_(std::move(onDestroy)) {
    widget_->setGeometry(0, 0, 0, 0);
    widget_->hide();
}

FakeViewSurface::~FakeViewSurface() {
    if (onDestroy_) onDestroy_(this);
    delete widget_.data();
}

QSize FakeViewSurface::size() const { return viewRect_.size(); }

QWidget* FakeViewSurface::widget() { return widget_.data(); }

QImage FakeViewSurface::shown() const { return widget_ ? widget_->picture : QImage(); }

QImage* FakeViewSurface::target() {
    if (persistent_) return &offscreen_;
    return widget_ ? &widget_->picture : nullptr;
}

void FakeViewSurface::setGeometry(const QRect& viewRect, QSize frameSize) {
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

void FakeViewSurface::present() {
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

void FakeViewSurface::present(const QRegion& part) {
    ++presentCount_;
    lastPresented_ = part & visible_;
    if (!persistent_ || !widget_) return;
    if (widget_->picture.size() != offscreen_.size()) {
        present();
        return;
    }
    for (const QRect& r : lastPresented_)
        blit(widget_->picture, r.topLeft() - visible_.topLeft(), offscreen_,
             r.translated(-visible_.topLeft()));
    widget_->update();
}

namespace {

class FakeDrawing : public Drawing {
public:
    explicit FakeDrawing(std::shared_ptr<State> s) : s_(std::move(s)) {}

    std::unique_ptr<ViewSurface> createView(QWidget* frame) override {
        s_->call("Drawing::createView");
        std::weak_ptr<State> weak = s_;
        auto view = std::make_unique<FakeViewSurface>(frame, [weak](FakeViewSurface* v) {
            if (auto s = weak.lock()) std::erase(s->views, v);
        });
        s_->views.push_back(view.get());
        return view;
    }

    std::unique_ptr<Surface> createMemoryCopy(Surface& source, QSize size) override {
        s_->call("Drawing::createMemoryCopy");
        return std::make_unique<FakeMemorySurface>(readSurface(source, QRect(QPoint(0, 0), size)));
    }

    void copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) override {
        s_->call("Drawing::copy");
        const Target t = targetOf(dst);
        const QRect region = dstRect & t.area();
        if (region.isEmpty()) return;
        const Source part = sourceOf(src, region.translated(srcPos - dstRect.topLeft()));
        blit(*t.image, region.topLeft() - t.origin, part.image, QRect(part.at, region.size()));
        t.done();
    }

    void stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) override {
        s_->call("Drawing::stretch");
        const Target t = targetOf(dst);
        const QRect region = dstRect & t.area();
        if (region.isEmpty() || srcRect.width() <= 0 || srcRect.height() <= 0) return;
        if (dst.stretchMode() == StretchMode::Simple)
            stretchNearest(t, dstRect, region, src, srcRect);
        else
            stretchAverage(t, dstRect, region, src, srcRect);
        t.done();
    }

    // Each rectangle of part is drawn exactly as that region of a whole stretch:
    // both samplers work out every destination pixel on its own.
    void stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                     const QRegion& part) override {
        s_->call("Drawing::stretchPart");
        const Target t = targetOf(dst);
        if (srcRect.width() <= 0 || srcRect.height() <= 0) return;
        for (const QRect& r : part) {
            const QRect region = r & dstRect & t.area();
            if (region.isEmpty()) continue;
            if (dst.stretchMode() == StretchMode::Simple)
                stretchNearest(t, dstRect, region, src, srcRect);
            else
                stretchAverage(t, dstRect, region, src, srcRect);
        }
        t.done();
    }

    void drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) override {
        s_->call("Drawing::drawCursor");
        const Target t = targetOf(dst);
        if (t.image == nullptr || cursor.image.isNull()) return;
        {
            QPainter painter(t.image);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.drawImage(topLeft - t.origin, cursor.image);
        }
        t.done();
    }

    void invert(Surface& dst, const QRect& rect) override {
        s_->call("Drawing::invert");
        const Target t = targetOf(dst);
        const QRect region = (rect & t.area()).translated(-t.origin);
        if (region.isEmpty()) return;
        for (int y = region.top(); y <= region.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(t.image->scanLine(y));
            for (int x = region.left(); x <= region.right(); ++x) line[x] ^= 0x00ffffffu;
        }
        t.done();
    }

    void flush() override {
        s_->call("Drawing::flush");
        ++s_->flushCount;
    }

    QImage grab(const QRect& screenRect) override {
        s_->call("Drawing::grab");
        return s_->readScreen(screenRect);
    }

private:
    static void stretchNearest(const Target& t, const QRect& dstRect, const QRect& region, Surface& src,
                               const QRect& srcRect) {
        const std::int64_t sw = srcRect.width(), sh = srcRect.height();
        const std::int64_t dw = dstRect.width(), dh = dstRect.height();
        const int x0 = region.left() - dstRect.left(), y0 = region.top() - dstRect.top();
        const int w = region.width(), h = region.height();
        // Only the source pixels the visible destination needs are read.
        const int sx0 = static_cast<int>(nearest(x0, sw, dw));
        const int sy0 = static_cast<int>(nearest(y0, sh, dh));
        const int sx1 = static_cast<int>(nearest(x0 + w - 1, sw, dw));
        const int sy1 = static_cast<int>(nearest(y0 + h - 1, sh, dh));
        const Source part =
            sourceOf(src, QRect(srcRect.left() + sx0, srcRect.top() + sy0, sx1 - sx0 + 1, sy1 - sy0 + 1));
        std::vector<int> columns(static_cast<std::size_t>(w));
        int* column = columns.data();
        for (int i = 0; i < w; ++i) column[i] = static_cast<int>(nearest(x0 + i, sw, dw)) - sx0 + part.at.x();
        const QPoint at = region.topLeft() - t.origin;
        for (int j = 0; j < h; ++j) {
            const int row = static_cast<int>(nearest(y0 + j, sh, dh)) - sy0 + part.at.y();
            const auto* in = reinterpret_cast<const QRgb*>(part.image.constScanLine(row));
            auto* out = reinterpret_cast<QRgb*>(t.image->scanLine(at.y() + j)) + at.x();
            for (int i = 0; i < w; ++i) out[i] = in[column[i]];
        }
    }

    // Separable: a horizontal pass once per source row into sums of at most
    // 255·s (32 bits suffice), then a vertical pass per destination row.
    // Every column has the same number of taps, unused ones weigh 0.
    static void stretchAverage(const Target& t, const QRect& dstRect, const QRect& region, Surface& src,
                               const QRect& srcRect) {
        const std::int64_t sw = srcRect.width(), sh = srcRect.height();
        const std::int64_t dw = dstRect.width(), dh = dstRect.height();
        const int x0 = region.left() - dstRect.left(), y0 = region.top() - dstRect.top();
        const int w = region.width(), h = region.height();
        std::vector<std::vector<Tap>> cols(static_cast<std::size_t>(w));
        std::vector<std::vector<Tap>> rows(static_cast<std::size_t>(h));
        std::size_t n = 1;
        for (int i = 0; i < w; ++i) {
            cols[i] = boxTaps(x0 + i, sw, dw);
            n = std::max(n, cols[i].size());
        }
        for (int j = 0; j < h; ++j) rows[j] = boxTaps(y0 + j, sh, dh);
        const std::int64_t sx0 = cols.front().front().index, sx1 = cols.back().back().index;
        const std::int64_t sy0 = rows.front().front().index, sy1 = rows.back().back().index;
        const Source part =
            sourceOf(src, QRect(srcRect.left() + static_cast<int>(sx0), srcRect.top() + static_cast<int>(sy0),
                                static_cast<int>(sx1 - sx0 + 1), static_cast<int>(sy1 - sy0 + 1)));

        std::vector<int> tapIndex(static_cast<std::size_t>(w) * n, 0);
        std::vector<std::uint32_t> tapWeight(static_cast<std::size_t>(w) * n, 0);
        for (int i = 0; i < w; ++i)
            for (std::size_t k = 0; k < cols[i].size(); ++k) {
                tapIndex[i * n + k] = static_cast<int>(cols[i][k].index - sx0) + part.at.x();
                tapWeight[i * n + k] = static_cast<std::uint32_t>(cols[i][k].weight);
            }
        const int* index = tapIndex.data();
        const std::uint32_t* weight = tapWeight.data();
        const int taps = static_cast<int>(n);

        const int srcRows = static_cast<int>(sy1 - sy0 + 1);
        std::vector<std::uint32_t> acrossRows(static_cast<std::size_t>(srcRows) * w * 3);
        for (int l = 0; l < srcRows; ++l) {
            const auto* in = reinterpret_cast<const QRgb*>(part.image.constScanLine(part.at.y() + l));
            std::uint32_t* out = acrossRows.data() + static_cast<std::size_t>(l) * w * 3;
            for (int i = 0; i < w; ++i) {
                std::uint32_t r = 0, g = 0, b = 0;
                for (int k = i * taps; k < (i + 1) * taps; ++k) {
                    const QRgb p = in[index[k]];
                    r += weight[k] * ((p >> 16) & 0xffu);
                    g += weight[k] * ((p >> 8) & 0xffu);
                    b += weight[k] * (p & 0xffu);
                }
                out[3 * i] = r;
                out[3 * i + 1] = g;
                out[3 * i + 2] = b;
            }
        }
        const auto total = static_cast<std::uint64_t>(sw * sh);
        const QPoint at = region.topLeft() - t.origin;
        std::vector<std::uint64_t> sums(static_cast<std::size_t>(w) * 3);
        std::uint64_t* acc = sums.data();
        for (int j = 0; j < h; ++j) {
            std::fill(sums.begin(), sums.end(), 0);
            for (const Tap& ty : rows[j]) {
                const auto wy = static_cast<std::uint64_t>(ty.weight);
                const std::uint32_t* in =
                    acrossRows.data() + static_cast<std::size_t>(ty.index - sy0) * w * 3;
                for (int k = 0; k < 3 * w; ++k) acc[k] += wy * in[k];
            }
            auto* out = reinterpret_cast<QRgb*>(t.image->scanLine(at.y() + j)) + at.x();
            for (int i = 0; i < w; ++i) {
                const auto r = static_cast<QRgb>((acc[3 * i] + total / 2) / total);
                const auto g = static_cast<QRgb>((acc[3 * i + 1] + total / 2) / total);
                const auto b = static_cast<QRgb>((acc[3 * i + 2] + total / 2) / total);
                out[i] = 0xff000000u | (r << 16) | (g << 8) | b;
            }
        }
    }

    std::shared_ptr<State> s_;
};

}  // namespace

std::unique_ptr<Drawing> makeDrawing(std::shared_ptr<State> state) {
    return std::make_unique<FakeDrawing>(std::move(state));
}

QImage FakePlatform::imageOf(Surface& surface) {
    return readSurface(surface, QRect(QPoint(0, 0), surface.size()));
}

int FakePlatform::flushCount() const { return state_->flushCount; }
std::vector<FakeViewSurface*> FakePlatform::views() const { return state_->views; }

}  // namespace orvane::platform::fake
