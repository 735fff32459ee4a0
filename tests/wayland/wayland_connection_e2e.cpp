// The Wayland backend's outputs on a headless sway with two outputs (run
// through sway-session.sh): names, logical rectangles, the primary, and what
// the compositor offers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/wayland/wayland_connection.h"

using namespace orvane::platform;
using namespace orvane::platform::wayland;

TEST(WaylandConnection, ListsTheCompositorsOutputsWithTheirNamesAndPlaces) {
    std::string error;
    auto w = Connection::connect("", error);
    ASSERT_TRUE(w) << error;
    const std::vector<MonitorInfo> m = w->monitors();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].deviceName, "HEADLESS-1");
    EXPECT_EQ(m[0].monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_TRUE(m[0].primary);
    EXPECT_EQ(m[1].deviceName, "HEADLESS-2");
    EXPECT_EQ(m[1].monitor, (Rect{1920, 0, 3840, 1080}));
    EXPECT_FALSE(m[1].primary);
    EXPECT_NE(m[0].handle, m[1].handle);
    // sway 1.7 offers the wlroots protocols Orvane will use.
    EXPECT_TRUE(w->offers("zwlr_screencopy_manager_v1"));
    EXPECT_TRUE(w->offers("zwlr_virtual_pointer_manager_v1"));
    EXPECT_TRUE(w->offers("zwlr_output_manager_v1"));
    EXPECT_TRUE(w->usableForOrvane());
}

TEST(WaylandConnection, NoCompositorIsAClearError) {
    std::string error;
    EXPECT_FALSE(Connection::connect("orvane-no-such-wayland-display", error));
    EXPECT_NE(error.find("orvane-no-such-wayland-display"), std::string::npos);
}

TEST(WaylandConnection, WhatOrvaneNeedsFromACompositor) {
    const std::set<std::string> wlroots{"wl_output", "zxdg_output_manager_v1", "zwlr_screencopy_manager_v1",
                                        "zwlr_virtual_pointer_manager_v1"};
    EXPECT_TRUE(offersWhatOrvaneNeeds(wlroots));
    std::set<std::string> newer = wlroots;
    newer.erase("zwlr_screencopy_manager_v1");
    EXPECT_FALSE(offersWhatOrvaneNeeds(newer));
    newer.insert("ext_image_copy_capture_manager_v1");
    EXPECT_TRUE(offersWhatOrvaneNeeds(newer));
    std::set<std::string> gnome{"wl_output", "zxdg_output_manager_v1"};
    EXPECT_FALSE(offersWhatOrvaneNeeds(gnome)) << "GNOME and KDE need portals instead";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
