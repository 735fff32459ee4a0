// Finding the monitors and choosing the watched one, on a simulated desktop.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "display/display.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using test::MainWindowTest;

std::vector<QString> listItems(const QComboBox* combo) {
    std::vector<QString> items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i));
    return items;
}

// The monitor menu: captions and which item carries the check mark.
std::vector<std::pair<QString, bool>> menuItems(const frmMain& w) {
    std::vector<std::pair<QString, bool>> items;
    for (QAction* a : w.mnuTool_Select_Monitor) items.emplace_back(a->text(), a->isChecked());
    return items;
}

TEST_F(MainWindowTest, MonitorsAreListedInPlatformOrderAndTheWatchedOneDescribed) {
    addMonitor("HDMI-2", {-1280, -200, 0, 824}, false, 16);
    addMonitor("DP-1", {0, 0, 1920, 1080}, true, 24);
    writeSettings("[Main]\r\nDisplay=HDMI-2\r\n");
    frmMain& w = start();
    EXPECT_EQ(listItems(w.cmbDisplayList), (std::vector<QString>{"   HDMI-2", "(*)DP-1"}));
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 0);
    EXPECT_EQ(menuItems(w), (std::vector<std::pair<QString, bool>>{{"   HDMI-2", true}, {"(*)DP-1", false}}));
    EXPECT_EQ(AppState.MonitorTable[1].szDevice, DeviceField("DP-1"));
    EXPECT_EQ(AppState.Display, DeviceField("HDMI-2")) << "the whole padded field";
    EXPECT_EQ(w.lblStatus_Display_Pos->text(), "L = -1280 T = -200");
    EXPECT_EQ(w.lblStatus_Display_Size->text(), "W = 1280 H = 1024 B = 16");
    EXPECT_EQ(AppState.ViewLeft, -1280);
    EXPECT_EQ(AppState.ViewTop, -200);
    EXPECT_EQ(AppState.ViewWidth, 1280);
    EXPECT_EQ(AppState.ViewFreq, 60);
    ASSERT_TRUE(w.MonitorDC);
    EXPECT_EQ(w.MonitorDC->rect(), (platform::Rect{-1280, -200, 0, 824}));
}

TEST_F(MainWindowTest, TheWindowsOwnMonitorIsChosenThenTheRememberedOne) {
    // The window stands on the right-hand, non-primary monitor.
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    addMonitor("DUMMY1", {1920, 0, 3200, 1024}, false);
    writeSettings(
        "[View]\r\nWindowPos_Left= 30000\r\nWindowPos_Top= 1500\r\n"
        "[Main]\r\nScrollPos_X= 40\r\nScrollPos_Y= 30\r\n");
    frmMain& w = start();
    EXPECT_EQ(listItems(w.cmbDisplayList), (std::vector<QString>{"(*)DUMMY0", "   DUMMY1"}));
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 1);
    EXPECT_EQ(w.lblStatus_Display_Pos->text(), "L = 1920 T = 0");
    EXPECT_EQ(AppState.ScrollPos_X, 0) << "no remembered monitor: the scroll position is dropped";
    EXPECT_EQ(AppState.ScrollPos_Y, 0);
    closeWindow();

    freshRun();
    writeSettings("[View]\r\nWindowPos_Left= 30000\r\nWindowPos_Top= 1500\r\n[Main]\r\nDisplay=DUMMY0\r\n");
    frmMain& again = start();
    EXPECT_EQ(again.cmbDisplayList->currentIndex(), 0) << "the remembered monitor wins";
    EXPECT_EQ(menuItems(again),
              (std::vector<std::pair<QString, bool>>{{"(*)DUMMY0", true}, {"   DUMMY1", false}}));
    EXPECT_EQ(again.lblStatus_Display_Size->text(), "W = 1920 H = 1080 B = 32");
}

