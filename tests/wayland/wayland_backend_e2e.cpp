// The Wayland backend and the program on a headless sway with two outputs
// (run through sway-session.sh). A test client shows a known picture on
// HEADLESS-2 and logs the pointer events it gets; the test's own virtual
// pointer plays the user's mouse, and grim (another screencopy client) reads
// what the outputs show.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
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

bool waitFor(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }

// A program this test starts: where the session put its copy, else the build's.

void sway(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("swaymsg"), args);
    p.waitForFinished(5000);
}

// What an output shows now, read by grim.
QImage screenOf(const QString& output) {
    QProcess grim;
    grim.start(QStringLiteral("grim"), {QStringLiteral("-o"), output, QStringLiteral("-")});
    if (!grim.waitForFinished(10000)) return {};
    return QImage::fromData(grim.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
}

constexpr QRgb kRed = 0xff0000, kBlue = 0x0000ff, kGreen = 0x00ff00, kYellow = 0xffff00;



struct WaylandBackend : ::testing::Test {
    static void SetUpTestSuite() {
        client = new PictureClient(ProgramPath("PICTURE_CLIENT", PICTURE_CLIENT));  // full screen on HEADLESS-2
        ASSERT_TRUE(client->waitForLine(QStringLiteral("ready"))) << "the picture client did not start";
    }
    static void TearDownTestSuite() {
        delete client;
        client = nullptr;
    }
    void SetUp() override {
        std::string error;
        c = Connection::connect("", error);
        ASSERT_TRUE(c) << error;
        c->dispatchFromEventLoop();
    }
    static PictureClient* client;
    std::unique_ptr<Connection> c;
};
PictureClient* WaylandBackend::client = nullptr;

TEST_F(WaylandBackend, ListsTheOutputsWithTheirNamesAndPlaces) {
    const std::vector<MonitorInfo> m = c->monitors();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].deviceName, "HEADLESS-1");
    EXPECT_EQ(m[0].monitor, (Rect{0, 0, 1920, 1080}));
    EXPECT_TRUE(m[0].primary);
    EXPECT_EQ(m[1].deviceName, "HEADLESS-2");
    EXPECT_EQ(m[1].monitor, (Rect{1920, 0, 3840, 1080}));
    EXPECT_FALSE(m[1].primary);
    EXPECT_NE(m[0].handle, m[1].handle);
    EXPECT_EQ(c->layoutBounds(), (Rect{0, 0, 3840, 1080}));
    // sway 1.7 offers the wlroots protocols the backend uses.
    EXPECT_TRUE(c->usableForOrvane());
    EXPECT_TRUE(c->offers("zwlr_output_manager_v1"));
    std::string error;
    EXPECT_FALSE(Connection::connect("orvane-no-such-wayland-display", error));
    EXPECT_NE(error.find("orvane-no-such-wayland-display"), std::string::npos);
}

TEST_F(WaylandBackend, CaptureShowsTheOutputAndReportsWhereItChanged) {
    WaylandMonitors monitors(*c);
    auto context = monitors.openMonitor("HEADLESS-2");
    ASSERT_TRUE(context);
    EXPECT_EQ(context->rect(), (Rect{1920, 0, 3840, 1080}));
    EXPECT_EQ(context->refreshRate(), 60);
    auto& capture = dynamic_cast<WaylandMonitorContext&>(*context);
    ASSERT_EQ(capture.capture().frame().size(), QSize(1920, 1080)) << "the first frame is there at once";
    const auto pixel = [&](int x, int y) {
        const image::Source s = capture.pixels(QRect(x, y, 1, 1));
        return rgb(s.image.pixel(s.at));
    };
    EXPECT_EQ(pixel(10, 10), kRed);
    EXPECT_EQ(pixel(1900, 1000), kBlue);
    EXPECT_EQ(pixel(150, 150), kGreen);
    EXPECT_TRUE(context->takeChanges().all) << "the first look sees everything";

    // A still output sends no frames at all (once the compositor has sent
    // the one that starts its record of changes).
    int frames = -1;
    while (frames != capture.capture().framesReceived()) {
        frames = capture.capture().framesReceived();
        QTest::qWait(300);
    }
    (void)context->takeChanges();
    QTest::qWait(600);
    EXPECT_EQ(capture.capture().framesReceived(), frames);
    EXPECT_FALSE(context->takeChanges().any());

    // A change arrives with where it happened.
    client->send("fill ffff00 1000 500 200 200");
    ASSERT_TRUE(client->waitForLine(QStringLiteral("filled")));
    MonitorChanges changes;
    ASSERT_TRUE(waitFor([&] {
        changes = context->takeChanges();
        return changes.any();
    }));
    // The compositor says where; how much it says depends on the client too
    // (Qt repaints its other buffer whole a frame later), so only the first
    // report can be held to the square.
    EXPECT_FALSE(changes.all);
    EXPECT_TRUE(changes.region.contains(QRect(1000, 500, 200, 200))) << "the changed square";
    EXPECT_EQ(pixel(1100, 600), kYellow);
    // Outside the monitor as it was opened, pixels read black.
    const image::Source outside = capture.pixels(QRect(1910, 0, 20, 1));
    EXPECT_EQ(rgb(outside.image.pixel(outside.at + QPoint(5, 0))), kBlue);
    EXPECT_EQ(rgb(outside.image.pixel(outside.at + QPoint(15, 0))), 0u);
}

