// Operating the watched monitor from the view, with input that arrives from
// outside the program as a user's mouse does (xdotool): forwarded double
// clicks, the popup menu, mouse pursuit and dragging the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include "app_support.h"

namespace orvane::e2e {
namespace {

struct PointerTest : AppTest {
    // Waits until the pointer stands at p.
    bool pointerReaches(QPoint p, int timeoutMs = 2000) {
        QElapsedTimer t;
        t.start();
        while (client.pointer() != p && t.elapsed() < timeoutMs) processEvents(20);
        return client.pointer() == p;
    }
    void dragsTheWindow(const std::string& settings);
    void scaledDesktopKeepsPixels(const QStringList& environment, bool onTheRight = false);
    static void expectClicks(const std::vector<TestClient::ButtonEvent>& events, int button, QPoint at,
                             std::size_t count) {
        ASSERT_EQ(events.size(), count);
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].press, i % 2 == 0) << i;
            EXPECT_EQ(events[i].button, button) << i;
            EXPECT_EQ(QPoint(events[i].rootX, events[i].rootY), at) << i;
        }
    }
};

TEST_F(PointerTest, DoubleClickInTheViewDoubleClicksTheWatchedMonitor) {
    client.showImage(right, codedImage(right.size()));  // records the buttons it receives
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nDoubleClick= 5\r\n" +
                         kFillLeftMonitor);
    const ViewOnScreen view = waitForPicture(1, 15000);
    ASSERT_TRUE(view.whole());
    const QPoint p = *view.origin + QPoint(700, 400);  // shows monitor pixel 700, 400
    ASSERT_TRUE(
        xdotool({"mousemove", num(p.x()), num(p.y()), "click", "--repeat", "2", "--delay", "80", "1"}));
    auto events = client.buttonEvents(4);
    processEvents(300);  // nothing more may follow
    events = client.buttonEvents(4);
    expectClicks(events, 1, QPoint(1920 + 700, 400), 4);
    EXPECT_TRUE(pointerReaches(p)) << "the pointer returns to the view";
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(PointerTest, ThePopupMovesThePointerAndClicksAtTheMappedPoint) {
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nZoom= 50\r\n" +
                         kFillLeftMonitor);
    const ViewOnScreen view = waitForPicture(2, 15000);
    ASSERT_TRUE(view.whole());
    const QPoint p = *view.origin + QPoint(300, 200);  // monitor pixel 600, 400
    const QPoint target(1920 + 600, 400);

    // The popup opens at the pointer; its first entry moves the pointer there.
    ASSERT_TRUE(xdotool({"mousemove", num(p.x()), num(p.y()), "click", "3"}));
    processEvents(900);  // one double-click time and the menu's appearance
    ASSERT_TRUE(xdotool({"mousemove", num(p.x() + 40), num(p.y() + 10), "click", "1"}));
    EXPECT_TRUE(pointerReaches(target)) << "この位置へ移動";
    EXPECT_TRUE(client.buttonEvents(1).empty()) << "moving clicks nothing";

    // Action > Left button > Click, chosen with the keyboard.
    ASSERT_TRUE(xdotool({"mousemove", num(p.x()), num(p.y()), "click", "3"}));
    processEvents(900);
    ASSERT_TRUE(xdotool({"key", "a", "l", "Return"}));
    auto events = client.buttonEvents(2);
    expectClicks(events, 1, target, 2);
    EXPECT_TRUE(pointerReaches(p));
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(PointerTest, PursuitFollowsThePointerToTheOtherMonitor) {
    client.showImage(right, codedImage(right.size()));
    ASSERT_TRUE(xdotool({"mousemove", "300", "300"}));
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() +
                         "\r\nCursor= 4\r\nInterval= 100\r\nMousePursuit= 1\r\n" + kFillLeftMonitor);
    processEvents(3000);  // started, watching the pointer's own monitor
    EXPECT_FALSE(findView(screen(), QRect(600, 350, 700, 400), 1).whole()) << "not the right monitor yet";

    ASSERT_TRUE(xdotool({"mousemove", num(1920 + 10), "10"}));
    QElapsedTimer t;
    t.start();
    ViewOnScreen near = waitForPicture(1, 3000);
    ASSERT_TRUE(near.whole()) << "switched to the pointer's monitor";
    EXPECT_LT(t.elapsed(), 1500);
    // To the far corner: the view scrolls after it, by the whole range.
    ASSERT_TRUE(xdotool({"mousemove", num(1920 + 1910), "1070"}));
    ViewOnScreen far;
    t.restart();
    do {
        far = waitForPicture(1, 500);
    } while ((!far.whole() || far.origin == near.origin) && t.elapsed() < 3000);
    ASSERT_TRUE(far.whole());
    EXPECT_LT(far.origin->x(), near.origin->x());
    EXPECT_LT(far.origin->y(), near.origin->y());
    EXPECT_EQ(orvane.terminate(), 0);
}

