// Zoom from every entry point, and the rules behind them.
#include "view/zoom.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using test::MainWindowTest;

// What the widget test below does not type: halves, junk and exponents.
TEST(ZoomRules, TypedValuesAreRoundedAndClamped) {
    const std::pair<const char*, int> cases[] = {{"12.5", 12}, {"abc", 10}, {"", 10},      {"-50", 10},
                                                 {"1e2", 100}, {"1e9", 300}, {"1e999", 300}};
    for (const auto& [text, percent] : cases) EXPECT_EQ(TypedZoomPercent(text), percent) << text;
    EXPECT_DOUBLE_EQ(AppliedZoomRate("12.9%"), 0.12) << "the text's number is truncated";
    EXPECT_EQ(PlainNumber(100), "100");
    EXPECT_EQ(PlainNumber(37.5), "37.5");
}

struct ZoomTest : MainWindowTest {
    frmMain& w() { return *window; }
    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("DUMMY0", {0, 0, 1920, 1080}, true);
    }
    void type(const QString& text) { typeInto(w().cmbZoom, text); }
    std::vector<bool> selectChecks() {
        std::vector<bool> checks;
        for (QAction* a : w().mnuView_Zoom_Select) checks.push_back(a->isChecked());
        return checks;
    }
};

TEST_F(ZoomTest, EveryEntryPointAppliesTheSameZoom) {
    start();
    type("150");
    EXPECT_EQ(w().cmbZoom->currentIndex(), 2);
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.5);
    EXPECT_EQ(w().picViewRect.size(), QSize(2880, 1620));
    EXPECT_TRUE(w().mnuView_Zoom_Select[2]->isChecked());
    EXPECT_TRUE(w().mnuPopup_View_Zoom_Select[2]->isChecked());

    type("5");
    EXPECT_EQ(w().cmbZoom->currentIndex(), -1);
    EXPECT_EQ(w().cmbZoom->currentText(), " 10%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 0.1);
    EXPECT_EQ(w().picViewRect.size(), QSize(192, 108));
    EXPECT_TRUE(w().mnuView_Zoom_Input->isChecked());
    EXPECT_TRUE(w().mnuPopup_View_Zoom_Input->isChecked());
    EXPECT_EQ(selectChecks(), std::vector<bool>(8, false));

    type("1000");
    EXPECT_EQ(w().cmbZoom->currentText(), "300%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 3.0);
    EXPECT_EQ(w().picViewRect.size(), QSize(5760, 3240));

    ASSERT_TRUE(choose(w().mnuView_Zoom_Select[7]));
    EXPECT_EQ(w().cmbZoom->currentText(), " 25%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 0.25);
    EXPECT_FALSE(w().mnuView_Zoom_Input->isChecked());
    EXPECT_TRUE(w().mnuView_Zoom_Select[7]->isChecked());

    ASSERT_TRUE(choose(w().mnuPopup_View_Zoom_Select[0]));
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 2.0);

    inputBoxAnswer = "99.5";
    ASSERT_TRUE(choose(w().mnuView_Zoom_Input));
    EXPECT_EQ(w().cmbZoom->currentIndex(), 4);
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.0);
    inputBoxAnswer = "";  // cancelled
    ASSERT_TRUE(choose(w().mnuPopup_View_Zoom_Input));
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 0.1);

    ASSERT_TRUE(chooseItem(w().cmbZoom, 3));
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.25);
}

TEST_F(ZoomTest, StoredZoomIsCheckedAtLoadAndAppliedAtActivation) {
    writeSettings("[Main]\r\nZoom= 1250\r\n");
    start();
    EXPECT_EQ(w().cmbZoom->currentText(), "300%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 3.0);

    freshRun();
    writeSettings("[Main]\r\nZoom= 50\r\n");
    start();
    EXPECT_EQ(w().cmbZoom->currentIndex(), 6);
    EXPECT_EQ(w().picViewRect.size(), QSize(960, 540));
}

TEST_F(ZoomTest, TheScrollPositionIsRestoredAndFollowsTheZoom) {
    writeSettings("[Main]\r\nDisplay=DUMMY0\r\nScrollPos_X= 600\r\nScrollPos_Y= 99999\r\nZoom= 200\r\n");
    start();
    EXPECT_EQ(w().scrX->value(), 600);
    EXPECT_EQ(w().picViewRect.left(), -600);
    EXPECT_EQ(w().scrY->value(), 0) << "a position beyond the range is not restored";
    // Zooming out below the position takes the value down to the new maximum.
    type("75");
    ASSERT_LT(w().scrX->maximum(), 600);
    EXPECT_EQ(w().scrX->value(), w().scrX->maximum());
    EXPECT_EQ(w().picViewRect.left(), -w().scrX->value());
    EXPECT_EQ(AppState.ScrollPos_X, w().scrX->value());
}

TEST_F(ZoomTest, TheBoxLooksPendingWhileATypedValueWaitsForEnter) {
    start();
    QTest::mouseClick(w().cmbZoom->lineEdit(), Qt::LeftButton);  // the user clicks into the box
    ASSERT_TRUE(waitFor([&] { return w().cmbZoom->hasFocus(); }));
    EXPECT_TRUE(w().ZoomPending);
    QTest::keyClick(w().cmbZoom, Qt::Key_Tab);  // leaves it unchanged
    ASSERT_FALSE(w().cmbZoom->hasFocus());
    EXPECT_FALSE(w().ZoomPending);

    QTest::mouseClick(w().cmbZoom->lineEdit(), Qt::LeftButton);
    QTest::keyClick(w().cmbZoom, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w().cmbZoom, "105");
    QTest::keyClick(w().cmbZoom, Qt::Key_Tab);  // leaves it changed, not applied
    EXPECT_TRUE(w().ZoomPending);
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.0);
    w().cmbZoom->setFocus();
    QTest::keyClick(w().cmbZoom, Qt::Key_Enter);  // the keypad's Enter applies it too
    EXPECT_FALSE(w().ZoomPending);
    EXPECT_EQ(w().cmbZoom->currentText(), "105%");
    EXPECT_DOUBLE_EQ(AppState.ZoomRate, 1.05);
}

TEST_F(ZoomTest, DraggingAThumbMovesThePictureBeforeTheButtonIsReleased) {
    writeSettings("[Main]\r\nZoom= 200\r\n");
    start();
    for (QScrollBar* bar : {w().scrX, w().scrY}) {
        ASSERT_TRUE(bar->isVisible() && bar->isEnabled());
        const bool horizontal = bar == w().scrX;
        const QPoint grab = thumbCentre(bar);
        const QPoint step = horizontal ? QPoint(40, 0) : QPoint(0, 40);
        QTest::mousePress(bar, Qt::LeftButton, {}, grab);
        QTest::mouseMove(bar, grab + step / 2);
        QTest::mouseMove(bar, grab + step);
        const int offset = horizontal ? -w().picViewRect.left() : -w().picViewRect.top();
        EXPECT_GT(offset, 40) << "the picture follows the thumb while it is dragged";
        EXPECT_EQ(offset, bar->sliderPosition());
        EXPECT_EQ(horizontal ? AppState.ScrollPos_X : AppState.ScrollPos_Y, 0) << "recorded only at the end";
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grab + step);
        EXPECT_EQ(bar->value(), offset);
        EXPECT_EQ(horizontal ? AppState.ScrollPos_X : AppState.ScrollPos_Y, offset);
    }
}

}  // namespace
}  // namespace orvane
