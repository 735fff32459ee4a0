// Finding the monitors and choosing the watched one on a simulated desktop;
// the list follows the platform's reports of monitors that come, go and change.
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QToolButton>

#include "display/display.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using test::MainWindowTest;

// The list's items, the current one marked; the monitor menu mirrors it.
QStringList listed(const frmMain& w) {
    QStringList list, menu;
    for (int i = 0; i < w.cmbDisplayList->count(); ++i)
        list << w.cmbDisplayList->itemText(i) + (i == w.cmbDisplayList->currentIndex() ? " <" : "");
    for (QAction* a : w.mnuTool_Select_Monitor) menu << a->text() + (a->isChecked() ? " <" : "");
    EXPECT_EQ(menu, list) << "the menu mirrors the list";
    return list;
}

// The window's own monitor is watched while none is remembered, then the
// remembered one; the list keeps the platform's order.
TEST_F(MainWindowTest, TheWindowsOwnMonitorIsChosenThenTheRememberedOne) {
    addMonitor("HDMI-2", {1920, -200, 3200, 824}, false, 16);  // the window stands here
    addMonitor("DP-1", {0, 0, 1920, 1080}, true, 24);
    const std::string placed = "[View]\r\nWindowPos_Left= 30000\r\nWindowPos_Top= 1500\r\n[Main]\r\n";
    writeSettings(placed + "ScrollPos_X= 40\r\nScrollPos_Y= 30\r\n");
    frmMain& w = start();
    EXPECT_EQ(listed(w), (QStringList{"   HDMI-2 <", "(*)DP-1"}));
    EXPECT_EQ(AppState.Display, DeviceField("HDMI-2")) << "the whole padded field";
    EXPECT_EQ(w.lblStatus_Display_Pos->text(), "L = 1920 T = -200");
    EXPECT_EQ(w.lblStatus_Display_Size->text(), "W = 1280 H = 1024 B = 16");
    EXPECT_EQ(AppState.ViewFreq, 60);
    EXPECT_EQ(w.MonitorDC->rect(), (platform::Rect{1920, -200, 3200, 824}));
    EXPECT_EQ(AppState.ScrollPos_X + AppState.ScrollPos_Y, 0) << "no remembered monitor: no scroll position";
    closeWindow();
    freshRun();
    writeSettings(placed + "Display=DP-1\r\n");
    EXPECT_EQ(listed(start()), (QStringList{"   HDMI-2", "(*)DP-1 <"}));
}

TEST_F(MainWindowTest, MenuAndListMirrorEachOtherAndReloadKeepsTheWatchedMonitorByName) {
    frmMain& w = start();  // no monitor reported: one covering the screen
    EXPECT_EQ(w.cmbDisplayList->count(), 1);
    EXPECT_GT(AppState.ViewWidth, 0);
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    addMonitor("DUMMY1", {1920, 0, 3840, 1080}, false);
    addMonitor("DUMMY2", {3840, 0, 5120, 1024}, false);
    w.cmbDisplayList->setCurrentIndex(-1);  // a reload without a selection
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 0);
    ASSERT_TRUE(chooseItem(w.cmbDisplayList, 1));
    EXPECT_EQ(AppState.ViewLeft, 1920);
    ASSERT_TRUE(choose(w.mnuTool_Select_Monitor[2]));
    EXPECT_EQ(listed(w), (QStringList{"(*)DUMMY0", "   DUMMY1", "   DUMMY2 <"}));
    EXPECT_EQ(AppState.ViewLeft, 3840);
    EXPECT_EQ(w.mnuTool_Select->actions().mid(3),
              (QList<QAction*>{w.mnuTool_Select_Line1, w.mnuTool_Select_Reload}));
    std::weak_ptr<Display> released = AppState.DisplayTable[2];

    // DUMMY1 goes away: DUMMY2 moves to index 1 and stays the watched one.
    fake.removeMonitor("DUMMY1");
    fake.setMonitorRect("DUMMY2", {1920, 0, 3200, 1024});
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);
    EXPECT_EQ(listed(w), (QStringList{"(*)DUMMY0", "   DUMMY2 <"}));
    EXPECT_TRUE(released.expired()) << "the old Display objects are released";
    EXPECT_EQ(w.lblStatus_Display_Pos->text(), "L = 1920 T = 0");
    // The watched monitor itself goes away: the window's own monitor is watched.
    fake.removeMonitor("DUMMY2");
    ASSERT_TRUE(choose(w.mnuTool_Select_Reload));
    EXPECT_EQ(listed(w), QStringList{"(*)DUMMY0 <"});
    EXPECT_EQ(AppState.ViewLeft, 0);
}

