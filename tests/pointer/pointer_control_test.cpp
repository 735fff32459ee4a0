// Pointer control on the simulated desktop, driven by the mouse events Qt
// gives the view: forwarded clicks, the popup, grab scrolling, dragging the
// window and mouse pursuit.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>

#include "pointer/pointer_rules.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using platform::MouseButton;
using platform::Point;
using platform::fake::InputEvent;

InputEvent move(Point p) { return {InputEvent::Kind::Move, p, MouseButton::Left, false}; }
InputEvent button(Point at, MouseButton b, bool down) { return {InputEvent::Kind::Button, at, b, down}; }

std::vector<InputEvent> releaseAll(Point at) {
    return {button(at, MouseButton::Left, false), button(at, MouseButton::Middle, false),
            button(at, MouseButton::Right, false)};
}

// The whole injected sequence for one forwarded click from `from` at `to`.
std::vector<InputEvent> forwarded(Point from, Point to, MouseButton b, bool twice) {
    std::vector<InputEvent> log = releaseAll(from);
    log.push_back(move(to));
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        log.push_back(button(to, b, true));
        log.push_back(button(to, b, false));
    }
    log.push_back(move(from));
    return log;
}

// The rounding of pursuit's centred value: whether a half occurs depends on
// the window's width, so the widget test alone cannot be relied on for it.
TEST(PointerRules, PursuitCentresThePointerWithinTheRange) {
    // Max 1000, view 3840 wide (200 % of 1920): the two limits, then inside the range.
    EXPECT_EQ(PursuitScrollValue(100, 0, 2.0, 3840, 0, 1000), 0);
    EXPECT_EQ(PursuitScrollValue(1900, 0, 2.0, 3840, 0, 1000), 1000);
    EXPECT_EQ(PursuitScrollValue(1920 + 1000, 1920, 2.0, 3840, 0, 1000), 580);
    // Halves to even (view widths 3841, 3837, 3839): 499.5 -> 500, 501.5 -> 502, 500.5 -> 500.
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3841, 0, 1000), 500);
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3837, 0, 1000), 502);
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3839, 0, 1000), 500);
}

struct PointerControlTest : test::MainWindowTest {
    frmMain& w() { return *window; }
    QWidget* view() { return window->picView->widget(); }
    // The view widget's pixel showing view position p.
    QPoint at(QPoint p) { return p - window->picView->visibleOrigin(); }

    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("LEFT", {0, 0, 1920, 1080}, true);
        addMonitor("RIGHT", {1920, 0, 3840, 1080}, false);
        fake.setPointerPosition({500, 400});  // on the view, as when the user clicks it
        fake.setDoubleClickTime(60);
    }
    // A 700 x 300 window at the corner of LEFT (the whole tool bar shows)
    // watching `monitor` at `zoom` %.
    frmMain& startWatching(const std::string& monitor, int zoom, const std::string& extra = "") {
        writeSettings("[Main]\r\nDisplay=" + monitor + "\r\nZoom= " + std::to_string(zoom) +
                      "\r\nInterval= 60000\r\nCursor= 4\r\n" + extra +
                      "[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= "
                      "10500\r\nWindowPos_Height= 4500\r\n");
        start();
        fake.clearInputLog();
        return w();
    }
    // Chooses a double-click action with the keyboard, as a user would.
    void chooseAction(int code) { ASSERT_TRUE(chooseItem(w().cmbDblClick, code)); }
    // Qt's order for a double click: press, release, double-click press, release.
    void doubleClick(Qt::MouseButton b, QPoint viewPos) {
        const QPoint p = at(viewPos);
        QTest::mouseClick(view(), b, {}, p);
        QTest::mouseDClick(view(), b, {}, p);
        QTest::mouseRelease(view(), b, {}, p);
    }
    // Clicks an entry of the open popup (or one of its submenus) with `b`.
    void clickEntry(QMenu* menu, QAction* action, Qt::MouseButton b = Qt::LeftButton) {
        ASSERT_TRUE(menu);
        QTest::mouseClick(menu, b, {}, menu->actionGeometry(action).center());
    }
    void chooseFromPopup(const std::vector<QAction*>& path, Qt::MouseButton b) {
        QMenu* menu = w().mnuPopup;
        for (QAction* a : path) {
            ASSERT_TRUE(waitFor([&] { return openPopup() == menu; }));
            clickEntry(menu, a, b);
            menu = a->menu();
        }
    }
};