TEST_F(WaylandBackend, TheVirtualPointerMovesAndClicksWhereItIsTold) {
    WaylandPointer pointer(*c, nullptr);
    EXPECT_FALSE(pointer.canReadPosition());
    EXPECT_TRUE(pointer.canSendButtons());
    client->log().clear();
    pointer.setPosition({1920 + 300, 400});
    EXPECT_EQ(pointer.position(), (Point{2220, 400})) << "where Orvane put it";
    ASSERT_TRUE(pointer.sendButton(MouseButton::Left, true));
    ASSERT_TRUE(pointer.sendButton(MouseButton::Left, false));
    ASSERT_TRUE(client->waitForLine(QStringLiteral("release 1 300 400")))
        << client->log().join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(client->log().contains(QStringLiteral("press 1 300 400")));
    // The far corner of the layout is reachable, and nothing beyond it.
    pointer.setPosition({5000, 5000});
    EXPECT_EQ(pointer.position(), (Point{3839, 1079}));
    pointer.sendButton(MouseButton::Right, true);
    pointer.sendButton(MouseButton::Right, false);
    ASSERT_TRUE(client->waitForLine(QStringLiteral("release 3 1919 1079")));
    pointer.setPosition({100, 100});
    ASSERT_TRUE(client->waitForLine(QStringLiteral("leave")));
}

