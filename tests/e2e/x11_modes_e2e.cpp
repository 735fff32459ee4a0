// Display modes through RandR on the Xorg dummy server (Xvfb has no per-monitor
// modes): real changes, what restoring undoes, and a registered mode handed to
// GNOME's service (a stand-in on a private session bus) or kscreen-doctor.
#include <QFile>
#include <QtDBus>
#include <map>

#include "platform/desktop/gnome_display_config.h"
#include "support.h"

using namespace orvane::platform;
using namespace orvane::e2e;

namespace {

class X11Modes : public ::testing::Test {
protected:
    void SetUp() override {
        if (!isXorgDummy()) GTEST_SKIP() << "Xvfb offers no per-monitor modes; needs the Xorg dummy server";
        p = backend();
        const auto list = modes();
        ASSERT_GT(list.size(), 10U);
        full = list[0];  // the preferred mode first, as the server orders them
        for (const DisplayMode& m : list)
            if (!small && m.width == 1280 && m.height == 1024 && m.frequency == 75) small = m;
        ASSERT_TRUE(small && full->width == 1920 && full->height == 1080 && full->frequency == 60);
    }
    std::vector<DisplayMode> modes() {
        std::vector<DisplayMode> out;
        for (DisplayMode m; p->displayModes().enumMode(right, static_cast<std::uint32_t>(out.size()), m);)
            out.push_back(m);
        return out;
    }
    DisplayModes& dm() { return p->displayModes(); }

    std::unique_ptr<Platform> p;
    const DeviceName right = std::string("DUMMY1");
    std::optional<DisplayMode> small, full;
};

}  // namespace

