// Click forwarding: presses, releases and double clicks in the view become
// real mouse input at the matching point of the watched monitor; a right
// click opens the view's popup menu. Dragging with the left button scrolls
// the picture, with Ctrl held it moves the window.
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <algorithm>
#include <cmath>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "pointer/pointer_rules.h"

namespace orvane {

namespace {

constexpr int kShiftCtrl = 2;

// How long input we injected may take to come back to our own view.
constexpr qint64 kEchoWindowMs = 1000;

int ButtonCodeOf(Qt::MouseButton b) {
    return ButtonCode(b == Qt::LeftButton, b == Qt::RightButton, b == Qt::MiddleButton);
}

int ShiftCodeOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

// A global position in Qt's logical pixels in the screen's own pixels. Qt
// keeps each screen's corner where the screen's pixels have it and scales
// only within the screen, so a screen away from the origin is not simply
// multiplied by the ratio.
QPointF ScreenPixels(QPointF global, const QScreen* fallback) {
    const QScreen* s = QGuiApplication::screenAt(global.toPoint());
    if (s == nullptr) s = fallback;
    if (s == nullptr) return global;
    const QPointF corner = s->geometry().topLeft();
    return corner + (global - corner) * s->devicePixelRatio();
}

const char* const kNoClicksTip = QT_TRANSLATE_NOOP(
    "orvane::frmMain", "この画面ではクリックを送れません（X サーバーに XTEST 拡張がありません）");

}  // namespace

void frmMain::cmbDblClick_Click() { AppState.DoubleClick = cmbDblClick->currentData().toInt(); }

void frmMain::picView_MouseDown(int Button, int /*Shift*/, float X, float Y) {
    if (Button == 1) {
        DownX = R(X);
        DownY = R(Y);
    }
    const int prev = LastButton;
    LastButton = static_cast<std::int16_t>(Button);
    if (Button == 2 && !ClickBusy && prev != 2) {
        tmrTiming.setInterval(Platform.pointer().doubleClickTime());
        tmrTiming.start();
    }
}

void frmMain::picView_MouseUp(int /*Button*/, int /*Shift*/, float X, float Y) {
    platform::Point t = ViewToScreen(X, Y, AppState.ZoomRate, AppState.ViewLeft, AppState.ViewTop);
    // The user pointed at the watched monitor, even where rounding says
    // otherwise (the last column at 200 % rounds to the pixel after it) or
    // the release was dragged off the picture.
    if (AppState.ViewWidth > 0 && AppState.ViewHeight > 0) {
        t.x = std::clamp(t.x, AppState.ViewLeft, AppState.ViewLeft + AppState.ViewWidth - 1);
        t.y = std::clamp(t.y, AppState.ViewTop, AppState.ViewTop + AppState.ViewHeight - 1);
    }
    TargetX = t.x;
    TargetY = t.y;
}

void frmMain::tmrTiming_Timer() {
    tmrTiming.stop();
    if (LastButton == 2 && !ClickBusy) mnuPopup->popup(QCursor::pos());
}

void frmMain::picView_DblClick() {
    const DoubleClickAction action = DoubleClickActionFor(AppState.DoubleClick, LastButton);
    switch (action.kind) {
        case DoubleClickAction::Kind::Nothing:
            return;  // a pending popup is still shown
        case DoubleClickAction::Kind::Move:
            mnuPopup_Move_Click();
            break;
        case DoubleClickAction::Kind::Click:
            SendMouseClick(action.button, action.twice);
            break;
        case DoubleClickAction::Kind::Unknown:
            break;
    }
    LastButton = 0;
    tmrTiming.stop();
}

void frmMain::mnuPopup_Move_Click() {
    const platform::Point target{TargetX, TargetY};
    // Never somewhere outside every monitor (no monitor was watched).
    if (MonitorIndexAt(AppState.MonitorTable, target) < 0) return;
    Platform.pointer().setPosition(target);
}

void frmMain::mnuPopup_Mouse_Left_Click(int Index) { SendMouseClick(1, Index != 0); }
void frmMain::mnuPopup_Mouse_Middle_Click(int Index) { SendMouseClick(4, Index != 0); }
void frmMain::mnuPopup_Mouse_Right_Click(int Index) { SendMouseClick(2, Index != 0); }

void frmMain::SendMouseClick(int Button, bool DoubleClick) {
    platform::Pointer& pointer = Platform.pointer();
    const platform::Point target{TargetX, TargetY};
    // Nothing goes anywhere the user did not point at, and where buttons
    // cannot be sent the pointer is not moved for nothing.
    if (!pointer.canSendButtons() || MonitorIndexAt(AppState.MonitorTable, target) < 0) return;
    ClickBusy = true;
    auto releaseAll = [&] {
        for (const ButtonStep& step : ReleaseAllButtons()) pointer.sendButton(step.button, step.down);
    };
    releaseAll();
    const platform::Point saved = pointer.position();
    pointer.setPosition(target);
    int sent = 0;
    for (const ButtonStep& step : ClickSequence(Button, DoubleClick)) {
        if (!pointer.sendButton(step.button, step.down)) {
            // Never leave a button held because a step failed half way.
            releaseAll();
            break;
        }
        ++sent;
    }
    pointer.setPosition(saved);
    ExpectEcho(target, sent);
    ClickBusy = false;
}

void frmMain::picView_MouseMove(int Button, int Shift, float X, float Y) {
    if (Button == 1 && (Shift & kShiftCtrl)) return;  // the window drag, see DragWindow
    if (Button != 1 || PursuitActive()) {
        picFrame_MouseMove(static_cast<float>((picViewRect.top() + Y) / ViewPixelRatio()));
        return;
    }
    // The bars count the window's pixels, the view the screen's.
    const double ratio = ViewPixelRatio();
    const std::int32_t nx = GrabScrollValue(R(DownX / ratio), X / ratio, scrX->value(), scrX->minimum(), scrX->maximum());
    const std::int32_t ny = GrabScrollValue(R(DownY / ratio), Y / ratio, scrY->value(), scrY->minimum(), scrY->maximum());
    if (scrX->isEnabled()) scrX->setValue(nx);
    if (scrY->isEnabled()) scrY->setValue(ny);
}

void frmMain::DragWindow(const QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    switch (windowDrag_) {
        case WindowDrag::BySystem:
            return;
        case WindowDrag::ByUs:
            move(global - dragOffset_);
            return;
        case WindowDrag::None:
            break;
    }
    // The window manager moves the window as if its title bar were dragged;
    // without one that offers it, the window follows the pointer here.
    // (QWindow::startSystemMove starts from the last position the top-level
    // itself saw, not the view's: the window would jump.)
    if (Platform.pointer().startWindowMove(*this, Platform.pointer().position())) {
        windowDrag_ = WindowDrag::BySystem;
        return;
    }
    windowDrag_ = WindowDrag::ByUs;
    dragOffset_ = global - pos();
}

QPointF frmMain::ViewPosition(const QMouseEvent* e) const {
    // The view counts the screen's pixels; events come in the window's.
    const double ratio = ViewPixelRatio();
    QPointF device = e->position() * ratio;
    if (ratio != 1.0 && e->type() != QEvent::MouseMove && picView->widget()) {
        // Qt rounds event positions to its logical pixels, which on a scaled
        // desktop loses the screen pixel the user pointed at; the pointer
        // itself knows it (taken while it is still where the event says).
        // Only presses and releases place clicks: moves do without the round trip.
        const QPointF origin = ScreenPixels(picView->widget()->mapToGlobal(QPointF(0, 0)), screen());
        const platform::Point p = Platform.pointer().position();
        const QPointF exact = QPointF(p.x, p.y) - origin;
        if (std::abs(exact.x() - device.x()) <= ratio && std::abs(exact.y() - device.y()) <= ratio) device = exact;
    }
    return device + QPointF(picView->visibleOrigin());
}

void frmMain::ExpectEcho(platform::Point at, int buttonEvents) {
    if (buttonEvents <= 0) return;
    echo_ = Echo{at, buttonEvents, QDateTime::currentMSecsSinceEpoch() + kEchoWindowMs};
}

bool frmMain::TakeEcho(const QMouseEvent* e) {
    if (!echo_) return false;
    if (QDateTime::currentMSecsSinceEpoch() > echo_->until) {
        echo_.reset();
        return false;
    }
    const QPointF g = ScreenPixels(e->globalPosition(), screen());
    if (std::abs(g.x() - echo_->at.x) > 1 || std::abs(g.y() - echo_->at.y) > 1) return false;
    if (--echo_->pending <= 0) echo_.reset();
    return true;
}

bool frmMain::ViewMouseEvent(QMouseEvent* e) {
    const QPointF v = ViewPosition(e);
    const float x = static_cast<float>(v.x());
    const float y = static_cast<float>(v.y());
    const int shift = ShiftCodeOf(e->modifiers());
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (TakeEcho(e)) return true;
            const int button = ButtonCodeOf(e->button());
            if (button == 0) return false;
            windowDrag_ = WindowDrag::None;
            if (e->type() == QEvent::MouseButtonPress) {
                doubleClickButton_ = Qt::NoButton;
                picView_MouseDown(button, shift, x, y);
            } else {
                // The second press of a double click: it anchors a drag like
                // any press; the action waits for its release (see DESIGN).
                if (button == 1) {
                    DownX = R(x);
                    DownY = R(y);
                }
                doubleClickButton_ = e->button();
                // A double click with an action wins over the popup even when
                // its release comes after the popup's time.
                if (DoubleClickActionFor(AppState.DoubleClick, button).kind != DoubleClickAction::Kind::Nothing)
                    tmrTiming.stop();
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            if (TakeEcho(e)) return true;
            const int button = ButtonCodeOf(e->button());
            if (button == 0) return false;
            windowDrag_ = WindowDrag::None;
            picView_MouseUp(button, shift, x, y);
            if (doubleClickButton_ == e->button()) {
                doubleClickButton_ = Qt::NoButton;
                picView_DblClick();
            }
            return false;
        }
        case QEvent::MouseMove: {
            const Qt::MouseButtons b = e->buttons();
            const int buttons = ButtonCode(b & Qt::LeftButton, b & Qt::RightButton, b & Qt::MiddleButton);
            // A window move goes on until the button is released, Ctrl or
            // not: letting Ctrl go must not turn it into grab scrolling.
            if (buttons == 1 && ((shift & kShiftCtrl) || windowDrag_ != WindowDrag::None)) {
                DragWindow(e);
                return false;
            }
            picView_MouseMove(buttons, shift, x, y);
            return false;
        }
        default:
            return false;
    }
}

