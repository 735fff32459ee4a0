// The screen-cast backends' rules: the pointer from the streams' cursor reports, the monitors of a GNOME display
// configuration, the portal's streams matched to the screens, and the restore token file.
#include <gtest/gtest.h>

#include "platform/screencast/cursor_rules.h"
#include "platform/gnome/gnome_screen.h"
#include "platform/portal/portal_rules.h"

using namespace orvane::platform;
using namespace orvane::platform::gnome;
using namespace orvane::platform::screencast;
using namespace orvane::platform::portal;

TEST(GnomeCursor, TheNewestStreamThatShowsThePointerPlacesItOnTheLayout) {
    const Rect left{0, 0, 1920, 1080}, right{1920, 0, 3200, 720};
    // A monitor at scale 2: its stream has twice the pixels of its place in the layout.
    const Rect scaled{-1280, 0, 0, 720};
    const QSize big{1920, 1080}, small{1280, 720};
    struct Case {
        const char* what;
        std::vector<StreamCursor> streams;
        std::optional<Point> expected;
    };
    const Case cases[] = {
        {"nothing reported yet", {{false, {}, big, left, 0}, {false, {}, small, right, 0}}, std::nullopt},
        {"on the right monitor", {{false, {}, big, left, 9}, {true, {400, 300}, small, right, 8}}, Point{2320, 300}},
        {"crossing: the older report of the left is stale",
         {{true, {1919, 500}, big, left, 3}, {true, {0, 500}, small, right, 4}}, Point{1920, 500}},
        {"a scaled monitor's pixels", {{true, {2559, 1439}, {2560, 1440}, scaled, 2}}, Point{-1, 719}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PointerFromStreams(c.streams), c.expected);
    }
}

TEST(GnomeCursor, OnlyBuffersWithDataAndNotCorruptedCarryAPicture) {
    EXPECT_TRUE(BufferHasPicture(8294400, false));
    EXPECT_FALSE(BufferHasPicture(0, true));  // mutter's pointer-only update
    EXPECT_FALSE(BufferHasPicture(8294400, true));
}

TEST(GnomeMonitors, EachMonitorShowingAPictureAtItsPlaceInTheLayout) {
    namespace dc = orvane::platform::desktop::gnome;
    const auto mode = [](qint32 w, qint32 h, double hz) {
        return dc::Mode{"m", w, h, hz, 1, {}, {{QStringLiteral("is-current"), true}}};
    };
    const dc::Mode off{"m", 800, 600, 60, 1, {}, {}};  // switched off: no current mode
    dc::State state;
    state.monitors = {{{"DP-1", "", "", ""}, {mode(3840, 2160, 59.997)}, {}},
                      {{"HDMI-1", "", "", ""}, {mode(1920, 1080, 60)}, {}},
                      {{"HDMI-2", "", "", ""}, {off}, {}}};
    // DP-1 at scale 2, HDMI-1 turned 90 degrees to its right, HDMI-2 listed but dark.
    state.logicalMonitors = {{0, 0, 2, 0, true, {{"DP-1", "", "", ""}}, {}},
                             {1920, 0, 1, 1, false, {{"HDMI-1", "", "", ""}}, {}},
                             {3000, 0, 1, 0, false, {{"HDMI-2", "", "", ""}}, {}}};
    state.properties = {{QStringLiteral("layout-mode"), QVariant::fromValue(dc::kLayoutLogical)}};
    std::vector<GnomeMonitor> m = MonitorsFromState(state);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].info.deviceName, "DP-1");
    EXPECT_EQ(m[0].info.monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_TRUE(m[0].info.primary);
    EXPECT_EQ(m[0].refreshHz, 60);
    EXPECT_EQ(m[1].info.deviceName, "HDMI-1");
    EXPECT_EQ(m[1].info.monitor, (Rect{1920, 0, 3000, 1920}));
    // In the physical layout mode a scaled monitor keeps its pixels.
    state.properties = {{QStringLiteral("layout-mode"), QVariant::fromValue(dc::kLayoutPhysical)}};
    EXPECT_EQ(MonitorsFromState(state)[0].info.monitor, (Rect{0, 0, 3840, 2160}));
}

TEST(PortalStreams, EachScreenGetsTheStreamAtItsPlace) {
    const QRect left(0, 0, 1920, 1080), right(1920, 0, 1280, 720), twin(3200, 0, 1280, 720);
    struct Case {
        const char* what;
        std::vector<QRect> screens;
        std::vector<StreamPlace> streams;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"in another order", {left, right}, {{7, QPoint(1920, 0), {1280, 720}}, {5, QPoint(0, 0), {1920, 1080}}},
         {1, 0}},
        {"a fractional scale rounds the size", {left, right}, {{5, QPoint(0, 0), {1919, 1079}}}, {0, -1}},
        {"the exact size wins over the place alone", {left},
         {{4, QPoint(0, 0), {1919, 1079}}, {5, QPoint(0, 0), {1920, 1080}}}, {1}},
        {"a stream of no screen is left out", {left}, {{5, QPoint(5000, 0), {800, 600}}}, {-1}},
        {"no place: the one screen of its size", {left, right}, {{5, std::nullopt, {1280, 720}}}, {-1, 0}},
        {"no place and two screens of its size: neither", {right, twin}, {{5, std::nullopt, {1280, 720}}}, {-1, -1}},
        {"one stream serves one screen", {left, left}, {{5, QPoint(0, 0), {1920, 1080}}}, {0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MatchStreamsToScreens(c.screens, c.streams), c.expected);
    }
}

TEST(PortalStreams, ARestoreTokenIsReadBackAndADamagedOneIsIgnored) {
    const RestoreToken t{"screencast", "1b7f0c3e-9a5d-4e21-8f6a-3c2d1e0f9a8b"};
    EXPECT_EQ(ParseRestoreToken(RestoreTokenText(t)), t);
    EXPECT_EQ(ParseRestoreToken("remote-desktop abc\r\n"), (RestoreToken{"remote-desktop", "abc"}));
    for (const char* bad : {"", "screencast", "screencast ", "camera abc", "screencast a b", "screencast \x01\x02",
                            "screencast abc\nremote-desktop def"})
        EXPECT_FALSE(ParseRestoreToken(bad)) << bad;
    EXPECT_FALSE(ParseRestoreToken("screencast " + QByteArray(600, 'a')));
}