TEST_F(PointerControlTest, EveryDoubleClickActionInjectsItsSequence) {
    startWatching("RIGHT", 200);
    const Point s{500, 400};
    const Point t{1970, 25};  // view (101, 50) at 200 %: 1970.5 rounds to 1970
    struct Case {
        int code;
        Qt::MouseButton pressed;
        std::vector<InputEvent> log;
    };
    const std::vector<Case> cases = {
        {1, Qt::LeftButton, {move(t)}},
        {2, Qt::MiddleButton, forwarded(s, t, MouseButton::Middle, false)},
        {3, Qt::RightButton, forwarded(s, t, MouseButton::Right, true)},
        {4, Qt::RightButton, forwarded(s, t, MouseButton::Left, false)},
        {5, Qt::LeftButton, forwarded(s, t, MouseButton::Left, true)},
        {6, Qt::LeftButton, forwarded(s, t, MouseButton::Middle, false)},
        {7, Qt::LeftButton, forwarded(s, t, MouseButton::Middle, true)},
        {8, Qt::LeftButton, forwarded(s, t, MouseButton::Right, false)},
        {9, Qt::LeftButton, forwarded(s, t, MouseButton::Right, true)},
    };
    std::vector<bool> busy;  // ClickBusy at every injected step
    fake.setCallHook([&](const std::string& call) {
        if (call == "Pointer::sendButton" || call == "Pointer::setPosition") busy.push_back(w().Clicks().Busy());
    });
    for (const Case& c : cases) {
        chooseAction(c.code);
        ASSERT_EQ(AppState.DoubleClick, c.code);
        fake.setPointerPosition(s);
        fake.clearInputLog();
        busy.clear();
        doubleClick(c.pressed, {101, 50});
        EXPECT_EQ(fake.inputLog(), c.log) << "action " << c.code;
        if (c.code >= 2) {
            EXPECT_EQ(busy, std::vector<bool>(c.log.size(), true)) << "busy while a click is injected";
        }
        EXPECT_EQ(w().Clicks().Target().x, 1970);
        EXPECT_EQ(w().Clicks().LastButton(), 0) << c.code;
        EXPECT_FALSE(w().Clicks().Busy());
    }
    fake.setCallHook({});
    // The other rounding direction, and the pointer is always back where it was.
    fake.clearInputLog();
    doubleClick(Qt::LeftButton, {103, 50});
    EXPECT_EQ(fake.inputLog(), forwarded(s, {1972, 25}, MouseButton::Right, true));
    QTest::qWait(150);
    EXPECT_EQ(openPopup(), nullptr) << "a right double click with an action shows no popup";

    // No action: nothing is sent, and a right double click still shows the popup.
    chooseAction(0);
    fake.clearInputLog();
    doubleClick(Qt::LeftButton, {101, 50});
    doubleClick(Qt::RightButton, {101, 50});
    ASSERT_TRUE(waitFor([&] { return openPopup() == w().mnuPopup; }));
    EXPECT_TRUE(fake.inputLog().empty());
    w().mnuPopup->close();
}

