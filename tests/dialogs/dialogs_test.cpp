// The About box and the settings dialog, opened from the menus and operated
// with clicks and keys.
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "dialogs/frm_about.h"
#include "dialogs/frm_setting.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

TEST(AboutRules, VersionAndTitleFitting) {
    EXPECT_EQ(VersionText(10, 0, 31), QStringLiteral("Ver.10.0.31 ")) << "one blank at the end";
    // A 2700 x 435 twips label at 96 dpi: 180 x 29 pixels. Both limits give 22: height 21.75, 30 px a character.
    EXPECT_EQ(TitleFontPoints(180, 29, 5, 96, 96), 22);
    EXPECT_EQ(TitleFontPoints(180, 29, 10, 96, 96), 12) << "a longer title gets a smaller font";
    EXPECT_EQ(TitleFontPoints(360, 58, 5, 192, 192), 22) << "the same in points at twice the density";
    EXPECT_EQ(TitleShiftPx(29, 12, 96), 6) << "(29 - 16) / 2 = 6.5, halves to even";
}

struct DialogTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    int reloads = 0;
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
        fake.setCallHook([this](const std::string& call) { reloads += call == "Monitors::enumerate"; });
    }
    void openSettings(const std::function<void(frmSetting&)>& act) {
        openDialog<frmSetting>([&] { ASSERT_TRUE(choose(w().mnuTool_Setting)); }, act);
    }
    static void click(QWidget* control) {
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    }
};
using AboutBoxTest = DialogTest;
using SettingsDialogTest = DialogTest;

TEST_F(AboutBoxTest, ShowsTheProgramAndOpensItsLinks) {
    start();
    for (int run = 0; run < 2; ++run) {  // the same box comes again, fitted and filled anew
        openDialog<frmAbout>([&] { ASSERT_TRUE(choose(w().mnuHelp_About)); }, [&](frmAbout& box) {
            EXPECT_EQ(box.windowTitle(), QStringLiteral("オルヴァン - バージョン情報"));
            EXPECT_EQ(box.lblTitle[1]->text(), QStringLiteral("オルヴァン"));
            EXPECT_EQ(box.lblTitle[0]->font().pointSize(), box.lblTitle[1]->font().pointSize());
            EXPECT_EQ(box.lblTitle[0]->pos() - box.lblTitle[1]->pos(), QPoint(3, 1)) << "45 and 15 twips apart";
            EXPECT_EQ(box.lblComment->text(), QStringLiteral("サブモニタの内容を別画面から確認出来ます"));
            EXPECT_EQ(box.LargeIcon.size(), QSize(48, 48));
            // Pressing a link turns it red, releasing blue again; the click opens it.
            const QPoint at = box.lblURL->rect().center();
            QTest::mousePress(box.lblURL, Qt::LeftButton, {}, at);
            EXPECT_EQ(box.lblURL->palette().color(QPalette::WindowText), QColor(255, 0, 0));
            QTest::mouseRelease(box.lblURL, Qt::LeftButton, {}, at);
            EXPECT_EQ(box.lblURL->palette().color(QPalette::WindowText), QColor(0, 0, 255));
            QTest::mouseClick(box.lblEmail, Qt::LeftButton, {}, box.lblEmail->rect().center());
            QTest::keyClick(&box, Qt::Key_Escape);
        });
    }
    ASSERT_EQ(fake.openedLinks().size(), 4u);
    EXPECT_EQ(fake.openedLinks()[0], std::string(ORVANE_WEB_SITE) + "cgi-bin/access.cgi?soft=Orvane");
    EXPECT_EQ(fake.openedLinks()[1], ORVANE_EMAIL);
}

// A stored method outside the list is kept until one is chosen; OK applies
// every option, Cancel none, and only another method re-reads the monitors.
TEST_F(SettingsDialogTest, OkAppliesEveryOptionAndReloadsOnlyForAnotherMethod) {
    writeSettings("[Main]\r\nChangeDisplayType= 7\r\n");
    start();
    reloads = 0;
    openSettings([&](frmSetting& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("オルヴァン - 設定"));
        for (QRadioButton* b : d.optMonitor) EXPECT_FALSE(b->isChecked());
        EXPECT_TRUE(d.lblMonitorInfo->text().isEmpty());
        click(d.cmdOkCancel[0]);
    });
    EXPECT_EQ(AppState.ChangeDisplayType, 7);
    EXPECT_EQ(reloads, 0) << "the same method: no re-reading";
    openSettings([&](frmSetting& d) {
        EXPECT_FALSE(d.chkDraw->isChecked());
        for (QCheckBox* c : d.chkView) EXPECT_TRUE(c->isChecked());
        click(d.chkDraw);
        click(d.chkStretchMode);
        click(d.optMonitor[2]);
        EXPECT_EQ(d.lblMonitorInfo->text(), MonitorMethodText(2)) << "the explanation follows at once";
        click(d.chkView[2]);  // ツールバー
        click(d.chkView[4]);  // ステータスバー
        click(d.cmdOkCancel[0]);
    });
    EXPECT_TRUE(AppState.NoRedraw && AppState.StretchHalftone);
    EXPECT_EQ(AppState.ChangeDisplayType, 2);
    EXPECT_FALSE(AppState.ToolBar || AppState.StatusBar);
    EXPECT_TRUE(AppState.TitleBar && AppState.MenuBar && AppState.ScrollBar);
    EXPECT_FALSE(w().picToolBox->isVisible() || w().picStatusBar->isVisible());
    EXPECT_FALSE(w().mnuView_ToolBar->isChecked() || w().mnuPopup_View_StatusBar->isChecked());
    EXPECT_FALSE(w().picView->persistent());
    EXPECT_EQ(w().picView->stretchMode(), platform::StretchMode::Simple);
    EXPECT_EQ(w().picFrame->y(), 0) << "laid out again without the tool bar";
    EXPECT_EQ(reloads, 1) << "another method re-reads the monitors";
    // Cancel changes nothing, but puts a window changed by hand back in line.
    w().picStatusBar->setVisible(true);
    openSettings([&](frmSetting& d) {
        EXPECT_TRUE(d.optMonitor[2]->isChecked()) << "filled anew from the settings";
        click(d.chkDraw);
        click(d.optMonitor[1]);
        click(d.chkView[0]);
        click(d.cmdOkCancel[1]);
    });
    EXPECT_TRUE(AppState.NoRedraw && AppState.TitleBar);
    EXPECT_EQ(AppState.ChangeDisplayType, 2);
    EXPECT_EQ(reloads, 1);
    EXPECT_FALSE(w().picStatusBar->isVisible());
    EXPECT_FALSE(w().picView->persistent());
    // In full screen the marks change at once and the bars wait for its end.
    ASSERT_TRUE(choose(w().mnuView_Full));
    QMouseEvent top(QEvent::MouseMove, QPointF(50, 3), QPointF(50, 3), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(w().picView->widget(), &top);  // the menu bar shows at the top edge
    openSettings([&](frmSetting& d) {
        click(d.chkView[4]);  // ステータスバー on
        click(d.cmdOkCancel[0]);
    });
    EXPECT_TRUE(w().mnuView_StatusBar->isChecked());
    EXPECT_FALSE(w().picStatusBar->isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Full));
    EXPECT_TRUE(w().picStatusBar->isVisible());
    EXPECT_FALSE(w().picToolBox->isVisible());
    closeWindow();
    EXPECT_NE(test::readAll(settingsFile()).find("ChangeDisplayType= 2\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvane
