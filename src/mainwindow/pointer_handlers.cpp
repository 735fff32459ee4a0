// The window's side of pointer control: Qt's mouse events on the view become
// the view's handlers, which hand clicks to the click forwarding; dragging
// with the left button scrolls the picture, with Ctrl held it moves the
// window; a right click opens the popup; pursuit follows the pointer.
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QToolButton>
#include <cmath>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "pointer/pointer_rules.h"

namespace orvane {

namespace {

constexpr int kShiftCtrl = 2;

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
    if (clicks_.Press(Button, X, Y)) {
        tmrTiming.setInterval(Platform.pointer().doubleClickTime());
        tmrTiming.start();
    }
}

void frmMain::picView_MouseUp(int /*Button*/, int /*Shift*/, float X, float Y) { clicks_.Release(X, Y); }

void frmMain::tmrTiming_Timer() {
    tmrTiming.stop();
    if (clicks_.PopupDue()) mnuPopup->popup(QCursor::pos());
}

void frmMain::picView_DblClick() {
    const DoubleClickAction action = clicks_.TakeDoubleClick(AppState.DoubleClick);
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
    tmrTiming.stop();
}

void frmMain::mnuPopup_Move_Click() { clicks_.MoveToTarget(); }
void frmMain::mnuPopup_Mouse_Left_Click(int Index) { SendMouseClick(1, Index != 0); }
void frmMain::mnuPopup_Mouse_Middle_Click(int Index) { SendMouseClick(4, Index != 0); }
void frmMain::mnuPopup_Mouse_Right_Click(int Index) { SendMouseClick(2, Index != 0); }
void frmMain::SendMouseClick(int Button, bool DoubleClick) { clicks_.Click(Button, DoubleClick); }

void frmMain::picView_MouseMove(int Button, int Shift, float X, float Y) {
    if (Button == 1 && (Shift & kShiftCtrl)) return;  // the window drag, see DragWindow
    if (Button != 1 || PursuitActive()) {
        picFrame_MouseMove(static_cast<float>((picViewRect.top() + Y) / ViewPixelRatio()));
        return;
    }
    // The bars count the window's pixels, the view the screen's.
    const double ratio = ViewPixelRatio();
    const platform::Point down = clicks_.DragAnchor();
    const std::int32_t nx = GrabScrollValue(R(down.x / ratio), X / ratio, scrX->value(), scrX->minimum(), scrX->maximum());
    const std::int32_t ny = GrabScrollValue(R(down.y / ratio), Y / ratio, scrY->value(), scrY->minimum(), scrY->maximum());
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

bool frmMain::ViewMouseEvent(QMouseEvent* e) {
    const QPointF v = ViewPosition(e);
    const float x = static_cast<float>(v.x());
    const float y = static_cast<float>(v.y());
    const int shift = ShiftCodeOf(e->modifiers());
    const auto isEcho = [&] { return clicks_.TakeEcho(ScreenPixels(e->globalPosition(), screen())); };
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (isEcho()) return true;
            const int button = ButtonCodeOf(e->button());
            if (button == 0) return false;
            windowDrag_ = WindowDrag::None;
            if (e->type() == QEvent::MouseButtonPress) {
                doubleClickButton_ = Qt::NoButton;
                picView_MouseDown(button, shift, x, y);
            } else {
                // The second press of a double click: the action waits for
                // its release (see DESIGN).
                clicks_.AnchorDrag(button, x, y);
                doubleClickButton_ = e->button();
                // A double click with an action wins over the popup even when
                // its release comes after the popup's time.
                if (DoubleClickActionFor(AppState.DoubleClick, button).kind != DoubleClickAction::Kind::Nothing)
                    tmrTiming.stop();
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            if (isEcho()) return true;
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
    connect(mnuPopup, &QMenu::aboutToHide, this, [this] { clicks_.ForgetButton(); });
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

// --- Mouse pursuit: at the end of every tick the view follows the pointer to
// its monitor and scrolls so that the pointer is centred.

void frmMain::MousePursuitStep() {
    const std::optional<PointerOnMonitor> at = FindPointerMonitor(Platform.pointer(), AppState.MonitorTable);
    if (!at) return;
    if (at->monitor != cmbDisplayList->currentIndex()) SelectDisplayListIndex(at->monitor);
    // The bars count the window's pixels, the view the screen's.
    const double ratio = ViewPixelRatio();
    const platform::Point p = at->position;
    if (scrX->isEnabled()) {
        scrX->setValue(PursuitScrollValue(p.x, AppState.ViewLeft, AppState.ZoomRate / ratio,
                                          R(picViewRect.width() / ratio), scrX->minimum(), scrX->maximum()));
    }
    if (scrY->isEnabled()) {
        scrY->setValue(PursuitScrollValue(p.y, AppState.ViewTop, AppState.ZoomRate / ratio,
                                          R(picViewRect.height() / ratio), scrY->minimum(), scrY->maximum()));
    }
}

void frmMain::chkMouse_Click() {
    AppState.MousePursuit = chkMouse->isChecked();
    mnuTool_Mouse->setChecked(AppState.MousePursuit);
    // While pursuit is on the pointer alone chooses the monitor.
    cmbDisplayList->setEnabled(!AppState.MousePursuit);
    mnuTool_Select->setEnabled(!AppState.MousePursuit);
    if (FormState == 2 && picView->widget()) picView->widget()->setFocus();
}

// The stored choice is kept (and saved) where pursuit cannot run.
bool frmMain::PursuitActive() const {
    return AppState.MousePursuit && Platform.pointer().canReadPosition();
}

void frmMain::mnuTool_Mouse_Click() { chkMouse->setChecked(!chkMouse->isChecked()); }

void frmMain::ConnectMousePursuitControls() {
    connect(chkMouse, &QToolButton::toggled, this, [this] { chkMouse_Click(); });
    connect(mnuTool_Mouse, &QAction::triggered, this, [this] { mnuTool_Mouse_Click(); });
}

}  // namespace orvane