TEST_F(PointerControlTest, RightClickOpensThePopupAfterTheDoubleClickTime) {
    fake.setDoubleClickTime(400);
    startWatching("RIGHT", 200);
    QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));
    EXPECT_EQ(w().Clicks().LastButton(), 2);
    QTest::qWait(200);
    EXPECT_EQ(openPopup(), nullptr) << "not before the double-click time";
    const int before = w().tmrTiming.remainingTime();
    QTest::mousePress(view(), Qt::RightButton, {}, at({101, 50}));  // not a double click: no DblClick
    QTest::mouseRelease(view(), Qt::RightButton, {}, at({101, 50}));
    EXPECT_LE(w().tmrTiming.remainingTime(), before) << "a second right press does not restart the timer";
    ASSERT_TRUE(waitFor([&] { return openPopup() == w().mnuPopup; }));
    EXPECT_EQ(w().Clicks().LastButton(), 2);

    // Entries can be chosen with the right button: Action > Left > Click.
    fake.clearInputLog();
    chooseFromPopup(
        {w().mnuPopup_Action->menuAction(), w().mnuPopup_Mouse[0]->menuAction(), w().mnuPopup_Mouse_Left[0]},
        Qt::RightButton);
    ASSERT_TRUE(waitFor([&] { return openPopup() == nullptr; }));
    EXPECT_EQ(fake.inputLog(), forwarded({500, 400}, {1970, 25}, MouseButton::Left, false));
    EXPECT_EQ(w().Clicks().LastButton(), 0) << "the popup has consumed the press";

    // Move there, and the middle and right entries.
    const std::vector<std::pair<std::vector<QAction*>, std::vector<InputEvent>>> entries = {
        {{w().mnuPopup_Move}, {move({1970, 25})}},
        {{w().mnuPopup_Action->menuAction(), w().mnuPopup_Mouse[1]->menuAction(),
          w().mnuPopup_Mouse_Middle[1]},
         forwarded({500, 400}, {1970, 25}, MouseButton::Middle, true)},
        {{w().mnuPopup_Action->menuAction(), w().mnuPopup_Mouse[2]->menuAction(),
          w().mnuPopup_Mouse_Right[0]},
         forwarded({500, 400}, {1970, 25}, MouseButton::Right, false)},
    };
    for (const auto& [path, log] : entries) {
        fake.setPointerPosition({500, 400});
        fake.clearInputLog();
        QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));
        chooseFromPopup(path, Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return openPopup() == nullptr; }));
        EXPECT_EQ(fake.inputLog(), log);
    }

    // The monitor pointed at goes away while the popup is open: nothing is sent there.
    QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));
    ASSERT_TRUE(waitFor([&] { return openPopup() == w().mnuPopup; }));
    fake.removeMonitor("RIGHT");
    fake.announceLayoutChange();
    ASSERT_TRUE(waitFor([&] { return w().cmbDisplayList->count() == 1; }));
    fake.clearInputLog();
    chooseFromPopup(
        {w().mnuPopup_Action->menuAction(), w().mnuPopup_Mouse[0]->menuAction(), w().mnuPopup_Mouse_Left[0]},
        Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return openPopup() == nullptr; }));
    EXPECT_TRUE(fake.inputLog().empty());
}

TEST_F(PointerControlTest, ARightDoubleClicksActionWinsOverThePopupHoweverLateItsRelease) {
    startWatching("RIGHT", 200, "DoubleClick= 5\r\n");
    const QPoint p = at({101, 50});
    QTest::mouseClick(view(), Qt::RightButton, {}, p);
    QTest::mouseDClick(view(), Qt::RightButton, {}, p);
    QTest::qWait(200);  // the button held past the double-click time (60 ms)
    EXPECT_EQ(openPopup(), nullptr);
    QTest::mouseRelease(view(), Qt::RightButton, {}, p);
    EXPECT_EQ(fake.inputLog(), forwarded({500, 400}, {1970, 25}, MouseButton::Left, true));
    QTest::qWait(100);
    EXPECT_EQ(openPopup(), nullptr);
}

