#include "platform/image/image_drawing.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/image/image_view.h"

namespace orvane::platform::image {

namespace {

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


void stretchNearest(const Target& t, const QRect& dstRect, const QRect& region, Surface& src,
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
        pixelsOf(src, QRect(srcRect.left() + sx0, srcRect.top() + sy0, sx1 - sx0 + 1, sy1 - sy0 + 1));
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
void stretchAverage(const Target& t, const QRect& dstRect, const QRect& region, Surface& src,
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
        pixelsOf(src, QRect(srcRect.left() + static_cast<int>(sx0), srcRect.top() + static_cast<int>(sy0),
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
    // Rounded division by total, done as a multiplication: a sum is below
    // 2^41, so (n + ½)·(1/total) in double lands within half of 1/total of
    // the true quotient and truncates to exactly n / total.
    const double inverse = 1.0 / static_cast<double>(total);
    const auto divide = [inverse, half = total / 2](std::uint64_t sum) {
        return static_cast<QRgb>((static_cast<double>(sum + half) + 0.5) * inverse);
    };
    const QPoint at = region.topLeft() - t.origin;
    // A destination pixel's sums reach 255·s at most: 32 bits hold them up
    // to 4K sources (and vectorise twice as wide), 64 bits beyond.
    const auto verticalPass = [&]<typename Sum>(Sum) {
        std::vector<Sum> sums(static_cast<std::size_t>(w) * 3);
        Sum* acc = sums.data();
        for (int j = 0; j < h; ++j) {
            std::fill(sums.begin(), sums.end(), 0);
            for (const Tap& ty : rows[j]) {
                const auto wy = static_cast<Sum>(ty.weight);
                const std::uint32_t* in = acrossRows.data() + static_cast<std::size_t>(ty.index - sy0) * w * 3;
                for (int k = 0; k < 3 * w; ++k) acc[k] += wy * in[k];
            }
            auto* out = reinterpret_cast<QRgb*>(t.image->scanLine(at.y() + j)) + at.x();
            for (int i = 0; i < w; ++i) {
                const QRgb r = divide(acc[3 * i]);
                const QRgb g = divide(acc[3 * i + 1]);
                const QRgb b = divide(acc[3 * i + 2]);
                out[i] = 0xff000000u | (r << 16) | (g << 8) | b;
            }
        }
    };
    if (total * 255 + total / 2 < (std::uint64_t{1} << 32))
        verticalPass(std::uint32_t{});
    else
        verticalPass(std::uint64_t{});
}

}  // namespace

Source pixelsOf(Surface& s, const QRect& r) {
    if (auto* p = dynamic_cast<Pixels*>(&s)) return p->pixels(r);
    return {blackImage(r.size()), {0, 0}};
}

QImage readSurface(Surface& s, const QRect& r) {
    Source src = pixelsOf(s, r);
    if (src.at == QPoint(0, 0) && src.image.size() == r.size()) return src.image;
    return src.image.copy(QRect(src.at, r.size()));
}

namespace {
// What a source holds when an operation is asked for, kept while the
// operation waits to be drawn: shared, not copied, when it is in memory (the
// captured frame, a memory copy that is gone by then).
class Snapshot : public Surface, public Pixels {
public:
    Snapshot(Surface& src, const QRect& r) : size_(src.size()), covers_(r), part_(pixelsOf(src, r)) {}
    [[nodiscard]] QSize size() const override { return size_; }
    void setStretchMode(StretchMode) override {}
    [[nodiscard]] StretchMode stretchMode() const override { return StretchMode::Simple; }
    [[nodiscard]] Source pixels(const QRect& r) override {
        return pixelsOfImage(part_.image, covers_.topLeft() - part_.at, r);
    }

private:
    QSize size_;
    QRect covers_;
    Source part_;
};

Pixels* drawable(Surface& s) { return dynamic_cast<Pixels*>(&s); }
QRect drawAreaOf(Surface& s) {
    const Pixels* p = drawable(s);
    return p ? p->drawArea() : QRect();
}
}  // namespace

QRect MemorySurface::drawArea() const { return image_.rect(); }

void MemorySurface::draw(const QRect& area, const DrawOp& op) {
    (void)area;
    op({&image_, {0, 0}, image_.rect()});
}

std::unique_ptr<ViewSurface> ImageDrawing::createView(QWidget* frame) {
    return std::make_unique<ImageViewSurface>(frame);
}

std::unique_ptr<Surface> ImageDrawing::createMemoryCopy(Surface& source, QSize size) {
    return std::make_unique<MemorySurface>(readSurface(source, QRect(QPoint(0, 0), size)));
}

void ImageDrawing::copy(Surface& dst, const QRect& dstRect, Surface& src, QPoint srcPos) {
    const QRect region = dstRect & drawAreaOf(dst);
    if (region.isEmpty()) return;
    const Source part = pixelsOf(src, region.translated(srcPos - dstRect.topLeft()));
    drawable(dst)->draw(region, [region, part](const Target& t) {
        const QRect r = region & t.area();
        if (r.isEmpty()) return;
        blit(*t.image, r.topLeft() - t.origin, part.image, QRect(part.at + (r.topLeft() - region.topLeft()), r.size()));
    });
}

namespace {
void stretchInto(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect, const QRegion& part) {
    if (srcRect.width() <= 0 || srcRect.height() <= 0) return;
    const QRegion region = part & dstRect & drawAreaOf(dst);
    if (region.isEmpty()) return;
    auto source = std::make_shared<Snapshot>(src, srcRect);
    const bool simple = dst.stretchMode() == StretchMode::Simple;
    drawable(dst)->draw(region.boundingRect(), [dstRect, srcRect, region, source, simple](const Target& t) {
        for (const QRect& r : region) {
            const QRect inside = r & t.area();
            if (inside.isEmpty()) continue;
            if (simple)
                stretchNearest(t, dstRect, inside, *source, srcRect);
            else
                stretchAverage(t, dstRect, inside, *source, srcRect);
        }
    });
}
}  // namespace

void ImageDrawing::stretch(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect) {
    stretchInto(dst, dstRect, src, srcRect, QRegion(dstRect));
}

void ImageDrawing::stretchPart(Surface& dst, const QRect& dstRect, Surface& src, const QRect& srcRect,
                               const QRegion& part) {
    stretchInto(dst, dstRect, src, srcRect, part);
}

void ImageDrawing::drawCursor(Surface& dst, QPoint topLeft, const CursorImage& cursor) {
    const QRect region = QRect(topLeft, cursor.image.size()) & drawAreaOf(dst);
    if (region.isEmpty()) return;
    drawable(dst)->draw(region, [region, topLeft, image = cursor.image](const Target& t) {
        const QRect r = region & t.area();
        if (r.isEmpty()) return;
        // Blended in a copy of the part it covers: the target may be a
        // window's picture that is being painted already.
        QImage under = t.image->copy(r.translated(-t.origin));
        {
            QPainter painter(&under);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.drawImage(topLeft - r.topLeft(), image);
        }
        blit(*t.image, r.topLeft() - t.origin, under, under.rect());
    });
}

void ImageDrawing::invert(Surface& dst, const QRect& rect) {
    const QRect region = rect & drawAreaOf(dst);
    if (region.isEmpty()) return;
    drawable(dst)->draw(region, [region](const Target& t) {
        const QRect r = (region & t.area()).translated(-t.origin);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(t.image->scanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) line[x] ^= 0x00ffffffu;
        }
    });
}

}  // namespace orvane::platform::image