// Ctrl + left drag on the view moves the window by the way the pointer goes
// after the drag began, with a window manager or without one.
void PointerTest::dragsTheWindow(const std::string& settings) {
    OrvaneProcess orvane(settings);
    const QRect region(500, 400, 500, 300);
    ASSERT_TRUE(waitForPicture(1, 15000, region).whole());
    // The start-up puts the frame in place once the decoration is known.
    processEvents(2200);
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
    const QPoint moved = *after.origin - *before.origin;
    // The first step starts the drag; the window follows the other two.
    EXPECT_NEAR(moved.x(), 70, 3);
    EXPECT_NEAR(moved.y(), 70, 3);
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(PointerTest, CtrlDragMovesTheWindowUnderAWindowManager) {
    WindowManager wm;
    if (!wm.running()) GTEST_SKIP() << "openbox is not available";
    client.showImage(right, codedImage(right.size()));
    dragsTheWindow("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\n" +
                   placement(QRect(100, 100, 1300, 850)));
}

TEST_F(PointerTest, CtrlDragMovesTheWindowWithoutAWindowManager) {
    client.showImage(right, codedImage(right.size()));
    dragsTheWindow("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\n" +
                   placement(QRect(100, 100, 1300, 850)));
}

}  // namespace
}  // namespace orvane::e2e

namespace orvane::e2e {
namespace {

// The whole desktop scaled by two: the window's widgets are twice as large,
// yet the view still shows the monitor pixel for pixel at 100 % and a
// forwarded click lands on the monitor pixel the user pointed at, also from
// the right monitor (Qt's logical pixels keep its corner at 1920, 0).
void PointerTest::scaledDesktopKeepsPixels(const QStringList& environment, bool onTheRight) {
    const QRect left(0, 0, 1920, 1080);
    const QRect holder = onTheRight ? right : left, shown = onTheRight ? left : right;
    client.showImage(shown, codedImage(shown.size()));
    // 960 x 540 of Qt's logical pixels: the whole monitor.
    OrvaneProcess orvane("[Main]\r\nDisplay=" + (onTheRight ? std::string(isXorgDummy() ? "DUMMY0" : "LEFT")
                                                           : watched()) +
                             "\r\nCursor= 4\r\nDoubleClick= 5\r\n" + placement(QRect(holder.x(), 0, 960, 540)),
                         false, {}, environment);
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
    auto events = client.buttonEvents(4);
    processEvents(300);
    events = client.buttonEvents(4);
    expectClicks(events, 1, shown.topLeft() + QPoint(701, 403), 4);
    EXPECT_TRUE(pointerReaches(p));
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(PointerTest, WithQtScaleFactorTwoTheViewIsPixelExactAndClicksLandWherePointed) {
    scaledDesktopKeepsPixels({"QT_SCALE_FACTOR=2"});
}

TEST_F(PointerTest, WithQtScaleFactorTwoClicksFromTheRightMonitorLandWherePointed) {
    scaledDesktopKeepsPixels({"QT_SCALE_FACTOR=2"}, true);
}

TEST_F(PointerTest, WithXftDpi192TheViewIsPixelExactAndClicksLandWherePointed) {
    // What desktops set for a high-density screen; Qt scales by two from it.
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
    scaledDesktopKeepsPixels({});
}

}  // namespace
}  // namespace orvane::e2e
