// The View menu's toggles, the frame items and full screen.
#include <QAction>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
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
};

TEST_F(ViewTogglesTest, EachToggleAndFrameItemFlipsItsOptionsBothMarksAndTheWindow) {
    start();
    ASSERT_TRUE(choose(w().mnuView_ToolBar));
    EXPECT_FALSE(AppState.ToolBar);
    EXPECT_FALSE(w().mnuView_ToolBar->isChecked());
    EXPECT_FALSE(w().mnuPopup_View_ToolBar->isChecked());
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_EQ(w().picFrame->y(), 0);

    ASSERT_TRUE(choose(w().mnuPopup_View_ToolBar));  // the twin does exactly the same
    EXPECT_TRUE(AppState.ToolBar);
    EXPECT_TRUE(w().mnuView_ToolBar->isChecked());
    EXPECT_TRUE(w().picToolBox->isVisible());

    ASSERT_TRUE(choose(w().mnuView_StatusBar));
    EXPECT_FALSE(w().picStatusBar->isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Menu));
    EXPECT_FALSE(w().menuBar()->isVisible());
    EXPECT_FALSE(w().mnuView_Menu->isChecked());
    EXPECT_FALSE(choose(w().mnuView_ScrolBar)) << "the menu bar is hidden";
    ASSERT_TRUE(choose(w().mnuPopup_View_ScrolBar));  // the popup still offers it
    EXPECT_FALSE(AppState.ScrollBar);
    EXPECT_FALSE(w().scrX->isVisible());
    EXPECT_TRUE(w().scrX->isEnabled()) << "a needed bar still scrolls";

    // The frame items switch everything at once.
    ASSERT_TRUE(choose(w().mnuPopup_View_Frame[1]));
    EXPECT_TRUE(AppState.ToolBar && AppState.StatusBar && AppState.ScrollBar && AppState.TitleBar &&
                AppState.MenuBar && AppState.TitleBarShown);
    EXPECT_TRUE(w().menuBar()->isVisible());
    ASSERT_TRUE(choose(w().mnuView_Frame[0]));
    EXPECT_FALSE(AppState.ToolBar || AppState.StatusBar || AppState.ScrollBar || AppState.TitleBar ||
                 AppState.MenuBar || AppState.TitleBarShown);
    EXPECT_FALSE(w().menuBar()->isVisible());
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_FALSE(w().mnuPopup_View_Title->isChecked());
}

TEST_F(ViewTogglesTest, FullScreenHidesTheFurnitureAndKeepsTheNormalPlacement) {
    start();
    w().move(150, 90);
    QApplication::processEvents();
    const std::int32_t left = AppState.WindowPos_Left;
    ASSERT_TRUE(choose(w().mnuView_Full));
    QApplication::processEvents();
    EXPECT_TRUE(AppState.FullScreen);
    EXPECT_TRUE(w().chkFullScreen->isChecked());
    EXPECT_TRUE(w().mnuPopup_View_Full->isChecked());
    EXPECT_TRUE(w().isMaximized());
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_FALSE(w().picStatusBar->isVisible());
    EXPECT_FALSE(w().menuBar()->isVisible());
    EXPECT_EQ(AppState.WindowPos_State, 0);
    EXPECT_EQ(AppState.WindowPos_Left, left);

    // Options changed in full screen are only recorded until it ends.
    ASSERT_TRUE(choose(w().mnuPopup_View_ToolBar));
    EXPECT_FALSE(w().picToolBox->isVisible());
    w().chkFullScreen->click();
    QApplication::processEvents();
    EXPECT_FALSE(AppState.FullScreen);
    EXPECT_FALSE(w().mnuView_Full->isChecked());
    EXPECT_FALSE(w().isMaximized());
    EXPECT_FALSE(w().picToolBox->isVisible()) << "switched off while in full screen";
    EXPECT_TRUE(w().picStatusBar->isVisible());
    EXPECT_TRUE(w().menuBar()->isVisible());
}