TEST_F(MainWindowTest, TheListFollowsMonitorsThatComeGoAndChange) {
    addMonitor("DP-1", {0, 0, 1920, 1080}, true);
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    writeSettings("[Main]\r\nDisplay=HDMI-1\r\n");
    frmMain& w = start();
    // The platform reports a change; `done` says the window has followed it.
    auto reported = [&](const std::function<bool()>& done) {
        fake.desk().layoutWatcher();
        return QTest::qWaitFor(done, 5000);
    };
    auto rows = [&](int n) { return [&w, n] { return w.cmbDisplayList->count() == n; }; };
    // Plugged in: listed without a reload, the watched one kept.
    addMonitor("DP-2", {-1280, 0, 0, 1024}, false);
    ASSERT_TRUE(reported(rows(3)));
    EXPECT_EQ(listed(w), (QStringList{"(*)DP-1", "   HDMI-1 <", "   DP-2"}));
    // The watched monitor changes resolution, then its refresh rate alone (set by another program).
    fake.setMonitorRect("HDMI-1", {1920, 0, 3200, 720});
    ASSERT_TRUE(reported([] { return AppState.ViewWidth == 1280; }));
    EXPECT_EQ(w.lblStatus_Display_Size->text(), "W = 1280 H = 720 B = 32");
    EXPECT_EQ(w.MonitorDC->rect(), (platform::Rect{1920, 0, 3200, 720}));
    fake.setModes("HDMI-1", {platform::fake::fakeMode(1280, 720, 32, 75)});
    fake.desk().find("HDMI-1")->refreshRate = 75;
    ASSERT_TRUE(reported([] { return AppState.ViewFreq == 75; }));
    // Unplugged: the view shows the window's own monitor ...
    fake.removeMonitor("HDMI-1");
    ASSERT_TRUE(reported(rows(2)));
    EXPECT_EQ(w.cmbDisplayList->currentText(), "(*)DP-1");
    // ... and returns to it when it comes back under its name.
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    ASSERT_TRUE(reported([&] { return w.cmbDisplayList->currentText() == "   HDMI-1"; }));
    EXPECT_EQ(AppState.ViewWidth, 1920);
    // Unless the user chose another meanwhile.
    fake.removeMonitor("HDMI-1");
    ASSERT_TRUE(reported(rows(2)));
    ASSERT_TRUE(chooseItem(w.cmbDisplayList, 1));
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    ASSERT_TRUE(reported(rows(3)));
    EXPECT_EQ(w.cmbDisplayList->currentText(), "   DP-2");

    // A report while a dialog is open waits for it to close.
    QMessageBox box(QMessageBox::Information, "x", "x", QMessageBox::Ok, &w);
    QTimer::singleShot(0, [&] {
        fake.removeMonitor("DP-2");
        fake.desk().layoutWatcher();
        QTest::qWait(600);  // well past the settling time
        EXPECT_EQ(w.cmbDisplayList->count(), 3) << "not read while the dialog is open";
        QTest::keyClick(&box, Qt::Key_Return);
    });
    box.exec();
    EXPECT_TRUE(waitFor(rows(2)));
}

}  // namespace
}  // namespace orvane
