// Where the pointer is on GNOME, from the streams' cursor reports.
#include <gtest/gtest.h>

#include "platform/gnome/cursor_rules.h"

using namespace orvane::platform;
using namespace orvane::platform::gnome;

TEST(GnomeCursor, TheNewestStreamThatShowsThePointerPlacesItOnTheLayout) {
    const Rect left{0, 0, 1920, 1080}, right{1920, 0, 3200, 720};
    // A monitor at scale 2: its stream has twice the pixels of its place in the layout.
    const Rect scaled{-1280, 0, 0, 720};
    const StreamCursor hiddenLeft{false, {}, {1920, 1080}, left, 9};
    struct Case {
        const char* what;
        std::vector<StreamCursor> streams;
        std::optional<Point> expected;
    };
    const Case cases[] = {
        {"nothing reported yet", {{false, {}, {1920, 1080}, left, 0}, {false, {}, {1280, 720}, right, 0}}, std::nullopt},
        {"on the right monitor", {hiddenLeft, {true, {400, 300}, {1280, 720}, right, 8}}, Point{2320, 300}},
        {"crossing: the older report of the left is stale",
         {{true, {1919, 500}, {1920, 1080}, left, 3}, {true, {0, 500}, {1280, 720}, right, 4}}, Point{1920, 500}},
        {"crossing back, reported in the other order",
         {{true, {1919, 500}, {1920, 1080}, left, 6}, {true, {0, 500}, {1280, 720}, right, 5}}, Point{1919, 500}},
        {"hidden everywhere", {hiddenLeft, {false, {}, {1280, 720}, right, 10}}, std::nullopt},
        {"a scaled monitor's pixels", {{true, {2559, 1439}, {2560, 1440}, scaled, 2}}, Point{-1, 719}},
        {"the corner of a scaled monitor", {{true, {0, 0}, {2560, 1440}, scaled, 2}}, Point{-1280, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PointerFromStreams(c.streams), c.expected);
    }
}

TEST(GnomeCursor, OnlyBuffersWithDataAndNotCorruptedCarryAPicture) {
    EXPECT_TRUE(BufferHasPicture(8294400, false));
    EXPECT_FALSE(BufferHasPicture(0, true));   // mutter's pointer-only update
    EXPECT_FALSE(BufferHasPicture(0, false));
    EXPECT_FALSE(BufferHasPicture(8294400, true));
}
