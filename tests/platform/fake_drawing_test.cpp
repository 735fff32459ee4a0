// The drawing in memory through the simulated desktop: nearest stretch,
// black outside the screen, the pointer image's alpha, and the view that only
// keeps its visible part.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/fake/fake_platform.h"

namespace orvane::platform::fake {
namespace {

// A one-monitor desktop whose picture is the given image.
struct Desk {
    explicit Desk(const QImage& picture) {
        fake.addMonitor({.deviceName = "M",
                         .rect = {0, 0, picture.width(), picture.height()},
                         .primary = true,
                         .picture = picture});
        monitor = fake.monitors().openMonitor("M");
    }
    // An empty memory surface of the given size to draw into.
    std::unique_ptr<Surface> blank(QSize size, StretchMode mode) {
        Desk empty(FakePlatform::solid(size, qRgb(1, 2, 3)));
        auto s = fake.drawing().createMemoryCopy(*empty.monitor, size);
        s->setStretchMode(mode);
        return s;
    }
    FakePlatform fake;
    std::unique_ptr<MonitorContext> monitor;
};

TEST(FakeDrawing, NearestStretchAtHalfAndDouble) {
    Desk desk(FakePlatform::coordinatePattern({8, 6}, 7));
    auto& drawing = desk.fake.drawing();

    auto half = desk.blank({4, 3}, StretchMode::Simple);
    drawing.stretch(*half, {0, 0, 4, 3}, *desk.monitor, {0, 0, 8, 6});
    const QImage h = FakePlatform::imageOf(*half);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(h.pixel(x, y), qRgb(2 * x, 2 * y, 7)) << x << "," << y;

    auto twice = desk.blank({16, 12}, StretchMode::Simple);
    drawing.stretch(*twice, {0, 0, 16, 12}, *desk.monitor, {0, 0, 8, 6});
    const QImage d = FakePlatform::imageOf(*twice);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(d.pixel(x, y), qRgb(x / 2, y / 2, 7)) << x << "," << y;

    // A destination rectangle placed inside a larger surface leaves the rest alone.
    auto placed = desk.blank({10, 10}, StretchMode::Simple);
    drawing.stretch(*placed, {2, 3, 4, 3}, *desk.monitor, {4, 0, 4, 3});
    const QImage p = FakePlatform::imageOf(*placed);
    EXPECT_EQ(p.pixel(2, 3), qRgb(4, 0, 7));
    EXPECT_EQ(p.pixel(5, 5), qRgb(7, 2, 7));
    EXPECT_EQ(p.pixel(1, 3), qRgb(1, 2, 3));
    EXPECT_EQ(p.pixel(6, 3), qRgb(1, 2, 3));

    drawing.copy(*placed, {1, 1, 3, 2}, *desk.monitor, {5, 4});
    const QImage c = FakePlatform::imageOf(*placed);
    EXPECT_EQ(c.pixel(1, 1), qRgb(5, 4, 7));
    EXPECT_EQ(c.pixel(3, 2), qRgb(7, 5, 7));
    EXPECT_EQ(c.pixel(4, 2), qRgb(1, 2, 3));
}

TEST(FakeDrawing, OutsideTheScreenIsBlack) {
    Desk desk(FakePlatform::solid({20, 10}, qRgb(200, 100, 50)));
    auto& drawing = desk.fake.drawing();

    const QImage g = drawing.grab({-5, 5, 10, 10});
    EXPECT_EQ(g.size(), QSize(10, 10));
    EXPECT_EQ(g.pixel(4, 0), qRgb(0, 0, 0));
    EXPECT_EQ(g.pixel(5, 0), qRgb(200, 100, 50));
    EXPECT_EQ(g.pixel(5, 4), qRgb(200, 100, 50));
    EXPECT_EQ(g.pixel(5, 5), qRgb(0, 0, 0));

    // A copy whose source runs past the monitor brings black, not stale pixels.
    auto target = desk.blank({10, 10}, StretchMode::Simple);
    drawing.copy(*target, {0, 0, 10, 10}, *desk.monitor, {15, 5});
    const QImage c = FakePlatform::imageOf(*target);
    EXPECT_EQ(c.pixel(4, 4), qRgb(200, 100, 50));
    EXPECT_EQ(c.pixel(5, 4), qRgb(0, 0, 0));
    EXPECT_EQ(c.pixel(4, 5), qRgb(0, 0, 0));
}

TEST(FakeDrawing, CursorIsBlendedByItsAlphaAndInvertFlipsColours) {
    Desk desk(FakePlatform::solid({10, 10}, qRgb(0, 0, 0)));
    auto& drawing = desk.fake.drawing();
    auto target = drawing.createMemoryCopy(*desk.monitor, {10, 10});

    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 255, 255, 255));
    image.setPixel(1, 0, qRgba(255, 255, 255, 128));
    image.setPixel(2, 0, qRgba(255, 255, 255, 0));
    CursorImage cursor{image.convertToFormat(QImage::Format_ARGB32_Premultiplied), {1, 0}, 1};
    drawing.drawCursor(*target, {4, 4}, cursor);
    drawing.drawCursor(*target, {9, 9}, cursor);  // cut at the edge
    drawing.invert(*target, {0, 0, 2, 1});
    const QImage c = FakePlatform::imageOf(*target);
    EXPECT_EQ(c.pixel(4, 4), qRgb(255, 255, 255));
    EXPECT_NEAR(qRed(c.pixel(5, 4)), 128, 1);
    EXPECT_EQ(c.pixel(6, 4), qRgb(0, 0, 0));
    EXPECT_EQ(c.pixel(3, 4), qRgb(0, 0, 0));
    EXPECT_EQ(c.pixel(9, 9), qRgb(255, 255, 255));
    EXPECT_EQ(c.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(c.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(c.pixel(2, 0), qRgb(0, 0, 0));
}

TEST(FakeDrawing, ViewKeepsOnlyItsVisiblePartAndShowsItOnPresent) {
    Desk desk(FakePlatform::coordinatePattern({300, 200}, 9));
    auto& drawing = desk.fake.drawing();
    QWidget frame;
    frame.resize(100, 80);
    auto view = drawing.createView(&frame);
    auto* fakeView = desk.fake.views().at(0);
    ASSERT_EQ(fakeView, view.get());

    // A 600 × 400 view (200 %) scrolled by (50, 30) inside a 100 × 80 frame.
    view->setGeometry({-50, -30, 600, 400}, {100, 80});
    view->setStretchMode(StretchMode::Simple);
    EXPECT_EQ(view->size(), QSize(600, 400));
    EXPECT_EQ(view->visibleOrigin(), QPoint(50, 30));
    EXPECT_EQ(view->widget()->geometry(), QRect(0, 0, 100, 80));
    EXPECT_EQ(view->widget()->parentWidget(), &frame);

    drawing.stretch(*view, {0, 0, 600, 400}, *desk.monitor, {0, 0, 300, 200});
    drawing.invert(*view, {50, 30, 1, 1});
    EXPECT_EQ(fakeView->shown().size(), QSize(100, 80));
    EXPECT_EQ(fakeView->shown().pixel(1, 1), qRgb(25, 15, 9));
    EXPECT_EQ(fakeView->shown().pixel(0, 0), qRgb(255 - 25, 255 - 15, 255 - 9));
    EXPECT_EQ(fakeView->presentCount(), 0);
    view->present();
    EXPECT_EQ(fakeView->presentCount(), 1);
    EXPECT_EQ(view->widget()->grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(1, 1),
              qRgb(25, 15, 9));

    // Without the persistent image drawing lands on the window at once.
    view->setPersistent(false);
    drawing.invert(*view, {51, 31, 1, 1});
    EXPECT_EQ(fakeView->shown().pixel(1, 1), qRgb(255 - 25, 255 - 15, 255 - 9));

    // A view smaller than the frame, centred: the window is just its size.
    view->setGeometry({20, 10, 60, 40}, {100, 80});
    EXPECT_EQ(view->visibleOrigin(), QPoint(0, 0));
    EXPECT_EQ(view->widget()->geometry(), QRect(20, 10, 60, 40));
    view.reset();
    EXPECT_TRUE(desk.fake.views().empty());
    EXPECT_TRUE(frame.findChildren<QWidget*>().isEmpty());
}

}  // namespace
}  // namespace orvane::platform::fake
