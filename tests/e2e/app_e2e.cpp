// The real program on the headless X server, started as a user starts it and watched through
// screenshots: it shows the remembered monitor live, follows it as the monitors change, a
// registered mode outlives it, and it forwards clicks on a scaled desktop.
#include <QRegularExpression>

#include "support.h"

namespace orvane::e2e {
namespace {

TEST_F(AppTest, WatchesTheRememberedMonitorLiveFollowsItAndSavesOnTermination) {
    client.showImage(kRight, image(kRight.size(), codedPixel));
    // A Wayland session whose compositor it cannot use runs it through XWayland: the user is told so.
    OrvaneProcess orvane(settings("Interval= 100\r\nChangeDisplayType= 2\r\n"),
                         {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-orvane-test"});
    const auto before = waitForPicture();
    ASSERT_TRUE(before) << "the second monitor's picture, pixel for pixel";
    client.showImage(kRight, solid(kRight.size(), qRgb(200, 30, 90)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen().pixel(800, 500) == qRgb(200, 30, 90); }, 2000))
        << "live";

    if (isXorgDummy()) {
        // "設定変更" to 1280 x 1024: the change is registered, and outlives Orvane.
        ASSERT_TRUE(run("xdotool", {"mousemove", num(2640 / 15 + 12), num(before->y() - 15), "click", "1"}));
        QTest::qWait(800);
        ASSERT_TRUE(run("xdotool", {"type", "1280"}));
        ASSERT_TRUE(run("xdotool", {"key", "Return"}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return xrandrShows("DUMMY1 connected 1280x1024"); }));
        // Off, and on again below the first monitor: watched again where it is now.
        ASSERT_TRUE(run("xrandr", {"--output", "DUMMY1", "--off"}));
        QTest::qWait(1500);
        ASSERT_TRUE(run("xrandr", {"--output", "DUMMY1", "--auto", "--pos", "0x1080"}));
        client.showImage(QRect(0, 1080, 1920, 1080), image(kRight.size(), codedPixel));
        EXPECT_EQ(waitForPicture(10000), before) << "DUMMY1 watched again at its new place";
        // Monitors defined and removed by hand: the program keeps running.
        ASSERT_TRUE(run("xrandr", {"--setmonitor", "EXTRA", "960/254x540/143+0+0", "none"}));
        QTest::qWait(600);
        ASSERT_TRUE(run("xrandr", {"--delmonitor", "EXTRA"}));
        EXPECT_TRUE(waitForPicture(5000));
    }

    EXPECT_EQ(orvane.terminate(), 0);
    EXPECT_NE(orvane.errorOutput().find("runs here through XWayland"), std::string::npos);
    const std::string saved = orvane.savedSettings();
    EXPECT_NE(saved.find("Display=" + watched() + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Interval= 100\r\n"), std::string::npos);
    if (!isXorgDummy()) return;

    // The autostart entry a login runs where no desktop keeps modes, in a fresh session at 1920 x 1080.
    const QString text = QString::fromStdString(test::readAll(std::string(std::getenv("XDG_CONFIG_HOME")) +
                                                              "/autostart/orvane-display-modes.desktop"));
    EXPECT_TRUE(text.contains("NotShowIn=GNOME;KDE;XFCE;"));
    const QRegularExpressionMatch exec =
        QRegularExpression(R"re(^Exec="([^"]+)" (\S+) "([^"]+)"$)re", QRegularExpression::MultilineOption)
            .match(text);
    ASSERT_TRUE(exec.hasMatch()) << text.toStdString();
    std::string why;
    auto next = XServer::startPreferred(why);
    ASSERT_TRUE(next) << why;
    setenv("DISPLAY", next->display().c_str(), 1);  // the tools' server, for these two
    EXPECT_TRUE(run(exec.captured(1), {exec.captured(2), exec.captured(3)}));
    const bool applied = xrandrShows("DUMMY1 connected 1280x1024");
    setenv("DISPLAY", server().display().c_str(), 1);
    EXPECT_TRUE(applied) << "applied again at login";
}

TEST(AppEnd, WhenTheXServerDiesItSaysSoAndLeavesTheSettingsIntact) {
    // A server of its own: the test's own connection must outlive it.
    std::string why;
    auto doomed = XServer::startPreferred(why);
    if (!doomed) GTEST_SKIP() << "no second X server: " << why;
    const std::string stored = settings("Interval= 100\r\n");
    OrvaneProcess orvane(stored, {QString::fromStdString("DISPLAY=" + doomed->display())});
    QTest::qWait(3000);  // started and ticking
    ASSERT_EQ(orvane.waitForExit(0), -2) << orvane.errorOutput();
    doomed->kill();
    EXPECT_GT(orvane.waitForExit(10000), 0) << "ends with a failure code, not a crash";
    EXPECT_NE(orvane.errorOutput().find("orvane: lost the connection to the X server"), std::string::npos);
    EXPECT_EQ(orvane.savedSettings(), stored) << "the settings file is untouched";
}

// The whole desktop scaled by two (QT_SCALE_FACTOR, or Xft.dpi as desktops set it): the view still
// shows the monitor pixel for pixel at 100 % and a double click lands on the pixel pointed at, also
// from the right monitor (whose corner Qt's logical pixels keep at 1920, 0).
TEST_F(AppTest, OnADesktopScaledByTwoTheViewIsPixelExactAndClicksLandWherePointed) {
    for (const auto& [environment, onTheRight] :
         {std::pair{"QT_SCALE_FACTOR=2", true}, std::pair{"", false}}) {
        SCOPED_TRACE(environment);
        ASSERT_TRUE(*environment || run("sh", {"-c", "echo 'Xft.dpi: 192' | xrdb -merge"}));
        const QRect holder = onTheRight ? kRight : QRect(0, 0, 1920, 1080);
        const QPoint shown = onTheRight ? QPoint(0, 0) : kRight.topLeft();
        TestClient clicks;  // records the buttons it receives, this case's only
        clicks.showImage(QRect(shown, kRight.size()), image(kRight.size(), codedPixel));
        const std::string name = !onTheRight ? watched() : isXorgDummy() ? "DUMMY0" : "LEFT";
        // 960 x 540 of Qt's logical pixels: the whole monitor.
        OrvaneProcess orvane(settings("DoubleClick= 5\r\n", QRect(holder.x(), 0, 960, 540), name),
                             *environment ? QStringList{environment} : QStringList{});
        const auto view = waitForPicture(15000, QRect(600, 350, 700, 400).translated(holder.topLeft()));
        ASSERT_TRUE(view) << "one monitor pixel in one screen pixel";
        const QPoint target = *view + QPoint(701, 403);  // odd: no rounding
        ASSERT_TRUE(run("xdotool", {"mousemove", num(target.x()), num(target.y()), "click", "--repeat", "2",
                                    "--delay", "80", "1"}));
        clicks.buttonEvents(4);
        QTest::qWait(300);  // nothing more may follow
        const QPoint at = shown + QPoint(701, 403);
        EXPECT_EQ(clicks.buttonEvents(4), (std::vector<TestClient::ButtonEvent>{
                                              {true, 1, at}, {false, 1, at}, {true, 1, at}, {false, 1, at}}));
        EXPECT_EQ(orvane.terminate(), 0);
    }
}

}  // namespace
}  // namespace orvane::e2e