TEST_F(X11Modes, ListedModesAreSetAndRestoredAsTheirOwnerWantsAndOthersRefused) {
    for (const DisplayMode& m : modes()) EXPECT_TRUE(m.bitsPerPixel == 32 && m.id != 0 && m.frequency > 0);
    EXPECT_EQ(dm().currentMode(std::nullopt)->width, 1920U) << "no name: the primary monitor's output";

    // Foreign modes, bad flags and unknown devices are refused and change nothing.
    const DisplayMode made{1234, 567, 32, 60, 999999};
    DisplayMode otherDepth = *small;
    otherDepth.bitsPerPixel = 16;
    const DeviceName nope = std::string("NOPE");
    EXPECT_EQ(dm().testMode(right, *small), DispChange::Successful);
    EXPECT_EQ(dm().testMode(right, otherDepth), DispChange::BadMode);
    EXPECT_EQ(dm().testMode(nope, *small), DispChange::BadParam);
    EXPECT_EQ(dm().applyMode(right, *small, 2), DispChange::BadFlags);
    EXPECT_EQ(dm().applyMode(right, *small, ChangeFlags::Global), DispChange::BadFlags);
    EXPECT_EQ(dm().applyMode(right, made, 0), DispChange::BadMode);
    EXPECT_EQ(dm().restoreRegistered(nope), DispChange::BadParam);
    EXPECT_FALSE(dm().enumMode(nope, 0, otherDepth));
    EXPECT_TRUE(xrandrShows("current 3840 x 1080")) << "nothing changed";

    // Restoring undoes a temporary change, but never a mode someone else set.
    ASSERT_EQ(dm().applyMode(right, *small, ChangeFlags::Temporary), DispChange::Successful);
    EXPECT_TRUE(xrandrShows("current 3200 x 1080") && xrandrShows("DUMMY1 connected 1280x1024+1920+0"));
    EXPECT_EQ(dm().currentMode(right), small);
    EXPECT_EQ(p->monitors().enumerate().at(1).monitor, (Rect{1920, 0, 3200, 1024}));
    EXPECT_EQ(p->monitors().openMonitor("DUMMY1")->refreshRate(), 75);
    // Growing back: the screen is enlarged before the CRTC changes.
    EXPECT_EQ(dm().restoreRegistered(right), DispChange::Successful);
    EXPECT_TRUE(xrandrShows("DUMMY1 connected 1920x1080+1920+0"));
    EXPECT_EQ(dm().restoreRegistered(right), DispChange::Successful);

    // Set with xrandr with no change of ours pending, or after one: theirs stays.
    for (const bool oursFirst : {false, true}) {
        ASSERT_TRUE(!oursFirst ||
                    dm().applyMode(right, *full, ChangeFlags::Temporary) == DispChange::Successful);
        ASSERT_TRUE(run("xrandr", {"--output", "DUMMY1", "--mode", "1280x1024_75"}));
        EXPECT_EQ(dm().restoreRegistered(right), DispChange::Successful);
        EXPECT_EQ(dm().currentMode(right), small);
    }

    // A registered change becomes the mode restoring keeps.
    ASSERT_TRUE(run("xrandr", {"--output", "DUMMY1", "--mode", "1920x1080_60"}));
    ASSERT_EQ(dm().applyMode(right, *small, ChangeFlags::UpdateRegistry), DispChange::Successful);
    EXPECT_EQ(dm().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(dm().currentMode(right), small);

    // Set back by someone else; a later run's temporary change the user takes back leaves that mode.
    ASSERT_TRUE(run("xrandr", {"--output", "DUMMY1", "--mode", "1920x1080_60"}));
    auto second = backend();
    ASSERT_EQ(second->displayModes().applyMode(right, *small, 0), DispChange::Successful);
    ASSERT_EQ(second->displayModes().applyMode(right, *full, 0), DispChange::Successful);
    EXPECT_EQ(second->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(second->displayModes().currentMode(right), full);

    const std::uint32_t both = ChangeFlags::UpdateRegistry | ChangeFlags::Global;
    ASSERT_EQ(dm().applyMode(right, *small, both), DispChange::Successful);
    ASSERT_EQ(dm().applyMode(right, *full, both), DispChange::Successful);
    EXPECT_TRUE(xrandrShows("current 3840 x 1080"));
}

namespace {

using namespace orvane::platform::desktop::gnome;

// GNOME's display configuration service in the test process: it notes every call and, as mutter
// does, sets the mode it is given itself.
class GnomeStandIn : public QDBusVirtualObject {
public:
    State state;
    bool allowed = true, refuse = false, staleOnce = false;
    std::string calls;
    std::map<QString, QString> current{{"DUMMY0", "1920x1080@60.000"}, {"DUMMY1", "1920x1080@60.000"}};

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        if (m.member() == QLatin1String("Get"))  // ApplyMonitorsConfigAllowed, the only property asked
            bus.send(m.createReply(QVariant::fromValue(QDBusVariant(allowed))));
        else if (m.member() != QLatin1String("GetCurrentState"))
            bus.send(apply(m));
        else {
            calls += "state " + std::to_string(state.serial) + "\n";
            bus.send(m.createReply({QVariant::fromValue(state.serial), QVariant::fromValue(state.monitors),
                                    QVariant::fromValue(state.logicalMonitors),
                                    QVariant::fromValue(state.properties)}));
            if (std::exchange(staleOnce, false)) ++state.serial;  // a change taken in right after answering
        }
        return true;
    }

private:
    QDBusMessage apply(const QDBusMessage& m) {
        const auto layout = qdbus_cast<QList<ApplyLogicalMonitor>>(m.arguments().value(2));
        QString line = QStringLiteral("apply %1").arg(m.arguments().value(1).toUInt());
        for (const ApplyLogicalMonitor& lm : layout)
            for (const ApplyMonitor& mon : lm.monitors)
                line += QStringLiteral(" %1@%2,%3=%4").arg(mon.connector).arg(lm.x).arg(lm.y).arg(mon.modeId);
        const bool stale = m.arguments().value(0).toUInt() != state.serial;
        calls += line.toStdString() + (stale ? " stale\n" : refuse ? " refused\n" : "\n");
        if (stale || refuse)
            return m.createErrorReply(QDBusError::AccessDenied,
                                      stale ? "The requested configuration is based on stale information"
                                            : "Logical monitors not adjacent");
        for (const ApplyLogicalMonitor& lm : layout)
            for (const ApplyMonitor& a : lm.monitors)
                if (std::exchange(current[a.connector], a.modeId) != a.modeId)
                    run("xrandr", {"--output", a.connector, "--mode", a.modeId.section('@', 0, 0), "--rate",
                                   a.modeId.section('@', 1)});
        ++state.serial;
        return m.createReply();
    }
};

class DesktopStore : public X11Modes {
protected:
    void SetUp() override {
        X11Modes::SetUp();
        QFile::remove(autostart);
    }
    void TearDown() override { QDBusConnection::disconnectFromBus("stand-in"); }
    // The stand-in on a session bus of this test's own.
    void startGnome() {
        setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus.waitForReadyRead(10000)) << "dbus-daemon did not start";
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        setenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8().constData(), 1);
        registerTypes();
        // The modes that matter: each monitor's current one, and the one kept.
        gnome.state.serial = 1;
        gnome.state.properties["layout-mode"] = QVariant::fromValue(kLayoutPhysical);
        for (const auto& [name, x] : {std::pair{"DUMMY0", 0}, std::pair{"DUMMY1", 1920}}) {
            const MonitorId id{name, "XXX", "Stand-in", "0"};
            QList<Mode> modes{{"1920x1080@60.000", 1920, 1080, 60, 1, {1.0}, {{"is-current", true}}}};
            if (x) modes.push_back({"1280x1024@75.000", 1280, 1024, 75, 1, {1.0}, {{"is-current", false}}});
            gnome.state.monitors.push_back({id, modes, {}});
            gnome.state.logicalMonitors.push_back({x, 0, 1.0, 0, x == 0, {id}, {}});
        }
        QDBusConnection c = QDBusConnection::connectToBus(address, "stand-in");
        ASSERT_TRUE(c.registerVirtualObject(kPath, &gnome) && c.registerService(kService));
    }
    std::int32_t keep() { return dm().applyMode(right, *small, ChangeFlags::UpdateRegistry); }

    GnomeStandIn gnome;
    const QString autostart =
        qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/orvane-display-modes.desktop";
    QProcess bus;  // ended with the test
};

}  // namespace

