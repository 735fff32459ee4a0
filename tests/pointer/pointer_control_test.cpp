// Pointer control on the simulated desktop, driven by the mouse events Qt
// gives the view: forwarded clicks, the popup, grab scrolling, dragging the
// window and mouse pursuit.
#include <QComboBox>
#include <QLabel>
#include <QStandardItemModel>
#include <QToolButton>

#include "pointer/pointer_rules.h"
#include "support/main_window_fixture.h"

namespace orvane {
namespace {

using platform::MouseButton;
using platform::Point;
using platform::fake::InputEvent;
using Log = std::vector<InputEvent>;
using enum platform::MouseButton;

InputEvent move(Point p) { return {InputEvent::Kind::Move, p}; }
InputEvent button(Point at, MouseButton b, bool down) { return {InputEvent::Kind::Button, at, b, down}; }
Log operator+(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Log releaseAll(Point at) {
    return {button(at, Left, false), button(at, Middle, false), button(at, Right, false)};
}

// The whole injected sequence for one forwarded click from `from` at `to`.
Log forwarded(Point from, Point to, MouseButton b, bool twice) {
    const Log click{button(to, b, true), button(to, b, false)};
    return releaseAll(from) + Log({move(to)}) + click + (twice ? click : Log()) + Log({move(from)});
}

// Whether a half occurs depends on the window's width, so the widget test
// alone cannot be relied on for the rounding: halves go to even.
TEST(PointerRules, PursuitRoundsHalvesToEven) {
    // 960 at 200 % centred in views 3841 and 3839 wide: 499.5 -> 500, 500.5 -> 500.
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3841, 0, 1000), 500);
    EXPECT_EQ(PursuitScrollValue(960, 0, 2.0, 3839, 0, 1000), 500);
}

struct PointerControlTest : test::MainWindowTest {
    const Point s{500, 400};  // where the pointer rests, on the view
    frmMain& w() { return *window; }
    QWidget* view() { return window->picView->widget(); }
    QPoint at(QPoint viewPos) { return viewPos - window->picView->visibleOrigin(); }
    Log& log() { return fake.desk().inputLog; }
    void rewind() {
        fake.setPointerPosition(s);
        log().clear();
    }

    void SetUp() override {
        MainWindowTest::SetUp();
        addMonitor("LEFT", {0, 0, 1920, 1080}, true);
        addMonitor("RIGHT", {1920, 0, 3840, 1080}, false);
        fake.desk().doubleClickMs = 60;
    }
    // A 700 x 300 window at the corner of LEFT (the whole tool bar shows)
    // watching `monitor` at `zoom` %; the pointer on the view.
    frmMain& startWatching(const std::string& monitor, int zoom, const std::string& extra = "") {
        writeSettings(
            "[Main]\r\n" + extra + "Display=" + monitor + "\r\nZoom= " + std::to_string(zoom) +
            "\r\nInterval= 60000\r\nCursor= 4\r\n[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\n"
            "WindowPos_Width= 10500\r\nWindowPos_Height= 4500\r\n");
        fake.setPointerPosition(s);
        start();
        log().clear();
        return w();
    }
    // Qt's order for a double click: press, release, double-click press,
    // release; a right button is held a while.
    void doubleClick(Qt::MouseButton b, QPoint viewPos) {
        const QPoint p = at(viewPos);
        QTest::mouseClick(view(), b, {}, p);
        QTest::mouseDClick(view(), b, {}, p);
        if (b == Qt::RightButton) QTest::qWait(100);  // past the double-click time
        QTest::mouseRelease(view(), b, {}, p);
    }
    // Opens the popup with a right click at view (101, 50) and clicks `path` through its submenus.
    void fromPopup(const std::vector<QAction*>& path, Qt::MouseButton b = Qt::LeftButton, bool click = true) {
        if (click) QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));
        QMenu* menu = w().mnuPopup;
        for (QAction* a : path) {
            ASSERT_TRUE(waitFor([&] { return openPopup() == menu; }));
            QTest::mouseClick(menu, b, {}, menu->actionGeometry(a).center());
            menu = a->menu();
        }
        ASSERT_TRUE(waitFor([&] { return openPopup() == nullptr; }));
    }
    std::vector<QAction*> popupClick(int button, QAction* item) {
        return {w().mnuPopup_Action->menuAction(), w().mnuPopup_Mouse[button]->menuAction(), item};
    }
};

