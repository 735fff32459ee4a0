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
    // The window fills the left monitor and watches the right one at 100 %, no
    // marker. A Wayland session whose compositor Orvane cannot use runs it
    // through XWayland (here: the test's X server), and the user is told so.
    OrvaneProcess orvane("[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\nInterval= 1000\r\n" +
                             kFillLeftMonitor,
                         true, {}, {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-orvane-test"});
    const ViewOnScreen full = waitForPicture(1, 15000);
    ASSERT_EQ(full.matches, full.samples) << "the second monitor's picture, pixel for pixel";
    EXPECT_GT(full.origin->y(), 20) << "below the menu and tool bars";

    // A change on the watched monitor shows within two intervals (2 s).
    client.showImage(right, solidImage(right.size(), qRgb(200, 30, 90)));
    QElapsedTimer t;
    t.start();
    bool changed = false;
    while (!changed && t.elapsed() < 2000) {
        processEvents(50);
        changed = screen().pixel(800, 500) == qRgb(200, 30, 90);
    }
    EXPECT_TRUE(changed) << "not shown after two intervals";

    EXPECT_EQ(orvane.terminate(), 0);
    EXPECT_NE(orvane.errorOutput().find("runs here through XWayland"), std::string::npos);
    const std::string saved = orvane.savedSettings();
    EXPECT_NE(saved.find("Display=" + watched() + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Interval= 1000\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvane::e2e
