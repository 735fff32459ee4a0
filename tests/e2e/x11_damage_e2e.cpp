// A monitor context's changes on the real server: DAMAGE on the root reports
// where drawing into windows on the watched monitor landed, ignores drawing on
// the other one (Orvane's own view included), and a screen change changes all.
#include <algorithm>

#include "support.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

class X11Damage : public ::testing::Test {
protected:
    void SetUp() override {
        p = backend();
        left = p->monitors().openMonitor(isXorgDummy() ? "DUMMY0" : "LEFT");
        right = p->monitors().openMonitor(watched());
        ASSERT_TRUE(left && right);
    }
    // The changes once the server has sent every report so far: a round trip comes after them.
    MonitorChanges changes(MonitorContext& m) {
        settle(*p);
        return m.takeChanges();
    }
    // Fills r of a window (root coordinates for the root), drawn on return with wait.
    void fill(xcb_drawable_t d, const QRect& r, std::uint32_t pixel, bool wait = true) {
        const xcb_gcontext_t gc = xcb_generate_id(tc.conn());
        xcb_create_gc(tc.conn(), gc, d, XCB_GC_FOREGROUND, &pixel);
        const xcb_rectangle_t rect{static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                                   static_cast<std::uint16_t>(r.width()),
                                   static_cast<std::uint16_t>(r.height())};
        xcb_poly_fill_rectangle(tc.conn(), d, gc, 1, &rect);
        xcb_free_gc(tc.conn(), gc);
        wait ? tc.sync() : void(xcb_flush(tc.conn()));
    }

    TestClient tc;
    std::unique_ptr<Platform> p;
    std::unique_ptr<MonitorContext> left, right;
};

}  // namespace

TEST_F(X11Damage, DrawingOnTheWatchedMonitorIsReportedWhereItLandedAndNeverLostNorElsewhere) {
    const xcb_window_t w = tc.showImage(kRight, image(kRight.size(), patternPixel));
    EXPECT_TRUE(changes(*right).all);  // a new context has seen nothing yet
    QTest::qWait(100);
    EXPECT_FALSE(changes(*right).any());
    // Drawn into an inferior of the root: the root's damage includes its windows.
    fill(w, QRect(500, 400, 1, 1), 0x00ff00);
    EXPECT_EQ(changes(*right).region, QRegion(500, 400, 1, 1));
    EXPECT_FALSE(changes(*right).any());
    // The same pixel again: reported again after the changes were taken.
    fill(w, QRect(500, 400, 1, 1), 0x0000ff);
    fill(w, QRect(20, 30, 40, 10), 0x0000ff);
    EXPECT_EQ(changes(*right).region, QRegion(500, 400, 1, 1) + QRegion(20, 30, 40, 10));
    tc.showImage(QRect(3839, 1079, 1, 1), solid(QSize(1, 1), 0));  // the monitor's last pixel
    EXPECT_TRUE(changes(*right).region.contains(QPoint(1919, 1079)));

    // Another client draws while the changes are taken again and again, or draws hundreds of dots
    // between two takes (which come as few rectangles): each drawing shows up in one of the takes.
    for (const int takeEvery : {3, 1000}) {
        QRegion seen;
        std::vector<QRect> drawn;
        for (int i = 0; i < 600; ++i) {
            drawn.emplace_back((i * 37) % 1900, (i * 53) % 1070, 1 + i % 5, 1 + i % 3);
            fill(w, drawn.back(), 0x010101U * static_cast<std::uint32_t>(i % 256), false);
            if (i % takeEvery == 0) seen += right->takeChanges().region;
        }
        tc.sync();
        const QRegion last = changes(*right).region;
        EXPECT_LE(last.rectCount(), takeEvery == 1000 ? 256 : 10000);
        seen += last;
        EXPECT_TRUE(
            std::all_of(drawn.begin(), drawn.end(), [&](const QRect& r) { return seen.contains(r); }));
    }

    // Drawing on the other monitor, or by the view there, does not count.
    auto frame = showFrame(QRect(100, 100, 800, 600));
    auto view = p->drawing().createView(frame.get());
    view->setGeometry(QRect(0, 0, 800, 600), frame->size());
    QTest::qWait(50);
    changes(*right);
    changes(*left);
    // Straight into the root, up to the column next to the watched monitor.
    fill(tc.root(), QRect(1919, 0, 1, 1080), 0xff0000);
    EXPECT_FALSE(changes(*right).any());
    const QRegion l = changes(*left).region;
    EXPECT_TRUE(l.contains(QPoint(1919, 500)) && !l.contains(QPoint(1000, 800)));

    // The view's own drawing is no change of another monitor, but each tick changes its own monitor
    // (nothing is skipped when it watches that one), a partial redraw only its part.
    for (int i = 0; i < 3; ++i) {
        p->drawing().copy(*view, QRect(0, 0, 800, 600), *right, QPoint(i * 10, 0));
        view->present();
        EXPECT_FALSE(changes(*right).any()) << "tick " << i;
    }
    EXPECT_TRUE(changes(*left).any());
    p->drawing().copy(*view, QRect(10, 10, 5, 5), *right, QPoint(10, 10));
    view->present(QRegion(10, 10, 5, 5));
    const QRegion own = changes(*left).region;
    EXPECT_TRUE(own.contains(QPoint(100 + 12, 100 + 12)) && !own.contains(QPoint(100 + 400, 100 + 300)));

    // A new mode of this monitor or of the other one reconfigures the screen: everything changed.
    if (isXorgDummy()) {
        ASSERT_TRUE(run("xrandr", {"--output", "DUMMY1", "--mode", "1280x1024_75"}));
        EXPECT_TRUE(changes(*right).all);
        EXPECT_FALSE(changes(*right).any());
        changes(*left);
        ASSERT_TRUE(run("xrandr", {"--output", "DUMMY0", "--mode", "1280x1024"}));
        EXPECT_TRUE(changes(*right).all);
        EXPECT_TRUE(changes(*left).all);
    }

    // Without DAMAGE every take says that everything may have changed.
    x11::Options o;
    o.useDamage = false;
    auto plain = backend(o);
    auto m = plain->monitors().openMonitor(watched());
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(m->takeChanges().all);
}
