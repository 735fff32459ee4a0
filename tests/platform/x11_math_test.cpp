// The X11 backend's pure arithmetic: refresh rates, monitor choice, stretch
// transforms, pixel conversion and the registered-mode text.
#include "platform/x11/x11_math.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "platform/qt_shell.h"
#include "platform/x11/x11_platform.h"

using namespace orvane::platform;
using namespace orvane::platform::x11;

TEST(X11Math, RefreshRateAndTheMonitorAWindowIsOn) {
    struct Rate {
        std::uint32_t clock, htotal, vtotal;
        bool interlaced, doubleScan;
        unsigned hz;
    };
    for (const Rate& r : {Rate{173000000, 2576, 1120, false, false, 60}, Rate{138540000, 1728, 1069, false, false, 75},
                          Rate{74250000, 2200, 1125, true, false, 60},  // interlaced: fields
                          Rate{74250000, 2200, 1125, false, true, 15}, Rate{110, 10, 4, false, false, 3},  // 2.75
                          Rate{0, 2576, 1120, false, false, 0}, Rate{173000000, 0, 1120, false, false, 0},
                          Rate{173000000, 2576, 0, false, false, 0}})
        EXPECT_EQ(refreshRate(r.clock, r.htotal, r.vtotal, r.interlaced, r.doubleScan), r.hz) << r.clock;

    // The largest share, the first of equal ones; off every monitor the nearest.
    const std::vector<Rect> mons{{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {-1280, 0, 0, 1024}};
    for (const auto& [window, index] : std::vector<std::pair<Rect, std::size_t>>{
             {{1800, 10, 2100, 100}, 1}, {{1700, 10, 2000, 100}, 0}, {{-100, 10, 50, 100}, 2},
             {{1820, 10, 2020, 100}, 0}, {{4000, 0, 4100, 50}, 1}, {{-2000, 2000, -1900, 2100}, 2},
             {{100, 1500, 200, 1600}, 0}})
        EXPECT_EQ(bestRectFor(mons, window), index) << window.left;
    EXPECT_EQ(bestRectFor({}, {0, 0, 1, 1}), std::nullopt);
    EXPECT_EQ(intersect({0, 0, 10, 10}, {10, 0, 20, 10}), Rect{});
}

// Halving passes (width, height) before the last, bilinear step of at least half.
TEST(X11Math, HalvingKeepsTheLastStepAtOrAboveHalfWhereBilinearStaysInside) {
    for (const auto& [to, passes] : std::vector<std::pair<QSize, QSize>>{
             {{960, 540}, {0, 0}}, {{3840, 2160}, {0, 0}}, {{480, 270}, {1, 1}},
             {{192, 108}, {3, 3}},  // 960, 480, 240, then 240 -> 192
             {{959, 540}, {1, 0}}}) {
        const HalvingPlan plan = halvingPlan({1920, 1080}, to);
        EXPECT_EQ(QSize(plan.passesX, plan.passesY), passes) << to.width();
    }
    EXPECT_EQ(halvedSize({1921, 1080}, true, false), QSize(961, 1080));
    EXPECT_EQ(halvedSize({1, 1}, true, true), QSize(1, 1));
    for (const auto& [to, inside] : std::vector<std::pair<int, bool>>{
             {960, true}, {1824, true}, {1919, false}, {1920, false}, {3840, false}, {0, false}})
        EXPECT_EQ(bilinearStaysInside(1920, to), inside) << to;  // 1919: rounding could reach the neighbour
}

TEST(X11Math, StretchMapPutsTheScrollOffsetInTheTranslation) {
    // 200 %: view pixel 0 centre (0.5) samples monitor 0.25.
    StretchMap m = stretchMap({0, 0, 3840, 2160}, {0, 0, 1920, 1080}, {0, 0, 800, 600});
    EXPECT_DOUBLE_EQ(m.x.scale, 0.5);
    EXPECT_DOUBLE_EQ(m.x.offset, 0.0);
    // Only the part from view x 40000 is drawn: far beyond 16 bits.
    m = stretchMap({0, 0, 115200, 64800}, {0, 0, 38400, 21600}, {40000, 30000, 800, 600}, {1920, 0});
    EXPECT_NEAR(m.x.offset, 1920 + 40000.0 / 3.0, 1e-9);
    EXPECT_NEAR(m.y.offset, 10000.0, 1e-9);
    // Sampling a level halved twice divides the whole mapping by four.
    m = stretchMap({0, 0, 480, 270}, {0, 0, 1920, 1080}, {0, 0, 480, 270}, {}, {4.0, 4.0});
    EXPECT_DOUBLE_EQ(m.x.scale, 1.0);
    EXPECT_DOUBLE_EQ(m.y.scale, 1.0);
    m = stretchMap({10, 20, 960, 540}, {100, 50, 1920, 1080}, {10, 20, 960, 540});
    EXPECT_DOUBLE_EQ(m.x.scale, 2.0);
    EXPECT_DOUBLE_EQ(m.x.offset, 100.0);
    EXPECT_DOUBLE_EQ(m.y.offset, 50.0);
}

TEST(X11Math, SourceNeededCoversWhatTheVisiblePartSamples) {
    // 300 %, the visible 800x600 from view (3000, 1200) samples monitor 1000..1266 x 400..599.
    EXPECT_EQ(sourceNeeded({0, 0, 5760, 3240}, {0, 0, 1920, 1080}, {3000, 1200, 800, 600}, 2),
              QRect(QPoint(998, 398), QPoint(1268, 601)));
    // Near the edges the margin stops at the source rectangle.
    EXPECT_EQ(sourceNeeded({0, 0, 5760, 3240}, {0, 0, 1920, 1080}, {0, 0, 800, 600}, 2),
              QRect(QPoint(0, 0), QPoint(268, 201)));
    EXPECT_EQ(sourceNeeded({0, 0, 3840, 2160}, {0, 0, 1920, 1080}, {0, 0, 3840, 2160}, 2),
              QRect(0, 0, 1920, 1080));
    EXPECT_EQ(sourceNeeded({10, 10, 200, 200}, {100, 100, 100, 100}, {10, 10, 20, 20}, 0),
              QRect(100, 100, 10, 10));
}

TEST(X11Math, FixedPointRoundsAndSaturates) {
    EXPECT_EQ(toFixed(1.0), 65536);
    EXPECT_EQ(toFixed(0.5), 32768);
    EXPECT_EQ(toFixed(-2.25), -147456);
    EXPECT_EQ(toFixed(1e9), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(toFixed(-1e9), std::numeric_limits<std::int32_t>::min());
}

TEST(X11Math, ZPixmapConversionSetsOpaqueAndHonoursMasks) {
    // Depth 24 in 32 bits, padding byte 0.
    const std::uint8_t px32[] = {0x30, 0x20, 0x10, 0x00, 0xff, 0xee, 0xdd, 0x00};
    QImage img(3, 1, QImage::Format_RGB32);
    img.fill(Qt::black);
    convertZPixmap(px32, 2, 1, 8, PixelLayout{}, img, {1, 0});
    EXPECT_EQ(img.pixel(0, 0), 0xff000000U);
    EXPECT_EQ(img.pixel(1, 0), 0xff102030U);
    EXPECT_EQ(img.pixel(2, 0), 0xffddeeffU);
    // RGB 565.
    const std::uint16_t px16[] = {0xf800, 0x07e0, 0x001f, 0xffff};
    QImage small(4, 1, QImage::Format_RGB32);
    convertZPixmap(reinterpret_cast<const std::uint8_t*>(px16), 4, 1, 8,
                   PixelLayout{16, 0xf800, 0x07e0, 0x001f, true}, small, {0, 0});
    EXPECT_EQ(small.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(small.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(small.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(small.pixel(3, 0), qRgb(255, 255, 255));
    // Placed partly outside the image: clipped, not written past the end.
    QImage tiny(1, 1, QImage::Format_RGB32);
    tiny.fill(Qt::black);
    convertZPixmap(px32, 2, 1, 8, PixelLayout{}, tiny, {-1, 0});
    EXPECT_EQ(tiny.pixel(0, 0), 0xffddeeffU);
}

TEST(X11Math, RegisteredModesRoundTripAndSkipGarbage) {
    const std::vector<RegisteredMode> modes{{"DUMMY0", 66, 1920, 1080, 60}, {"HDMI-1", 1234, 1280, 1024, 75}};
    const std::string text = formatRegisteredModes(modes);
    EXPECT_EQ(text, "DUMMY0 mode=66 size=1920x1080 rate=60\nHDMI-1 mode=1234 size=1280x1024 rate=75\n");
    EXPECT_EQ(parseRegisteredModes(text), modes);
    const auto parsed = parseRegisteredModes(
        "junk\nDUMMY0 mode=x size=1x1 rate=1\nA mode=1 size=2x3 rate=4\n"
        "A mode=5 size=6x7 rate=8");
    ASSERT_EQ(parsed.size(), 1U);
    EXPECT_EQ(parsed[0], (RegisteredMode{"A", 5, 6, 7, 8}));  // a later line for the same output wins
    EXPECT_TRUE(parseRegisteredModes("").empty());

    std::vector<RegisteredMode> set = modes;
    setRegisteredMode(set, {"HDMI-1", 7, 800, 600, 60});
    setRegisteredMode(set, {"DP-2", 8, 1024, 768, 75});
    EXPECT_EQ(set, (std::vector<RegisteredMode>{
                       {"DUMMY0", 66, 1920, 1080, 60}, {"HDMI-1", 7, 800, 600, 60}, {"DP-2", 8, 1024, 768, 75}}));
}

TEST(X11Math, ScreenSizeIsTheBoundingBoxOfTheCrtcs) {
    EXPECT_EQ(screenSizeFor({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}), QSize(3200, 1080));
    EXPECT_EQ(screenSizeFor({QRect(0, 0, 1920, 1080), QRect()}), QSize(1920, 1080));
    EXPECT_EQ(screenSizeFor({}), QSize(1, 1));
}

TEST(X11Backend, WithoutQtOnXThereIsNoBackendButAReason) {
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    std::string error;
    EXPECT_EQ(createPlatform(error), nullptr);
    EXPECT_NE(error.find("X11"), std::string::npos) << error;
}

TEST(QtShell, LinkTextsBecomeUrls) {
    EXPECT_EQ(linkUrl("https://example.com/cgi-bin/access.cgi?soft=Orvane"),
              "https://example.com/cgi-bin/access.cgi?soft=Orvane");
    EXPECT_EQ(linkUrl("someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(linkUrl("mailto:someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(linkUrl("  "), "");
    QtShell shell;
    EXPECT_FALSE(shell.openLink(""));
}