TEST_F(PointerControlTest, OurOwnInjectedClickNeverForwardsAnother) {
    // The window at the screen's corner watching its own monitor at 100 %:
    // view position 300, 200 shows screen 300, 200, which lies on the view.
    writeSettings(
        "[Main]\r\nDisplay=LEFT\r\nZoom= 100\r\nInterval= 60000\r\nCursor= 4\r\nDoubleClick= 5\r\n"
        "[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= 12000\r\nWindowPos_Height= "
        "9000\r\n");
    start();
    const Point t{300, 200};
    const QPoint echo = view()->mapFromGlobal(QPoint(t.x, t.y));
    ASSERT_TRUE(view()->rect().contains(echo)) << "the target lies on the view";
    fake.setPointerPosition({600, 500});
    fake.clearInputLog();
    doubleClick(Qt::LeftButton, {300, 200});
    ASSERT_EQ(fake.inputLog(), forwarded({600, 500}, t, MouseButton::Left, true));
    // The injected double click arrives at the view, as the server delivers it.
    fake.clearInputLog();
    QTest::mouseClick(view(), Qt::LeftButton, {}, echo);
    QTest::mouseDClick(view(), Qt::LeftButton, {}, echo);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, echo);
    EXPECT_TRUE(fake.inputLog().empty()) << "the echo forwarded another click";
    // The user's own double click afterwards is forwarded as always.
    doubleClick(Qt::LeftButton, {300, 200});
    EXPECT_EQ(fake.inputLog(), forwarded({600, 500}, t, MouseButton::Left, true));
}

TEST_F(PointerControlTest, AFailedButtonStepLeavesNoButtonHeld) {
    startWatching("RIGHT", 50, "DoubleClick= 5\r\n");
    // A step that fails half way: the buttons are released before it returns.
    fake.failOneButtonAfter(3 + 1);  // the release-all and the first down pass, its up fails
    doubleClick(Qt::LeftButton, {20, 20});
    const Point t{1960, 40};
    std::vector<InputEvent> expected = releaseAll({500, 400});
    expected.push_back(move(t));
    expected.push_back(button(t, MouseButton::Left, true));
    for (const InputEvent& e : releaseAll(t)) expected.push_back(e);
    expected.push_back(move({500, 400}));
    EXPECT_EQ(fake.inputLog(), expected);
}

TEST_F(PointerControlTest, TargetsOnThePicturesEdgeStayOnTheWatchedMonitor) {
    startWatching("RIGHT", 200, "DoubleClick= 5\r\n");
    w().scrX->setValue(w().scrX->maximum());
    w().scrY->setValue(w().scrY->maximum());
    const int right = w().picViewRect.width() - 1, bottom = w().picViewRect.height() - 1;
    ASSERT_EQ(right, 3839) << "view X 3839 rounds to screen X 3840, past the monitor";
    doubleClick(Qt::LeftButton, {right, bottom});
    EXPECT_EQ(fake.inputLog(), forwarded({500, 400}, {3839, 1079}, MouseButton::Left, true));
    // A right button released off the picture's corner: "move there" goes to the corner pixel.
    fake.clearInputLog();
    QTest::mousePress(view(), Qt::RightButton, {}, at({right - 5, bottom - 5}));
    QTest::mouseRelease(view(), Qt::RightButton, {}, at({right, bottom}) + QPoint(30, 40));
    chooseFromPopup({w().mnuPopup_Move}, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return openPopup() == nullptr; }));
    EXPECT_EQ(fake.inputLog(), std::vector<InputEvent>{move({3839, 1079})});
}

TEST_F(PointerControlTest, WithoutButtonInjectionTheClickActionsAreDisabled) {
    fake.setButtonsAvailable(false);
    startWatching("RIGHT", 100, "DoubleClick= 5\r\n");
    auto* model = qobject_cast<QStandardItemModel*>(w().cmbDblClick->model());
    ASSERT_TRUE(model);
    for (int i = 0; i < model->rowCount(); ++i) EXPECT_EQ(model->item(i)->isEnabled(), i < 2) << "item " << i;
    EXPECT_FALSE(w().mnuPopup_Action->menuAction()->isEnabled());
    EXPECT_FALSE(w().mnuPopup_Action->menuAction()->toolTip().isEmpty());
    EXPECT_TRUE(w().cmbDblClick->toolTip().contains(QStringLiteral("XTEST")));
    EXPECT_EQ(w().cmbDblClick->currentIndex(), 5) << "the stored choice is kept";
    doubleClick(Qt::LeftButton, {10, 10});
    EXPECT_TRUE(fake.inputLog().empty()) << "the pointer is not moved for nothing";
    // Moving the pointer there needs no buttons.
    chooseAction(1);
    doubleClick(Qt::LeftButton, {10, 10});
    EXPECT_EQ(fake.inputLog(), std::vector<InputEvent>{move({1930, 10})});
}

