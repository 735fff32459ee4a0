// The in-memory view draws straight into the window's picture: what a paint
// cannot reach yet, and what Qt's picture loses when the window is resized,
// must still show.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QTest>
#include <QWidget>

#include "platform/image/image_drawing.h"
#include "platform/image/image_view.h"

namespace orvane::platform::image {
namespace {

struct Drawing : ImageDrawing {
    QImage grab(const QRect&) override { return {}; }
};

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
