// The settings dialog, opened from the Tool menu and operated with clicks.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "dialogs/frm_setting.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

struct SettingsDialogTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    int reloads = 0;
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
        fake.setCallHook([this](const std::string& call) { reloads += call == "Monitors::enumerate"; });
    }
    // Opens the dialog from the menu and lets `act` work it.
    void openSettings(const std::function<void(frmSetting&)>& act) {
        openDialog<frmSetting>([&] { ASSERT_TRUE(choose(w().mnuTool_Setting)); }, act);
    }
    static void click(QWidget* control) {
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    }
};

TEST_F(SettingsDialogTest, OkAppliesEveryOptionCancelNoneAndReloadsOnlyForAnotherMethod) {
    start();
    reloads = 0;
    openSettings([&](frmSetting& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("オルヴァン - 設定"));
        EXPECT_FALSE(d.chkDraw->isChecked());
        EXPECT_TRUE(d.optMonitor[0]->isChecked());
        EXPECT_EQ(d.lblMonitorInfo->text(), MonitorMethodText(0));
        for (QCheckBox* c : d.chkView) EXPECT_TRUE(c->isChecked());
        click(d.chkDraw);
        click(d.chkStretchMode);
        click(d.optMonitor[2]);
        EXPECT_EQ(
            d.lblMonitorInfo->text(),
            QStringLiteral("解像度を変更し、設定を保存します。\r\nシステムが再起動しても設定は継続します。"))
            << "the explanation follows at once";
        click(d.chkView[2]);  // ツールバー
        click(d.chkView[4]);  // ステータスバー
        click(d.cmdOkCancel[0]);
    });
    EXPECT_TRUE(AppState.NoRedraw);
    EXPECT_TRUE(AppState.StretchHalftone);
    EXPECT_EQ(AppState.ChangeDisplayType, 2);
    EXPECT_FALSE(AppState.ToolBar);
    EXPECT_FALSE(AppState.StatusBar);
    EXPECT_TRUE(AppState.TitleBar && AppState.MenuBar && AppState.ScrollBar);
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_FALSE(w().picStatusBar->isVisible());
    EXPECT_FALSE(w().mnuView_ToolBar->isChecked());
    EXPECT_FALSE(w().mnuPopup_View_StatusBar->isChecked());
    EXPECT_FALSE(w().picView->persistent());
    EXPECT_EQ(w().picView->stretchMode(), platform::StretchMode::Simple);
    EXPECT_EQ(w().picFrame->y(), 0) << "laid out again without the tool bar";
    EXPECT_EQ(reloads, 1) << "another method re-reads the monitors";
    EXPECT_TRUE(w().tmrMain.isActive());

    reloads = 0;
    openSettings([&](frmSetting& d) {
        EXPECT_TRUE(d.optMonitor[2]->isChecked()) << "filled anew from the settings";
        EXPECT_FALSE(d.chkView[2]->isChecked());
        click(d.chkView[2]);
        click(d.cmdOkCancel[0]);
    });
    EXPECT_EQ(reloads, 0) << "the same method: no re-reading";
    EXPECT_TRUE(w().picToolBox->isVisible());

    // Cancel changes nothing, but puts a window changed by hand back in line.
    w().picToolBox->setVisible(false);
    openSettings([&](frmSetting& d) {
        click(d.chkDraw);
        click(d.optMonitor[1]);
        click(d.chkView[0]);
        click(d.cmdOkCancel[1]);
    });
    EXPECT_TRUE(AppState.NoRedraw);
    EXPECT_EQ(AppState.ChangeDisplayType, 2);
    EXPECT_TRUE(AppState.TitleBar);
    EXPECT_EQ(reloads, 0);
    EXPECT_TRUE(w().picToolBox->isVisible());
    EXPECT_FALSE(w().picView->persistent());
    EXPECT_TRUE(w().tmrMain.isActive());
    closeWindow();
    const std::string saved = test::readAll(settingsFile());
    EXPECT_NE(saved.find("ChangeDisplayType= 2\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("NoRedraw= 1\r\n"), std::string::npos);
}

TEST_F(SettingsDialogTest, AStoredMethodOutsideTheListIsKeptUntilOneIsChosen) {
    writeSettings("[Main]\r\nChangeDisplayType= 7\r\n");
    start();
    openSettings([&](frmSetting& d) {
        for (QRadioButton* b : d.optMonitor) EXPECT_FALSE(b->isChecked());
        EXPECT_TRUE(d.lblMonitorInfo->text().isEmpty());
        click(d.cmdOkCancel[0]);
    });
    EXPECT_EQ(AppState.ChangeDisplayType, 7);
    openSettings([&](frmSetting& d) {
        click(d.optMonitor[1]);
        EXPECT_EQ(d.lblMonitorInfo->text(), MonitorMethodText(1));
        click(d.cmdOkCancel[0]);
    });
    EXPECT_EQ(AppState.ChangeDisplayType, 1);
}

TEST_F(SettingsDialogTest, InFullScreenTheBarsWaitForItsEnd) {
    writeSettings("[View]\r\nFullScreen= 1\r\n");
    start();
    // The menu bar shows while the pointer is at the top edge.
    QWidget* view = w().picView->widget();
    QMouseEvent top(QEvent::MouseMove, QPointF(50, 3), view->mapToGlobal(QPointF(50, 3)), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &top);
    ASSERT_TRUE(w().menuBar()->isVisible());
    openSettings([&](frmSetting& d) {
        click(d.chkView[4]);  // ステータスバー off
        click(d.chkView[2]);  // ツールバー off
        click(d.cmdOkCancel[0]);
    });
    EXPECT_FALSE(w().mnuView_StatusBar->isChecked()) << "the marks change at once";
    EXPECT_FALSE(w().picStatusBar->isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Full));
    EXPECT_FALSE(w().picStatusBar->isVisible());
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_TRUE(w().menuBar()->isVisible());
}

}  // namespace
}  // namespace orvane