// GNOME while the pointer is hidden: no marker, no position, pursuit waits;
// all of it comes back with the pointer.
TEST_F(PointerControlTest, WhileThePointerIsHiddenItIsNeitherMarkedNorFollowed) {
    int inverted = 0;
    fake.setCallHook([&](const std::string& call) { inverted += call == "Drawing::invert"; });
    startWatching("LEFT", 100, "MousePursuit= 1\r\n");
    ASSERT_TRUE(chooseItem(w().cmbCursor, 3));
    fake.setPositionKnown(false);
    fake.setPointerPosition({50, 20});  // on the watched monitor
    w().tmrMain_Timer();
    EXPECT_EQ(inverted, 0);
    EXPECT_TRUE(w().lblStatus_Cursor_All->text().isEmpty());
    EXPECT_TRUE(w().lblStatus_Cursor_View->text().isEmpty());
    fake.setPointerPosition({1920 + 50, 20});  // it moves on, still hidden
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 0) << "pursuit waits";
    EXPECT_TRUE(w().chkMouse->isEnabled() && w().chkMouse->isChecked()) << "only waiting, not off";
    fake.setPositionKnown(true);
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1);
    EXPECT_EQ(w().lblStatus_Cursor_All->text(), QStringLiteral("X = 1970 Y = 20"));
    w().tmrMain_Timer();
    EXPECT_GT(inverted, 0) << "marked again on the monitor pursuit chose";
}

// Wayland: the pointer's position cannot be read anywhere on the screen.
TEST_F(PointerControlTest, WhereThePointerCannotBeReadWhatNeedsItIsDisabledAndTheStoredChoicesKept) {
    fake.setPositionReadable(false);
    int inverted = 0;
    fake.setCallHook([&](const std::string& call) { inverted += call == "Drawing::invert"; });
    startWatching("LEFT", 100, "MousePursuit= 1\r\n");
    // Pursuit shows off, cannot be turned on, and leaves the monitor to the user.
    EXPECT_FALSE(w().chkMouse->isChecked());
    EXPECT_FALSE(w().chkMouse->isEnabled());
    EXPECT_FALSE(w().chkMouse->toolTip().isEmpty());
    EXPECT_FALSE(w().mnuTool_Mouse->isEnabled());
    EXPECT_TRUE(w().cmbDisplayList->isEnabled());
    EXPECT_TRUE(w().mnuTool_Select->isEnabled());
    fake.setPointerPosition({1920 + 50, 20});
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 0) << "no pursuit";
    // No position in the labels rather than a wrong one.
    EXPECT_TRUE(w().lblStatus_Cursor_All->text().isEmpty());
    EXPECT_TRUE(w().lblStatus_Cursor_View->text().isEmpty());

    // The dots cannot be chosen; a stored dot draws nothing.
    auto* model = qobject_cast<QStandardItemModel*>(w().cmbCursor->model());
    ASSERT_TRUE(model);
    for (int i = 0; i < model->rowCount(); ++i) EXPECT_EQ(model->item(i)->isEnabled(), i == 0 || i == 4) << i;
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(w().mnuView_Cursor_Select[i]->isEnabled());
    w().cmbCursor->setFocus();
    QTest::keyClick(w().cmbCursor, Qt::Key_Down);
    EXPECT_NE(w().cmbCursor->currentIndex(), 1) << "the keyboard skips the disabled dots";
    closeWindow();
    const std::string saved = test::readAll(settingsFile());
    EXPECT_NE(saved.find("MousePursuit= 1"), std::string::npos) << "kept for a session that can read it";

    window.reset();
    freshRun();
    writeSettings("[Main]\r\nDisplay=LEFT\r\nZoom= 100\r\nInterval= 60000\r\nCursor= 2\r\n");
    start();
    fake.setPointerPosition({200, 200});
    inverted = 0;
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbCursor->currentIndex(), 2) << "the stored choice shows";
    EXPECT_EQ(inverted, 0);
}