TEST_F(ViewTogglesTest, InFullScreenTheTopEdgeRevealsToolAndMenuBars) {
    start();
    ASSERT_TRUE(choose(w().mnuView_Full));
    QApplication::processEvents();
    auto moveOverView = [&](int y) {
        QWidget* v = w().picView->widget();
        QMouseEvent move(QEvent::MouseMove, QPointF(50, y), QPointF(50, y), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(v, &move);
    };
    moveOverView(3);
    EXPECT_TRUE(w().picToolBox->isVisible());
    EXPECT_TRUE(w().menuBar()->isVisible());
    moveOverView(200);
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_FALSE(w().menuBar()->isVisible());

    ASSERT_TRUE(choose(w().mnuPopup_View_ToolBar));  // an option switched off is not revealed
    moveOverView(3);
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_TRUE(w().menuBar()->isVisible());

    ASSERT_TRUE(choose(w().mnuView_Full));  // outside full screen the edge does nothing
    QApplication::processEvents();
    const bool menu = w().menuBar()->isVisible();
    moveOverView(200);
    EXPECT_EQ(w().menuBar()->isVisible(), menu);
}

TEST_F(ViewTogglesTest, StartingInFullScreenSavesThePlacementFromBefore) {
    writeSettings("[View]\r\nFullScreen= 1\r\nWindowPos_Left= 3000\r\n");
    start();
    QApplication::processEvents();
    EXPECT_TRUE(w().isMaximized());
    EXPECT_TRUE(w().mnuView_Full->isChecked());
    EXPECT_FALSE(w().picToolBox->isVisible());
    closeWindow();
    const std::string saved = test::readAll(settingsFile());
    EXPECT_NE(saved.find("WindowPos_Left= 3000\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("WindowPos_State= 0\r\n"), std::string::npos);
    EXPECT_NE(saved.find("FullScreen= 1\r\n"), std::string::npos);
}

// Counts the times a widget is hidden.
struct HideCounter : QObject {
    int hides = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide) ++hides;
        return false;
    }
};

TEST_F(ViewTogglesTest, TheTitleBarToggleChangesOnlyTheCaption) {
    start();
    HideCounter counter;
    w().installEventFilter(&counter);
    const QRect before = w().geometry();
    ASSERT_TRUE(choose(w().mnuView_Title));
    EXPECT_FALSE(AppState.TitleBar);
    EXPECT_FALSE(AppState.TitleBarShown);
    ASSERT_TRUE(choose(w().mnuPopup_View_Title));
    EXPECT_TRUE(AppState.TitleBarShown);
    using platform::fake::CaptionChange;
    EXPECT_EQ(fake.captionChanges(),
              (std::vector<CaptionChange>{{window.get(), false}, {window.get(), true}}));
    EXPECT_EQ(counter.hides, 0) << "the window is never hidden";
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(w().geometry(), before);
    EXPECT_FALSE(w().windowFlags() & Qt::FramelessWindowHint);
    w().removeEventFilter(&counter);
}

TEST_F(ViewTogglesTest, WhereCaptionsCannotChangeTheWindowGoesFramelessAndStaysShown) {
    fake.setCaptionsSupported(false);
    start();
    ASSERT_TRUE(choose(w().mnuView_Title));
    EXPECT_TRUE(w().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w().isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Title));
    EXPECT_FALSE(w().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w().isVisible());
}

TEST_F(ViewTogglesTest, WithoutAWindowManagerFullScreenCoversTheMonitorAndComesBack) {
    fake.setWindowManager(false);
    start();
    w().move(150, 90);
    QApplication::processEvents();
    const QRect before = w().geometry();
    ASSERT_TRUE(choose(w().mnuView_Full));
    ASSERT_TRUE(waitFor([&] { return w().geometry() == w().screen()->geometry(); }));
    EXPECT_FALSE(w().picToolBox->isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Full));
    ASSERT_TRUE(waitFor([&] { return w().geometry() == before; }));
    EXPECT_TRUE(w().picToolBox->isVisible());
    closeWindow();
    const std::string saved = test::readAll(settingsFile());
    EXPECT_NE(saved.find("WindowPos_Left= 2250\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("WindowPos_State= 0\r\n"), std::string::npos);
}

// Wayland: the compositor decides captions and places, and a tiling one
// ignores "maximised": full screen is the compositor's own.
TEST_F(ViewTogglesTest, WhereFullScreenIsTheSystemsTheWindowAsksForItAndLeavesIt) {
    fake.setSystemFullScreen(true);
    writeSettings("[Main]\r\n[View]\r\nWindowPos_State= 2\r\n");
    start();
    ASSERT_TRUE(choose(w().mnuView_Full));
    ASSERT_TRUE(waitFor([&] { return w().isFullScreen(); }));
    EXPECT_FALSE(w().picToolBox->isVisible());
    EXPECT_FALSE(w().menuBar()->isVisible());
    ASSERT_TRUE(choose(w().mnuPopup_View_Full));
    ASSERT_TRUE(waitFor([&] { return !w().isFullScreen(); }));
    EXPECT_TRUE(w().picToolBox->isVisible());
    EXPECT_TRUE(w().menuBar()->isVisible());
    EXPECT_TRUE(w().isMaximized()) << "back as it was";
    closeWindow();
    EXPECT_NE(test::readAll(settingsFile()).find("FullScreen= 0\r\n"), std::string::npos);
    // Started in full screen, it is the compositor's full screen at once.
    writeSettings("[Main]\r\n[View]\r\nFullScreen= 1\r\n");
    window.reset();
    freshRun();
    start();
    EXPECT_TRUE(w().isFullScreen());
    EXPECT_TRUE(w().chkFullScreen->isChecked());
}

}  // namespace
}  // namespace orvane
