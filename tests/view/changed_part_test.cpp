// Which view pixels a change on the watched monitor reaches.
#include "view/changed_part.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using platform::StretchMode;

TEST(ChangedViewRegion, MapsChangesToTheViewWithTheSamplersReach) {
    const QSize monitor(1920, 1080);
    // Full size: exactly the changed pixels, clipped to the monitor.
    EXPECT_EQ(ChangedViewRegion(QRegion(10, 20, 3, 4) + QRegion(1918, 1078, 9, 9), monitor, monitor,
                                StretchMode::Quality),
              QRegion(10, 20, 3, 4) + QRegion(1918, 1078, 2, 2));

    // Half size: the view pixels of the change, a little to spare, never the whole view.
    for (StretchMode mode : {StretchMode::Simple, StretchMode::Quality}) {
        const QRegion half = ChangedViewRegion(QRegion(100, 50, 2, 2), monitor, {960, 540}, mode);
        EXPECT_TRUE(half.contains(QRect(50, 25, 1, 1)));
        EXPECT_LE(half.boundingRect().width(), 16);
        EXPECT_LE(half.boundingRect().height(), 16);
        // At the edges it stays inside the view.
        const QRegion edge =
            ChangedViewRegion(QRegion(0, 0, 1, 1) + QRegion(1919, 1079, 1, 1), monitor, {960, 540}, mode);
        EXPECT_EQ(edge & QRect(0, 0, 960, 540), edge);
        EXPECT_TRUE(edge.contains(QPoint(959, 539)));
    }
    // Area averaging at 10 % reaches further than nearest sampling, but not far.
    const QRegion simple =
        ChangedViewRegion(QRegion(1000, 500, 1, 1), monitor, {192, 108}, StretchMode::Simple);
    const QRegion quality =
        ChangedViewRegion(QRegion(1000, 500, 1, 1), monitor, {192, 108}, StretchMode::Quality);
    EXPECT_TRUE(simple.contains(QPoint(100, 50)));
    EXPECT_TRUE(quality.boundingRect().contains(simple.boundingRect()));
    EXPECT_LE(quality.boundingRect().width(), 10);
    // Enlarged 3 times: every view pixel of the source pixel and its neighbours.
    const QRegion big = ChangedViewRegion(QRegion(10, 10, 1, 1), monitor, {5760, 3240}, StretchMode::Quality);
    EXPECT_TRUE(big.contains(QRect(27, 27, 9, 9)));
    EXPECT_LE(big.boundingRect().width(), 32);

    // Many pieces become one rectangle around them.
    QRegion scattered;
    for (int i = 0; i < 100; ++i) scattered += QRect(i * 19, i * 10, 1, 1);
    const QRegion merged = ChangedViewRegion(scattered, monitor, monitor, StretchMode::Simple);
    EXPECT_EQ(merged, QRegion(scattered.boundingRect()));

    EXPECT_TRUE(
        ChangedViewRegion(QRegion(5000, 5000, 4, 4), monitor, monitor, StretchMode::Simple).isEmpty());
    EXPECT_TRUE(ChangedViewRegion(QRegion(1, 1, 4, 4), {0, 0}, monitor, StretchMode::Simple).isEmpty());
}

}  // namespace
}  // namespace orvane
