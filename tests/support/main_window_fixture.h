// A main window on a simulated desktop, with its own settings folder: the
// fixture the widget tests start from.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/app_state.h"
#include "core/settings.h"
#include "mainwindow/frm_main.h"
#include "platform/fake/fake_platform.h"
#include "support/temp_dir.h"

namespace orvane::test {

// The menu an action is an item of; nullptr for a menu bar's or a top menu's own action.
inline QMenu* containingMenu(QAction* action) {
    QMenu* in = nullptr;
    for (QObject* o : action->associatedObjects()) {
        if (qobject_cast<QMenuBar*>(o)) return nullptr;
        if (auto* m = qobject_cast<QMenu*>(o); m && m->menuAction() != action) in = m;
    }
    return in;
}

class MainWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    platform::fake::FakePlatform fake;
    std::unique_ptr<frmMain> window;

    void SetUp() override {
        ::setenv("ORVANE_CONFIG_DIR", dir.path().c_str(), 1);
        freshRun();
        SetPrimaryScreenTwipsSource([] { return ScreenTwips{1920 * 15.0f, 1080 * 15.0f}; });
        fake.desk().doubleClickMs = 50;             // the view's popup opens this long after a right click
        QApplication::setDoubleClickInterval(100);  // the toolkit's own, for its lists
        fake.setCallHook([this](const std::string& call) {
            if (recording_) calls.push_back(call);
            if (onCall) onCall(call);
        });
    }
    void TearDown() override {
        window.reset();
        SetPrimaryScreenTwipsSource({});
        ::unsetenv("ORVANE_CONFIG_DIR");
    }

    // AppState as a new run of the program finds it, before Main loads the settings.
    void freshRun() {
        AppState = AppStateData{};
        AppState.TitleBarShown = true;
        AppState.AppPath = dir.path();
    }

    [[nodiscard]] std::string settingsFile() const { return dir.file("Orvane.ini"); }
    void writeSettings(const std::string& text) const { writeAll(settingsFile(), text); }

    // Main's part of the start-up: load the settings, show the window, let the
    // first activation run.
    frmMain& start() {
        LoadSettings();
        window = std::make_unique<frmMain>(fake);
        window->InputBox = [this](const QString&, const QString&, const QString&) { return inputBoxAnswer; };
        window->Show();
        QApplication::processEvents();
        return *window;
    }
    void closeWindow() {
        window->close();
        QApplication::processEvents();
    }
    QString inputBoxAnswer;

    // Types text into an editable list and presses Enter, as the user does:
    // the keys go to the focused widget, which is the combo box itself.
    static void typeInto(QComboBox* combo, const QString& text) {
        combo->setFocus();
        QApplication::processEvents();
        QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);  // the old text is replaced
        QTest::keyClicks(combo, text);
        QTest::keyClick(combo, Qt::Key_Return);
    }

    // Lets the event loop run until `done` holds (false after two seconds).
    static bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 2000); }
    static QMenu* openPopup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

    // Chooses a menu item as a user does: opens its menu from the menu bar,
    // or the view's popup with a right click on the view, opens the submenus
    // on the way and clicks the item with `button`. False when a menu on the
    // way could not be opened (the menu bar is hidden, say).
    bool choose(QAction* action, Qt::MouseButton button = Qt::LeftButton) {
        std::vector<QAction*> path{action};  // the items clicked, from the top menu down
        QMenu* top = containingMenu(action);
        for (; top && containingMenu(top->menuAction()); top = containingMenu(top->menuAction()))
            path.insert(path.begin(), top->menuAction());
        QMenuBar* bar = nullptr;
        for (QObject* o : top ? top->menuAction()->associatedObjects() : QObjectList())
            if (!bar) bar = qobject_cast<QMenuBar*>(o);
        if (bar && bar->isVisible()) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top->menuAction()).center());
        } else if (top == window->mnuPopup) {
            QWidget* view = window->picView->widget();
            QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
        } else {
            return false;
        }
        QMenu* open = top;
        for (QAction* a : path) {
            if (!waitFor([&] { return openPopup() == open; })) return false;
            QTest::mouseClick(open, a == path.back() ? button : Qt::LeftButton, {},
                              open->actionGeometry(a).center());
            open = a->menu();
        }
        return waitFor([] { return openPopup() == nullptr; });
    }
    // Runs `act` on the next modal dialog once it is open, inside its own
    // event loop, as the user would act on it there.
    static void whenDialogOpens(std::function<void(QDialog*)> act) {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            act(dialog);
        });
        poll->start();
    }

    // Opens a modal dialog with `open` (a menu item chosen, a button
    // clicked) and lets `act` work it while it is open; the live view rests
    // meanwhile and runs again once it has closed.
    template <typename Dialog>
    void openDialog(const std::function<void()>& open, const std::function<void(Dialog&)>& act) {
        bool seen = false;
        whenDialogOpens([&](QDialog* d) {
            auto* dialog = qobject_cast<Dialog*>(d);
            ASSERT_TRUE(dialog);
            seen = true;
            EXPECT_FALSE(window->tmrMain.isActive()) << "the live view rests while a dialog is open";
            act(*dialog);
        });
        open();
        EXPECT_TRUE(seen);
        EXPECT_TRUE(window->tmrMain.isActive()) << "the live view runs again";
    }

    // Chooses item `index` of a list as a user does: opens its drop-down
    // list with a click on the arrow and clicks the item. False when the
    // list could not be opened or did not close.
    static bool chooseItem(QComboBox* combo, int index) {
        // An editable list opens from its arrow, the others anywhere the window shows.
        const QRect shown = QRect(combo->mapTo(combo->window(), QPoint()), combo->size())
                                .intersected(combo->window()->rect())
                                .translated(-combo->mapTo(combo->window(), QPoint()));
        const QPoint at =
            combo->isEditable() ? QPoint(combo->width() - 4, combo->height() / 2) : shown.center();
        if (!combo->isVisible() || !combo->isEnabled() || !shown.contains(at)) return false;
        QTest::mouseClick(combo, Qt::LeftButton, {}, at);
        QAbstractItemView* list = combo->view();
        if (!waitFor([&] { return list->isVisible(); })) return false;
        // The list ignores a release that comes within a double-click time of
        // opening it (the opening click's own); a person is slower than that.
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        const QRect item = list->visualRect(combo->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        return waitFor([&] { return !list->isVisible(); });
    }

    // What the program asked of the desktop during the last tick().
    std::vector<std::string> calls;
    std::function<void(const std::string& call)> onCall;  // a test's own look at every call
    [[nodiscard]] int count(const std::string& call) const {
        return static_cast<int>(std::ranges::count(calls, call));
    }
    // Lets the view's timer fire once and records what the program drew
    // until then (a redraw it had asked for, then the tick).
    void tick() {
        calls.clear();
        recording_ = true;
        // Connected after the window's own: its tick is over.
        const auto seen =
            QObject::connect(&window->tmrMain, &QTimer::timeout, [this] { recording_ = false; });
        EXPECT_TRUE(waitFor([this] { return !recording_; })) << "the view's timer runs";
        QObject::disconnect(seen);
    }

    void addMonitor(const std::string& name, platform::Rect rect, bool primary, std::int32_t bits = 32) {
        fake.addMonitor({name, rect, primary, bits});
    }

private:
    bool recording_ = false;
};

}  // namespace orvane::test
