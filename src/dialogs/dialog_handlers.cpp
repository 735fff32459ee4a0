// The main window's side of its dialogs: it stops the live view while one is
// open and applies what the settings dialog changed when it closes.
#include <QAction>
#include <QMenu>

#include "core/app_state.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_setting.h"
#include "mainwindow/frm_main.h"

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
    picView->setStretchMode(AppState.StretchHalftone ? platform::StretchMode::Simple
                                                     : platform::StretchMode::Quality);
    const std::pair<std::array<QAction*, 2>, bool> checks[] = {
        {{mnuView_Title, mnuPopup_View_Title}, AppState.TitleBar},
        {{mnuView_Menu, mnuPopup_View_Menu}, AppState.MenuBar},
        {{mnuView_ToolBar, mnuPopup_View_ToolBar}, AppState.ToolBar},
        {{mnuView_ScrolBar, mnuPopup_View_ScrolBar}, AppState.ScrollBar},
        {{mnuView_StatusBar, mnuPopup_View_StatusBar}, AppState.StatusBar},
    };
    for (const auto& [items, checked] : checks)
        for (QAction* item : items) item->setChecked(checked);
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
