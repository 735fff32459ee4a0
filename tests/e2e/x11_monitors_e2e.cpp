// Monitor enumeration of the real backend against the two-monitor server.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstring>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_platform.h"

using namespace orvane::platform;
using namespace orvane::e2e;

TEST(X11Monitors, EnumerationFindsBothMonitorsAndTheWorkArea) {
    std::string error;
    auto p = x11::createPlatform(error);
    ASSERT_TRUE(p) << error;
    auto list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].deviceName, isXorgDummy() ? "DUMMY0" : "LEFT");
    EXPECT_EQ(list[1].deviceName, isXorgDummy() ? "DUMMY1" : "RIGHT");
    EXPECT_EQ(list[0].monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(list[1].monitor, (Rect{1920, 0, 3840, 1080}));
    EXPECT_TRUE(list[0].primary);
    EXPECT_FALSE(list[1].primary);
    // Without a window manager there is no work area: the monitor itself.
    EXPECT_EQ(list[0].work, list[0].monitor);
    EXPECT_NE(list[0].handle, list[1].handle);
    // Largest share, else the nearest monitor.
    EXPECT_EQ(p->monitors().monitorFromRect({1800, 100, 2400, 500}), list[1].handle);
    EXPECT_EQ(p->monitors().monitorFromRect({1000, 100, 2000, 500}), list[0].handle);
    EXPECT_EQ(p->monitors().monitorFromRect({5000, 100, 5200, 300}), list[1].handle);
    EXPECT_EQ(p->monitors().monitorFromRect({-900, -900, -800, -800}), list[0].handle);

    auto ctx = p->monitors().openMonitor(list[1].deviceName);
    ASSERT_TRUE(ctx);
    EXPECT_EQ(ctx->rect(), (Rect{1920, 0, 3840, 1080}));
    EXPECT_EQ(ctx->size(), QSize(1920, 1080));
    EXPECT_EQ(ctx->bitsPerPixel(), 32);  // depth 24 is stored as 32 bits per pixel
    // 173 MHz / (2576 x 1120) = 59.96; an Xvfb monitor without outputs has no mode.
    EXPECT_EQ(ctx->refreshRate(), isXorgDummy() ? 60 : 0);
    EXPECT_EQ(p->monitors().openMonitor("NO-SUCH-MONITOR"), nullptr);

    // A panel of 40 pixels along the top of the whole screen.
    TestClient tc;
    const char* name = "_NET_WORKAREA";
    auto* a = xcb_intern_atom_reply(tc.conn(), xcb_intern_atom(tc.conn(), 0, std::strlen(name), name), nullptr);
    ASSERT_TRUE(a);
    const std::uint32_t area[] = {0, 40, 3840, 1040};
    xcb_change_property(tc.conn(), XCB_PROP_MODE_REPLACE, tc.root(), a->atom, XCB_ATOM_CARDINAL, 32, 4, area);
    std::free(a);
    tc.sync();
    list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].work, (Rect{0, 40, 1920, 1080}));
    EXPECT_EQ(list[1].work, (Rect{1920, 40, 3840, 1080}));
}

TEST(X11Monitors, WithoutRandrTheRootIsOneMonitor) {
    x11::Options o;
    o.useRandr = false;
    std::string error;
    auto p = x11::createPlatform(o, error);
    ASSERT_TRUE(p) << error;
    const auto list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 1U);
    EXPECT_EQ(list[0].monitor, (Rect{0, 0, 3840, 1080}));
    EXPECT_TRUE(list[0].primary);
    EXPECT_EQ(p->monitors().monitorFromRect({100, 100, 200, 200}), list[0].handle);
    auto ctx = p->monitors().openMonitor(list[0].deviceName);
    ASSERT_TRUE(ctx);
    EXPECT_EQ(ctx->refreshRate(), 0);
    DisplayMode m;
    EXPECT_FALSE(p->displayModes().enumMode(std::nullopt, 0, m));
    EXPECT_NE(p->displayModes().applyMode(std::nullopt, m, 0), DispChange::Successful);
}
