// The main window's start-up, layout and shut-down on a simulated desktop, and
// the layout rules computed without a window.
#include <QStyleOptionComboBox>
#include <QToolButton>

#include "mainwindow/layout.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::readAll;

constexpr const char* kDefaultFile =
    "[Main]\r\nNoRedraw= 0\r\nStretchHalftone= 0\r\nZoom= 100\r\nInterval= 100\r\nCursor= 0\r\n"
    "Display=DUMMY0\r\nScrollPos_X= 0\r\nScrollPos_Y= 0\r\nChangeDisplayType= 0\r\nMousePursuit= 0\r\n"
    "DoubleClick= 0\r\n[View]\r\nToolBar= 1\r\nStatusBar= 1\r\nScrollBar= 1\r\nTitleBar= 1\r\n"
    "MenuBar= 1\r\nWindowPos_Left= 7200\r\nWindowPos_Top= 4050\r\nWindowPos_Width= 14400\r\n"
    "WindowPos_Height= 8100\r\nWindowPos_State= 0\r\nFullScreen= 0\r\n";

// The Exit item closes the window as the user would, and saves once (a termination signal: the
// end-to-end tests).
TEST_F(MainWindowTest, FirstRunOpensAtTheDefaultsAndExitSavesThemOnce) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    frmMain& w = start();
    EXPECT_EQ(w.frameGeometry(), QRect(480, 270, 960, 540));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("オルヴァン"));
    EXPECT_EQ(w.cmbZoom->currentText(), "100%");
    EXPECT_EQ(w.cmbDblClick->currentText(), QStringLiteral("何もしない"));
    EXPECT_TRUE(w.picToolBox->isVisible() && w.picStatusBar->isVisible() && w.menuBar()->isVisible());
    EXPECT_TRUE(w.mnuPopup_View_ToolBar->isChecked() && w.mnuView_ScrolBar->isChecked());
    EXPECT_FALSE(std::ifstream(settingsFile()).good()) << "nothing is written before the close";
    ASSERT_TRUE(choose(w.mnuPopup_Exit));
    ASSERT_TRUE(waitFor([&] { return !w.isVisible(); }));
    EXPECT_EQ(readAll(settingsFile()), kDefaultFile);
    test::writeAll(settingsFile(), "changed by hand\r\n");
    w.close();  // a second close request: already unloaded, nothing is saved twice
    QApplication::processEvents();
    EXPECT_EQ(readAll(settingsFile()), "changed by hand\r\n");
}

// The bars and the frame follow the window; moving and resizing it is recorded in twips.
TEST_F(MainWindowTest, TheLayoutFollowsTheWindowAndRecordsItsPlacement) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    frmMain& w = start();
    // 100 % of a 1920 x 1080 monitor in a 960 x 540 window: both bars.
    EXPECT_EQ(w.picViewRect.size(), QSize(1920, 1080));
    EXPECT_TRUE(w.scrX->isVisible() && w.scrY->isVisible());
    EXPECT_EQ(w.picFrame->y(), 21);
    EXPECT_EQ(w.picFrame->width() + w.scrY->width(), w.client->width());
    EXPECT_EQ(w.scrY->maximum(), 1080 - w.picFrameClient->height());
    EXPECT_EQ(w.picStatusBar->geometry().bottom(), w.client->height() - 1);
    w.move(100, 50);
    w.resize(QSize(640, 400) - (w.frameGeometry().size() - w.size()));
    QApplication::processEvents();
    EXPECT_EQ(AppState.WindowPos_Left, 1500);
    EXPECT_EQ(AppState.WindowPos_Top, 750);
    EXPECT_EQ(AppState.WindowPos_Width, 9600);
    EXPECT_EQ(AppState.WindowPos_Height, 6000);
    w.resize(40, 30);  // too small for its bars: keeps running
    QApplication::processEvents();
    EXPECT_GE(w.picFrame->width(), 0);
}

TEST_F(MainWindowTest, EveryToolBarListShowsItsWidestEntryWholeInTheLayoutsOrder) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    frmMain& w = start();
    addMonitor("A-MONITOR-WITH-A-LONG-NAME-1", {1920, 0, 3840, 1080}, false);
    QTest::mouseClick(w.cmdReload, Qt::LeftButton);  // a longer name after a reload
    ASSERT_EQ(w.cmbDisplayList->count(), 2);
    int right = -1;
    for (QComboBox* c : {w.cmbDisplayList, w.cmbZoom, w.cmbCursor, w.cmbTimer, w.cmbDblClick}) {
        const QFontMetrics fm(c->font());
        int widest = 0;
        for (int i = 0; i < c->count(); ++i) widest = std::max(widest, fm.horizontalAdvance(c->itemText(i)));
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        EXPECT_GE(field.width() - 4, widest) << c->itemText(0).toStdString();  // less the text's margins
        EXPECT_GT(c->x(), right) << "side by side, in the layout's order";
        right = c->geometry().right();
    }
}

