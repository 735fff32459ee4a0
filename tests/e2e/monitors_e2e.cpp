// The real program while the monitors change under it on the Xorg dummy
// server: outputs switched off and on, moved, given another mode, monitors
// added and removed; and the X server going away.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "app_support.h"

namespace orvane::e2e {
namespace {

int xrandr(std::vector<std::string> args) {
    args.insert(args.begin(), "xrandr");
    return runWithDisplay(server().display(), args);
}

TEST_F(AppTest, FollowsTheWatchedMonitorOffMovedAndBack) {
    if (!isXorgDummy()) GTEST_SKIP() << "Xvfb cannot switch outputs off";
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane("[Main]\r\nDisplay=DUMMY1\r\nCursor= 4\r\nInterval= 100\r\n" + kFillLeftMonitor);
    const ViewOnScreen before = waitForPicture(1, 15000);
    ASSERT_TRUE(before.whole());

    // Off: the view turns to what the reload chooses (its own monitor).
    ASSERT_EQ(xrandr({"--output", "DUMMY1", "--off"}), 0);
    processEvents(1500);
    EXPECT_FALSE(findView(screen(), QRect(600, 350, 700, 400), 1).whole());

    // On again, now below the first monitor: the view returns to DUMMY1 and
    // reads it where it is now (the old place lies outside the screen).
    ASSERT_EQ(xrandr({"--output", "DUMMY1", "--auto", "--pos", "0x1080"}), 0);
    client.showImage(QRect(0, 1080, 1920, 1080), codedImage(right.size()));
    const ViewOnScreen back = waitForPicture(1, 10000);
    EXPECT_TRUE(back.whole()) << "DUMMY1 watched again at its new place";
    EXPECT_EQ(back.origin, before.origin);

    // Another mode: the view takes the new size (centred in the frame, as
    // smaller than it); past its right edge the picture ends.
    ASSERT_EQ(xrandr({"--output", "DUMMY1", "--mode", "1280x1024"}), 0);
    QElapsedTimer t;
    t.start();
    bool shrunk = false;
    while (!shrunk && t.elapsed() < 10000) {
        processEvents(100);
        const QImage shot = screen();
        const ViewOnScreen now = findView(shot, QRect(800, 400, 300, 300), 1);
        if (!now.whole() || now.origin == back.origin) continue;
        const QPoint last = *now.origin + QPoint(1279, 500);
        const QPoint beyond = *now.origin + QPoint(1290, 500);
        shrunk = decode(shot.pixel(last)) == QPoint(1279, 500) && decode(shot.pixel(beyond)) != QPoint(1290, 500);
    }
    EXPECT_TRUE(shrunk) << "the view shows 1280 pixels of the monitor, no more";

    // Monitors defined and removed by hand: the program keeps running.
    ASSERT_EQ(xrandr({"--setmonitor", "EXTRA", "960/254x540/143+0+0", "none"}), 0);
    processEvents(600);
    ASSERT_EQ(xrandr({"--delmonitor", "EXTRA"}), 0);
    processEvents(600);
    EXPECT_TRUE(waitForPicture(1, 5000, QRect(800, 400, 300, 300)).whole());

    EXPECT_EQ(orvane.terminate(), 0);
    EXPECT_NE(orvane.savedSettings().find("Display=DUMMY1\r\n"), std::string::npos) << orvane.savedSettings();
}

TEST(AppEnd, WhenTheXServerDiesItSaysSoAndLeavesTheSettingsIntact) {
    // A server of its own: the test's own connection must outlive it.
    std::string why;
    auto doomed = XServer::start(XServer::Kind::Xvfb, why);
    if (!doomed) GTEST_SKIP() << "no second X server: " << why;
    const std::string settings = "[Main]\r\nDisplay=RIGHT\r\nCursor= 4\r\nInterval= 100\r\n" + kFillLeftMonitor;
    OrvaneProcess orvane(settings, true, doomed->display());
    processEvents(3000);  // started and ticking
    ASSERT_EQ(orvane.waitForExit(0), -2) << orvane.errorOutput();
    doomed->kill();
    const int code = orvane.waitForExit(10000);
    EXPECT_GT(code, 0) << "ends with a failure code, not a crash";
    const std::string errors = orvane.errorOutput();
    EXPECT_NE(errors.find("orvane: lost the connection to the X server"), std::string::npos) << errors;
    EXPECT_EQ(orvane.savedSettings(), settings) << "the settings file is untouched";
}

}  // namespace
}  // namespace orvane::e2e
