// The Wayland backend and the program on a headless sway with two outputs (run through sway-session.sh). A test
// client shows a known picture on HEADLESS-2 and logs the pointer events it gets; the test's own virtual pointer
// plays the user's mouse, and grim reads what the outputs show.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <memory>

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_modes.h"
#include "platform/wayland/wayland_monitors.h"
#include "platform/wayland/wayland_pointer.h"
#include "support/picture_client_process.h"

using namespace orvane::platform;
using namespace orvane::platform::wayland;
using namespace orvane::test;

namespace {

QImage screenOf(const char* output) {
    QProcess grim;
    grim.start(QStringLiteral("grim"), {QStringLiteral("-o"), QString::fromLatin1(output), QStringLiteral("-")});
    grim.waitForFinished(10000);
    return QImage::fromData(grim.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
}

TEST(Wayland, BackendAndOrvaneOnHeadlessSway) {
    PictureClient client(qEnvironmentVariable("PICTURE_CLIENT"));  // full screen on HEADLESS-2
    ASSERT_TRUE(client.waitForLine("ready")) << "the picture client did not start";
    std::string error;
    EXPECT_FALSE(Connection::connect("orvane-no-such-wayland-display", error));
    EXPECT_NE(error.find("orvane-no-such-wayland-display"), std::string::npos);
    const std::unique_ptr<Connection> c = Connection::connect("", error);
    ASSERT_TRUE(c) << error;
    c->dispatchFromEventLoop();
    const std::vector<MonitorInfo> m = c->monitors();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_TRUE(m[0].primary);
    EXPECT_EQ(m[1].deviceName, "HEADLESS-2");
    EXPECT_EQ(m[1].monitor, (Rect{1920, 0, 3840, 1080}));
    EXPECT_TRUE(c->usableForOrvane()) << "sway 1.7 offers the wlroots protocols the backend uses";

    // The capture shows the output, and a change arrives with where it happened.
    WaylandMonitors monitors(*c);
    auto context = monitors.openMonitor("HEADLESS-2");
    ASSERT_TRUE(context);
    EXPECT_EQ(context->refreshRate(), 60);
    auto& capture = dynamic_cast<WaylandMonitorContext&>(*context);
    ASSERT_EQ(capture.capture().frame().size(), QSize(1920, 1080)) << "the first frame is there at once";
    const auto pixel = [&](int x, int y) {
        const image::Source s = capture.pixels(QRect(x, y, 1, 1));
        return rgb(s.image.pixel(s.at));
    };
    EXPECT_EQ(pixel(150, 150), kGreen);
    EXPECT_TRUE(context->takeChanges().all) << "the first look sees everything";
    client.send("fill ffff00 1000 500 200 200");
    ASSERT_TRUE(client.waitForLine("filled"));
    MonitorChanges changes;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (changes = context->takeChanges()).any(); }, 5000));
    EXPECT_FALSE(changes.all);
    EXPECT_TRUE(changes.region.contains(QRect(1000, 500, 200, 200))) << "the changed square";
    EXPECT_EQ(pixel(1100, 600), kYellow);
    // Outside the monitor as it was opened, pixels read black.
    const image::Source outside = capture.pixels(QRect(1910, 0, 20, 1));
    EXPECT_EQ(rgb(outside.image.pixel(outside.at + QPoint(15, 0))), 0u);

    // The headless outputs refuse another mode; the compositor keeps modes, not Orvane.
    WaylandDisplayModes modes(*c);
    const DeviceName second = std::string("HEADLESS-2");
    const std::optional<DisplayMode> current = modes.currentMode(second);
    ASSERT_TRUE(current);
    EXPECT_NE(modes.applyMode(second, {1280, 1024, 32, 60, 0}, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_EQ(modes.applyMode(second, {1280, 1024, 32, 60, 0}, ChangeFlags::UpdateRegistry), DispChange::NotUpdated);
    EXPECT_EQ(modes.restoreRegistered(second), DispChange::Successful);
    EXPECT_EQ(modes.currentMode(second), current);
    EXPECT_EQ(modes.testMode(std::string("NO-SUCH-OUTPUT"), *current), DispChange::BadParam);

    // The virtual pointer reaches the far corner of the layout, and nothing beyond it.
    WaylandPointer mouse(*c, nullptr);
    mouse.setPosition({5000, 5000});
    EXPECT_EQ(mouse.position(), (Point{3839, 1079}));
    mouse.sendButton(MouseButton::Right, true);
    mouse.sendButton(MouseButton::Right, false);
    ASSERT_TRUE(client.waitForLine("release 3 1919 1079"));
    mouse.setPosition({100, 100});  // Orvane's window opens where the pointer is

    // Orvane shows HEADLESS-2 at 50 % (following it, and forwarding a double click, as on GNOME: gnome_capture_e2e).
    OrvaneRun run;
    std::optional<QPoint> view;
    ASSERT_TRUE(run.start(qEnvironmentVariable("ORVANE_BINARY"), 1000, "HEADLESS-2"));
    ASSERT_TRUE(view = run.viewCorner([] { return screenOf("HEADLESS-1"); }));
    EXPECT_EQ(rgb(screenOf("HEADLESS-1").pixel(*view + QPoint(940, 20))), kBlue);

    // A click chosen from the popup, "アクション > 左ボタン > クリック" with the keyboard, lands at (200, 400) of
    // HEADLESS-2 once the popup is gone. (wtype's keyboard must exist before the popup opens: sway takes a popup
    // away when a keyboard appears. A submenu opened from the keyboard has its first entry chosen.)
    client.log.clear();
    QProcess keys;
    keys.start(QStringLiteral("wtype"), QStringLiteral("-s 2000 a -s 200 l -s 200 -k Return").split(QLatin1Char(' ')));
    ASSERT_TRUE(keys.waitForStarted());
    QTest::qWait(300);
    mouse.setPosition({view->x() + 100, view->y() + 200});
    mouse.sendButton(MouseButton::Right, true);
    mouse.sendButton(MouseButton::Right, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keys.state() == QProcess::NotRunning; }, 10000));
    ASSERT_TRUE(client.waitForLine("release 1 200 400")) << client.log.join(' ').toStdString();
    EXPECT_EQ(client.log.count(QStringLiteral("press 1 200 400")), 1);
    EXPECT_TRUE(run.stop());
}

}  // namespace