void frmMain::ShowClickAvailability() {
    if (Platform.pointer().canSendButtons()) return;
    const QString why = tr(kNoClicksTip);
    // Moving the pointer needs no injected buttons; every click action does.
    if (auto* model = qobject_cast<QStandardItemModel*>(cmbDblClick->model())) {
        for (int i = 0; i < cmbDblClick->count(); ++i) {
            const auto action = DoubleClickActionFor(cmbDblClick->itemData(i).toInt(), 1);
            if (action.kind == DoubleClickAction::Kind::Click) {
                model->item(i)->setEnabled(false);
                model->item(i)->setToolTip(why);
            }
        }
    }
    cmbDblClick->setToolTip(cmbDblClick->toolTip() + QStringLiteral("\n") + why);
    mnuPopup_Action->menuAction()->setEnabled(false);
    mnuPopup_Action->menuAction()->setToolTip(why);
    mnuPopup->setToolTipsVisible(true);
}

void frmMain::ConnectClickForwardingControls() {
    connect(cmbDblClick, &QComboBox::activated, this, [this] { cmbDblClick_Click(); });
    connect(&tmrTiming, &QTimer::timeout, this, [this] { tmrTiming_Timer(); });
    connect(mnuPopup, &QMenu::aboutToHide, this, [this] { LastButton = 0; });
    connect(mnuPopup_Move, &QAction::triggered, this, [this] { mnuPopup_Move_Click(); });
    for (int i = 0; i < 2; ++i) {
        connect(mnuPopup_Mouse_Left[i], &QAction::triggered, this,
                [this, i] { mnuPopup_Mouse_Left_Click(i); });
        connect(mnuPopup_Mouse_Middle[i], &QAction::triggered, this,
                [this, i] { mnuPopup_Mouse_Middle_Click(i); });
        connect(mnuPopup_Mouse_Right[i], &QAction::triggered, this,
                [this, i] { mnuPopup_Mouse_Right_Click(i); });
    }
}

}  // namespace orvane
