// The view as a user meets it on the real server: windows covering it at a
// one-minute interval, and a registered mode applied again at the next login.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
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
};

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
