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
    in.toolBarVisible = true;
    in.toolBarHeight = 315;
    in.statusBarVisible = true;
    in.statusBarHeight = 255;
    in.scrXHeight = 255;
    in.scrYWidth = 255;
    in.frameBorderX = 30;
    in.frameBorderY = 30;
    in.viewWidth = viewWidth;
    in.viewHeight = viewHeight;
    return in;
}

TEST(Layout, BarsAppearOnlyWhenTheViewIsLargerThanTheFrame) {
    // 598 px = 8970 twips = exactly the width less the border: no bar.
    LayoutResult fit = ComputeLayout(window(598, 100));
    EXPECT_FALSE(fit.scrX.enabled);
    EXPECT_FALSE(fit.scrY.enabled);
    EXPECT_EQ(fit.frame, (TwipsRect{0, 315, 9000, 5430}));
    EXPECT_EQ(fit.viewLeft, 0);

    LayoutResult wider = ComputeLayout(window(599, 100));
    EXPECT_TRUE(wider.scrX.enabled && wider.scrX.visible);
    EXPECT_FALSE(wider.scrY.enabled);
    EXPECT_EQ(wider.frame, (TwipsRect{0, 315, 9000, 5175}));
    EXPECT_EQ(wider.scrX.rect, (TwipsRect{0, 5490, 9000, 255}));
    EXPECT_EQ(wider.scrX.max, 1);

    // Only too tall: one bar, the vertical one, at the frame's right.
    LayoutResult taller = ComputeLayout(window(100, 2000));
    EXPECT_FALSE(taller.scrX.enabled);
    EXPECT_TRUE(taller.scrY.enabled && taller.scrY.visible);
    EXPECT_EQ(taller.frame, (TwipsRect{0, 315, 8745, 5430}));
    EXPECT_EQ(taller.scrY.rect, (TwipsRect{8745, 315, 255, 5430}));
    EXPECT_EQ(taller.scrY.max, 2000 - 360);
}

TEST(Layout, TheVerticalBarCanForceTheHorizontalOneButNotTheOtherWayRound) {
    // Fits in width until the vertical bar takes 255 twips of it.
    LayoutResult both = ComputeLayout(window(590, 2000));
    EXPECT_TRUE(both.scrX.visible);
    EXPECT_TRUE(both.scrY.visible);
    EXPECT_EQ(both.frame, (TwipsRect{0, 315, 8745, 5175}));
    EXPECT_EQ(both.scrX.max, 590 - 581);
    EXPECT_EQ(both.scrY.max, 2000 - 343);

    // Overflows horizontally; the horizontal bar then makes it overflow vertically
    // (5175 - 30 twips = 343 px); both bars, no further iteration.
    LayoutResult late = ComputeLayout(window(700, 350));
    EXPECT_TRUE(late.scrX.visible);
    EXPECT_TRUE(late.scrY.visible);
    EXPECT_EQ(late.scrX.max, 700 - 581);

    // 360 px tall fits 5430 twips, but not after the horizontal bar: no second
    // vertical check is needed because the vertical check comes second anyway.
    LayoutResult noBar = ComputeLayout(window(100, 360));
    EXPECT_FALSE(noBar.scrY.enabled);
    EXPECT_EQ(noBar.viewTop, 0);
}

TEST(Layout, WithTheOptionOffBarsScrollButTakeNoRoom) {
    LayoutInput in = window(2000, 2000);
    in.scrollBarOption = false;
    in.scrXValue = 300;
    in.scrYValue = 400;
    LayoutResult out = ComputeLayout(in);
    EXPECT_TRUE(out.scrX.enabled);
    EXPECT_FALSE(out.scrX.visible);
    EXPECT_TRUE(out.scrY.enabled);
    EXPECT_FALSE(out.scrY.visible);
    EXPECT_EQ(out.frame, (TwipsRect{0, 315, 9000, 5430}));
    EXPECT_EQ(out.scrX.max, 2000 - 598);
    EXPECT_EQ(out.scrY.max, 2000 - 360);
    EXPECT_EQ(out.viewLeft, -300);
    EXPECT_EQ(out.viewTop, -400);
}

TEST(Layout, SmallViewsAreCentredAndShrinkingClampsTheScrollPosition) {
    LayoutResult small = ComputeLayout(window(301, 101));
    EXPECT_EQ(small.viewLeft, (598 - 301) / 2);  // 148: the odd pixel goes right
    EXPECT_EQ(small.viewTop, (360 - 101) / 2);   // 129
    LayoutResult larger = ComputeLayout(window(1000, 100));
    EXPECT_FALSE(larger.scrY.enabled);

    // A view larger than its frame centres to a negative offset when its bar is
    // not needed in that direction... and a view that shrinks below the scroll
    // position takes the value down to the new maximum.
    LayoutInput in = window(4000, 100);
    in.scrXValue = 3000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 3000);
    in.viewWidth = 1000;
    LayoutResult shrunk = ComputeLayout(in);
    EXPECT_EQ(shrunk.scrX.max, 1000 - 598);
    EXPECT_EQ(shrunk.scrX.value, 402);
    EXPECT_EQ(shrunk.viewLeft, -402);
}

TEST(Layout, HiddenBarsGiveTheirRoomToTheFrame) {
    LayoutInput in = window(100, 100);
    in.toolBarVisible = false;
    EXPECT_EQ(ComputeLayout(in).frame, (TwipsRect{0, 0, 9000, 5745}));
    in.statusBarVisible = false;
    EXPECT_EQ(ComputeLayout(in).frame, (TwipsRect{0, 0, 9000, 6000}));
}

TEST(Layout, ATinyWindowKeepsThePreviousFrameAndStillSetsTheBars) {
    LayoutInput in = window(1920, 1080);
    in.clientHeight = 400;  // less than the two bars
    in.frame = {0, 315, 9000, 100};
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.frame, in.frame);
    EXPECT_TRUE(out.scrX.enabled);
    EXPECT_TRUE(out.scrY.enabled);
    EXPECT_EQ(out.scrY.max, 1080 - 5);  // (100 - 30) / 15 = 4.67 px of frame
    EXPECT_GE(out.scrX.max, 0);

    in.clientWidth = 0;
    in.clientHeight = 0;
    in.toolBarVisible = in.statusBarVisible = false;
    in.viewWidth = in.viewHeight = 0;
    out = ComputeLayout(in);
    // Even an empty view is "larger" than a frame whose border leaves -30
    // twips; the bars then take room the window does not have.
    EXPECT_TRUE(out.scrX.enabled);
    EXPECT_EQ(out.frame, in.frame);
    EXPECT_EQ(out.scrX.max, 0);
    EXPECT_EQ(out.scrX.value, 0);
}

TEST(Layout, ScrollRangesBeyondSixteenBits) {
    // 300 % of an 11520 px wide monitor.
    LayoutInput in = window(34560, 6480);
    in.scrXValue = 40000;
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.scrX.max, 34560 - 581);
    EXPECT_EQ(out.scrX.value, 34560 - 581);
    EXPECT_EQ(out.viewLeft, -(34560 - 581));
}

TEST(Layout, PlacementIsRecordedOnlyWhenLoadedAndNotInFullScreen) {
    EXPECT_FALSE(ShouldRecordPlacement(0, false, false));
    EXPECT_TRUE(ShouldRecordPlacement(1, false, false));
    EXPECT_TRUE(ShouldRecordPlacement(2, false, false));
    EXPECT_FALSE(ShouldRecordPlacement(2, true, false));
    EXPECT_FALSE(ShouldRecordPlacement(2, false, true));
}

}  // namespace
}  // namespace orvane
