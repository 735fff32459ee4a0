// The window's refresh-interval handlers: the interval list, its menu and
// input box drive the tick's timer.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QToolButton>
#include <algorithm>

#include "core/app_state.h"
#include "core/rounding.h"
#include "mainwindow/frm_main.h"
#include "view/interval.h"

namespace orvane {

QString frmMain::SecondsCaption(std::int32_t ms) {
    // The rule's text is the number and "秒"; the translation words the unit.
    const QString japanese = QString::fromStdString(SecondsText(ms));
    return tr("%1秒", "seconds", ms == 1000 ? 1 : 2).arg(japanese.chopped(1));
}

void frmMain::cmbTimer_Click() {
    for (QAction* item : mnuTool_Timer_Select) item->setChecked(false);
    const int index = cmbTimer->currentIndex();
    mnuTool_Timer_Select[index < 0 || index > 4 ? 5 : index]->setChecked(true);
    const std::int32_t ms = IntervalMs(cmbTimer->currentText().toStdString());
    tmrMain.stop();
    // Qt's timers take any non-negative period; a hand-made negative one would not run at all.
    tmrMain.setInterval(std::max(0, ms));
    tmrMain.start();
    AppState.Interval = ms;
    if (FormState == 2) picView->widget()->setFocus();
}

void frmMain::cmbTimer_KeyPress(int KeyAscii) {
    if (KeyAscii != 13) return;
    const std::int32_t ms = TypedIntervalMs(cmbTimer->currentText().toStdString());
    const QString text = SecondsCaption(ms);
    // A period of a list item selects that item, so its menu entry is checked.
    const int item = cmbTimer->findData(ms);
    {
        const QSignalBlocker quiet(cmbTimer);
        cmbTimer->setCurrentIndex(item);
        cmbTimer->setEditText(text);
    }
    cmbTimer_Click();
}

void frmMain::mnuTool_Timer_Select_Click(int Index) {
    if (Index >= 0 && Index <= 4) {
        SelectComboItem(cmbTimer, Index);
        cmbTimer_Click();
        return;
    }
    AskIntoList(cmbTimer, tr("0.01～60までの値を入力して下さい"), tr("インターバル入力"));
    cmbTimer_KeyPress(13);
}

bool frmMain::TimerEditEvent(QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    cmbTimer_KeyPress(13);
    return true;
}

void frmMain::ConnectIntervalControls() {
    connect(cmbTimer, &QComboBox::activated, this, [this] { cmbTimer_Click(); });
    cmbTimer->installEventFilter(this);  // not its line edit: see ConnectZoomControls
    for (int i = 0; i < static_cast<int>(mnuTool_Timer_Select.size()); ++i)
        connect(mnuTool_Timer_Select[i], &QAction::triggered, this,
                [this, i] { mnuTool_Timer_Select_Click(i); });
}
}  // namespace orvane
