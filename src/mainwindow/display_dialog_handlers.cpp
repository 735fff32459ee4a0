// The main window's side of the resolution dialog: the live view rests while
// it is open, and the monitors are read again whatever it did.
#include <QAction>
#include <QComboBox>
#include <QToolButton>

#include "core/app_state.h"
#include "display/display.h"
#include "display/frm_display_setting.h"
#include "mainwindow/frm_main.h"

namespace orvane {

void frmMain::mnuTool_Dev_Click() {
    tmrMain.stop();
    if (!displayDialog_) {
        displayDialog_ = new frmDisplaySetting(
            this,
            [this]() -> Display* {
                const int s = cmbDisplayList->currentIndex();
                if (s < 0 || s >= static_cast<int>(AppState.DisplayTable.size())) return nullptr;
                return AppState.DisplayTable[static_cast<std::size_t>(s)].get();
            },
            [this] { return HoldsOwnWindow(TrimNull(AppState.Display)); });
    }
    displayDialog_->Form_Load();
    displayDialog_->exec();
    cmdReload_Click();
    tmrMain.start();
}

void frmMain::cmdChabgeSetting_Click() {
    if (picView->widget()) picView->widget()->setFocus();
    mnuTool_Dev_Click();
}

void frmMain::ConnectDisplayDialog() {
    connect(mnuTool_Dev, &QAction::triggered, this, [this] { mnuTool_Dev_Click(); });
    connect(cmdChabgeSetting, &QToolButton::clicked, this, [this] { cmdChabgeSetting_Click(); });
}

}  // namespace orvane
