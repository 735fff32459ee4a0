// Mutter's screen cast and remote desktop on a headless GNOME session (run
// through gnome-session.sh): a test client shows a known picture full screen
// on Meta-0 (mutter puts it there); the streams must show it, follow its
// changes and tell where the pointer is, the remote desktop must click where
// it is told, and Orvane itself must work on them, straight through mutter
// and through xdg-desktop-portal (the real frontend with a stand-in backend
// that forwards to mutter without a dialog).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <memory>
#include <optional>
#include <vector>

#include "platform/screencast/cursor_rules.h"
#include "platform/gnome/gnome_modes.h"
#include "platform/gnome/mutter_session.h"
#include "platform/screencast/pipewire_stream.h"
#include "support/picture_client_process.h"

using namespace orvane::platform;
using namespace orvane::platform::gnome;
using namespace orvane::platform::screencast;
using namespace orvane::test;

namespace {

constexpr QRgb kRed = 0xff0000, kBlue = 0x0000ff, kGreen = 0x00ff00, kYellow = 0xffff00;
constexpr int kBtnLeft = 0x110;

const Rect kMeta0{0, 0, 1920, 1080};
const Rect kMeta1{1920, 0, 3200, 720};

StreamCursor reportOf(const PipeWireStream& s, const Rect& monitor) {
    const PipeWireStream::Cursor& c = s.cursor();
    return {c.visible, c.position, s.frame().size(), monitor, c.seq};
}

// Orvane started watching Meta-0 at 50 % (mutter puts its window on Meta-1,
// where the test's pointer is); the view's corner on Meta-1 once the view
// shows the client's green square, 50 pixels wide, 50 pixels from its corner.
std::optional<QPoint> startWatching(OrvaneRun& run, const PipeWireStream& meta1, int interval) {
    if (!run.start(ProgramPath("ORVANE_BINARY", ORVANE_BINARY),
                   QStringLiteral("[Main]\r\nDisplay=Meta-0\r\nZoom= 50\r\nInterval= %1\r\nCursor= 4\r\n"
                                  "DoubleClick= 3\r\n[View]\r\nWindowPos_Width= 15000\r\n"
                                  "WindowPos_Height= 9000\r\n")
                       .arg(interval),
                   QProcess::ForwardedOutputChannel))  // its standard error is read
        return std::nullopt;
    QRect green;
    if (!QTest::qWaitFor([&] {
            green = boxOf(meta1.frame(), kGreen);
            return green.size() == QSize(50, 50);
        }, 20000)) {
        meta1.frame().save(QStringLiteral("/tmp/orvane-gnome-meta1.png"));  // what the monitor showed, to look at
        ADD_FAILURE() << "Orvane did not show the watched monitor (green box " << green.width() << "x" << green.height() << ")";
        return std::nullopt;
    }
    return green.topLeft() - QPoint(50, 50);
}

// The user double-clicks the view at (150, 150): the click must land at
// (300, 300) of Meta-0.
void doubleClickView(MutterSession& session, QPoint view, PictureClient& client) {
    ASSERT_TRUE(session.movePointer("Meta-1", view.x() + 150, view.y() + 150));
    QTest::qWait(100);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(session.button(kBtnLeft, true));
        QTest::qWait(20);
        ASSERT_TRUE(session.button(kBtnLeft, false));
        QTest::qWait(40);
    }
    EXPECT_TRUE(client.waitForCount(QStringLiteral("press 1 300 300"), 2)) << client.log().join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(client.waitForCount(QStringLiteral("release 1 300 300"), 2));
}

// PipeWire restarts under Orvane: the screen casts end, Orvane goes on with
// its last picture, says why, and opens new ones by itself (the view shows
// a change again, seen through a new session of the test's own).
void pipeWireRestartsAndTheViewComesBack(QProcess& orvane, PictureClient& client, QPoint view, int interval) {
    for (const char* daemon : {"wireplumber", "pipewire"})
        QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-x"), QString::fromLatin1(daemon)});
    QByteArray said;  // what Orvane wrote on standard error, as it comes
    ASSERT_TRUE(QTest::qWaitFor([&] { return (said += orvane.readAllStandardError()).contains("keeps its last picture"); },
                                5000))
        << said.toStdString();
    EXPECT_EQ(orvane.state(), QProcess::Running);
    for (const char* daemon : {"pipewire", "wireplumber"}) {
        QProcess start;
        start.setProgram(QString::fromLatin1(daemon));
        start.setStandardOutputFile(QProcess::nullDevice());
        start.setStandardErrorFile(QProcess::nullDevice());
        ASSERT_TRUE(start.startDetached());
        QTest::qWait(300);
    }
    std::string why;
    std::unique_ptr<MutterSession> again;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (again = MutterSession::start({"Meta-1"}, why)) != nullptr; }, 10000)) << why;
    PipeWireStream eyes(again->streams()[0].node);
    ASSERT_TRUE(eyes.waitForFirstFrame(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        client.send("fill 00ffff 600 300 100 100");
        return QTest::qWaitFor([&] { return rgb(eyes.frame().pixel(view + QPoint(325, 175))) == 0x00ffffu; },
                               2 * interval);
    }, 20000)) << "the view did not come back";
}

