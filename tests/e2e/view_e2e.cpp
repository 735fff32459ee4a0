// The view as a user meets it on the real server, with keys and the mouse
// from outside the program (xdotool): a typed zoom and interval, a dragged
// scroll thumb and one click on a scroll arrow at a one-minute interval, and
// windows covering it at a one-minute interval.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStyle>
#include <cstdlib>

#include "app_support.h"

namespace orvane::e2e {
namespace {

struct ViewTest : AppTest {
    // The window fills the left monitor (no window manager): its client
    // area starts at the screen's corner.
    std::string settings(const std::string& extra) {
        return "[Main]\r\nDisplay=" + watched() + "\r\nCursor= 4\r\n" + extra + kFillLeftMonitor;
    }
    // A point on the tool bar, `twips` from its left edge; the tool bar lies
    // just above the view's frame, whose inside starts at the view's origin
    // at 100 % before any scrolling.
    static QPoint toolBar(int twips, const ViewOnScreen& view) {
        return {twips / 15, view.origin->y() - 2 - 10};
    }
    static int scrollBarExtent() { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }
    // Types into the list at p, or `tabs` controls after it: click, Tab,
    // replace its text, Enter.
    static void typeAt(QPoint p, const std::string& text, int tabs = 0) {
        ASSERT_TRUE(xdotool({"mousemove", num(p.x()), num(p.y()), "click", "1"}));
        processEvents(200);
        for (int i = 0; i < tabs; ++i) ASSERT_TRUE(xdotool({"key", "Tab"}));
        ASSERT_TRUE(xdotool({"key", "ctrl+a"}));
        ASSERT_TRUE(xdotool({"type", text}));
        ASSERT_TRUE(xdotool({"key", "Return"}));
    }
};

TEST_F(ViewTest, ATypedZoomAndIntervalAreAppliedWithEnter) {
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane(settings("Interval= 100\r\n"));
    const ViewOnScreen full = waitForPicture(1, 15000);
    ASSERT_TRUE(full.whole());

    typeAt(toolBar(4065 + 300, full), "50");  // the zoom box
    EXPECT_TRUE(waitForPicture(2, 3000).whole()) << "the view shows the monitor at half size";

    // The interval box, 2 seconds: two lists on from the zoom box (the lists
    // before it grow with wider fonts, so its place is not the design's).
    typeAt(toolBar(4065 + 300, full), "2", 2);
    // A change right after a tick waits for the next one, two seconds later.
    client.showImage(right, solidImage(right.size(), qRgb(200, 30, 90)));
    QElapsedTimer t;
    t.start();
    auto shows = [&](QRgb c) { return screen().pixel(960, 540) == c; };
    while (!shows(qRgb(200, 30, 90)) && t.elapsed() < 4000) processEvents(20);
    ASSERT_TRUE(shows(qRgb(200, 30, 90)));
    client.showImage(right, solidImage(right.size(), qRgb(20, 160, 220)));
    processEvents(800);
    EXPECT_FALSE(shows(qRgb(20, 160, 220))) << "ticks come every 2 s, not every 0.1 s";
    t.restart();
    while (!shows(qRgb(20, 160, 220)) && t.elapsed() < 3000) processEvents(20);
    EXPECT_TRUE(shows(qRgb(20, 160, 220)));
    EXPECT_EQ(orvane.terminate(), 0);
    EXPECT_NE(orvane.savedSettings().find("Zoom= 50\r\n"), std::string::npos);
    EXPECT_NE(orvane.savedSettings().find("Interval= 2000\r\n"), std::string::npos);
}

TEST_F(ViewTest, ThePictureFollowsADraggedThumbAndAnArrowClickAtOnce) {
    client.showImage(right, codedImage(right.size()));
    // Nearest-pixel stretching keeps every view pixel a monitor pixel, to be read back.
    OrvaneProcess orvane(settings("Zoom= 200\r\nInterval= 60000\r\nStretchHalftone= 1\r\n"));
    const QRect region(600, 350, 700, 400);
    const ViewOnScreen start = waitForPicture(0.5, 15000, region);
    ASSERT_TRUE(start.whole());
    // The horizontal bar lies above the status bar (255 twips) at the bottom.
    const int barY = 1080 - 17 - scrollBarExtent() / 2;
    const int thumbX = scrollBarExtent() + 20;
    ASSERT_TRUE(xdotool({"mousemove", num(thumbX), num(barY), "mousedown", "1"}));
    for (int x = thumbX + 20; x <= thumbX + 100; x += 20) {
        ASSERT_TRUE(xdotool({"mousemove", num(x), num(barY)}));
        processEvents(60);
    }
    const ViewOnScreen dragged = waitForPicture(0.5, 2000, region);
    ASSERT_TRUE(dragged.whole());
    EXPECT_LT(dragged.origin->x(), start.origin->x() - 50) << "moved before the button is released";
    ASSERT_TRUE(xdotool({"mouseup", "1"}));

    // One click on the bar's right arrow scrolls 16 pixels, shown at once
    // although the next tick is a minute away.
    const ViewOnScreen before = waitForPicture(0.5, 2000, region);
    ASSERT_TRUE(before.whole());
    const int arrowX = 1920 - scrollBarExtent() - scrollBarExtent() / 2;
    ASSERT_TRUE(xdotool({"mousemove", num(arrowX), num(barY), "click", "1"}));
    QElapsedTimer t;
    t.start();
    ViewOnScreen after;
    do {
        after = waitForPicture(0.5, 100, region);
    } while ((!after.whole() || after.origin == before.origin) && t.elapsed() < 2000);
    ASSERT_TRUE(after.whole());
    EXPECT_NEAR(after.origin->x(), before.origin->x() - 16, 1);
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(ViewTest, ACoveredViewShowsThePictureAtOnceWhenUncoveredAtAMinuteInterval) {
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane(settings("Interval= 60000\r\n"));
    const ViewOnScreen view = waitForPicture(1, 15000);
    ASSERT_TRUE(view.whole());
    processEvents(500);  // the first tick is past; the next one is a minute away
    QImage grey(500, 300, QImage::Format_RGB32);
    grey.fill(qRgb(0x80, 0x80, 0x80));

    // Covered, then uncovered: the picture is back at once, no tick between.
    const xcb_window_t cover = client.showImage(QRect(650, 400, 500, 300), grey);
    processEvents(200);
    ASSERT_EQ(screen().pixel(900, 550), qRgb(0x80, 0x80, 0x80));
    client.destroy(cover);
    processEvents(300);
    EXPECT_TRUE(findView(screen(), QRect(600, 350, 700, 400), 1).whole()) << "shown again without a tick";

    // Another window dragged across the view leaves nothing behind it.
    xcb_window_t moving = 0;
    for (int x = 100; x <= 1300; x += 150) {
        if (moving) client.destroy(moving);
        moving = client.showImage(QRect(x, 300, 400, 300), grey);
        processEvents(30);
    }
    client.destroy(moving);
    processEvents(300);
    EXPECT_TRUE(findView(screen(), QRect(100, 300, 1600, 300), 1).whole()) << "no trail of the moved window";
    EXPECT_EQ(orvane.terminate(), 0);
}

TEST_F(ViewTest, TheResolutionDialogChangesTheWatchedMonitorUntilOrvaneCloses) {
    if (!isXorgDummy()) GTEST_SKIP() << "Xvfb offers no per-monitor modes; needs the Xorg dummy server";
    client.showImage(right, codedImage(right.size()));
    OrvaneProcess orvane(settings("ChangeDisplayType= 0\r\n"));
    const ViewOnScreen full = waitForPicture(1, 15000);
    ASSERT_TRUE(full.whole());
    auto watchedRect = [&] {
        for (const auto& m : backend->monitors().enumerate())
            if (m.deviceName == "DUMMY1") return m.monitor;
        return platform::Rect{};
    };
    ASSERT_EQ(watchedRect(), (platform::Rect{1920, 0, 3840, 1080}));

    // The tool bar's button, then the size list, which has the keys: the size
    // is typed, its depth and frequency follow, Enter presses OK.
    ASSERT_TRUE(xdotool({"mousemove", num(2640 / 15 + 12), num(full.origin->y() - 15), "click", "1"}));
    processEvents(800);
    ASSERT_TRUE(xdotool({"type", "1280"}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    QElapsedTimer t;
    t.start();
    while (watchedRect() != platform::Rect{1920, 0, 3200, 1024} && t.elapsed() < 5000) processEvents(100);
    EXPECT_EQ(watchedRect(), (platform::Rect{1920, 0, 3200, 1024})) << "the output really changed";

    // The first method undoes Orvane's temporary change when it closes.
    EXPECT_EQ(orvane.terminate(), 0);
    EXPECT_EQ(watchedRect(), (platform::Rect{1920, 0, 3840, 1080}));
}

TEST_F(ViewTest, AModeTheUserSetWithXrandrSurvivesOrvane) {
    if (!isXorgDummy()) GTEST_SKIP() << "Xvfb offers no per-monitor modes; needs the Xorg dummy server";
    client.showImage(right, codedImage(right.size()));
    auto width = [&] {
        for (const auto& m : backend->monitors().enumerate())
            if (m.deviceName == "DUMMY1") return m.monitor.width();
        return 0;
    };
    for (const char* mode : {"1280x1024_75", "1920x1080_60"}) {
        // Orvane runs with the method that undoes its own changes at exit,
        // and the user changes the second monitor with xrandr meanwhile.
        OrvaneProcess orvane(settings("ChangeDisplayType= 0\r\n"));
        // Inside the view at either size (a narrower monitor is centred in the frame).
        const ViewOnScreen v = waitForPicture(1, 15000, QRect(700, 350, 500, 300));
        ASSERT_TRUE(v.whole()) << mode << " " << v.matches << "/" << v.samples;  // running
        ASSERT_EQ(runWithDisplay(server().display(), {"xrandr", "--output", "DUMMY1", "--mode", mode}), 0);
        const int set = width();
        EXPECT_EQ(orvane.terminate(), 0);
        processEvents(200);
        EXPECT_EQ(width(), set) << "the user's " << mode << " is kept";
    }
}

TEST_F(ViewTest, ARegisteredModeIsAppliedAgainAtTheNextLogin) {
    if (!isXorgDummy()) GTEST_SKIP() << "Xvfb offers no per-monitor modes; needs the Xorg dummy server";
    client.showImage(right, codedImage(right.size()));
    // "設定変更": the dialog's change is registered and outlives Orvane (whose
    // folder, holding what it keeps, lives as long as this object).
    OrvaneProcess orvane(settings("ChangeDisplayType= 2\r\n"));
    {
        const ViewOnScreen full = waitForPicture(1, 15000);
        ASSERT_TRUE(full.whole());
        ASSERT_TRUE(xdotool({"mousemove", num(2640 / 15 + 12), num(full.origin->y() - 15), "click", "1"}));
        processEvents(800);
            ASSERT_TRUE(xdotool({"type", "1280"}));
        ASSERT_TRUE(xdotool({"key", "Return"}));
        processEvents(1500);
        EXPECT_EQ(orvane.terminate(), 0);
    }
    std::string out;
    runWithDisplay(server().display(), {"xrandr"}, &out);
    ASSERT_NE(out.find("DUMMY1 connected 1280x1024"), std::string::npos)
        << "kept after Orvane closed: " << out;

    // The autostart entry a login runs where no desktop keeps display modes.
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    QFile entry(QString::fromStdString(config + "/autostart/orvane-display-modes.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("NotShowIn=GNOME;KDE;XFCE;")));
    const QRegularExpressionMatch exec =
        QRegularExpression(QStringLiteral("^Exec=\"([^\"]+)\" (\\S+) \"([^\"]+)\"$"),
                           QRegularExpression::MultilineOption)
            .match(text);
    ASSERT_TRUE(exec.hasMatch()) << text.toStdString();

    // A new X session: a fresh server shows the configured 1920 x 1080 until
    // the login runs the entry.
    std::string why;
    auto next = XServer::start(XServer::Kind::XorgDummy, why);
    ASSERT_TRUE(next) << why;
    runWithDisplay(next->display(), {"xrandr"}, &out);
    ASSERT_NE(out.find("DUMMY1 connected 1920x1080"), std::string::npos) << out;
    EXPECT_EQ(runWithDisplay(next->display(), {exec.captured(1).toStdString(), exec.captured(2).toStdString(),
                                               exec.captured(3).toStdString()}),
              0);
    runWithDisplay(next->display(), {"xrandr"}, &out);
    EXPECT_NE(out.find("DUMMY1 connected 1280x1024"), std::string::npos) << "applied again at login: " << out;
}

}  // namespace
}  // namespace orvane::e2e
