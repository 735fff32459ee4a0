// The arithmetic of pointer control: the view-to-screen mapping, where
// pursuit and grab scrolling put the bars, and what each action sends.
#include "pointer/pointer_rules.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using platform::MouseButton;
using platform::Point;

TEST(PointerRules, ViewToScreenRoundsHalvesToEven) {
    // 200 % on a monitor at 1920, 0: 1970.5 goes down, 1971.5 up.
    EXPECT_EQ(ViewToScreen(101, 50, 2.0, 1920, 0), (Point{1970, 25}));
    EXPECT_EQ(ViewToScreen(103, 50, 2.0, 1920, 0), (Point{1972, 25}));
    // Negative monitor positions and fractional view positions.
    EXPECT_EQ(ViewToScreen(0.4f, 0.6f, 1.0, -1280, -200), (Point{-1280, -199}));
    EXPECT_EQ(ViewToScreen(5, 5, 0.1, 0, 0), (Point{50, 50}));
    // At 300 % every third view pixel starts a new screen pixel.
    EXPECT_EQ(ViewToScreen(4, 2, 3.0, 0, 0), (Point{1, 1}));
}

TEST(PointerRules, PursuitCentresThePointerWithinTheRange) {
    // Max 1000, view 3840 wide (200 % of 1920): the two limits.
    EXPECT_EQ(PursuitScrollValue(100, 0, 2.0, 3840, 0, 1000), 0) << "500 - (1920 - 200) = -1220";
    EXPECT_EQ(PursuitScrollValue(1900, 0, 2.0, 3840, 0, 1000), 1000) << "500 - (1920 - 3800) = 2380";
    // Inside the range: the pointer's view position minus half the viewport.
    // Viewport 2840 (= 3840 - 1000); pointer at monitor 1000 -> view 2000 -> 2000 - 1420 = 580.
    EXPECT_EQ(PursuitScrollValue(1920 + 1000, 1920, 2.0, 3840, 0, 1000), 580);
    // Halves to even (view widths 3841, 3837, 3839): 499.5 -> 500, 501.5 -> 502, 500.5 -> 500.
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3841, 0, 1000), 500);
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3837, 0, 1000), 502);
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3839, 0, 1000), 500);
}

TEST(PointerRules, GrabScrollingKeepsThePressedPointUnderThePointer) {
    EXPECT_EQ(GrabScrollValue(200, 170, 50, 0, 1000), 80);
    EXPECT_EQ(GrabScrollValue(200, 260, 50, 0, 1000), 0) << "limited to the minimum";
    EXPECT_EQ(GrabScrollValue(200, -900, 50, 0, 1000), 1000) << "limited to the maximum";
    EXPECT_EQ(GrabScrollValue(200, 199.5, 0, 0, 1000), 0) << "0.5 rounds to even";
    EXPECT_EQ(GrabScrollValue(200, 198.5, 0, 0, 1000), 2);
    EXPECT_EQ(LimitToRange(5, 10, 0), 0) << "the maximum is tested first";
}

TEST(PointerRules, MonitorUnderAPointIsTheFirstThatHoldsIt) {
    std::vector<MonitorEntry> monitors(2);
    monitors[0].rcMonitor = {0, 0, 1920, 1080};
    monitors[1].rcMonitor = {1920, 0, 3840, 1080};
    EXPECT_EQ(MonitorIndexAt(monitors, {1919, 1079}), 0);
    EXPECT_EQ(MonitorIndexAt(monitors, {1920, 0}), 1) << "left edge inclusive";
    EXPECT_EQ(MonitorIndexAt(monitors, {3840, 0}), -1) << "right edge exclusive";
    EXPECT_EQ(MonitorIndexAt(monitors, {100, 1080}), -1);
    EXPECT_EQ(MonitorIndexAt(monitors, {-1, 5}), -1);
}

}  // namespace
}  // namespace orvane