bool waitForName(const QString& name) {
    return QTest::qWaitFor([&] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value(); },
                           10000);
}

// The real xdg-desktop-portal frontend for a desktop (its backends found
// through `portalDir` when given), in the place of any running one.
bool startFrontend(QProcess& frontend, const QString& desktop, const QString& portalDir = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!portalDir.isEmpty()) env.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), portalDir);
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
    frontend.setProcessEnvironment(env);
    frontend.setStandardOutputFile(QProcess::nullDevice());
    frontend.setStandardErrorFile(QProcess::nullDevice());
    frontend.start(QStringLiteral("/usr/libexec/xdg-desktop-portal"), {QStringLiteral("-r")});
    return QTest::qWaitFor([&] {
        return QDBusConnection::sessionBus().interface()->servicePid(QStringLiteral("org.freedesktop.portal.Desktop")).value() ==
               static_cast<uint>(frontend.processId());
    }, 10000);
}

}  // namespace

TEST(GnomeSession, StreamsShowTheMonitorsAndTheRemoteDesktopClicksAtThePoint) {
    PictureClient client(ProgramPath("PICTURE_CLIENT", PICTURE_CLIENT));  // mutter puts it on Meta-0
    ASSERT_TRUE(client.waitForLine(QStringLiteral("ready"))) << "the picture client did not start";

    std::string why;
    auto session = MutterSession::start({"Meta-0", "Meta-1"}, why);
    ASSERT_TRUE(session) << why;
    ASSERT_EQ(session->streams().size(), 2u);
    PipeWireStream meta0(session->streams()[0].node), meta1(session->streams()[1].node);
    ASSERT_TRUE(meta0.ok()) << meta0.error();
    ASSERT_TRUE(meta1.ok()) << meta1.error();

    // The first picture: the client's, at the monitor's own size; the other
    // monitor shows mutter's background.
    ASSERT_TRUE(meta0.waitForFirstFrame(5000)) << meta0.error();
    ASSERT_TRUE(meta1.waitForFirstFrame(5000)) << meta1.error();
    EXPECT_EQ(meta0.frame().size(), QSize(1920, 1080));
    EXPECT_EQ(meta1.frame().size(), QSize(1280, 720));
    // (mutter fades a new window in: its colours settle within a moment)
    EXPECT_TRUE(QTest::qWaitFor([&] { return rgb(meta0.frame().pixel(10, 10)) == kRed; }, 3000));
    EXPECT_EQ(rgb(meta0.frame().pixel(150, 150)), kGreen);
    EXPECT_EQ(rgb(meta0.frame().pixel(1910, 1070)), kBlue);
    EXPECT_NE(rgb(meta1.frame().pixel(10, 10)), kRed);
    EXPECT_TRUE(meta0.takeChanges().all);

    // A change reaches the stream by itself. Mutter 43 now and then sends the
    // frame before the change and not the one after (seen in one run of
    // three here): the client paints again, as a live screen would.
    const bool shown = QTest::qWaitFor([&] {
        client.send("fill ffff00 600 300 40 40");
        return QTest::qWaitFor([&] { return rgb(meta0.frame().pixel(620, 320)) == kYellow; }, 1000);
    }, 5000);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(meta0.takeChanges().any());

    // The pointer moved onto Meta-0 through the remote desktop: its stream
    // reports it there, and the rule places it on the layout.
    const auto reports = [&] { return std::vector{reportOf(meta0, kMeta0), reportOf(meta1, kMeta1)}; };
    // (Mutter 43 drops a pointer-only update that comes within one refresh of
    // the buffer before it, and sends none later: the pointer moves on until
    // its report comes, as a user's hand would.)
    const auto moveTo = [&](const char* connector, PipeWireStream& stream, QPoint p) {
        return QTest::qWaitFor([&] {
            session->movePointer(connector, p.x() + 1, p.y());
            session->movePointer(connector, p.x(), p.y());
            return QTest::qWaitFor([&] { return stream.cursor().visible && stream.cursor().position == p; }, 300);
        }, 5000);
    };
    ASSERT_TRUE(moveTo("Meta-0", meta0, {150, 160})) << "no cursor report on Meta-0";
    auto where = PointerFromStreams(reports());
    ASSERT_TRUE(where);
    EXPECT_EQ(*where, (Point{150, 160}));

    // A click lands on the client exactly there.
    ASSERT_TRUE(session->button(kBtnLeft, true));
    ASSERT_TRUE(session->button(kBtnLeft, false));
    EXPECT_TRUE(client.waitForLine(QStringLiteral("press 1 150 160"))) << client.log().join(QStringLiteral(", ")).toStdString();
    EXPECT_TRUE(client.waitForLine(QStringLiteral("release 1 150 160")));

    // Over to Meta-1: the pointer is found there, whichever stream reported last.
    ASSERT_TRUE(moveTo("Meta-1", meta1, {400, 300}));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        where = PointerFromStreams(reports());
        return where && *where == (Point{1920 + 400, 300});
    }, 5000)) << "the pointer was not followed to Meta-1";
}

