// The Display class on the real X server: the second monitor's modes listed,
// one applied for real and the registered mode restored.
#include <gtest/gtest.h>

#include "display/display.h"
#include "e2e_support.h"
#include "platform/x11/x11_platform.h"

namespace orvane::e2e {
namespace {

platform::Rect monitorRect(platform::Platform& p, const std::string& name) {
    for (const auto& m : p.monitors().enumerate())
        if (m.deviceName == name) return m.monitor;
    return {};
}

TEST(DisplayOnX11, ListsAppliesAndRestoresTheSecondMonitorsModes) {
    if (!isXorgDummy()) GTEST_SKIP() << "Xvfb offers no per-monitor modes; needs the Xorg dummy server";
    std::string error;
    auto p = platform::x11::createPlatform(error);
    ASSERT_TRUE(p) << error;

    Display d(p->displayModes());
    const std::int16_t count = d.GetDisplayMode(std::string("DUMMY1"));
    ASSERT_GT(count, 1);
    EXPECT_EQ(d.GetDisplayModeNumber(), count);
    std::int16_t small = -1;
    for (std::int16_t i = 0; i < count; ++i) {
        EXPECT_EQ(d.GetBit(i), 32) << "only the screen's own depth is offered";
        EXPECT_GT(d.GetFreq(i), 0);
        if (small < 0 && d.GetWidth(i) == 1280 && d.GetHeight(i) == 1024) small = i;
    }
    ASSERT_GE(small, 0) << "the configuration offers 1280 x 1024 on DUMMY1";
    EXPECT_EQ(d.GetWidth(count), 0);

    // Temporary change, as the resolution dialog makes it by default.
    d.UpdateRegistry(0);
    std::int16_t none = 0;
    EXPECT_EQ(d.ChangeDisplayMode(small, none, none, none), 0);
    EXPECT_EQ(monitorRect(*p, "DUMMY1"), (platform::Rect{1920, 0, 3200, 1024}));

    d.RestoreSetting();
    EXPECT_EQ(monitorRect(*p, "DUMMY1"), (platform::Rect{1920, 0, 3840, 1080}));

    // A size the monitor does not have is reported as such and changes nothing.
    std::int16_t w = 1234, h = 567, bits = 32;
    EXPECT_EQ(d.ChangeDisplayMode(-1, w, h, bits), -2);
    EXPECT_EQ(monitorRect(*p, "DUMMY1"), (platform::Rect{1920, 0, 3840, 1080}));
}

}  // namespace
}  // namespace orvane::e2e
