// The main window's side of its dialogs: it stops the live view while one is
// open and applies what the settings dialog changed when it closes.
#include <QAction>
#include <QMenu>

#include "core/app_state.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_setting.h"
#include "mainwindow/frm_main.h"
#include "view/zoom.h"

namespace orvane {

void frmMain::mnuTool_Setting_Click() {
    const std::int32_t method = AppState.ChangeDisplayType;
    tmrMain.stop();
    if (!settingDialog_) settingDialog_ = new frmSetting(this);  // the window owns it
    settingDialog_->Form_Load();
    settingDialog_->exec();

    // After OK and Cancel alike: Cancel re-applies the unchanged values.
    if (AppState.ChangeDisplayType != method) cmdReload_Click();
    picView->setPersistent(!AppState.NoRedraw);
    picView->setStretchMode(StretchModeSetting(AppState.StretchHalftone));
    ShowViewChecks();
    // In full screen the bars come back as chosen when it ends.
    if (!AppState.FullScreen) {
        picToolBox->setVisible(AppState.ToolBar);
        picStatusBar->setVisible(AppState.StatusBar);
        ShowTitleBar(AppState.TitleBar);
        ShowMenuBar(AppState.MenuBar);
    }
    Form_Resize();
    tmrMain.start();
    RedrawSoon();
}

void frmMain::mnuHelp_About_Click() {
    tmrMain.stop();
    if (!aboutDialog_) aboutDialog_ = new frmAbout(this, Platform.shell());  // the window owns it
    aboutDialog_->Form_Load();
    aboutDialog_->exec();
    tmrMain.start();
}

void frmMain::ConnectDialogs() {
    connect(mnuTool_Setting, &QAction::triggered, this, [this] { mnuTool_Setting_Click(); });
    connect(mnuHelp_About, &QAction::triggered, this, [this] { mnuHelp_About_Click(); });
}

}  // namespace orvane