// Mutter's virtual monitors have one mode each: another is refused cleanly,
// and the temporary method applies a layout.
TEST(GnomeSession, DisplayModesComeFromMutterAndAnotherModeIsRefused) {
    GnomeDisplayModes modes;
    const DeviceName meta0 = std::string("Meta-0");
    DisplayMode m;
    ASSERT_TRUE(modes.enumMode(meta0, 0, m));
    EXPECT_EQ(m.width, 1920u);
    EXPECT_EQ(m.height, 1080u);
    EXPECT_EQ(m.frequency, 60u);
    EXPECT_FALSE(modes.enumMode(meta0, 1, m));
    EXPECT_EQ(modes.currentMode(std::string("Meta-1"))->width, 1280u);
    EXPECT_EQ(modes.testMode(meta0, {1280, 1024, 32, 60, 0}), DispChange::BadMode);
    EXPECT_EQ(modes.applyMode(meta0, {1280, 1024, 32, 60, 0}, ChangeFlags::Temporary), DispChange::BadMode);
    EXPECT_EQ(modes.applyMode(meta0, {1920, 1080, 32, 60, 0}, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_EQ(modes.restoreRegistered(meta0), DispChange::Successful);
    EXPECT_EQ(modes.testMode(std::string("DP-9"), {1920, 1080, 32, 60, 0}), DispChange::BadParam);
}


// Orvane itself in the GNOME session, on Meta-1 (mutter puts a new window on
// the monitor with the pointer), watching Meta-0 at 50 %.
TEST(GnomeSession, OrvaneShowsTheWatchedMonitorAndForwardsADoubleClick) {
    PictureClient client(ProgramPath("PICTURE_CLIENT", PICTURE_CLIENT));  // mutter puts it on Meta-0
    ASSERT_TRUE(client.waitForLine(QStringLiteral("ready"))) << "the picture client did not start";
    std::string why;
    auto session = MutterSession::start({"Meta-1"}, why);  // the test's own mouse and eyes
    ASSERT_TRUE(session) << why;
    PipeWireStream meta1(session->streams()[0].node);
    ASSERT_TRUE(session->movePointer("Meta-1", 640, 360));

    const int interval = 500;
    OrvaneRun run;
    const std::optional<QPoint> shown = startWatching(run, meta1, interval);
    ASSERT_TRUE(shown);
    const QPoint view = *shown;
    QProcess& orvane = run.process;
    EXPECT_EQ(rgb(meta1.frame().pixel(view + QPoint(20, 20))), kRed);
    EXPECT_EQ(rgb(meta1.frame().pixel(view + QPoint(500, 20))), kBlue);

    // A change on the watched monitor shows within two intervals (the client
    // paints again where mutter 43 sent the frame before its change).
    EXPECT_TRUE(QTest::qWaitFor([&] {
        client.send("fill ffff00 600 300 100 100");
        return QTest::qWaitFor([&] { return rgb(meta1.frame().pixel(view + QPoint(325, 175))) == kYellow; },
                               2 * interval);
    }, 6000));

    doubleClickView(*session, view, client);

    pipeWireRestartsAndTheViewComesBack(orvane, client, view, interval);

    orvane.terminate();
    EXPECT_TRUE(orvane.waitForFinished(10000));
    EXPECT_EQ(orvane.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(orvane.exitCode(), 0);
}

// Orvane through the desktop portal, as on a desktop that is neither GNOME
// nor of the wlroots family. This portal (before 1.17) cannot restore remote
// desktop permission: the view starts from a screen cast alone, kept by a
// restore token in Orvane's folder, and the remote desktop is asked for at
// the first forwarded click. The portal's session outlives PipeWire's
// restart; Orvane opens a new one by itself.
TEST(GnomeSession, OrvaneThroughThePortalShowsTheMonitorAndForwardsADoubleClick) {
    const QString portalFile = ProgramPath("PORTAL_FILE", "");
    QProcess backend, frontend;
    backend.setProcessChannelMode(QProcess::MergedChannels);  // what the portal asked of it is read
    backend.start(ProgramPath("FAKE_PORTAL", ""), {});
    ASSERT_TRUE(waitForName(QStringLiteral("org.freedesktop.impl.portal.desktop.orvanetest")));
    ASSERT_TRUE(startFrontend(frontend, QStringLiteral("orvanetest"), QFileInfo(portalFile).path()));

    PictureClient client(ProgramPath("PICTURE_CLIENT", PICTURE_CLIENT));
    ASSERT_TRUE(client.waitForLine(QStringLiteral("ready"))) << "the picture client did not start";
    std::string why;
    auto session = MutterSession::start({"Meta-1"}, why);
    ASSERT_TRUE(session) << why;
    PipeWireStream meta1(session->streams()[0].node);
    ASSERT_TRUE(session->movePointer("Meta-1", 640, 360));

    qputenv("ORVANE_BACKEND", "portal");
    OrvaneRun run;
    const std::optional<QPoint> view = startWatching(run, meta1, 500);
    qunsetenv("ORVANE_BACKEND");
    ASSERT_TRUE(view);
    QFile token(run.config.filePath(QStringLiteral("portal-restore-token")));
    ASSERT_TRUE(token.open(QIODevice::ReadOnly)) << "no restore token kept";
    EXPECT_TRUE(token.readAll().startsWith("screencast ")) << "the token restores the screen cast";
    doubleClickView(*session, *view, client);
    backend.readAll();
    pipeWireRestartsAndTheViewComesBack(run.process, client, *view, 500);
    // The new session was restored from the token: the frontend handed the
    // backend what it had kept for it.
    const QByteArray asked = backend.readAll();
    EXPECT_TRUE(asked.contains("SelectSources") && asked.contains("restore_data")) << asked.toStdString();

    run.process.terminate();
    EXPECT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitCode(), 0);
    frontend.terminate();
    backend.terminate();
    frontend.waitForFinished(3000);
    backend.waitForFinished(3000);
}

// GNOME's own portal backend restores a screen cast from a token in the
// permission store (seeded there as it keeps one after its dialog): Orvane
// given that token starts without a dialog (none could be answered here)
// and shows the watched monitor.
TEST(GnomeSession, OrvaneThroughGnomesPortalStartsWithoutADialogFromItsToken) {
    QProcess::execute(QStringLiteral("dbus-update-activation-environment"),
                      {QStringLiteral("WAYLAND_DISPLAY=wayland-0"), QStringLiteral("XDG_CURRENT_DESKTOP=GNOME")});
    QProcess frontend;
    ASSERT_TRUE(startFrontend(frontend, QStringLiteral("GNOME")));
    QProcess seed;
    seed.start(ProgramPath("SEED_TOKEN", ""), {QStringLiteral("Meta-0"), QStringLiteral("Meta-1")});
    ASSERT_TRUE(seed.waitForFinished(10000) && seed.exitCode() == 0);
    const QByteArray token = seed.readAllStandardOutput().trimmed();

    PictureClient client(ProgramPath("PICTURE_CLIENT", PICTURE_CLIENT));
    ASSERT_TRUE(client.waitForLine(QStringLiteral("ready"))) << "the picture client did not start";
    std::string why;
    auto session = MutterSession::start({"Meta-1"}, why);
    ASSERT_TRUE(session) << why;
    PipeWireStream meta1(session->streams()[0].node);
    ASSERT_TRUE(session->movePointer("Meta-1", 640, 360));

    OrvaneRun run;
    QFile kept(run.config.filePath(QStringLiteral("portal-restore-token")));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly) && kept.write("screencast " + token + "\n") > 0);
    kept.close();
    qputenv("ORVANE_BACKEND", "portal");
    EXPECT_TRUE(startWatching(run, meta1, 500));
    qunsetenv("ORVANE_BACKEND");
    run.process.terminate();
    EXPECT_TRUE(run.process.waitForFinished(10000));
    frontend.terminate();
    frontend.waitForFinished(3000);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
