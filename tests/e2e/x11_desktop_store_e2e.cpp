// A registered mode under a desktop that keeps its own display settings:
// changed through RandR on the Xorg dummy server, then handed to the
// desktop's store (GNOME's sets it itself), played here by stand-ins on a private session bus (and a
// stand-in kscreen-doctor). Where the store refuses, the change is taken back
// and reported as not kept.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "e2e_support.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_modes.h"
#include "platform/x11/x11_platform.h"
#include "support/temp_dir.h"

using namespace orvane::platform;
using namespace orvane::e2e;
using orvane::test::readAll;
using orvane::test::writeAll;

namespace {

class DesktopStore : public ModesTest {
protected:
    void SetUp() override {
        ModesTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        small = find(right, 1280, 1024, 75);
        full = find(right, 1920, 1080, 60);
        ASSERT_TRUE(small && full);
        autostart = std::string(std::getenv("XDG_CONFIG_HOME")) + "/autostart/orvane-display-modes.desktop";
        std::remove(autostart.c_str());
    }
    void TearDown() override {
        if (service.state() != QProcess::NotRunning) {
            service.kill();
            service.waitForFinished(2000);
        }
        if (busPid > 0) ::kill(busPid, SIGTERM);
    }

    // The modes of DUMMY1 as GNOME would list them, '*' on the current one.
    std::string gnomeModes() {
        std::string out;
        const auto now = p->displayModes().currentMode(right);
        DisplayMode m;
        for (std::uint32_t n = 0; p->displayModes().enumMode(right, n, m); ++n) {
            out += (out.empty() ? "" : ",") + std::to_string(m.width) + "x" + std::to_string(m.height) + "@" +
                   std::to_string(m.frequency) + (now && *now == m ? "*" : "");
        }
        return out;
    }

    // A session bus of this test's own, which the backend then talks to.
    void startBus() {
        FILE* f = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        ASSERT_NE(f, nullptr);
        char address[512] = {};
        char pid[32] = {};
        const bool read = std::fgets(address, sizeof address, f) && std::fgets(pid, sizeof pid, f);
        ::pclose(f);
        ASSERT_TRUE(read) << "dbus-daemon did not start";
        address[std::strcspn(address, "\n")] = '\0';
        busPid = std::atoi(pid);
        setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
    }
    void startService(const QStringList& args) {
        startBus();
        service.setProcessChannelMode(QProcess::ForwardedChannels);
        service.start(QStringLiteral(FAKE_DESKTOP_SERVICES),
                      QStringList(args) << QStringLiteral("--log") << QString::fromStdString(log()));
        QElapsedTimer t;
        t.start();
        while (readAll(log()).find("ready") == std::string::npos && t.elapsed() < 10000) QThread::msleep(20);
        ASSERT_NE(readAll(log()).find("ready"), std::string::npos) << "the stand-in service did not start";
    }
    void startGnome(QStringList extra = {}) {
        setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
        startService(QStringList{QStringLiteral("--gnome"), QStringLiteral("--monitor"),
                                 QStringLiteral("DUMMY0@0,0:1920x1080@60*"), QStringLiteral("--monitor"),
                                 QStringLiteral("DUMMY1@1920,0:") + QString::fromStdString(gnomeModes())} +
                     extra);
    }
    std::string log() const { return dir.file("calls.log"); }
    bool autostartWritten() const { return QFile::exists(QString::fromStdString(autostart)); }
    std::int32_t keep() { return p->displayModes().applyMode(right, *small, ChangeFlags::UpdateRegistry); }

