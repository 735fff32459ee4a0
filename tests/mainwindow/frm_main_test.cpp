// The main window's start-up, layout application and shut-down on a simulated desktop.
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <csignal>

#include "core/exit_signals.h"
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

// The Exit item and a termination signal close the window as the user would, and save once;
// the second run starts from the file the first one saved.
TEST_F(MainWindowTest, FirstRunOpensAtTheDefaultsAndExitOrATerminationSignalSavesThemOnce) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    for (bool signal : {false, true}) {
        freshRun();
        frmMain& w = start();
        EXPECT_EQ(w.frameGeometry(), QRect(480, 270, 960, 540));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("オルヴァン"));
        EXPECT_EQ(w.cmbZoom->currentText(), "100%");
        EXPECT_EQ(w.cmbDblClick->currentText(), QStringLiteral("何もしない"));
        EXPECT_TRUE(w.picToolBox->isVisible() && w.picStatusBar->isVisible() && w.menuBar()->isVisible());
        EXPECT_TRUE(w.mnuPopup_View_ToolBar->isChecked() && w.mnuView_ScrolBar->isChecked());
        EXPECT_EQ(std::ifstream(settingsFile()).good(), signal) << "nothing is written before the close";
        ExitSignals exitSignals([&w](int) { w.close(); });
        if (signal)
            ::raise(SIGTERM);
        else
            ASSERT_TRUE(choose(w.mnuPopup_Exit));
        ASSERT_TRUE(waitFor([&] { return !w.isVisible(); })) << signal;
        EXPECT_EQ(readAll(settingsFile()), kDefaultFile);
        test::writeAll(settingsFile(), "changed by hand\r\n");
        w.close();  // a second close request: already unloaded, nothing is saved twice
        QApplication::processEvents();
        EXPECT_EQ(readAll(settingsFile()), "changed by hand\r\n");
        test::writeAll(settingsFile(), kDefaultFile);
    }
}

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
    QTest::mouseClick(w.scrX, Qt::LeftButton, {}, QPoint(w.scrX->width() - 30, w.scrX->height() / 2));
    EXPECT_GT(w.scrX->value(), 0) << "a page on";
    EXPECT_EQ(w.picViewRect.left(), -w.scrX->value());
    EXPECT_EQ(AppState.ScrollPos_X, w.scrX->value());

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
    // The tool bar back, and the window wide enough to show the whole of it.
    ASSERT_TRUE(choose(w.mnuPopup_View_ToolBar));
    w.resize(700, 300);
    QApplication::processEvents();
    ASSERT_TRUE(chooseItem(w.cmbDblClick, 5));  // the user's choice is what the file keeps
    ASSERT_TRUE(choose(w.mnuPopup_View_ToolBar));
    closeWindow();
    const std::string saved = readAll(settingsFile());
    for (const char* line : {"WindowPos_Left= 1500\r\n", "ToolBar= 0\r\n", "DoubleClick= 5\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
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

}  // namespace
}  // namespace orvane
