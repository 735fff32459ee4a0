// A monitor context's changes on the real server: DAMAGE on the root reports
// where drawing into windows on the watched monitor landed, ignores drawing on
// the other one (Orvane's own view included), and a screen change changes all.
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

    // The changes once the server has sent every report of what was drawn
    // so far: a round trip on the backend's connection comes after them.
    MonitorChanges changes(MonitorContext& m) {
        settle(*p);
        return m.takeChanges();
    }
    bool changed(MonitorContext& m) { return changes(m).any(); }

    // Fills r of a window (root coordinates for the root) on the test client's
    // connection; with wait the server has drawn it on return.
    void fill(xcb_drawable_t d, const QRect& r, std::uint32_t pixel, bool wait = true) {
        xcb_connection_t* c = tc.conn();
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, d, XCB_GC_FOREGROUND, &pixel);
        const xcb_rectangle_t rect{static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                                   static_cast<std::uint16_t>(r.width()),
                                   static_cast<std::uint16_t>(r.height())};
        xcb_poly_fill_rectangle(c, d, gc, 1, &rect);
        xcb_free_gc(c, gc);
        if (wait)
            tc.sync();
        else
            xcb_flush(c);
    }

    TestClient tc;
    std::unique_ptr<Platform> p;
    std::unique_ptr<MonitorContext> left, right;
};

}  // namespace

TEST_F(X11Damage, DrawingIntoAWindowOnTheWatchedMonitorReportsWhereAndNothingElse) {
    const xcb_window_t w = tc.showImage(kRight, patternImage(kRight.size()));
    EXPECT_TRUE(changes(*right).all);  // a new context has seen nothing yet
    processEvents(100);
    EXPECT_FALSE(changed(*right));
    // Drawn into an inferior of the root, not the root itself: the root's
    // damage must include its windows.
    fill(w, QRect(500, 400, 1, 1), 0x00ff00);
    const MonitorChanges a = changes(*right);
    EXPECT_FALSE(a.all);
    EXPECT_EQ(a.region, QRegion(500, 400, 1, 1));
    EXPECT_FALSE(changed(*right));
    // The same pixel again: reported again after the changes were taken.
    fill(w, QRect(500, 400, 1, 1), 0x0000ff);
    fill(w, QRect(20, 30, 40, 10), 0x0000ff);
    EXPECT_EQ(changes(*right).region, QRegion(500, 400, 1, 1) + QRegion(20, 30, 40, 10));
    // The monitor's last pixel, in a window of its own.
    tc.showImage(QRect(3839, 1079, 1, 1), patternImage(QSize(1, 1)));
    EXPECT_TRUE(changes(*right).region.contains(QPoint(1919, 1079)));

    // Hundreds of scattered changes come as few rectangles holding them all.
    std::vector<QRect> dots;
    for (int i = 0; i < 600; ++i) dots.emplace_back((i * 97) % 1900, (i * 41) % 1070, 1, 1);
    for (const QRect& d : dots) fill(w, d, 0x00ff00, false);
    tc.sync();
    const QRegion many = changes(*right).region;
    EXPECT_LE(many.rectCount(), 256);
    int missing = 0;
    for (const QRect& d : dots) missing += !many.contains(d);
    EXPECT_EQ(missing, 0);

    // Without DAMAGE every take says that everything may have changed.
    right.reset();
    left.reset();
    x11::Options o;
    o.useDamage = false;
    open(std::move(o));
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(changes(*right).all);
}

TEST_F(X11Damage, NothingDrawnWhileChangesAreTakenIsLost) {
    // Another client draws while the changes are taken again and again: each
    // drawing shows up in one of the takes, however the requests interleave.
    const xcb_window_t w = tc.showImage(kRight, patternImage(kRight.size()));
    changes(*right);
    QRegion seen;
    std::vector<QRect> drawn;
    for (int i = 0; i < 300; ++i) {
        const QRect r((i * 37) % 1900, (i * 53) % 1070, 1 + i % 5, 1 + i % 3);
        fill(w, r, 0x010101U * static_cast<std::uint32_t>(i), false);
        drawn.push_back(r);
        if (i % 3 == 0) seen += right->takeChanges().region;
    }
    tc.sync();
    seen += changes(*right).region;
    int missing = 0;
    for (const QRect& r : drawn) missing += !seen.contains(r);
    EXPECT_EQ(missing, 0);
}

TEST_F(X11Damage, DrawingOnTheOtherMonitorDoesNotCount) {
    tc.showImage(kRight, patternImage(kRight.size()));
    changes(*right);
    changes(*left);
    // Straight into the root, up to the column next to the watched monitor.
    fill(tc.root(), QRect(1919, 0, 1, 1080), 0xff0000);
    tc.showImage(QRect(100, 100, 300, 200), patternImage(QSize(300, 200)));
    EXPECT_FALSE(changed(*right));
    const MonitorChanges l = changes(*left);
    EXPECT_TRUE(l.region.contains(QPoint(1919, 500)));
    EXPECT_TRUE(l.region.contains(QPoint(150, 150)));
    EXPECT_FALSE(l.region.contains(QPoint(1000, 800)));
}

TEST_F(X11Damage, OwnViewCountsOnlyOnTheMonitorItIsOn) {
    tc.showImage(kRight, patternImage(kRight.size()));
    auto frame = showFrame(QRect(100, 100, 800, 600));
    auto view = p->drawing().createView(frame.get());
    ASSERT_TRUE(view);
    view->setGeometry(QRect(0, 0, 800, 600), frame->size());
    processEvents(50);
    changes(*right);
    changes(*left);
    for (int i = 0; i < 3; ++i) {
        p->drawing().copy(*view, QRect(0, 0, 800, 600), *right, QPoint(i * 10, 0));
        view->present();
        // Watching another monitor: the view's drawing is no change there.
        EXPECT_FALSE(changed(*right)) << "tick " << i;
    }
    // Watching its own monitor: every tick changes it, so nothing is skipped.
    EXPECT_TRUE(changed(*left));
    // A partial redraw changes only its part of the screen.
    p->drawing().copy(*view, QRect(10, 10, 5, 5), *right, QPoint(10, 10));
    view->present(QRegion(10, 10, 5, 5));
    const MonitorChanges own = changes(*left);
    EXPECT_TRUE(own.region.contains(QPoint(100 + 12, 100 + 12))) << "where the window is, at least";
    EXPECT_FALSE(own.region.contains(QPoint(100 + 400, 100 + 300)));
}

TEST_F(X11Damage, ModeChangeOfTheScreenChangesEverything) {
    if (!isXorgDummy()) GTEST_SKIP() << "mode changes need the Xorg dummy server";
    changes(*right);
    changes(*left);
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", "1280x1024_75"}),
              0);
    EXPECT_TRUE(changes(*right).all);
    EXPECT_FALSE(changed(*right));
    // A change of the other monitor's mode, nothing drawn on this one: the
    // screen was reconfigured, which counts everywhere.
    changes(*left);
    ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY0", "--mode", "1280x1024"}), 0);
    EXPECT_TRUE(changes(*right).all);
    EXPECT_TRUE(changes(*left).all);
}
