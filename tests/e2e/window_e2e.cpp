// The main window's frame on the real server, operated as a user does
// (xdotool through the view's popup menu): the title bar toggle changes only
// the caption, and full screen covers the monitor and comes back, with a
// window manager (openbox) and without one.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <cstdlib>
#include <sstream>

#include "app_support.h"

namespace orvane::e2e {
namespace {

// A connection of the test's own that watches Orvane's top-level window.
class WindowWatch {
public:
    WindowWatch() : c_(xcb_connect(server().display().c_str(), nullptr)) {}
    ~WindowWatch() { xcb_disconnect(c_); }
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // Finds the visible window titled オルヴァン and starts listening to it.
    bool find() {
        std::string out;
        runWithDisplay(server().display(), {"xdotool", "search", "--onlyvisible", "--name", "オルヴァン"},
                       &out);
        std::istringstream ids(out);
        unsigned long id = 0;
        int best = 0;
        while (ids >> id) {
            const QRect r = rectOf(static_cast<xcb_window_t>(id));
            if (r.width() * r.height() > best) {
                best = r.width() * r.height();
                window_ = static_cast<xcb_window_t>(id);
            }
        }
        if (window_ == XCB_NONE) return false;
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, window_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        return true;
    }
    // The client window's rectangle on the screen.
    QRect client() { return rectOf(window_); }
    // The outermost window holding it: the window manager's frame, or itself.
    QRect frame() {
        xcb_window_t w = window_;
        for (;;) {
            auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
            if (!tree) return {};
            const xcb_window_t parent = tree->parent;
            const xcb_window_t root = tree->root;
            std::free(tree);
            if (parent == root) break;
            w = parent;
        }
        return rectOf(w);
    }
    // Unmap events seen since the last call.
    int unmaps() {
        int n = 0;
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
            if ((e->response_type & 0x7f) == XCB_UNMAP_NOTIFY) ++n;
            std::free(e);
        }
        return n;
    }
    bool viewable() {
        auto* a = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window_), nullptr);
        const bool v = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        return v;
    }

private:
    QRect rectOf(xcb_window_t w) {
        auto* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
        if (!g) return {};
        const xcb_window_t root = g->root;
        QRect r(0, 0, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
        std::free(g);
        auto* t = xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, w, root, 0, 0), nullptr);
        if (t) r.moveTo(t->dst_x, t->dst_y);
        std::free(t);
        return r;
    }
    xcb_connection_t* c_;
    xcb_window_t window_ = XCB_NONE;
};

struct WindowTest : AppTest {
    const QRect placed{100, 100, 1300, 850};
    const QRect region{500, 400, 500, 300};  // inside the view wherever the frame is
    std::string settings() {
        return "[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nInterval= 60000\r\n" + placement(placed);
    }
    // Chooses an entry of the view's popup menu by its keys, as a user may.
    static void popup(const std::vector<std::string>& keys, QPoint at) {
        ASSERT_TRUE(xdotool({"mousemove", num(at.x()), num(at.y()), "click", "3"}));
        processEvents(900);
        std::vector<std::string> args{"key"};
        args.insert(args.end(), keys.begin(), keys.end());
        ASSERT_TRUE(xdotool(args));
        processEvents(600);
    }
    template <typename F>
    static bool eventually(F done, int ms = 3000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) processEvents(50);
        return done();
    }
};

