// Monitors of the real backend against the two-monitor server: enumeration,
// the work area, and a server without RandR.
#include "support.h"

using namespace orvane::platform;
using namespace orvane::e2e;

TEST(X11Monitors, EnumerationFindsBothMonitorsAndTheWorkArea) {
    auto p = backend();
    auto list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].deviceName, isXorgDummy() ? "DUMMY0" : "LEFT");
    EXPECT_EQ(list[1].deviceName, watched());
    EXPECT_EQ(list[0].monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(list[1].monitor, (Rect{1920, 0, 3840, 1080}));
    EXPECT_TRUE(list[0].primary && !list[1].primary);
    EXPECT_EQ(list[0].work, list[0].monitor) << "no window manager, no work area";
    EXPECT_EQ(p->monitors().monitorFromRect({1800, 100, 2400, 500}), list[1].handle) << "the largest share";

    auto ctx = p->monitors().openMonitor(list[1].deviceName);
    ASSERT_TRUE(ctx);
    EXPECT_EQ(ctx->size(), QSize(1920, 1080));
    EXPECT_EQ(ctx->bitsPerPixel(), 32);  // depth 24 is stored as 32 bits per pixel
    // 173 MHz / (2576 x 1120) = 59.96; an Xvfb monitor without outputs has no mode.
    EXPECT_EQ(ctx->refreshRate(), isXorgDummy() ? 60 : 0);
    EXPECT_EQ(p->monitors().openMonitor("NO-SUCH-MONITOR"), nullptr);

    // A panel of 40 pixels along the top of the whole screen.
    ASSERT_TRUE(run("xprop", {"-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", "0,40,3840,1040"}));
    list = p->monitors().enumerate();
    EXPECT_EQ(list.at(0).work, (Rect{0, 40, 1920, 1080}));
    EXPECT_EQ(list.at(1).work, (Rect{1920, 40, 3840, 1080}));

    // Without RandR the root is one monitor, with no modes.
    x11::Options o;
    o.useRandr = false;
    ctx.reset();  // before its backend
    p = backend(o);
    list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 1U);
    EXPECT_TRUE(list[0].monitor == (Rect{0, 0, 3840, 1080}) && list[0].primary);
    EXPECT_EQ(p->monitors().openMonitor(list[0].deviceName)->refreshRate(), 0);
    DisplayMode m;
    EXPECT_FALSE(p->displayModes().enumMode(std::nullopt, 0, m));
    EXPECT_NE(p->displayModes().applyMode(std::nullopt, m, 0), DispChange::Successful);
}