TEST_F(PointerControlTest, EveryDoubleClickActionInjectsItsSequence) {
    startWatching("RIGHT", 200);
    const Point t{1970, 25};  // view (101, 50) at 200 %: 1970.5 rounds to 1970
    const struct {
        int code;
        Qt::MouseButton pressed;
        Log log;
    } cases[] = {{1, Qt::LeftButton, {move(t)}},
                 {2, Qt::MiddleButton, forwarded(s, t, Middle, false)},
                 {3, Qt::RightButton, forwarded(s, t, Right, true)},
                 {4, Qt::RightButton, forwarded(s, t, Left, false)},
                 {5, Qt::LeftButton, forwarded(s, t, Left, true)},
                 {6, Qt::LeftButton, forwarded(s, t, Middle, false)},
                 {7, Qt::LeftButton, forwarded(s, t, Middle, true)},
                 {8, Qt::LeftButton, forwarded(s, t, Right, false)},
                 {9, Qt::LeftButton, forwarded(s, t, Right, true)}};
    std::vector<bool> busy;  // at every injected step
    onCall = [&](const std::string& call) {
        if (call == "Pointer::sendButton" || call == "Pointer::setPosition")
            busy.push_back(w().Clicks().Busy());
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(chooseItem(w().cmbDblClick, c.code));
        rewind();
        busy.clear();
        doubleClick(c.pressed, {101, 50});
        EXPECT_EQ(log(), c.log) << "action " << c.code;
        EXPECT_TRUE(c.code < 2 || busy == std::vector<bool>(c.log.size(), true)) << "busy while it injects";
        EXPECT_EQ(w().Clicks().LastButton(), 0) << c.code;
        EXPECT_FALSE(w().Clicks().Busy());
        QTest::qWait(c.pressed == Qt::RightButton ? 100 : 0);
        EXPECT_EQ(openPopup(), nullptr) << "a right double click with an action shows no popup";
    }
    onCall = {};
    log().clear();
    doubleClick(Qt::LeftButton, {103, 50});  // the other rounding direction
    EXPECT_EQ(log(), forwarded(s, {1972, 25}, Right, true));

    // No action: nothing is sent, and a right double click still shows the popup.
    ASSERT_TRUE(chooseItem(w().cmbDblClick, 0));
    log().clear();
    doubleClick(Qt::LeftButton, {101, 50});
    doubleClick(Qt::RightButton, {101, 50});
    ASSERT_TRUE(waitFor([&] { return openPopup() == w().mnuPopup; }));
    EXPECT_TRUE(log().empty());
    w().mnuPopup->close();

    // No button stays held whatever goes wrong, and no target lies off the watched monitor.
    ASSERT_TRUE(chooseItem(w().cmbDblClick, 5));
    rewind();
    const Point edge{1930, 10};
    fake.desk().buttonsBeforeFailure = 3 + 1;  // the release-all and the first down pass, its up fails
    doubleClick(Qt::LeftButton, {20, 20});
    EXPECT_EQ(log(), releaseAll(s) + Log({move(edge), button(edge, Left, true)}) + releaseAll(edge) +
                         Log({move(s)}));

    // View X 3839 rounds to screen X 3840, past the monitor.
    w().scrX->setValue(w().scrX->maximum());
    w().scrY->setValue(w().scrY->maximum());
    log().clear();
    doubleClick(Qt::LeftButton, {w().picViewRect.width() - 1, w().picViewRect.height() - 1});
    EXPECT_EQ(log(), forwarded(s, {3839, 1079}, Left, true));

    // The watched monitor goes away in the middle of a click, and the event
    // loop runs (as for a repaint) long enough for the report to settle.
    rewind();
    bool unplugged = false;
    onCall = [&](const std::string& call) {
        if (call != "Pointer::sendButton" || std::exchange(unplugged, true)) return;
        fake.removeMonitor("RIGHT");
        fake.desk().layoutWatcher();
        QTest::qWait(400);
        EXPECT_EQ(w().cmbDisplayList->count(), 2) << "the list is not rebuilt under the click";
    };
    doubleClick(Qt::LeftButton, {10, 10});
    onCall = {};
    ASSERT_TRUE(unplugged);
    int held = 0;
    for (const InputEvent& e : log())
        if (e.kind == InputEvent::Kind::Button) held = std::max(0, held + (e.down ? 1 : -1));
    EXPECT_EQ(held, 0);
    EXPECT_EQ(log().back(), move(s));
    EXPECT_TRUE(waitFor([&] { return w().cmbDisplayList->count() == 1; })) << "then the list follows";
}

