// Display modes through RandR on the Xorg dummy server: listing, testing,
// real mode changes of the second monitor and what restoring undoes. Xvfb
// has one fixed output, so these tests skip there.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_math.h"
#include "platform/x11/x11_modes.h"
#include "platform/x11/x11_platform.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

class X11Modes : public ModesTest {
protected:
    QSize rootSize() {
        auto* g = xcb_get_geometry_reply(tc.conn(), xcb_get_geometry(tc.conn(), tc.root()), nullptr);
        const QSize s = g ? QSize(g->width, g->height) : QSize();
        std::free(g);
        return s;
    }
    std::string xrandr() {
        std::string out;
        runWithDisplay(server().display(), {"xrandr", "--query"}, &out);
        return out;
    }
    TestClient tc;
    const DeviceName right = std::string("DUMMY1");
};

}  // namespace

TEST_F(X11Modes, ListsTheOutputsModesAtTheCurrentDepthAndRefusesOthers) {
    const auto list = modes(right);
    ASSERT_GT(list.size(), 10U);
    // The preferred mode comes first, as the server orders them.
    EXPECT_EQ(list[0].width, 1920U);
    EXPECT_EQ(list[0].height, 1080U);
    EXPECT_EQ(list[0].frequency, 60U);
    EXPECT_TRUE(find(right, 1280, 1024, 75));
    for (const DisplayMode& m : list) {
        EXPECT_EQ(m.bitsPerPixel, 32U);
        EXPECT_NE(m.id, 0U);
        EXPECT_GT(m.frequency, 0U);
    }
    DisplayMode m;
    EXPECT_FALSE(p->displayModes().enumMode(right, static_cast<std::uint32_t>(list.size()), m));
    EXPECT_FALSE(p->displayModes().enumMode(std::string("NOPE"), 0, m));
    // No name: the primary monitor's output.
    ASSERT_TRUE(p->displayModes().currentMode(std::nullopt));
    EXPECT_EQ(p->displayModes().currentMode(std::nullopt)->width, 1920U);

    // Foreign modes, bad flags and unknown devices are refused and change nothing.
    auto small = find(right, 1280, 1024, 75);
    ASSERT_TRUE(small);
    EXPECT_EQ(p->displayModes().testMode(right, *small), DispChange::Successful);
    DisplayMode made{1234, 567, 32, 60, 999999};
    DisplayMode otherDepth = *small;
    otherDepth.bitsPerPixel = 16;
    const DeviceName nope = std::string("NOPE");
    EXPECT_EQ(p->displayModes().testMode(right, made), DispChange::BadMode);
    EXPECT_EQ(p->displayModes().testMode(right, otherDepth), DispChange::BadMode);
    EXPECT_EQ(p->displayModes().testMode(nope, *small), DispChange::BadParam);
    EXPECT_EQ(p->displayModes().applyMode(right, *small, 2), DispChange::BadFlags);
    EXPECT_EQ(p->displayModes().applyMode(right, *small, ChangeFlags::Global), DispChange::BadFlags);
    EXPECT_EQ(p->displayModes().applyMode(nope, *small, 0), DispChange::BadParam);
    EXPECT_EQ(p->displayModes().applyMode(right, made, 0), DispChange::BadMode);
    EXPECT_EQ(p->displayModes().restoreRegistered(nope), DispChange::BadParam);
    EXPECT_EQ(p->displayModes().currentMode(right)->width, 1920U);
    EXPECT_EQ(rootSize(), QSize(3840, 1080));
}

TEST_F(X11Modes, TemporaryChangeIsRealAndRestoreUndoesIt) {
    auto m = find(right, 1280, 1024, 75);
    ASSERT_TRUE(m);
    ASSERT_EQ(p->displayModes().applyMode(right, *m, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_EQ(rootSize(), QSize(3200, 1080));
    EXPECT_NE(xrandr().find("DUMMY1 connected 1280x1024+1920+0"), std::string::npos) << xrandr();
    EXPECT_EQ(p->displayModes().currentMode(right), m);
    const auto list = p->monitors().enumerate();
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[1].monitor, (Rect{1920, 0, 3200, 1024}));
    auto ctx = p->monitors().openMonitor("DUMMY1");
    ASSERT_TRUE(ctx);
    EXPECT_EQ(ctx->refreshRate(), 75);

    // Growing back: the screen is enlarged before the CRTC changes.
    EXPECT_EQ(p->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(rootSize(), QSize(3840, 1080));
    EXPECT_EQ(p->displayModes().currentMode(right)->width, 1920U);
    EXPECT_NE(xrandr().find("DUMMY1 connected 1920x1080+1920+0"), std::string::npos);
    EXPECT_EQ(p->displayModes().restoreRegistered(right), DispChange::Successful);
}

TEST_F(X11Modes, AModeSomeoneElseSetIsNeverUndone) {
    auto small = find(right, 1280, 1024, 75);
    ASSERT_TRUE(small);
    // Set with xrandr before any change of ours: restoring leaves it.
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", "1280x1024_75"}),
              0);
    EXPECT_EQ(p->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(p->displayModes().currentMode(right)->width, 1280U);

    // Changed by us, then by someone else: theirs stays.
    auto full = find(right, 1920, 1080, 60);
    ASSERT_TRUE(full);
    ASSERT_EQ(p->displayModes().applyMode(right, *full, ChangeFlags::Temporary), DispChange::Successful);
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", "1280x1024_75"}),
              0);
    EXPECT_EQ(p->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(p->displayModes().currentMode(right)->width, 1280U);
    EXPECT_NE(xrandr().find("DUMMY1 connected 1280x1024+1920+0"), std::string::npos) << xrandr();
}

TEST_F(X11Modes, RegisteredChangeBecomesTheModeRestoreKeeps) {
    auto small = find(right, 1280, 1024, 75);
    auto full = find(right, 1920, 1080, 60);
    ASSERT_TRUE(small && full);
    ASSERT_EQ(p->displayModes().applyMode(right, *small, ChangeFlags::UpdateRegistry),
              DispChange::Successful);
    EXPECT_EQ(p->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(p->displayModes().currentMode(right), small);

    // Set back by someone else; a later run's temporary change, taken back
    // by the user, leaves that mode at exit, not the one registered before.
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", "1920x1080_60"}),
              0);
    std::string error;
    auto second = x11::createPlatform(error);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->displayModes().applyMode(right, *small, 0), DispChange::Successful);
    ASSERT_EQ(second->displayModes().applyMode(right, *full, 0), DispChange::Successful);
    EXPECT_EQ(second->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(second->displayModes().currentMode(right), full);

    const std::uint32_t both = ChangeFlags::UpdateRegistry | ChangeFlags::Global;
    ASSERT_EQ(p->displayModes().applyMode(right, *small, both), DispChange::Successful);
    ASSERT_EQ(p->displayModes().applyMode(right, *full, both), DispChange::Successful);
    EXPECT_EQ(rootSize(), QSize(3840, 1080));
}
