// The area-averaging stretch of the in-memory drawing against its plain
// definition (parts drawn alone against the whole: the partial-redraw view test).
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "platform/image/image_drawing.h"

namespace orvane::platform::image {
namespace {

// Destination pixel u covers [u·sw, (u+1)·sw) and source pixel x covers
// [x·dw, (x+1)·dw), both in 1/dw of a source pixel: each source pixel weighs
// by the overlap, the weights add up to sw·sh, and the mean rounds half up.
QRgb averaged(const QImage& src, int u, int v, int dw, int dh) {
    const std::int64_t sw = src.width(), sh = src.height();
    std::int64_t sum[3] = {0, 0, 0};
    for (std::int64_t y = 0; y < sh; ++y) {
        const std::int64_t oy = std::max<std::int64_t>(0, std::min((v + 1) * sh, (y + 1) * dh) - std::max(v * sh, y * dh));
        for (std::int64_t x = 0; x < sw && oy > 0; ++x) {
            const std::int64_t ox =
                std::max<std::int64_t>(0, std::min((u + 1) * sw, (x + 1) * dw) - std::max(u * sw, x * dw));
            const QRgb p = src.pixel(static_cast<int>(x), static_cast<int>(y));
            sum[0] += ox * oy * qRed(p);
            sum[1] += ox * oy * qGreen(p);
            sum[2] += ox * oy * qBlue(p);
        }
    }
    const std::int64_t total = sw * sh;
    const auto mean = [total](std::int64_t s) { return static_cast<int>((s + total / 2) / total); };
    return qRgb(mean(sum[0]), mean(sum[1]), mean(sum[2]));
}

QImage noise(QSize size, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, 0xff000000u | (random.generate() & 0xffffffu));
    return image;
}

// Reading the screen is each backend's own.
struct Drawing : ImageDrawing {
    QImage grab(const QRect&) override { return {}; }
};

TEST(ImageDrawing, QualityStretchIsTheExactAreaMean) {
    Drawing drawing;
    // Shrinking and growing, by awkward factors, one way and the other.
    for (const auto& [from, to] : std::vector<std::pair<QSize, QSize>>{
             {{37, 23}, {11, 17}}, {{7, 5}, {29, 31}}, {{64, 48}, {21, 48}}, {{3, 97}, {5, 13}}}) {
        MemorySurface source(noise(from, static_cast<quint32>(from.width() * 131 + to.height())));
        const QImage picture = readSurface(source, QRect(QPoint(0, 0), from));
        MemorySurface whole(QImage(to, QImage::Format_RGB32));
        whole.setStretchMode(StretchMode::Quality);
        drawing.stretch(whole, QRect(QPoint(0, 0), to), source, QRect(QPoint(0, 0), from));
        const QImage w = readSurface(whole, QRect(QPoint(0, 0), to));
        for (int v = 0; v < to.height(); ++v)
            for (int u = 0; u < to.width(); ++u)
                ASSERT_EQ(w.pixel(u, v), averaged(picture, u, v, to.width(), to.height()))
                    << from.width() << "x" << from.height() << " -> " << to.width() << "x" << to.height() << " at "
                    << u << "," << v;
    }
}

}  // namespace
}  // namespace orvane::platform::image