TEST_F(PointerControlTest, RightClickOpensThePopupAfterTheDoubleClickTime) {
    fake.desk().doubleClickMs = 400;
    startWatching("RIGHT", 200);
    QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));
    EXPECT_EQ(w().Clicks().LastButton(), 2);
    QTest::qWait(200);
    EXPECT_EQ(openPopup(), nullptr) << "not before the double-click time";
    const int before = w().tmrTiming.remainingTime();
    QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));  // not a double click
    EXPECT_LE(w().tmrTiming.remainingTime(), before) << "a second right press does not restart the timer";
    // Entries can be chosen with the right button too.
    fromPopup(popupClick(0, w().mnuPopup_Mouse_Left[0]), Qt::RightButton, false);
    EXPECT_EQ(log(), forwarded(s, {1970, 25}, Left, false));
    EXPECT_EQ(w().Clicks().LastButton(), 0) << "the popup has consumed the press";
    rewind();
    fromPopup(popupClick(1, w().mnuPopup_Mouse_Middle[1]));
    EXPECT_EQ(log(), forwarded(s, {1970, 25}, Middle, true));

    // The monitor pointed at goes away while the popup is open: nothing is sent there.
    QTest::mouseClick(view(), Qt::RightButton, {}, at({101, 50}));
    ASSERT_TRUE(waitFor([&] { return openPopup() == w().mnuPopup; }));
    fake.removeMonitor("RIGHT");
    fake.desk().layoutWatcher();
    ASSERT_TRUE(waitFor([&] { return w().cmbDisplayList->count() == 1; }));
    log().clear();
    fromPopup(popupClick(0, w().mnuPopup_Mouse_Left[0]), Qt::LeftButton, false);
    EXPECT_TRUE(log().empty());
}

TEST_F(PointerControlTest, OurOwnInjectedClickNeverForwardsAnother) {
    // Watching its own monitor at 100 %: the target of view (300, 200) lies on the view.
    startWatching("LEFT", 100, "DoubleClick= 5\r\n");
    const Point t{300, 200};
    const QPoint echo = view()->mapFromGlobal(QPoint(t.x, t.y));
    ASSERT_TRUE(view()->rect().contains(echo));
    doubleClick(Qt::LeftButton, {300, 200});
    ASSERT_EQ(log(), forwarded(s, t, Left, true));
    log().clear();
    // The injected click arrives, as the server delivers it.
    QTest::mouseClick(view(), Qt::LeftButton, {}, echo);
    QTest::mouseDClick(view(), Qt::LeftButton, {}, echo);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, echo);
    EXPECT_TRUE(log().empty()) << "the echo forwarded another click";
    doubleClick(Qt::LeftButton, {300, 200});
    EXPECT_EQ(log(), forwarded(s, t, Left, true)) << "the user's own click afterwards";
}