TEST_F(MainWindowTest, MenuAndListMirrorEachOtherAndReloadKeepsTheWatchedMonitorByName) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    addMonitor("DUMMY1", {1920, 0, 3840, 1080}, false);
    addMonitor("DUMMY2", {3840, 0, 5120, 1024}, false);
    frmMain& w = start();
    // The menu and the list mirror each other.
    ASSERT_TRUE(chooseItem(w.cmbDisplayList, 1));
    EXPECT_EQ(AppState.ViewLeft, 1920);
    EXPECT_EQ(menuItems(w), (std::vector<std::pair<QString, bool>>{
                                {"(*)DUMMY0", false}, {"   DUMMY1", true}, {"   DUMMY2", false}}));
    ASSERT_TRUE(choose(w.mnuTool_Select_Monitor[2]));
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 2);
    EXPECT_EQ(AppState.ViewLeft, 3840);
    // The menu items stand above the separator and the reload item.
    const auto actions = w.mnuTool_Select->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[3], w.mnuTool_Select_Line1);
    EXPECT_EQ(actions[4], w.mnuTool_Select_Reload);
    std::weak_ptr<Display> released = AppState.DisplayTable[2];

    // DUMMY1 goes away: DUMMY2 moves to index 1 and stays the watched one.
    fake.removeMonitor("DUMMY1");
    fake.setMonitorRect("DUMMY2", {1920, 0, 3200, 1024});
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);
    EXPECT_EQ(listItems(w.cmbDisplayList), (std::vector<QString>{"(*)DUMMY0", "   DUMMY2"}));
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 1);
    EXPECT_EQ(AppState.MonitorTable.size(), 2u);
    EXPECT_EQ(AppState.DisplayTable.size(), 2u);
    EXPECT_EQ(AppState.MonitorCount, 2);
    EXPECT_EQ(menuItems(w),
              (std::vector<std::pair<QString, bool>>{{"(*)DUMMY0", false}, {"   DUMMY2", true}}));
    EXPECT_TRUE(released.expired()) << "the old Display objects are released";
    EXPECT_EQ(w.lblStatus_Display_Pos->text(), "L = 1920 T = 0");
    EXPECT_EQ(w.FormState, 2);

    // The watched monitor itself goes away: the window's own monitor is watched.
    fake.removeMonitor("DUMMY2");
    ASSERT_TRUE(choose(w.mnuTool_Select_Reload));
    EXPECT_EQ(listItems(w.cmbDisplayList), std::vector<QString>{"(*)DUMMY0"});
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 0);
    EXPECT_EQ(w.mnuTool_Select_Monitor.size(), 1u);
    EXPECT_EQ(AppState.ViewLeft, 0);
}

TEST_F(MainWindowTest, NoMonitorsOrNoSelectionFallBackInsteadOfFailing) {
    // A desktop reporting no monitor still yields one covering the screen.
    frmMain& w = start();
    EXPECT_EQ(w.cmbDisplayList->count(), 1);
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 0);
    EXPECT_GT(AppState.ViewWidth, 0);

    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    w.cmbDisplayList->setCurrentIndex(-1);  // a reload without a selection
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);
    EXPECT_EQ(w.cmbDisplayList->currentIndex(), 0);
    EXPECT_EQ(listItems(w.cmbDisplayList), std::vector<QString>{"(*)DUMMY0"});
}

TEST_F(MainWindowTest, DisplayObjectsFollowTheChangeMethodAndTheirMonitor) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    addMonitor("DUMMY1", {1920, 0, 3840, 1080}, false);
    fake.setModes("DUMMY1",
                  {platform::fake::fakeMode(1920, 1080, 32, 60), platform::fake::fakeMode(1280, 1024, 32, 75),
                   platform::fake::fakeMode(1920, 1080, 32, 50)});
    writeSettings("[Main]\r\nChangeDisplayType= 2\r\nDisplay=DUMMY1\r\n");
    start();
    ASSERT_EQ(AppState.DisplayTable.size(), 2u);
    EXPECT_EQ(AppState.DisplayTable[1]->UpdateRegistry(), 1);
    EXPECT_EQ(AppState.DisplayTable[1]->GetDisplayModeNumber(), 3);
    EXPECT_EQ(AppState.DisplayTable[0]->GetDisplayModeNumber(), 1);
    // The catalogue of the watched monitor groups its modes by size.
    ASSERT_EQ(AppState.DisplaySettingInfo.size(), 2u);
    EXPECT_EQ(AppState.DisplaySettingInfo[0].Width, 1920);
    EXPECT_EQ(AppState.DisplaySettingInfo[0].LastSub, 1);
    EXPECT_EQ(AppState.DisplaySettingInfo[0].SubInfo[1].Freq, 50);
    EXPECT_EQ(AppState.DisplaySettingInfo[0].SubInfo[1].ModeIndex, 2);
    EXPECT_EQ(AppState.DisplaySettingInfo[1].Height, 1024);

    for (auto [type, expected] : {std::pair{3, 2}, std::pair{1, 0}, std::pair{0, 0}, std::pair{7, 0}}) {
        AppState.ChangeDisplayType = type;
        QTest::mouseClick(window->cmdReload, Qt::LeftButton);
        EXPECT_EQ(AppState.DisplayTable[0]->UpdateRegistry(), expected) << type;
    }
}

}  // namespace
}  // namespace orvane
