// The X11 backend's arithmetic at the edges the server tests do not reach:
// refresh rates, monitor choice, stretch halving, pixel formats and a damaged
// registered-mode record.
#include "platform/x11/x11_math.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "platform/qt_shell.h"
#include "platform/x11/x11_platform.h"

using namespace orvane::platform;
using namespace orvane::platform::x11;

TEST(X11Math, RefreshRateAndTheMonitorAWindowIsOn) {
    EXPECT_EQ(refreshRate(74250000, 2200, 1125, true, false), 60u);  // interlaced: fields
    EXPECT_EQ(refreshRate(74250000, 2200, 1125, false, true), 15u);
    EXPECT_EQ(refreshRate(110, 10, 4, false, false), 3u);  // 2.75
    EXPECT_EQ(refreshRate(173000000, 0, 1120, false, false), 0u);
    // The largest share, the first of equal ones; off every monitor the nearest.
    const std::vector<Rect> mons{{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {-1280, 0, 0, 1024}};
    for (const auto& [window, index] : std::vector<std::pair<Rect, std::size_t>>{
             {{1800, 10, 2100, 100}, 1}, {{1820, 10, 2020, 100}, 0}, {{4000, 0, 4100, 50}, 1},
             {{-2000, 2000, -1900, 2100}, 2}, {{100, 1500, 200, 1600}, 0}})
        EXPECT_EQ(bestRectFor(mons, window), index) << window.left;
    EXPECT_EQ(bestRectFor({}, {0, 0, 1, 1}), std::nullopt);
}

// Halving passes (width, height) before the last, bilinear step of at least half
// (50 %, 75 % and enlarging: the drawing end-to-end test).
TEST(X11Math, HalvingKeepsTheLastStepAtOrAboveHalfWhereBilinearStaysInside) {
    for (const auto& [to, passes] :
         std::vector<std::pair<QSize, QSize>>{{{192, 108}, {3, 3}}, {{959, 540}, {1, 0}}}) {
        const HalvingPlan plan = halvingPlan({1920, 1080}, to);
        EXPECT_EQ(QSize(plan.passesX, plan.passesY), passes) << to.width();
    }
    EXPECT_EQ(halvedSize({1921, 1080}, true, false), QSize(961, 1080));
    EXPECT_FALSE(bilinearStaysInside(1920, 1919)) << "rounding could reach the neighbour";
    EXPECT_EQ(toFixed(1e9), std::numeric_limits<std::int32_t>::max());
}

TEST(X11Math, ZPixmapConversionHonoursMasksAndClips) {
    const std::uint16_t px16[] = {0xf800, 0x07e0, 0x001f, 0xffff};  // RGB 565
    QImage small(4, 1, QImage::Format_RGB32);
    convertZPixmap(reinterpret_cast<const std::uint8_t*>(px16), 4, 1, 8,
                   PixelLayout{16, 0xf800, 0x07e0, 0x001f, true}, small, {0, 0});
    EXPECT_EQ(small.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(small.pixel(3, 0), qRgb(255, 255, 255));
    // Placed partly outside the image: clipped, not written past the end.
    const std::uint8_t px32[] = {0x30, 0x20, 0x10, 0x00, 0xff, 0xee, 0xdd, 0x00};
    QImage tiny(1, 1, QImage::Format_RGB32);
    convertZPixmap(px32, 2, 1, 8, PixelLayout{}, tiny, {-1, 0});
    EXPECT_EQ(tiny.pixel(0, 0), 0xffddeeffU);
}

TEST(X11Math, RegisteredModesRoundTripAndSkipGarbage) {
    std::vector<RegisteredMode> modes{{"DUMMY0", 66, 1920, 1080, 60}, {"HDMI-1", 1234, 1280, 1024, 75}};
    EXPECT_EQ(parseRegisteredModes(formatRegisteredModes(modes)), modes);
    const auto parsed = parseRegisteredModes("junk\nDUMMY0 mode=x size=1x1 rate=1\nA mode=1 size=2x3 rate=4\n"
                                             "A mode=5 size=6x7 rate=8");
    EXPECT_EQ(parsed, (std::vector<RegisteredMode>{{"A", 5, 6, 7, 8}}));  // a later line for the same output wins
    setRegisteredMode(modes, {"HDMI-1", 7, 800, 600, 60});
    EXPECT_EQ(modes[1], (RegisteredMode{"HDMI-1", 7, 800, 600, 60}));
}

TEST(X11Backend, WithoutQtOnXThereIsNoBackendButAReasonAndLinksBecomeUrls) {
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    std::string error;
    EXPECT_EQ(createPlatform(error), nullptr);
    EXPECT_NE(error.find("X11"), std::string::npos) << error;
    EXPECT_EQ(linkUrl("https://example.com/a?soft=Orvane"), "https://example.com/a?soft=Orvane");
    EXPECT_EQ(linkUrl("someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(linkUrl("mailto:someone@example.com"), "mailto:someone@example.com");
}
