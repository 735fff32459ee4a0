// Operating the watched monitor from the view with input that arrives from
// outside the program as a user's mouse does (xdotool), where the real server
// matters: forwarded clicks on a scaled desktop, and dragging the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include "app_support.h"

namespace orvane::e2e {
namespace {

using PointerTest = AppTest;

// Ctrl + left drag on the view moves the window by the way the pointer goes
// after the drag began, without a window manager and with one.
TEST_F(PointerTest, CtrlDragMovesTheWindowWithAndWithoutAWindowManager) {
    client.showImage(right, codedImage(right.size()));
    for (const bool withWm : {false, true}) {
        SCOPED_TRACE(withWm ? "openbox" : "no window manager");
        std::optional<WindowManager> wm;
        if (withWm && !wm.emplace().running()) GTEST_SKIP() << "openbox is not available";
        OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\n" +
                             placement(QRect(100, 100, 1300, 850)));
        const QRect region(500, 400, 500, 300);
        ASSERT_TRUE(waitForPicture(1, 15000, region).whole());
        processEvents(2200);  // the start-up puts the frame in place once the decoration is known
        const ViewOnScreen before = waitForPicture(1, 15000, region);
        ASSERT_TRUE(before.whole());
        const QPoint p = *before.origin + QPoint(300, 250);
        ASSERT_TRUE(xdotool({"mousemove", num(p.x()), num(p.y()), "keydown", "ctrl", "mousedown", "1"}));
        processEvents(100);
        for (const char* step : {"3", "30", "40"}) {
            ASSERT_TRUE(xdotool({"mousemove_relative", "--", step, step}));
            processEvents(150);
        }
        ASSERT_TRUE(xdotool({"mouseup", "1", "keyup", "ctrl"}));
        const ViewOnScreen after = waitForPicture(1, 5000, region.translated(70, 70));
        ASSERT_TRUE(after.whole());
        // The first step starts the drag; the window follows the other two.
        const QPoint moved = *after.origin - *before.origin;
        EXPECT_NEAR(moved.x(), 70, 3);
        EXPECT_NEAR(moved.y(), 70, 3);
        EXPECT_EQ(orvane.terminate(), 0);
    }
}

// The whole desktop scaled by two (QT_SCALE_FACTOR, or Xft.dpi as desktops
// set it for a high-density screen): the widgets are twice as large, yet the
// view shows the monitor pixel for pixel at 100 % and a forwarded double click
// lands on the monitor pixel the user pointed at, also from the right monitor
// (Qt's logical pixels keep its corner at 1920, 0).
TEST_F(PointerTest, OnADesktopScaledByTwoTheViewIsPixelExactAndClicksLandWherePointed) {
    struct Case {
        const char* environment;
        bool onTheRight;
    };
    for (const Case c : {Case{"QT_SCALE_FACTOR=2", false}, Case{"QT_SCALE_FACTOR=2", true}, Case{"", false}}) {
        SCOPED_TRACE(std::string(c.environment) + (c.onTheRight ? " right" : " left"));
        if (!*c.environment) {
            QProcess xrdb;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("DISPLAY", QString::fromStdString(server().display()));
            xrdb.setProcessEnvironment(env);
            xrdb.start("xrdb", {"-merge"});
            ASSERT_TRUE(xrdb.waitForStarted(5000));
            xrdb.write("Xft.dpi: 192\n");
            xrdb.closeWriteChannel();
            ASSERT_TRUE(xrdb.waitForFinished(5000));
            ASSERT_EQ(xrdb.exitCode(), 0);
        }
        const QRect left(0, 0, 1920, 1080);
        const QRect holder = c.onTheRight ? right : left, shown = c.onTheRight ? left : right;
        TestClient clicks;  // records the buttons it receives, this case's only
        clicks.showImage(shown, codedImage(shown.size()));
        const std::string name = c.onTheRight ? (isXorgDummy() ? "DUMMY0" : "LEFT") : watched();
        // 960 x 540 of Qt's logical pixels: the whole monitor.
        OrvaneProcess orvane("[Main]\r\nDisplay=" + name + "\r\nCursor= 4\r\nDoubleClick= 5\r\n" +
                                 placement(QRect(holder.x(), 0, 960, 540)),
                             false, {}, *c.environment ? QStringList{c.environment} : QStringList{});
        ViewOnScreen view;
        QElapsedTimer t;
        t.start();
        do {
            processEvents(100);
            view = findView(backend->drawing().grab(holder), QRect(600, 350, 700, 400), 1);
        } while (!view.whole() && t.elapsed() < 15000);
        ASSERT_TRUE(view.whole()) << "one monitor pixel in one screen pixel";
        const QPoint p = holder.topLeft() + *view.origin + QPoint(701, 403);  // an odd pixel: no rounding
        ASSERT_TRUE(
            xdotool({"mousemove", num(p.x()), num(p.y()), "click", "--repeat", "2", "--delay", "80", "1"}));
        clicks.buttonEvents(4);
        processEvents(300);  // nothing more may follow
        const auto events = clicks.buttonEvents(4);
        ASSERT_EQ(events.size(), 4U);
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].press, i % 2 == 0) << i;
            EXPECT_EQ(events[i].button, 1) << i;
            EXPECT_EQ(QPoint(events[i].rootX, events[i].rootY), shown.topLeft() + QPoint(701, 403)) << i;
        }
        t.restart();
        while (client.pointer() != p && t.elapsed() < 2000) processEvents(20);
        EXPECT_EQ(client.pointer(), p) << "the pointer returns to the view";
        EXPECT_EQ(orvane.terminate(), 0);
    }
}

}  // namespace
}  // namespace orvane::e2e
