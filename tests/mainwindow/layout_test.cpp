// The layout rules of the main window, computed without a window.
#include "mainwindow/layout.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

// A 9000 x 6000 twips client area at 15 twips per pixel with both bars shown:
// 5430 twips of height and 9000 of width are left for the frame, whose border
// takes 2 px (30 twips) on each axis.
LayoutInput window(std::int32_t viewWidth, std::int32_t viewHeight) {
    LayoutInput in;
    in.clientWidth = 9000;
    in.clientHeight = 6000;
    in.toolBarVisible = in.statusBarVisible = true;
    in.toolBarHeight = 315;
    in.statusBarHeight = in.scrXHeight = in.scrYWidth = 255;
    in.frameBorderX = in.frameBorderY = 30;
    in.viewWidth = viewWidth;
    in.viewHeight = viewHeight;
    return in;
}

TEST(Layout, BarsAppearWhereTheViewOverflowsAndTheVerticalOneCanForceTheOther) {
    // The frame holds 598 x 360 px without bars, 581 px wide beside the
    // vertical bar and 343 px tall above the horizontal one.
    const TwipsRect none{0, 315, 9000, 5430}, x{0, 315, 9000, 5175}, y{0, 315, 8745, 5430},
        both{0, 315, 8745, 5175};
    struct Case {
        std::int32_t width, height;
        TwipsRect frame;
        std::int32_t maxX, maxY;  // -1: no bar
    };
    const Case cases[] = {
        {598, 100, none, -1, -1}, {599, 100, x, 1, -1}, {100, 2000, y, -1, 1640}, {100, 360, none, -1, -1},
        {590, 2000, both, 9, 1657},  // fits in width until the vertical bar takes its room
        {700, 350, both, 119, 7},    // the horizontal bar makes it overflow vertically
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        const LayoutResult out = ComputeLayout(window(c.width, c.height));
        EXPECT_EQ(out.frame, c.frame);
        EXPECT_TRUE(out.scrX.enabled == (c.maxX >= 0) && out.scrX.visible == (c.maxX >= 0));
        EXPECT_TRUE(out.scrY.enabled == (c.maxY >= 0) && out.scrY.visible == (c.maxY >= 0));
        EXPECT_TRUE(c.maxX < 0 || out.scrX.max == c.maxX) << out.scrX.max;
        EXPECT_TRUE(c.maxY < 0 || out.scrY.max == c.maxY) << out.scrY.max;
    }
    EXPECT_EQ(ComputeLayout(window(599, 100)).scrX.rect, (TwipsRect{0, 5490, 9000, 255}));
    EXPECT_EQ(ComputeLayout(window(100, 2000)).scrY.rect, (TwipsRect{8745, 315, 255, 5430}));
}

// With the option off the bars scroll but take no room; hidden tool and
// status bars give theirs to the frame.
TEST(Layout, WithTheOptionOffBarsScrollButTakeNoRoom) {
    LayoutInput in = window(2000, 2000);
    in.scrollBarOption = false;
    in.scrYValue = 400;
    LayoutResult out = ComputeLayout(in);
    EXPECT_TRUE(out.scrX.enabled && out.scrY.enabled);
    EXPECT_FALSE(out.scrX.visible || out.scrY.visible);
    EXPECT_EQ(out.frame, (TwipsRect{0, 315, 9000, 5430}));
    EXPECT_EQ(out.scrY.max, 2000 - 360);
    EXPECT_EQ(out.viewTop, -400);
    in.toolBarVisible = false;
    EXPECT_EQ(ComputeLayout(in).frame, (TwipsRect{0, 0, 9000, 5745}));
    in.statusBarVisible = false;
    EXPECT_EQ(ComputeLayout(in).frame, (TwipsRect{0, 0, 9000, 6000}));
}

TEST(Layout, SmallViewsAreCentredAndShrinkingClampsTheScrollPosition) {
    LayoutResult small = ComputeLayout(window(301, 101));
    EXPECT_EQ(small.viewLeft, (598 - 301) / 2);  // 148: the odd pixel goes right
    EXPECT_EQ(small.viewTop, (360 - 101) / 2);
    LayoutInput in = window(4000, 100);
    in.scrXValue = 3000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 3000);
    in.viewWidth = 1000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 402);
    EXPECT_EQ(ComputeLayout(in).viewLeft, -402);
    in.viewWidth = 34560;  // beyond 16 bits: 300 % of an 11520 px wide monitor
    in.scrXValue = 40000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 34560 - 598);
}

TEST(Layout, ATinyWindowKeepsThePreviousFrameAndStillSetsTheBars) {
    LayoutInput in = window(1920, 1080);
    in.clientHeight = 400;  // less than the two bars
    in.frame = {0, 315, 9000, 100};
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.frame, in.frame);
    EXPECT_TRUE(out.scrX.enabled && out.scrY.enabled);
    EXPECT_EQ(out.scrY.max, 1080 - 5);  // (100 - 30) / 15 = 4.67 px of frame
    in.clientWidth = in.clientHeight = in.viewWidth = in.viewHeight = 0;
    in.toolBarVisible = in.statusBarVisible = false;
    out = ComputeLayout(in);
    EXPECT_EQ(out.frame, in.frame);
    EXPECT_EQ(out.scrX.max, 0);
    EXPECT_EQ(out.scrX.value, 0);
}

TEST(Layout, PlacementIsRecordedOnlyWhenLoadedAndNotInFullScreen) {
    EXPECT_FALSE(ShouldRecordPlacement(0, false, false));
    EXPECT_TRUE(ShouldRecordPlacement(1, false, false));
    EXPECT_FALSE(ShouldRecordPlacement(2, true, false));
    EXPECT_FALSE(ShouldRecordPlacement(2, false, true));
}

}  // namespace
}  // namespace orvane
