// The monitor list follows the platform's reports of changed monitors by
// itself: kept by name, a vanished watched monitor awaited and returned to.
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using test::MainWindowTest;

QStringList listItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i));
    return items;
}

TEST_F(MainWindowTest, TheListFollowsMonitorsThatComeGoAndChange) {
    addMonitor("DP-1", {0, 0, 1920, 1080}, true);
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    writeSettings("[Main]\r\nDisplay=HDMI-1\r\n");
    frmMain& w = start();
    ASSERT_EQ(w.cmbDisplayList->currentIndex(), 1);

    // Plugged in: listed without a reload, the watched one kept.
    addMonitor("DP-2", {-1280, 0, 0, 1024}, false);
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return w.cmbDisplayList->count() == 3; }));
    EXPECT_EQ(listItems(w.cmbDisplayList), (QStringList{"(*)DP-1", "   HDMI-1", "   DP-2"}));
    EXPECT_EQ(w.cmbDisplayList->currentText(), "   HDMI-1");
    EXPECT_EQ(w.mnuTool_Select_Monitor.size(), 3u);

    // The watched monitor changes resolution: the view takes its new size.
    fake.setMonitorRect("HDMI-1", {1920, 0, 3200, 720});
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return AppState.ViewWidth == 1280; }));
    EXPECT_EQ(w.lblStatus_Display_Size->text(), "W = 1280 H = 720 B = 32");
    ASSERT_TRUE(w.MonitorDC);
    EXPECT_EQ(w.MonitorDC->rect(), (platform::Rect{1920, 0, 3200, 720}));
    // Its refresh rate alone: the rate shown and the mode to come back to follow.
    fake.setModes("HDMI-1", {platform::fake::fakeMode(1280, 720, 32, 75)});  // set by another program
    fake.setRefreshRate("HDMI-1", 75);
    fake.announceLayoutChange();
    EXPECT_TRUE(waitFor([&] { return AppState.ViewFreq == 75; }));

    // Unplugged: the view shows what the reload would choose (the window's
    // own monitor) ...
    fake.removeMonitor("HDMI-1");
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return w.cmbDisplayList->count() == 2; }));
    EXPECT_EQ(w.cmbDisplayList->currentText(), "(*)DP-1");
    EXPECT_EQ(AppState.ViewLeft, 0);
    // ... through other changes meanwhile ...
    fake.setMonitorRect("DP-2", {-1920, 0, 0, 1080});
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return AppState.MonitorTable.size() == 2 && AppState.MonitorTable[1].rcMonitor.left == -1920; }));
    EXPECT_EQ(w.cmbDisplayList->currentText(), "(*)DP-1");
    // ... and returns to it when it comes back under its name.
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return w.cmbDisplayList->currentText() == "   HDMI-1"; }));
    EXPECT_EQ(AppState.ViewLeft, 1920);
    EXPECT_EQ(AppState.ViewWidth, 1920);
}

TEST_F(MainWindowTest, AMonitorChosenMeanwhileIsNotLeftWhenTheOldOneReturns) {
    addMonitor("DP-1", {0, 0, 1920, 1080}, true);
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    addMonitor("DP-2", {3840, 0, 5120, 1024}, false);
    writeSettings("[Main]\r\nDisplay=HDMI-1\r\n");
    frmMain& w = start();
    fake.removeMonitor("HDMI-1");
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return w.cmbDisplayList->count() == 2; }));
    ASSERT_TRUE(chooseItem(w.cmbDisplayList, 1));  // the user picks DP-2
    ASSERT_EQ(w.cmbDisplayList->currentText(), "   DP-2");

    addMonitor("HDMI-1", {5120, 0, 7040, 1080}, false);
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return w.cmbDisplayList->count() == 3; }));
    EXPECT_EQ(w.cmbDisplayList->currentText(), "   DP-2") << "the user's own choice stays";
}

TEST_F(MainWindowTest, AReportWhileADialogIsOpenWaitsForItToClose) {
    addMonitor("DP-1", {0, 0, 1920, 1080}, true);
    addMonitor("HDMI-1", {1920, 0, 3840, 1080}, false);
    frmMain& w = start();
    QMessageBox box(QMessageBox::Information, "x", "x", QMessageBox::Ok, &w);
    QTimer::singleShot(0, [&] {
        addMonitor("DP-2", {3840, 0, 5120, 1024}, false);
        fake.announceLayoutChange();
        QTest::qWait(600);  // well past the settling time
        EXPECT_EQ(w.cmbDisplayList->count(), 2) << "not read while the dialog is open";
        QTest::keyClick(&box, Qt::Key_Return);
    });
    box.exec();
    EXPECT_TRUE(waitFor([&] { return w.cmbDisplayList->count() == 3; }));
}

}  // namespace
}  // namespace orvane
