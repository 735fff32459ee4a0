// The in-memory drawing: the area-averaging stretch against its plain
// definition (parts drawn alone against the whole: the partial-redraw view
// test), and a view that draws straight into the window's picture.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QRandomGenerator>
#include <QTest>
#include <QWidget>

#include "platform/image/image_drawing.h"
#include "platform/image/image_view.h"

namespace orvane::platform::image {
namespace {

// Reading the screen is each backend's own.
struct Drawing : ImageDrawing {
    QImage grab(const QRect&) override { return {}; }
};

// The area mean by its definition: the source with each pixel repeated dw x dh
// times, cut into dw x dh blocks of sw x sh; block (u, v) is destination pixel
// (u, v), its mean rounded half up.
QRgb averaged(const QImage& src, int u, int v, int dw, int dh) {
    const int sw = src.width(), sh = src.height();
    std::int64_t sum[3] = {0, 0, 0};
    for (int y = v * sh; y < (v + 1) * sh; ++y)
        for (int x = u * sw; x < (u + 1) * sw; ++x) {
            const QRgb p = src.pixel(x / dw, y / dh);
            sum[0] += qRed(p);
            sum[1] += qGreen(p);
            sum[2] += qBlue(p);
        }
    const auto mean = [total = sw * sh](std::int64_t s) { return static_cast<int>((s + total / 2) / total); };
    return qRgb(mean(sum[0]), mean(sum[1]), mean(sum[2]));
}

TEST(ImageDrawing, QualityStretchIsTheExactAreaMean) {
    Drawing drawing;
    // Shrinking and growing, by awkward factors, one way and the other.
    for (const auto& [from, to] : std::vector<std::pair<QSize, QSize>>{
             {{37, 23}, {11, 17}}, {{7, 5}, {29, 31}}, {{64, 48}, {21, 48}}, {{3, 97}, {5, 13}}}) {
        QRandomGenerator random(static_cast<quint32>(from.width() * 131 + to.height()));
        QImage picture(from, QImage::Format_RGB32);
        for (int y = 0; y < from.height(); ++y)
            for (int x = 0; x < from.width(); ++x)
                picture.setPixel(x, y, 0xff000000u | (random.generate() & 0xffffffu));
        MemorySurface source(picture), whole(QImage(to, QImage::Format_RGB32));
        whole.setStretchMode(StretchMode::Quality);
        drawing.stretch(whole, QRect(QPoint(0, 0), to), source, QRect(QPoint(0, 0), from));
        const QImage w = readSurface(whole, QRect(QPoint(0, 0), to));
        for (int v = 0; v < to.height(); ++v)
            for (int u = 0; u < to.width(); ++u)
                ASSERT_EQ(w.pixel(u, v), averaged(picture, u, v, to.width(), to.height()))
                    << to.width() << "x" << to.height() << " at " << u << "," << v;
    }
}

// What a paint cannot reach yet, and what Qt's picture loses when the window
// is resized, must still show.
TEST(ImageView, AFrameShowsWholeAfterItsWindowGrows) {
    QImage picture(100, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) picture.setPixel(x, y, qRgb(x * 2, y * 4, 77));
    MemorySurface monitor(picture);
    Drawing drawing;
    QWidget window;
    window.resize(40, 30);  // smaller than the view until the window system gives it its size
    ImageViewSurface view(&window);
    view.setGeometry({0, 0, 100, 60}, {100, 60});
    int redrawn = 0;
    view.setLostPartHandler([&](const QRegion& lost) {
        ++redrawn;
        for (const QRect& r : lost) drawing.copy(view, r, monitor, r.topLeft());
        view.present(lost);
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    drawing.copy(view, {0, 0, 100, 60}, monitor, {0, 0});
    view.present();
    window.resize(100, 60);
    QTest::qWait(50);
    const auto* shown = static_cast<const QImage*>(window.backingStore()->paintDevice());
    ASSERT_GE(shown->width(), 100);
    EXPECT_EQ(shown->copy(0, 0, 100, 60).convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_GT(redrawn, 0);
}

}  // namespace
}  // namespace orvane::platform::image