// Without button injection (X without XTest) and where the pointer cannot be
// read (Wayland) what needs them is disabled, and the stored choices kept.
TEST_F(PointerControlTest, WhatThePlatformCannotDoIsDisabledAndTheStoredChoicesKept) {
    fake.desk().buttonsAvailable = false;
    fake.desk().positionReadable = false;
    onCall = [&](const std::string& call) { ASSERT_NE(call, "Drawing::invert"); };
    startWatching("LEFT", 100, "DoubleClick= 5\r\nMousePursuit= 1\r\nCursor= 2\r\nInterval= 10\r\n");
    auto enabled = [](QComboBox* list) {
        std::vector<int> on;
        for (int i = 0; i < list->count(); ++i)
            if (qobject_cast<QStandardItemModel*>(list->model())->item(i)->isEnabled()) on.push_back(i);
        return on;
    };
    EXPECT_EQ(enabled(w().cmbDblClick), (std::vector<int>{0, 1}));
    EXPECT_FALSE(w().mnuPopup_Action->menuAction()->isEnabled());
    EXPECT_TRUE(w().cmbDblClick->toolTip().contains(QStringLiteral("XTEST")));
    EXPECT_EQ(w().cmbDblClick->currentIndex(), 5);
    doubleClick(Qt::LeftButton, {10, 10});
    EXPECT_TRUE(log().empty()) << "the pointer is not moved for nothing";
    ASSERT_TRUE(chooseItem(w().cmbDblClick, 1));  // moving the pointer needs no buttons
    doubleClick(Qt::LeftButton, {10, 10});
    EXPECT_EQ(log(), Log{move({10, 10})});

    EXPECT_FALSE(w().chkMouse->isChecked() || w().chkMouse->isEnabled() || w().mnuTool_Mouse->isEnabled());
    EXPECT_FALSE(w().chkMouse->toolTip().isEmpty());
    fake.setPointerPosition({1920 + 50, 20});
    tick();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 0) << "no pursuit";
    EXPECT_TRUE(w().lblStatus_Cursor_All->text().isEmpty() && w().lblStatus_Cursor_View->text().isEmpty());
    EXPECT_EQ(enabled(w().cmbCursor), (std::vector<int>{0, 4})) << "no dots";
    fake.setPointerPosition({200, 200});
    tick();
    EXPECT_EQ(w().cmbCursor->currentIndex(), 2) << "a stored dot shows and draws nothing";
    closeWindow();
    EXPECT_NE(test::readAll(settingsFile()).find("MousePursuit= 1"), std::string::npos);
}

// Grab scrolling keeps the pressed picture point under the pointer and stops
// at the range's limits; with Ctrl the window moves instead.
TEST_F(PointerControlTest, DraggingKeepsThePictureUnderThePointer) {
    startWatching("RIGHT", 50);
    w().scrX->setValue(w().scrX->maximum() / 2);
    w().scrY->setValue(w().scrY->maximum() / 2);
    const QPoint local(150, 100), grabbed = local + w().picView->visibleOrigin();
    QTest::mousePress(view(), Qt::LeftButton, {}, local);
    for (const QPoint step : {QPoint(-7, -3), QPoint(-30, -20), QPoint(25, 12)}) {
        QTest::mouseMove(view(), local + step);
        EXPECT_EQ(local + step + w().picView->visibleOrigin(), grabbed);
    }
    QTest::mouseRelease(view(), Qt::LeftButton, {}, local + QPoint(25, 12));
    EXPECT_EQ(AppState.ScrollPos_X, w().scrX->value());
    EXPECT_EQ(AppState.ScrollPos_Y, w().scrY->value());
    QTest::mousePress(view(), Qt::LeftButton, {}, local);
    QTest::mouseMove(view(), local + QPoint(5000, 5000));
    EXPECT_EQ(w().scrX->value() + w().scrY->value(), 0);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, local);
    const QPoint before = w().pos(), g0 = view()->mapToGlobal(QPoint(100, 100));
    const int x = w().scrX->value();
    QTest::mousePress(view(), Qt::LeftButton, Qt::ControlModifier, view()->mapFromGlobal(g0));
    // QTest's moves carry no modifiers; a user's keep Ctrl held, and may let it go before the button.
    for (const auto& [step, keys] : {std::pair{QPoint(5, 5), Qt::ControlModifier},
                                     {QPoint(45, 35), Qt::ControlModifier},
                                     {QPoint(90, 70), Qt::NoModifier}}) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(view()->mapFromGlobal(g0 + step)), QPointF(g0 + step),
                         Qt::NoButton, Qt::LeftButton, keys);
        QApplication::sendEvent(view(), &drag);
    }
    EXPECT_TRUE(waitFor([&] { return w().pos() == before + QPoint(85, 65); }));
    EXPECT_EQ(w().scrX->value(), x);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, view()->mapFromGlobal(g0 + QPoint(90, 70)));
}

