// The in-memory drawing through the simulated desktop, where the widget tests
// leave gaps.
#include <gtest/gtest.h>

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
    std::unique_ptr<Surface> blank(QSize size) {
        Desk empty(FakePlatform::solid(size, qRgb(1, 2, 3)));
        auto s = fake.drawing().createMemoryCopy(*empty.monitor, size);
        s->setStretchMode(StretchMode::Simple);
        return s;
    }
    FakePlatform fake;
    std::unique_ptr<MonitorContext> monitor;
};

// What the widget tests do not reach: a destination inside a larger surface,
// sources past the monitor's edge, a half-transparent pointer image cut at the edge.
TEST(FakeDrawing, EdgesPartialDestinationsAndThePointersAlpha) {
    Desk desk(FakePlatform::coordinatePattern({8, 6}, 7));
    auto& drawing = desk.fake.drawing();
    auto placed = desk.blank({10, 10});
    drawing.stretch(*placed, {2, 3, 4, 3}, *desk.monitor, {4, 0, 4, 3});
    drawing.copy(*placed, {6, 6, 4, 4}, *desk.monitor, {6, 4});  // two columns and rows past the monitor
    const QImage p = FakePlatform::imageOf(*placed);
    EXPECT_EQ(p.pixel(2, 3), qRgb(4, 0, 7));
    EXPECT_EQ(p.pixel(5, 5), qRgb(7, 2, 7));
    EXPECT_EQ(p.pixel(1, 3), qRgb(1, 2, 3)) << "outside the destination: untouched";
    EXPECT_EQ(p.pixel(6, 2), qRgb(1, 2, 3));
    EXPECT_EQ(p.pixel(7, 7), qRgb(7, 5, 7));
    EXPECT_EQ(p.pixel(8, 7), qRgb(0, 0, 0)) << "past the monitor: black, not stale";
    EXPECT_EQ(p.pixel(7, 8), qRgb(0, 0, 0));
    const QImage g = drawing.grab({-5, 5, 10, 10});
    EXPECT_EQ(g.pixel(4, 0), qRgb(0, 0, 0));
    EXPECT_EQ(g.pixel(5, 0), qRgb(0, 5, 7));

    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 255, 255, 255));
    image.setPixel(1, 0, qRgba(255, 255, 255, 128));
    image.setPixel(2, 0, qRgba(255, 255, 255, 0));
    CursorImage cursor{image.convertToFormat(QImage::Format_ARGB32_Premultiplied), {1, 0}, 1};
    auto under = desk.blank({10, 10});
    drawing.drawCursor(*under, {4, 4}, cursor);
    drawing.drawCursor(*under, {9, 9}, cursor);  // cut at the edge
    const QImage c = FakePlatform::imageOf(*under);
    EXPECT_EQ(c.pixel(4, 4), qRgb(255, 255, 255));
    EXPECT_NEAR(qRed(c.pixel(5, 4)), 128, 2);
    EXPECT_EQ(c.pixel(6, 4), qRgb(1, 2, 3));
    EXPECT_EQ(c.pixel(3, 4), qRgb(1, 2, 3));
    EXPECT_EQ(c.pixel(9, 9), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace orvane::platform::fake