TEST_F(WaylandBackend, OrvaneShowsTheWatchedOutputAndForwardsADoubleClick) {
    const int interval = 1000;
    OrvaneRun run;
    ASSERT_TRUE(run.start(ProgramPath("ORVANE_BINARY", ORVANE_BINARY),
                          QStringLiteral("[Main]\r\nDisplay=HEADLESS-2\r\nZoom= 50\r\nInterval= %1\r\nCursor= 4\r\n"
                                         "DoubleClick= 3\r\n")
                              .arg(interval)));
    QProcess& orvane = run.process;

    // The view shows HEADLESS-2 at 50 %: the green square, 50 pixels wide, 50
    // pixels from the view's corner, red left of the middle and blue right.
    QRect green;
    ASSERT_TRUE(waitFor(
        [&] {
            green = boxOf(screenOf(QStringLiteral("HEADLESS-1")), kGreen);
            return green.size() == QSize(50, 50);
        },
        20000))
        << "Orvane did not show the watched output (green box " << green.width() << "x" << green.height() << ")";
    const QPoint view = green.topLeft() - QPoint(50, 50);
    QImage shot = screenOf(QStringLiteral("HEADLESS-1"));
    EXPECT_EQ(rgb(shot.pixel(view + QPoint(20, 20))), kRed);
    EXPECT_EQ(rgb(shot.pixel(view + QPoint(940, 20))), kBlue);

    // A change on the watched output shows within two intervals.
    client->send("fill ffff00 1200 600 200 200");
    ASSERT_TRUE(client->waitForLine(QStringLiteral("filled")));
    // (grim itself takes a moment to read the output: allowed a second more.)
    EXPECT_TRUE(waitFor(
        [&] { return rgb(screenOf(QStringLiteral("HEADLESS-1")).pixel(view + QPoint(650, 350))) == kYellow; },
        2 * interval + 1000));

    // The user double-clicks the view at (150, 150): the click lands at
    // (300, 300) of HEADLESS-2, and the pointer comes back.
    WaylandPointer mouse(*c, nullptr);
    client->log().clear();
    mouse.setPosition({view.x() + 150, view.y() + 150});
    QTest::qWait(100);
    for (int i = 0; i < 2; ++i) {
        mouse.sendButton(MouseButton::Left, true);
        QTest::qWait(20);
        mouse.sendButton(MouseButton::Left, false);
        QTest::qWait(40);
    }
    ASSERT_TRUE(client->waitForLine(QStringLiteral("leave")))
        << "no forwarded click: " << client->log().join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(client->log().count(QStringLiteral("press 1 300 300")), 2) << client->log().join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(client->log().count(QStringLiteral("release 1 300 300")), 2);

    // A right click opens the popup; "アクション > 左ボタン > クリック", chosen
    // with the keyboard, clicks at the mapped point once the popup is gone.
    // (The keyboard, wtype's, must exist before the popup opens: sway takes
    // a popup away when a keyboard appears. A submenu opened from the keyboard
    // has its first entry chosen; "c" is no way to it, since "クリック" and
    // "ダブルクリック" share it and the key goes from one to the other.)
    client->log().clear();
    QProcess keys;
    keys.start(QStringLiteral("wtype"), {QStringLiteral("-s"), QStringLiteral("2000"), QStringLiteral("a"),
                                         QStringLiteral("-s"), QStringLiteral("200"), QStringLiteral("l"),
                                         QStringLiteral("-s"), QStringLiteral("200"), QStringLiteral("-k"),
                                         QStringLiteral("Return")});
    ASSERT_TRUE(keys.waitForStarted());
    QTest::qWait(300);
    mouse.setPosition({view.x() + 100, view.y() + 200});
    mouse.sendButton(MouseButton::Right, true);
    mouse.sendButton(MouseButton::Right, false);
    ASSERT_TRUE(waitFor([&] { return keys.state() == QProcess::NotRunning; }, 10000));
    ASSERT_TRUE(client->waitForLine(QStringLiteral("release 1 200 400")))
        << "the chosen click did not arrive: " << client->log().join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(client->log().count(QStringLiteral("press 1 200 400")), 1);

    ::kill(static_cast<pid_t>(orvane.processId()), SIGTERM);
    EXPECT_TRUE(orvane.waitForFinished(10000));
    EXPECT_EQ(orvane.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(orvane.exitCode(), 0);
}

TEST_F(WaylandBackend, TheHeadlessOutputsRefuseAnotherModeAndKeepTheirOwn) {
    WaylandDisplayModes modes(*c);
    const DeviceName second = std::string("HEADLESS-2");
    const std::optional<DisplayMode> current = modes.currentMode(second);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->width, 1920u);
    EXPECT_EQ(current->height, 1080u);
    EXPECT_EQ(current->frequency, 60u);
    DisplayMode listed;
    ASSERT_TRUE(modes.enumMode(second, 0, listed)) << "at least the mode it shows";
    DisplayMode other = *current;
    other.width = 1280;
    other.height = 1024;
    other.id = 0;
    EXPECT_NE(modes.testMode(second, other), DispChange::Successful);
    EXPECT_NE(modes.applyMode(second, other, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_EQ(modes.applyMode(second, other, ChangeFlags::UpdateRegistry), DispChange::NotUpdated)
        << "the compositor keeps modes, not Orvane";
    EXPECT_EQ(modes.restoreRegistered(second), DispChange::Successful) << "nothing of Orvane's to undo";
    EXPECT_EQ(modes.currentMode(second), current);
    EXPECT_EQ(modes.testMode(std::string("NO-SUCH-OUTPUT"), *current), DispChange::BadParam);
}

// Last: it adds an output. (sway 1.7 cannot take a headless output away:
// "output … disable" answers success and changes nothing.)
TEST_F(WaylandBackend, AnOutputComingIsReportedAndCanBeWatched) {
    WaylandMonitors monitors(*c);
    int reports = 0;
    monitors.watchLayout([&] { ++reports; });
    const auto names = [&] {
        std::vector<std::string> n;
        for (const MonitorInfo& m : monitors.enumerate()) n.push_back(m.deviceName);
        return n;
    };
    sway({QStringLiteral("create_output")});
    ASSERT_TRUE(waitFor([&] { return names().size() == 3 && reports > 0; })) << "a third output appears";
    EXPECT_EQ(names().back(), "HEADLESS-3");
    EXPECT_EQ(monitors.enumerate().back().monitor, (Rect{3840, 0, 5760, 1080})) << "placed right of the others";
    auto context = monitors.openMonitor("HEADLESS-3");
    ASSERT_TRUE(context);
    auto& third = dynamic_cast<WaylandMonitorContext&>(*context);
    EXPECT_EQ(third.capture().frame().size(), QSize(1920, 1080));
    EXPECT_FALSE(monitors.openMonitor("HEADLESS-9"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