// Pursuit centres the pointer within the range. While the pointer is hidden
// (GNOME) it waits and nothing is marked; all of it comes back with the pointer.
TEST_F(PointerControlTest, PursuitFollowsThePointerAndCentresIt) {
    startWatching("LEFT", 200, "MousePursuit= 1\r\nCursor= 3\r\nInterval= 10\r\n");
    EXPECT_TRUE(w().chkMouse->isChecked()) << "the stored choice shows";
    EXPECT_FALSE(w().cmbDisplayList->isEnabled() || w().mnuTool_Select->isEnabled());
    fake.desk().positionKnown = false;
    fake.setPointerPosition({50, 20});  // on the watched monitor
    tick();
    EXPECT_EQ(count("Drawing::invert"), 0);
    EXPECT_TRUE(w().lblStatus_Cursor_All->text().isEmpty() && w().lblStatus_Cursor_View->text().isEmpty());
    fake.setPointerPosition({1920 + 50, 20});  // it moves on, still hidden
    tick();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 0) << "pursuit waits";
    EXPECT_TRUE(w().chkMouse->isEnabled() && w().chkMouse->isChecked()) << "only waiting, not off";
    fake.desk().positionKnown = true;
    tick();
    EXPECT_EQ(w().lblStatus_Cursor_All->text(), QStringLiteral("X = 1970 Y = 20"));
    tick();
    EXPECT_GE(count("Drawing::invert"), 1) << "marked again on the monitor pursuit chose";

    const int mx = w().scrX->maximum(), my = w().scrY->maximum();
    auto follows = [&](Point p, double x, double y) {
        fake.setPointerPosition(p);
        tick();
        EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1) << "the pointer's monitor";
        EXPECT_NEAR(w().scrX->value(), x, 0.5);
        EXPECT_NEAR(w().scrY->value(), y, 0.5);
    };
    follows({1920 + 50, 20}, 0, 0);  // centring would need a negative value
    follows({1920 + 1900, 1070}, mx, my);
    follows({1920 + 960, 540}, 1920 - (3840 - mx) / 2.0,
            1080 - (2160 - my) / 2.0);  // less half the part shown
    EXPECT_EQ(AppState.ScrollPos_X, w().scrX->value());
    fake.setPointerPosition({-50, 5000});  // off every monitor: the view is left alone
    tick();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1);

    QTest::mouseClick(w().chkMouse, Qt::LeftButton);  // off: the monitor list is the user's again
    EXPECT_FALSE(AppState.MousePursuit || w().mnuTool_Mouse->isChecked());
    EXPECT_TRUE(w().cmbDisplayList->isEnabled());
    fake.setPointerPosition({100, 100});
    tick();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 1) << "pursuit is off";
    ASSERT_TRUE(choose(w().mnuTool_Mouse));  // on again through the Tool menu
    EXPECT_TRUE(AppState.MousePursuit && w().chkMouse->isChecked());
    tick();
    EXPECT_EQ(w().cmbDisplayList->currentIndex(), 0);
    // With pursuit a left drag only passes the move on: it does not scroll.
    fake.setPointerPosition({-50, 5000});
    const int x = w().scrX->value();
    QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(150, 100));
    QTest::mouseMove(view(), QPoint(50, 50));
    EXPECT_EQ(w().scrX->value(), x);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(50, 50));
    closeWindow();
    EXPECT_NE(test::readAll(settingsFile()).find("MousePursuit= 1"), std::string::npos);
}

}  // namespace
}  // namespace orvane