TEST_F(WindowTest, TheTitleBarToggleKeepsTheWindowMappedInPlaceWithItsBorder) {
    WindowManager wm;
    if (!wm.running()) GTEST_SKIP() << "openbox is not available";
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane(settings());
    ASSERT_TRUE(waitForPicture(1, 15000, region).whole());
    processEvents(2200);  // the start-up puts the frame in place once the decoration is known
    WindowWatch watch;
    ASSERT_TRUE(watch.find());
    const QRect frame = watch.frame();
    const QRect inner = watch.client();
    ASSERT_GT(inner.top() - frame.top(), 10) << "a caption above the client";
    watch.unmaps();

    popup({"v", "i"}, region.center());  // 表示 > タイトルバー
    EXPECT_TRUE(eventually([&] { return watch.client().top() - watch.frame().top() < 10; }))
        << "caption gone";
    EXPECT_EQ(watch.frame().topLeft(), frame.topLeft()) << "the frame stays where it was";
    EXPECT_GT(watch.client().left(), watch.frame().left()) << "a border to resize by";
    EXPECT_EQ(watch.unmaps(), 0) << "never unmapped";
    EXPECT_TRUE(watch.viewable());

    popup({"v", "i"}, region.center());
    EXPECT_TRUE(eventually([&] { return watch.client().top() - watch.frame().top() > 10; }))
        << "caption back";
    EXPECT_EQ(watch.frame().topLeft(), frame.topLeft());
    EXPECT_EQ(watch.unmaps(), 0);
    EXPECT_EQ(orvane.terminate(), 0);
}

// The stored placement is the frame's: every start puts the frame there and
// saves it unchanged, with the caption or without, and after a start in full
// screen that the user leaves.
TEST_F(WindowTest, ThePlacementSurvivesEveryStartUnderAWindowManager) {
    WindowManager wm;
    if (!wm.running()) GTEST_SKIP() << "openbox is not available";
    client.showImage(right, codedImage(right.size()));
    const std::string stored = placement(placed).substr(std::string("[View]\r\n").size());
    for (const char* extra : {"", "", "TitleBar= 0\r\n", "FullScreen= 1\r\n"}) {
        SCOPED_TRACE(extra);
        OrvaneProcess orvane(settings() + extra);
        ASSERT_TRUE(waitForPicture(1, 15000, region).whole());
        processEvents(2200);  // the start-up puts the frame in place once the decoration is known
        if (std::string(extra).find("FullScreen") != std::string::npos) popup({"v", "f"}, QPoint(960, 540));
        WindowWatch watch;
        ASSERT_TRUE(watch.find());
        EXPECT_TRUE(eventually([&] { return watch.frame() == placed; }))
            << watch.frame().x() << "," << watch.frame().y() << " " << watch.frame().width() << "x"
            << watch.frame().height();
        EXPECT_EQ(orvane.terminate(), 0);
        EXPECT_NE(orvane.savedSettings().find(stored), std::string::npos) << orvane.savedSettings();
    }
}

// Full screen covers the left monitor, then the window comes back exactly,
// without a window manager and with one.
TEST_F(WindowTest, FullScreenCoversTheMonitorAndComesBack) {
    client.showImage(right, codedImage(right.size()));
    for (const bool withWm : {false, true}) {
        SCOPED_TRACE(withWm ? "openbox" : "no window manager");
        std::optional<WindowManager> wm;
        if (withWm && !wm.emplace().running()) GTEST_SKIP() << "openbox is not available";
        OrvaneProcess orvane(settings());
        ASSERT_TRUE(waitForPicture(1, 15000, region).whole());
        processEvents(2200);  // the start-up puts the frame in place once the decoration is known
        WindowWatch watch;
        ASSERT_TRUE(watch.find());
        const QRect frame = watch.frame();
        const QRect monitor(0, 0, 1920, 1080);

        popup({"v", "f"}, region.center());  // 表示 > フル画面
        EXPECT_TRUE(eventually([&] {
            const QRect c = watch.client();
            return withWm ? monitor.contains(c) && c.width() >= 1900 && c.height() >= 1060 : c == monitor;
        })) << "covers the monitor: " << watch.client().x() << "," << watch.client().y() << " "
            << watch.client().width() << "x" << watch.client().height();

        popup({"v", "f"}, QPoint(960, 540));
        EXPECT_TRUE(eventually([&] { return watch.frame() == frame; }))
            << "back at " << watch.frame().x() << "," << watch.frame().y() << " " << watch.frame().width()
            << "x" << watch.frame().height();
        EXPECT_EQ(orvane.terminate(), 0);
        EXPECT_NE(orvane.savedSettings().find("FullScreen= 0\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace orvane::e2e