    orvane::test::TempDir dir;
    std::optional<DisplayMode> small, full;
    std::string autostart;
    QProcess service;
    int busPid = 0;
    const DeviceName right = std::string("DUMMY1");
};

TEST_F(DesktopStore, GnomeKeepsTheModeWithItsPersistentMethod) {
    // The service's state changes between our read and our apply once; the
    // apply is made again from its new state. The service sets the mode.
    startGnome({QStringLiteral("--stale-once")});
    ASSERT_EQ(keep(), DispChange::Successful);
    const auto now = p->displayModes().currentMode(right);
    ASSERT_TRUE(now);
    EXPECT_EQ(std::make_tuple(now->width, now->height, now->frequency), std::make_tuple(1280U, 1024U, 75U));
    const std::string calls = readAll(log());
    EXPECT_NE(calls.find("apply 2 DUMMY0@0,0=1920x1080@60.000 DUMMY1@1920,0=1280x1024@75.000 stale\n"),
              std::string::npos)
        << calls;
    EXPECT_NE(calls.find("state 2\napply 2 DUMMY0@0,0=1920x1080@60.000 DUMMY1@1920,0=1280x1024@75.000\n"),
              std::string::npos)
        << calls;
    // GNOME applies its own store at login; an autostart entry of ours would fight it.
    EXPECT_FALSE(autostartWritten());
    // GNOME Shell asks the user to keep it: the program does not ask as well.
    EXPECT_TRUE(p->displayModes().desktopConfirmsChange(ChangeFlags::UpdateRegistry));
    EXPECT_FALSE(p->displayModes().desktopConfirmsChange(0));
}

TEST_F(DesktopStore, AModeGnomeRefusesIsTakenBackAndReportedNotKept) {
    startGnome({QStringLiteral("--refuse")});
    EXPECT_EQ(keep(), DispChange::NotUpdated);
    EXPECT_EQ(p->displayModes().currentMode(right), full);
    EXPECT_NE(readAll(log()).find("refused"), std::string::npos);
    EXPECT_FALSE(autostartWritten());
    // Nothing is undone at exit either: the output shows what it showed.
    EXPECT_EQ(p->displayModes().restoreRegistered(right), DispChange::Successful);
    EXPECT_EQ(p->displayModes().currentMode(right), full);
}

TEST_F(DesktopStore, GnomeForbiddingChangesOrAbsentIsNotKept) {
    startGnome({QStringLiteral("--disallow")});
    EXPECT_EQ(keep(), DispChange::NotUpdated);
    EXPECT_EQ(p->displayModes().currentMode(right), full);
    EXPECT_EQ(readAll(log()).find("apply"), std::string::npos);

    // The desktop says GNOME but its service is gone.
    service.kill();
    service.waitForFinished(2000);
    EXPECT_EQ(keep(), DispChange::NotUpdated);
    EXPECT_EQ(p->displayModes().currentMode(right), full);
    EXPECT_FALSE(autostartWritten());
}

TEST_F(DesktopStore, XfceKeepsTheModeInTheDefaultAndTheActiveProfile) {
    setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
    startService({QStringLiteral("--xfce"), QStringLiteral("--active-profile"), QStringLiteral("Home")});
    ASSERT_EQ(keep(), DispChange::Successful);
    EXPECT_EQ(p->displayModes().currentMode(right), small);
    const std::string calls = readAll(log());
    for (const char* line : {"set displays /Default/DUMMY1/Resolution 1280x1024\n",
                             "set displays /Default/DUMMY1/RefreshRate 74.9987",
                             "set displays /Home/DUMMY1/Resolution 1280x1024\n"})
        EXPECT_NE(calls.find(line), std::string::npos) << line << " missing from\n" << calls;  // the exact rate, which XFCE matches modes by
    EXPECT_FALSE(autostartWritten());
    EXPECT_FALSE(p->displayModes().desktopConfirmsChange(ChangeFlags::UpdateRegistry)) << "XFCE does not ask";
}

TEST_F(DesktopStore, KdeKeepsTheModeThroughKScreen) {
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    const std::string tool = dir.file("kscreen-doctor");
    writeAll(tool, "#!/bin/sh\necho \"$@\" >> '" + log() + "'\nexec test ! -e '" + dir.file("refuse") + "'\n");
    ::chmod(tool.c_str(), 0755);
    setenv("PATH", (dir.path() + ":" + std::getenv("PATH")).c_str(), 1);
    ASSERT_EQ(keep(), DispChange::Successful);
    EXPECT_EQ(readAll(log()), "output.DUMMY1.mode.1280x1024@75\n");
    EXPECT_EQ(p->displayModes().currentMode(right), small);

    ASSERT_EQ(p->displayModes().applyMode(right, *full, 0), DispChange::Successful);
    writeAll(dir.file("refuse"), "");
    EXPECT_EQ(keep(), DispChange::NotUpdated);
    EXPECT_EQ(p->displayModes().currentMode(right), full);
    EXPECT_FALSE(autostartWritten());
}

}  // namespace