TEST_F(DesktopStore, GnomeKeepsTheModeWithItsPersistentMethod) {
    // The service's state changes once between our read and our apply: applied again from the new one.
    gnome.staleOnce = true;
    startGnome();
    ASSERT_EQ(keep(), DispChange::Successful);
    const auto now = dm().currentMode(right);  // the service's choice among modes of that size and rate
    EXPECT_TRUE(now && now->width == 1280 && now->height == 1024 && now->frequency == 75);
    const std::string apply = "apply 2 DUMMY0@0,0=1920x1080@60.000 DUMMY1@1920,0=1280x1024@75.000";
    EXPECT_NE(gnome.calls.find(apply + " stale\nstate 2\n" + apply + "\n"), std::string::npos) << gnome.calls;
    EXPECT_FALSE(QFile::exists(autostart)) << "another store keeps it: no autostart entry of ours";
    // GNOME Shell asks the user to keep it: the program does not ask as well.
    EXPECT_TRUE(dm().desktopConfirmsChange(ChangeFlags::UpdateRegistry));
    EXPECT_FALSE(dm().desktopConfirmsChange(0));
}

// Refused, not allowed, or the service gone: not kept, and the output shows what it showed, at exit too.
TEST_F(DesktopStore, AModeGnomeRefusesForbidsOrCannotTakeIsTakenBackAndReportedNotKept) {
    gnome.refuse = true;
    startGnome();
    for (const char* step : {"refused", "not allowed", "gone"}) {
        SCOPED_TRACE(step);
        if (step[0] == 'n') gnome.allowed = false;
        if (step[0] == 'g') QDBusConnection::disconnectFromBus("stand-in");
        gnome.calls.clear();
        EXPECT_EQ(keep(), DispChange::NotUpdated);
        EXPECT_EQ(gnome.calls.find("refused") != std::string::npos, step[0] == 'r');
        EXPECT_EQ(dm().restoreRegistered(right), DispChange::Successful);
        EXPECT_EQ(dm().currentMode(right), full);
    }
    EXPECT_FALSE(QFile::exists(autostart));
}

TEST_F(DesktopStore, KdeKeepsTheModeThroughKScreenAndWhatItRefusesIsTakenBack) {
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    const orvane::test::TempDir dir;
    const std::string tool = dir.file("kscreen-doctor"), log = dir.file("calls.log");
    orvane::test::writeAll(
        tool, "#!/bin/sh\necho \"$@\" >> '" + log + "'\nexec test ! -e '" + dir.file("refuse") + "'\n");
    QFile::setPermissions(QString::fromStdString(tool), QFile::ReadOwner | QFile::ExeOwner);
    setenv("PATH", (dir.path() + ":" + std::getenv("PATH")).c_str(), 1);
    ASSERT_EQ(keep(), DispChange::Successful);
    EXPECT_EQ(orvane::test::readAll(log), "output.DUMMY1.mode.1280x1024@75\n");
    EXPECT_EQ(dm().currentMode(right), small);

    ASSERT_EQ(dm().applyMode(right, *full, 0), DispChange::Successful);
    orvane::test::writeAll(dir.file("refuse"), "");
    EXPECT_EQ(keep(), DispChange::NotUpdated);
    EXPECT_EQ(dm().currentMode(right), full);
}
