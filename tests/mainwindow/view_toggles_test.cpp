// The View menu's toggles, the frame items and full screen.
#include <QMouseEvent>
#include <QToolButton>

#include "support/main_window_fixture.h"

namespace orvane {
namespace {

struct ViewTogglesTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    }
    void moveOverView(int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(50, y), QPointF(50, y), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(w().picView->widget(), &move);
    }
    bool furniture() { return w().picToolBox->isVisible() || w().menuBar()->isVisible(); }
};

TEST_F(ViewTogglesTest, EachToggleAndFrameItemFlipsItsOptionsBothMarksAndTheWindow) {
    start();
    ASSERT_TRUE(choose(w().mnuView_ToolBar));
    EXPECT_FALSE(AppState.ToolBar || w().mnuPopup_View_ToolBar->isChecked() || w().picToolBox->isVisible());
    EXPECT_EQ(w().picFrame->y(), 0);
    ASSERT_TRUE(choose(w().mnuPopup_View_ToolBar));  // the twin does exactly the same
    EXPECT_TRUE(AppState.ToolBar && w().mnuView_ToolBar->isChecked() && w().picToolBox->isVisible());
    ASSERT_TRUE(choose(w().mnuView_StatusBar));
    EXPECT_FALSE(w().picStatusBar->isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Menu));
    EXPECT_FALSE(w().menuBar()->isVisible() || w().mnuView_Menu->isChecked());
    EXPECT_FALSE(choose(w().mnuView_ScrolBar)) << "the menu bar is hidden";
    ASSERT_TRUE(choose(w().mnuPopup_View_ScrolBar));  // the popup still offers it
    EXPECT_FALSE(AppState.ScrollBar || w().scrX->isVisible());
    EXPECT_TRUE(w().scrX->isEnabled()) << "a needed bar still scrolls";
    // The frame items switch everything at once.
    ASSERT_TRUE(choose(w().mnuPopup_View_Frame[1]));
    EXPECT_TRUE(AppState.ToolBar && AppState.StatusBar && AppState.ScrollBar && AppState.TitleBar &&
                AppState.MenuBar && AppState.TitleBarShown && w().menuBar()->isVisible());
    ASSERT_TRUE(choose(w().mnuView_Frame[0]));
    EXPECT_FALSE(AppState.ToolBar || AppState.StatusBar || AppState.ScrollBar || AppState.TitleBar ||
                 AppState.MenuBar || AppState.TitleBarShown || furniture());
    EXPECT_FALSE(w().mnuPopup_View_Title->isChecked());
}

// Full screen hides the furniture, shows it at the top edge, and keeps the
// normal placement; options changed meanwhile show once it ends.
TEST_F(ViewTogglesTest, FullScreenHidesTheFurnitureAndKeepsTheNormalPlacement) {
    start();
    w().move(150, 90);
    QApplication::processEvents();
    const std::int32_t left = AppState.WindowPos_Left;
    ASSERT_TRUE(choose(w().mnuView_Full));
    QApplication::processEvents();
    EXPECT_TRUE(AppState.FullScreen && w().chkFullScreen->isChecked() && w().mnuPopup_View_Full->isChecked());
    EXPECT_TRUE(w().isMaximized());
    EXPECT_FALSE(furniture() || w().picStatusBar->isVisible());
    EXPECT_EQ(AppState.WindowPos_State, 0);
    EXPECT_EQ(AppState.WindowPos_Left, left);
    moveOverView(3);
    EXPECT_TRUE(w().picToolBox->isVisible() && w().menuBar()->isVisible());
    moveOverView(200);
    EXPECT_FALSE(furniture());
    ASSERT_TRUE(choose(w().mnuPopup_View_ToolBar));  // an option switched off is not revealed
    moveOverView(3);
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_TRUE(w().menuBar()->isVisible());
    QTest::mouseClick(w().chkFullScreen, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(AppState.FullScreen || w().mnuView_Full->isChecked() || w().isMaximized());
    EXPECT_FALSE(w().picToolBox->isVisible()) << "switched off while in full screen";
    EXPECT_TRUE(w().picStatusBar->isVisible() && w().menuBar()->isVisible());
    moveOverView(200);  // outside full screen the edge does nothing
    EXPECT_TRUE(w().menuBar()->isVisible());
}

// Wayland: the compositor decides captions and places, and a tiling one
// ignores "maximised": full screen is the compositor's own. Where captions
// cannot change, the title bar toggle makes the window frameless instead
// (where they can, only the caption changes: the window end-to-end test).
TEST_F(ViewTogglesTest, WhereFullScreenAndCaptionsAreTheSystemsTheWindowAsksForThem) {
    fake.setSystemFullScreen(true);
    fake.setCaptionsSupported(false);
    writeSettings("[Main]\r\n[View]\r\nWindowPos_State= 2\r\n");
    start();
    ASSERT_TRUE(choose(w().mnuView_Title));
    EXPECT_FALSE(AppState.TitleBar || AppState.TitleBarShown);
    EXPECT_TRUE(w().windowFlags() & Qt::FramelessWindowHint);
    ASSERT_TRUE(choose(w().mnuPopup_View_Title));
    EXPECT_TRUE(AppState.TitleBarShown && w().isVisible());
    EXPECT_FALSE(w().windowFlags() & Qt::FramelessWindowHint);
    ASSERT_TRUE(choose(w().mnuView_Full));
    ASSERT_TRUE(waitFor([&] { return w().isFullScreen(); }));
    EXPECT_FALSE(furniture());
    ASSERT_TRUE(choose(w().mnuPopup_View_Full));
    ASSERT_TRUE(waitFor([&] { return !w().isFullScreen(); }));
    EXPECT_TRUE(w().picToolBox->isVisible() && w().menuBar()->isVisible());
    EXPECT_TRUE(w().isMaximized()) << "back as it was";
    closeWindow();
    EXPECT_NE(test::readAll(settingsFile()).find("FullScreen= 0\r\n"), std::string::npos);
    writeSettings("[Main]\r\n[View]\r\nFullScreen= 1\r\n");  // started in it: the compositor's at once
    freshRun();
    start();
    EXPECT_TRUE(w().isFullScreen() && w().chkFullScreen->isChecked());
}

}  // namespace
}  // namespace orvane