TEST_F(MainWindowTest, StoredPlacementAndBarsAreAppliedAtStartUp) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    writeSettings("[View]\r\nToolBar= 0\r\nStatusBar= 0\r\nMenuBar= 0\r\nWindowPos_Left= 1500\r\n"
                  "WindowPos_Top= 300\r\nWindowPos_Width= 6000\r\nWindowPos_Height= 4500\r\n"
                  "[Main]\r\nDoubleClick= 42\r\n");
    frmMain& w = start();
    EXPECT_EQ(w.frameGeometry(), QRect(100, 20, 400, 300));
    EXPECT_FALSE(w.picToolBox->isVisible() || w.picStatusBar->isVisible() || w.menuBar()->isVisible());
    EXPECT_FALSE(w.mnuView_Menu->isChecked());
    EXPECT_EQ(w.picFrame->y(), 0);
    EXPECT_EQ(w.cmbDblClick->currentIndex(), -1) << "no action has code 42";
}

TEST_F(MainWindowTest, ClosingUndoesTemporaryModesOnlyForTheTemporaryMethod) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    addMonitor("DUMMY1", {1920, 0, 3840, 1080}, false);
    for (int type : {0, 1, 2}) {
        freshRun();
        writeSettings("[Main]\r\nChangeDisplayType= " + std::to_string(type) + "\r\n");
        start();
        fake.clearModeChanges();
        closeWindow();
        std::size_t restores = 0;
        for (const auto& change : fake.modeChanges()) restores += change.mode ? 0 : 1;
        EXPECT_EQ(restores, type == 0 ? 2u : 0u) << "method " << type;
        EXPECT_FALSE(window->MonitorDC) << "the monitor context is released";
    }
}

// A 9000 x 6000 twips client area at 15 twips per pixel with both bars shown:
// 5430 twips of height and 9000 of width are left for the frame, whose border
// takes 2 px (30 twips) on each axis.
LayoutInput window(std::int32_t viewWidth, std::int32_t viewHeight) {
    return {.clientWidth = 9000, .clientHeight = 6000, .toolBarVisible = true, .toolBarHeight = 315,
            .statusBarVisible = true, .statusBarHeight = 255, .scrXHeight = 255, .scrYWidth = 255,
            .frame = {}, .frameBorderX = 30, .frameBorderY = 30, .viewWidth = viewWidth, .viewHeight = viewHeight};
}

TEST(Layout, BarsAppearWhereTheViewOverflowsAndTheVerticalOneCanForceTheOther) {
    // The frame holds 598 x 360 px without bars, 581 px wide beside the
    // vertical bar and 343 px tall above the horizontal one.
    const TwipsRect none{0, 315, 9000, 5430}, x{0, 315, 9000, 5175}, y{0, 315, 8745, 5430},
        both{0, 315, 8745, 5175};
    struct Case {
        std::int32_t width, height;
        TwipsRect frame;
        std::int32_t maxX, maxY;  // -1: no bar
    };
    const Case cases[] = {
        {598, 100, none, -1, -1}, {599, 100, x, 1, -1}, {100, 2000, y, -1, 1640}, {100, 360, none, -1, -1},
        {590, 2000, both, 9, 1657},  // fits in width until the vertical bar takes its room
        {700, 350, both, 119, 7},    // the horizontal bar makes it overflow vertically
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        const LayoutResult out = ComputeLayout(window(c.width, c.height));
        EXPECT_EQ(out.frame, c.frame);
        EXPECT_TRUE(out.scrX.enabled == (c.maxX >= 0) && out.scrX.visible == (c.maxX >= 0));
        EXPECT_TRUE(out.scrY.enabled == (c.maxY >= 0) && out.scrY.visible == (c.maxY >= 0));
        EXPECT_TRUE(c.maxX < 0 || out.scrX.max == c.maxX) << out.scrX.max;
        EXPECT_TRUE(c.maxY < 0 || out.scrY.max == c.maxY) << out.scrY.max;
    }
}

// Small views are centred; a shrinking view clamps the scroll position; a window too small for its bars
// keeps the previous frame. (The scroll bar option and hidden bars: the view toggles' widget test.)
TEST(Layout, SmallViewsShrinkingViewsAndTinyWindows) {
    LayoutResult out = ComputeLayout(window(301, 101));
    EXPECT_EQ(out.viewLeft, (598 - 301) / 2);  // 148: the odd pixel goes right
    EXPECT_EQ(out.viewTop, (360 - 101) / 2);
    LayoutInput in = window(4000, 100);
    in.scrXValue = 3000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 3000);
    in.viewWidth = 1000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 402);
    EXPECT_EQ(ComputeLayout(in).viewLeft, -402);
    in.viewWidth = 34560;  // beyond 16 bits: 300 % of an 11520 px wide monitor
    in.scrXValue = 40000;
    EXPECT_EQ(ComputeLayout(in).scrX.value, 34560 - 598);

    in = window(1920, 1080);
    in.clientHeight = 400;  // less than the two bars
    in.frame = {0, 315, 9000, 100};
    out = ComputeLayout(in);
    EXPECT_EQ(out.frame, in.frame);
    EXPECT_TRUE(out.scrX.enabled && out.scrY.enabled);
    EXPECT_EQ(out.scrY.max, 1080 - 5);  // (100 - 30) / 15 = 4.67 px of frame
    in.clientWidth = in.clientHeight = in.viewWidth = in.viewHeight = 0;
    in.toolBarVisible = in.statusBarVisible = false;
    out = ComputeLayout(in);
    EXPECT_EQ(out.frame, in.frame);
    EXPECT_EQ(out.scrX.max, 0);
}

}  // namespace
}  // namespace orvane
