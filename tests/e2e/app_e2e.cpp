// The real program on the headless X server: started with a settings file
// that names the second monitor, it shows that monitor's picture live, and
// ending it from outside saves its settings.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "app_support.h"

namespace orvane::e2e {
namespace {

TEST_F(AppTest, WatchesTheRememberedMonitorLiveAndSavesOnTermination) {
    client.showImage(right, codedImage(right.size()));
    // The window fills the left monitor and watches the right one at 100 %, no marker.
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nInterval= 1000\r\n" +
                         kFillLeftMonitor);
    const ViewOnScreen full = waitForPicture(1, 15000);
    ASSERT_EQ(full.matches, full.samples) << "the second monitor's picture, pixel for pixel";
    ASSERT_TRUE(full.origin);
    EXPECT_GT(full.origin->y(), 20) << "below the menu and tool bars";

    // A change on the watched monitor shows within two intervals (2 s).
    client.showImage(QRect(1920, 0, 1920, 1080), solidImage(right.size(), qRgb(200, 30, 90)));
    QElapsedTimer t;
    t.start();
    bool changed = false;
    while (!changed && t.elapsed() < 2000) {
        processEvents(50);
        changed = screen().pixel(800, 500) == qRgb(200, 30, 90);
    }
    EXPECT_TRUE(changed) << "not shown after two intervals";

    EXPECT_EQ(orvane.terminate(), 0);
    const std::string saved = orvane.savedSettings();
    EXPECT_NE(saved.find("Display=" + watched() + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Interval= 1000\r\n"), std::string::npos);
}

TEST_F(AppTest, HalfSizeShowsEveryOtherPixelOfTheWholeMonitor) {
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() +
                         "\r\nCursor= 4\r\nZoom= 50\r\nStretchHalftone= 1\r\n" + kFillLeftMonitor);
    const ViewOnScreen half = waitForPicture(2, 15000);
    EXPECT_EQ(half.matches, half.samples) << "view pixel v shows monitor pixel 2v (within one pixel)";
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(AppTest, QualityStretchAveragesInsteadOfAliasing) {
    QImage board(right.size(), QImage::Format_RGB32);
    for (int y = 0; y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x)
            board.setPixel(x, y, ((x + y) & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    client.showImage(right, board);
    // 30 % of a one-pixel checkerboard: every view pixel covers several cells,
    // so an area average is an even grey; sampling would show black and white.
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nZoom= 30\r\n" +
                         kFillLeftMonitor);
    QElapsedTimer t;
    t.start();
    int worst = 255;
    while (t.elapsed() < 15000) {
        processEvents(200);
        const QImage shot = screen();
        worst = 0;
        // The 576 x 324 view is centred in the frame; sample its middle.
        for (int y = 460; y < 620; y += 7)
            for (int x = 760; x < 1160; x += 11)
                worst = std::max(worst, colourDistance(shot.pixel(x, y), qRgb(128, 128, 128)));
        if (worst <= 16) break;
    }
    EXPECT_LE(worst, 16) << "view pixels stray this far from grey";
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(AppTest, TheSessionDecidesTheBackendAndTheUserIsToldWhatXWaylandCannotDo) {
    client.showImage(right, codedImage(right.size()));
    const std::string settings = "[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\n" + kFillLeftMonitor;
    {
        // A Wayland session whose compositor Orvane cannot use directly: it
        // runs through XWayland (here: the test's X server) and says so.
        OrvaneProcess orvane(settings, true, {}, {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-orvane-test"});
        EXPECT_TRUE(waitForPicture(1, 15000).whole());
        EXPECT_EQ(orvane.terminate(), 0);
        EXPECT_NE(orvane.errorOutput().find("runs here through XWayland"), std::string::npos);
    }
    {
        // No X display at all: a clear message, no window.
        OrvaneProcess orvane(settings, true, {}, {"DISPLAY=", "XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=w-0"});
        EXPECT_EQ(orvane.waitForExit(10000), 2);
        EXPECT_NE(orvane.errorOutput().find("no XWayland"), std::string::npos);
    }
    {
        OrvaneProcess orvane(settings, true, {}, {"ORVANE_BACKEND=directfb"});
        EXPECT_EQ(orvane.waitForExit(10000), 2);
        EXPECT_NE(orvane.errorOutput().find("ORVANE_BACKEND must be"), std::string::npos);
    }
    {
        OrvaneProcess orvane(settings, true, {}, {"ORVANE_BACKEND=x11"});
        EXPECT_TRUE(waitForPicture(1, 15000).whole());
        EXPECT_EQ(orvane.terminate(), 0);
        EXPECT_EQ(orvane.errorOutput().find("orvane:"), std::string::npos) << orvane.errorOutput();
    }
}

}  // namespace
}  // namespace orvane::e2e
