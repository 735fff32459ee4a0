// Zoom from every entry point, and the rules behind them.
#include "view/zoom.h"

#include <QLineEdit>

#include "support/main_window_fixture.h"

namespace orvane {
namespace {

// What the widget tests do not type: halves, junk and exponents.
TEST(ZoomRules, TypedValuesAreRoundedAndClamped) {
    const std::pair<const char*, int> cases[] = {{"12.5", 12}, {"abc", 10},  {"", 10},      {"-50", 10},
                                                 {"1e2", 100}, {"1e9", 300}, {"1e999", 300}};
    for (const auto& [text, percent] : cases) EXPECT_EQ(TypedZoomPercent(text), percent) << text;
    EXPECT_DOUBLE_EQ(AppliedZoomRate("12.9%"), 0.12) << "the text's number is truncated";
    EXPECT_EQ(PlainNumber(37.5), "37.5");
}

using ZoomTest = test::MainWindowTest;

// The box looks pending while a typed value waits for Enter; every entry point applies the same zoom.
TEST_F(ZoomTest, EveryEntryPointAppliesTheSameZoom) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    frmMain& w = start();
    QTest::mouseClick(w.cmbZoom->lineEdit(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return w.cmbZoom->hasFocus(); }));
    EXPECT_TRUE(w.ZoomPending);
    QTest::keyClick(w.cmbZoom, Qt::Key_Tab);  // left unchanged
    EXPECT_FALSE(w.ZoomPending);
    QTest::mouseClick(w.cmbZoom->lineEdit(), Qt::LeftButton);
    QTest::keyClick(w.cmbZoom, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.cmbZoom, "105");
    QTest::keyClick(w.cmbZoom, Qt::Key_Tab);  // left changed, not applied
    EXPECT_TRUE(w.ZoomPending);
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.0);
    w.cmbZoom->setFocus();
    QTest::keyClick(w.cmbZoom, Qt::Key_Enter);  // the keypad's Enter applies it too
    EXPECT_FALSE(w.ZoomPending);
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.05);
    typeInto(w.cmbZoom, "150");
    EXPECT_EQ(w.cmbZoom->currentIndex(), 2);
    EXPECT_EQ(w.picViewRect.size(), QSize(2880, 1620));
    EXPECT_TRUE(w.mnuView_Zoom_Select[2]->isChecked() && w.mnuPopup_View_Zoom_Select[2]->isChecked());
    typeInto(w.cmbZoom, "5");
    EXPECT_EQ(w.cmbZoom->currentIndex(), -1);
    EXPECT_EQ(w.cmbZoom->currentText(), " 10%");
    EXPECT_EQ(w.picViewRect.size(), QSize(192, 108));
    EXPECT_TRUE(w.mnuView_Zoom_Input->isChecked() && w.mnuPopup_View_Zoom_Input->isChecked());
    EXPECT_FALSE(std::ranges::any_of(w.mnuView_Zoom_Select, &QAction::isChecked));
    typeInto(w.cmbZoom, "1000");
    EXPECT_EQ(w.cmbZoom->currentText(), "300%");
    EXPECT_EQ(w.picViewRect.size(), QSize(5760, 3240));

    ASSERT_TRUE(choose(w.mnuView_Zoom_Select[7]));
    EXPECT_EQ(w.cmbZoom->currentText(), " 25%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 0.25);
    EXPECT_TRUE(w.mnuView_Zoom_Select[7]->isChecked() && !w.mnuView_Zoom_Input->isChecked());
    ASSERT_TRUE(choose(w.mnuPopup_View_Zoom_Select[0]));
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 2.0);
    inputBoxAnswer = "99.5";
    ASSERT_TRUE(choose(w.mnuView_Zoom_Input));
    EXPECT_EQ(w.cmbZoom->currentIndex(), 4);
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.0);
    inputBoxAnswer = "";  // cancelled
    ASSERT_TRUE(choose(w.mnuPopup_View_Zoom_Input));
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 0.1);
    ASSERT_TRUE(chooseItem(w.cmbZoom, 3));
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.25);
    // Dragging a thumb moves the picture before the button is released; the
    // position is recorded at the end. At 0 the thumb starts after the arrow.
    typeInto(w.cmbZoom, "200");
    const QPoint grab(w.scrY->width() / 2, w.scrY->width() + 4);
    QTest::mousePress(w.scrY, Qt::LeftButton, {}, grab);
    QTest::mouseMove(w.scrY, grab + QPoint(0, 20));
    QTest::mouseMove(w.scrY, grab + QPoint(0, 40));
    EXPECT_GT(-w.picViewRect.top(), 40);
    EXPECT_EQ(-w.picViewRect.top(), w.scrY->sliderPosition());
    EXPECT_EQ(AppState.ScrollPos_Y, 0);
    QTest::mouseRelease(w.scrY, Qt::LeftButton, {}, grab + QPoint(0, 40));
    EXPECT_EQ(AppState.ScrollPos_Y, w.scrY->value());
}

TEST_F(ZoomTest, TheStoredZoomAndScrollPositionAreCheckedAtLoadAndFollowTheZoom) {
    addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    writeSettings("[Main]\r\nZoom= 1250\r\n");
    start();
    EXPECT_EQ(window->cmbZoom->currentText(), "300%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 3.0);

    freshRun();
    writeSettings("[Main]\r\nDisplay=DUMMY0\r\nScrollPos_X= 600\r\nScrollPos_Y= 99999\r\nZoom= 200\r\n");
    start();
    EXPECT_EQ(window->scrX->value(), 600);
    EXPECT_EQ(window->picViewRect.left(), -600);
    EXPECT_EQ(window->scrY->value(), 0) << "a position beyond the range is not restored";
    typeInto(window->cmbZoom, "75");  // below the position: the value goes down to the new maximum
    ASSERT_LT(window->scrX->maximum(), 600);
    EXPECT_EQ(window->scrX->value(), window->scrX->maximum());
    EXPECT_EQ(window->picViewRect.left(), -window->scrX->value());
    EXPECT_EQ(AppState.ScrollPos_X, window->scrX->value());
}

}  // namespace
}  // namespace orvane
