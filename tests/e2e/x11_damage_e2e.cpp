// A monitor context's change count on the real server: DAMAGE on the root
// reports drawing into windows on the watched monitor, ignores drawing on the
// other one (Orvane's own view included) and screen changes always count.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

constexpr QRect kLeft(0, 0, 1920, 1080);
constexpr QRect kRight(1920, 0, 1920, 1080);

class X11Damage : public ::testing::Test {
protected:
    void SetUp() override { open({}); }

    void open(x11::Options o) {
        std::string error;
        p = x11::createPlatform(std::move(o), error);
        ASSERT_TRUE(p) << error;
        const auto list = p->monitors().enumerate();
        ASSERT_EQ(list.size(), 2U);
        left = p->monitors().openMonitor(list[0].deviceName);
        right = p->monitors().openMonitor(list[1].deviceName);
        ASSERT_TRUE(left && right);
        ASSERT_EQ(right->rect(), (Rect{1920, 0, 3840, 1080}));
    }

    // The count once the server has sent every report of what was drawn so
    // far: a round trip on the backend's connection comes after them.
    std::uint64_t count(MonitorContext& m) {
        settle(*p);
        return m.changeCount();
    }

    // Fills r of a window (root coordinates for the root) on the test client's connection.
    void fill(xcb_drawable_t d, const QRect& r, std::uint32_t pixel) {
        xcb_connection_t* c = tc.conn();
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, d, XCB_GC_FOREGROUND, &pixel);
        const xcb_rectangle_t rect{static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                                   static_cast<std::uint16_t>(r.width()),
                                   static_cast<std::uint16_t>(r.height())};
        xcb_poly_fill_rectangle(c, d, gc, 1, &rect);
        xcb_free_gc(c, gc);
        tc.sync();
    }

    TestClient tc;
    std::unique_ptr<Platform> p;
    std::unique_ptr<MonitorContext> left, right;
};

}  // namespace

TEST_F(X11Damage, UnchangedScreenKeepsTheCount) {
    tc.showImage(kRight, patternImage(kRight.size()));
    const std::uint64_t first = count(*right);
    processEvents(100);
    EXPECT_EQ(count(*right), first);
    EXPECT_EQ(count(*right), first);
    EXPECT_EQ(count(*left), count(*left));
}

TEST_F(X11Damage, DrawingIntoAWindowOnTheWatchedMonitorCounts) {
    // Drawn into an inferior of the root, not the root itself: the root's
    // damage must include its windows.
    const xcb_window_t w = tc.showImage(kRight, patternImage(kRight.size()));
    const std::uint64_t a = count(*right);
    fill(w, QRect(500, 400, 1, 1), 0x00ff00);
    const std::uint64_t b = count(*right);
    EXPECT_NE(b, a);
    EXPECT_EQ(count(*right), b);
    // The same pixel again: reported again after the count was read.
    fill(w, QRect(500, 400, 1, 1), 0x0000ff);
    const std::uint64_t c = count(*right);
    EXPECT_NE(c, b);
    // The monitor's last pixel, in a window of its own.
    tc.showImage(QRect(3839, 1079, 1, 1), patternImage(QSize(1, 1)));
    EXPECT_NE(count(*right), c);
}

TEST_F(X11Damage, DrawingOnTheOtherMonitorDoesNotCount) {
    tc.showImage(kRight, patternImage(kRight.size()));
    const std::uint64_t r = count(*right);
    const std::uint64_t l = count(*left);
    // Straight into the root, up to the column next to the watched monitor.
    fill(tc.root(), QRect(1919, 0, 1, 1080), 0xff0000);
    tc.showImage(QRect(100, 100, 300, 200), patternImage(QSize(300, 200)));
    EXPECT_EQ(count(*right), r);
    EXPECT_NE(count(*left), l);
}

TEST_F(X11Damage, OwnViewCountsOnlyOnTheMonitorItIsOn) {
    tc.showImage(kRight, patternImage(kRight.size()));
    auto frame = showFrame(QRect(100, 100, 800, 600));
    auto view = p->drawing().createView(frame.get());
    ASSERT_TRUE(view);
    view->setGeometry(QRect(0, 0, 800, 600), frame->size());
    processEvents(50);
    const std::uint64_t r = count(*right);
    const std::uint64_t l = count(*left);
    for (int i = 0; i < 3; ++i) {
        p->drawing().copy(*view, QRect(0, 0, 800, 600), *right, QPoint(i * 10, 0));
        view->present();
        // Watching another monitor: the view's drawing is no change there.
        EXPECT_EQ(count(*right), r) << "tick " << i;
    }
    // Watching its own monitor: every tick changes it, so nothing is skipped.
    EXPECT_NE(count(*left), l);
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *right, QPoint(0, 0));
    view->present();
    const std::uint64_t l2 = count(*left);
    EXPECT_NE(l2, l);
    p->drawing().copy(*view, QRect(0, 0, 800, 600), *left, QPoint(0, 0));
    view->present();
    EXPECT_NE(count(*left), l2);
}

TEST_F(X11Damage, ModeChangeOfTheScreenCounts) {
    if (!isXorgDummy()) GTEST_SKIP() << "mode changes need the Xorg dummy server";
    const std::uint64_t r = count(*right);
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", "1280x1024_75"}),
              0);
    const std::uint64_t r2 = count(*right);
    EXPECT_NE(r2, r);
    EXPECT_EQ(count(*right), r2);
    // A change of the other monitor's mode, nothing drawn on this one: the
    // screen was reconfigured, which counts everywhere.
    const std::uint64_t l = count(*left);
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY0", "--mode", "1280x1024"}), 0);
    EXPECT_NE(count(*right), r2);
    EXPECT_NE(count(*left), l);
    ASSERT_EQ(runWithDisplay(server().display(),
                             {"xrandr", "--output", "DUMMY0", "--mode", "1920x1080_60", "--output", "DUMMY1",
                              "--mode", "1920x1080_60", "--right-of", "DUMMY0"}),
              0);
}

TEST_F(X11Damage, WithoutDamageEveryCallCounts) {
    right.reset();
    left.reset();
    x11::Options o;
    o.useDamage = false;
    open(std::move(o));
    tc.showImage(kRight, patternImage(kRight.size()));
    const std::uint64_t a = count(*right);
    const std::uint64_t b = count(*right);
    const std::uint64_t c = count(*right);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_NE(a, c);
}
