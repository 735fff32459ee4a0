// The main window's frame on the real server, with a window manager (openbox)
// and without one, operated as a user does (xdotool through the view's popup
// menu, Ctrl + drag on the view).
#include <sstream>

#include "support.h"

namespace orvane::e2e {
namespace {

// Orvane's main window (the largest of its top-level windows), seen from a connection of our own.
class WindowWatch {
public:
    WindowWatch() {
        std::string out;
        run("xdotool", {"search", "--onlyvisible", "--name", "オルヴァン"}, &out);
        std::istringstream ids(out);
        const auto area = [&](xcb_window_t w) { return rectOf(w).width() * rectOf(w).height(); };
        for (xcb_window_t id = 0; ids >> id;)
            if (area(id) > area(window_)) window_ = id;
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c(), window_, XCB_CW_EVENT_MASK, &mask);
        tc_.sync();
    }
    QRect client() { return rectOf(window_); }
    // The outermost window holding it: the window manager's frame, or itself.
    QRect frame() {
        for (xcb_window_t w = window_;;) {
            auto* tree = xcb_query_tree_reply(c(), xcb_query_tree(c(), w), nullptr);
            if (!tree) return {};
            const xcb_window_t parent = tree->parent, root = tree->root;
            std::free(tree);
            if (parent == root) return rectOf(w);
            w = parent;
        }
    }
    // Unmap events seen since the last call.
    int unmaps() {
        int n = 0;
        for (xcb_generic_event_t* e; (e = xcb_poll_for_event(c())); std::free(e))
            n += (e->response_type & 0x7f) == XCB_UNMAP_NOTIFY;
        return n;
    }

private:
    xcb_connection_t* c() const { return tc_.conn(); }
    QRect rectOf(xcb_window_t w) {
        auto* g = xcb_get_geometry_reply(c(), xcb_get_geometry(c(), w), nullptr);
        auto* t = g ? xcb_translate_coordinates_reply(c(), xcb_translate_coordinates(c(), w, g->root, 0, 0),
                                                      nullptr)
                    : nullptr;
        const QRect r =
            t ? QRect(t->dst_x, t->dst_y, g->width + 2 * g->border_width, g->height + 2 * g->border_width)
              : QRect();
        std::free(t);
        std::free(g);
        return r;
    }
    TestClient tc_;
    xcb_window_t window_ = XCB_NONE;
};

// Chooses an entry of the view's popup menu's 表示 by its key, as a user may.
void popup(const char* key, QPoint at) {
    ASSERT_TRUE(run("xdotool", {"mousemove", num(at.x()), num(at.y()), "click", "3"}));
    QTest::qWait(900);
    ASSERT_TRUE(run("xdotool", {"key", "v", key}));
    QTest::qWait(600);
}

// openbox has taken the screen once it names itself on the root window.
bool startOpenbox(QProcess& wm) {
    wm.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    std::string out;
    const auto named = [&] {
        return run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, &out) && out.find("window id") != out.npos;
    };
    return wm.waitForStarted(5000) &&
           QTest::qWaitFor([&] { return wm.state() != QProcess::Running || named(); }, 10000) &&
           wm.state() == QProcess::Running;
}

// Every start puts the frame where it was stored and saves where it is at the end, with the caption
// or without, and after a start in full screen the user leaves; between, the user changes the frame.
using WindowTest = AppTest;

TEST_F(WindowTest, ThePlacementAndThePictureSurviveEveryStartAndEveryChangeOfTheFrame) {
    const QRect placed(100, 100, 1300, 850), monitor(0, 0, 1920, 1080);
    const QRect region(500, 400, 500, 300);  // inside the view wherever the frame is
    client.showImage(kRight, image(kRight.size(), codedPixel));
    QProcess wm;  // once started, for the rest (ended with the test)
    for (const auto& [withWm, extra] :
         {std::pair{false, ""}, std::pair{true, ""}, std::pair{true, "TitleBar= 0\r\n"},
          std::pair{true, "FullScreen= 1\r\n"}}) {
        SCOPED_TRACE(std::string(withWm ? "openbox " : "no window manager ") + extra);
        if (withWm && wm.state() == QProcess::NotRunning && !startOpenbox(wm)) GTEST_SKIP() << "no openbox";
        OrvaneProcess orvane(settings("Interval= 60000\r\n", placed) + extra);  // extra: a [View] key
        ASSERT_TRUE(waitForPicture(15000, region));
        QTest::qWait(2200);  // the start-up puts the frame in place once the decoration is known
        if (std::string(extra).starts_with("FullScreen")) popup("f", monitor.center());
        WindowWatch watch;
        ASSERT_TRUE(QTest::qWaitFor([&] { return watch.frame() == placed; }));

        if (!withWm) {
            // Uncovered, the view shows its picture at once, a minute before the next tick.
            const QRgb grey = qRgb(0x80, 0x80, 0x80);
            const xcb_window_t cover =
                client.showImage(QRect(450, 350, 400, 300), solid(QSize(400, 300), grey));
            QTest::qWait(200);
            ASSERT_EQ(screen().pixel(600, 500), grey);
            client.destroy(cover);
            QTest::qWait(300);
            EXPECT_TRUE(findView(screen(), region));
        }
        if (!*extra) {
            // 表示 > タイトルバー: only the caption goes and comes back; the frame stays, mapped, bordered.
            for (const bool caption : {false, true}) {
                if (!withWm) break;
                watch.unmaps();
                popup("i", region.center());
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] { return (watch.client().top() - watch.frame().top() > 10) == caption; }));
                EXPECT_EQ(watch.frame().topLeft(), placed.topLeft());
                EXPECT_GT(watch.client().left(), watch.frame().left());
                EXPECT_EQ(watch.unmaps(), 0) << "never unmapped";
            }
            // 表示 > フル画面: the client covers the monitor (the window manager
            // may keep a border), and the frame comes back exactly.
            popup("f", region.center());
            EXPECT_TRUE(QTest::qWaitFor([&] {
                const QRect c = watch.client();
                return withWm ? monitor.contains(c) && c.width() >= 1900 && c.height() >= 1060 : c == monitor;
            }));
            popup("f", monitor.center());
            EXPECT_TRUE(QTest::qWaitFor([&] { return watch.frame() == placed; }));

            // Ctrl + left drag on the view: the first step starts the drag, the window follows the rest.
            const QPoint p = region.center();
            ASSERT_TRUE(
                run("xdotool", {"mousemove", num(p.x()), num(p.y()), "keydown", "ctrl", "mousedown", "1"}));
            QTest::qWait(100);
            for (const char* step : {"3", "30", "40"}) {
                ASSERT_TRUE(run("xdotool", {"mousemove_relative", "--", step, step}));
                QTest::qWait(150);
            }
            ASSERT_TRUE(run("xdotool", {"mouseup", "1", "keyup", "ctrl"}));
            EXPECT_TRUE(QTest::qWaitFor([&] {
                return (watch.frame().topLeft() - placed.topLeft() - QPoint(70, 70)).manhattanLength() <= 4;
            }));
        }
        const QRect last = watch.frame();
        EXPECT_EQ(orvane.terminate(), 0);
        const std::string saved = orvane.savedSettings();
        EXPECT_NE(saved.find(placement(last).substr(8)), std::string::npos);
        EXPECT_NE(saved.find("FullScreen= 0\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace orvane::e2e