// Grab scrolling: the pressed picture point stays under the pointer, and
// past the end of the range the bars stop at their limits.
TEST_F(PointerControlTest, DraggingKeepsThePictureUnderThePointer) {
    for (int zoom : {50, 200}) {
        freshRun();
        startWatching("RIGHT", zoom);
        ASSERT_TRUE(w().scrX->isEnabled() && w().scrY->isEnabled());
        w().scrX->setValue(w().scrX->maximum() / 2);
        w().scrY->setValue(w().scrY->maximum() / 2);
        const QPoint local(150, 100);
        const QPoint grabbed = local + w().picView->visibleOrigin();
        QTest::mousePress(view(), Qt::LeftButton, {}, local);
        for (const QPoint step : {QPoint(-7, -3), QPoint(-30, -20), QPoint(25, 12)}) {
            QTest::mouseMove(view(), local + step);
            EXPECT_EQ(local + step + w().picView->visibleOrigin(), grabbed) << zoom;
        }
        QTest::mouseRelease(view(), Qt::LeftButton, {}, local + QPoint(25, 12));
        EXPECT_EQ(AppState.ScrollPos_X, w().scrX->value());
        EXPECT_EQ(AppState.ScrollPos_Y, w().scrY->value());
        QTest::mousePress(view(), Qt::LeftButton, {}, local);
        QTest::mouseMove(view(), local + QPoint(5000, 5000));
        EXPECT_EQ(w().scrX->value(), 0);
        EXPECT_EQ(w().scrY->value(), 0);
        QTest::mouseRelease(view(), Qt::LeftButton, {}, local);
        closeWindow();
    }
}

TEST_F(PointerControlTest, CtrlDragMovesTheWindowNotThePicture) {
    startWatching("RIGHT", 200);
    const QPoint before = w().pos();
    const int x = w().scrX->value();
    const QPoint g0 = view()->mapToGlobal(QPoint(100, 100));
    auto local = [&](QPoint global) { return view()->mapFromGlobal(global); };
    QTest::mousePress(view(), Qt::LeftButton, Qt::ControlModifier, local(g0));
    // QTest's moves carry no modifiers; a user's keep Ctrl held.
    for (const QPoint step : {QPoint(5, 5), QPoint(20, 10), QPoint(45, 35)}) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(local(g0 + step)), QPointF(g0 + step), Qt::NoButton,
                         Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(view(), &drag);
    }
    ASSERT_TRUE(waitFor([&] { return w().pos() == before + QPoint(40, 30); }));
    EXPECT_EQ(w().scrX->value(), x);
    // Ctrl let go before the button: the move goes on, nothing scrolls.
    for (const QPoint step : {QPoint(60, 45), QPoint(90, 70)}) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(local(g0 + step)), QPointF(g0 + step), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view(), &drag);
    }
    EXPECT_TRUE(waitFor([&] { return w().pos() == before + QPoint(85, 65); }));
    EXPECT_EQ(w().scrX->value(), x);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, local(g0 + QPoint(90, 70)));
}

TEST_F(PointerControlTest, PursuitFollowsThePointerAndCentresIt) {
    startWatching("LEFT", 200, "MousePursuit= 1\r\n");
    EXPECT_TRUE(w().chkMouse->isChecked()) << "the stored choice shows";
    EXPECT_TRUE(w().mnuTool_Mouse->isChecked());
    EXPECT_FALSE(w().cmbDisplayList->isEnabled());
    EXPECT_FALSE(w().mnuTool_Select->isEnabled());
    const int max = w().scrX->maximum();
    ASSERT_GT(max, 0);

    fake.setPointerPosition({1920 + 50, 20});  // centring would need a negative value
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1) << "switched to the pointer's monitor";
    EXPECT_EQ(AppState.ViewLeft, 1920);
    EXPECT_EQ(w().scrX->value(), 0);
    EXPECT_EQ(w().scrY->value(), 0);
    fake.setPointerPosition({1920 + 1900, 1070});
    w().tmrMain_Timer();
    EXPECT_EQ(w().scrX->value(), w().scrX->maximum());
    EXPECT_EQ(w().scrY->value(), w().scrY->maximum());
    fake.setPointerPosition({1920 + 960, 540});
    w().tmrMain_Timer();
    // Centred: view position 1920, 1080 less half the part shown.
    EXPECT_NEAR(w().scrX->value(), 1920 - (3840 - w().scrX->maximum()) / 2.0, 0.5);
    EXPECT_NEAR(w().scrY->value(), 1080 - (2160 - w().scrY->maximum()) / 2.0, 0.5);
    EXPECT_EQ(AppState.ScrollPos_X, w().scrX->value());
    // Off every monitor: the tick leaves the view alone.
    fake.setPointerPosition({-50, 5000});
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1);

    // Off through the tool bar button: the monitor list is the user's again.
    QTest::mouseClick(w().chkMouse, Qt::LeftButton);
    EXPECT_FALSE(AppState.MousePursuit);
    EXPECT_FALSE(w().mnuTool_Mouse->isChecked());
    EXPECT_TRUE(w().cmbDisplayList->isEnabled());
    EXPECT_TRUE(w().mnuTool_Select->isEnabled());
    fake.setPointerPosition({100, 100});
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1) << "pursuit is off";

    // On again through the Tool menu.
    ASSERT_TRUE(choose(w().mnuTool_Mouse));
    EXPECT_TRUE(AppState.MousePursuit);
    EXPECT_TRUE(w().chkMouse->isChecked());
    EXPECT_FALSE(w().cmbDisplayList->isEnabled());
    w().tmrMain_Timer();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 0);
    // With pursuit a left drag only passes the move on: it does not scroll.
    fake.setPointerPosition({-50, 5000});  // the ticks leave the bars alone
    const int x = w().scrX->value();
    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(150, 100));
    QTest::mouseMove(view(), QPoint(50, 50));
    EXPECT_EQ(w().scrX->value(), x);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(50, 50));
    closeWindow();
    EXPECT_NE(test::readAll(settingsFile()).find("MousePursuit= 1"), std::string::npos);
}

TEST_F(PointerControlTest, AMonitorGoneWhileAClickIsForwardedLeavesNoButtonHeld) {
    startWatching("RIGHT", 100, "DoubleClick= 4\r\n");
    bool unplugged = false;
    fake.setCallHook([&](const std::string& call) {
        if (call != "Pointer::sendButton" || unplugged) return;
        // The watched monitor goes away in the middle of the click, and the
        // program's event loop runs (as it would for a repaint) long enough
        // for the report to settle.
        unplugged = true;
        fake.removeMonitor("RIGHT");
        fake.announceLayoutChange();
        QTest::qWait(400);
        EXPECT_EQ(w().cmbDisplayList->count(), 2) << "the list is not rebuilt under the click";
    });
    doubleClick(Qt::LeftButton, {10, 10});
    fake.setCallHook({});
    ASSERT_TRUE(unplugged);
    // Every button pressed was released, and the pointer went back.
    int held = 0;
    for (const InputEvent& e : fake.inputLog())
        if (e.kind == InputEvent::Kind::Button) held = std::max(0, held + (e.down ? 1 : -1));
    EXPECT_EQ(held, 0);
    EXPECT_EQ(fake.inputLog().back(), move({500, 400}));
    EXPECT_FALSE(w().Clicks().Busy());
    // Once the click is done the list follows.
    EXPECT_TRUE(waitFor([&] { return w().cmbDisplayList->count() == 1; }));
    EXPECT_EQ(w().cmbDisplayList->currentText(), "(*)LEFT");
}

}  // namespace
}  // namespace orvane
