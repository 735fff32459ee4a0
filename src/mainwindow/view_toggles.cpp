// The View menu's toggles and their popup twins: title bar, menu bar, tool
// bar, scroll bars, status bar, the two frame items and full screen.
#include <QAction>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "core/app_state.h"
#include "mainwindow/frm_main.h"

namespace orvane {

namespace {

void SetChecks(QAction* main, QAction* popup, bool checked) {
    main->setChecked(checked);
    popup->setChecked(checked);
}

}  // namespace

void frmMain::ShowViewChecks() {
    SetChecks(mnuView_Title, mnuPopup_View_Title, AppState.TitleBar);
    SetChecks(mnuView_Menu, mnuPopup_View_Menu, AppState.MenuBar);
    SetChecks(mnuView_ToolBar, mnuPopup_View_ToolBar, AppState.ToolBar);
    SetChecks(mnuView_ScrolBar, mnuPopup_View_ScrolBar, AppState.ScrollBar);
    SetChecks(mnuView_StatusBar, mnuPopup_View_StatusBar, AppState.StatusBar);
}

void frmMain::mnuView_Title_Click() {
    AppState.TitleBar = !AppState.TitleBar;
    SetChecks(mnuView_Title, mnuPopup_View_Title, AppState.TitleBar);
    if (AppState.FullScreen) return;
    ShowTitleBar(AppState.TitleBar);
    Form_Resize();
}

void frmMain::mnuView_Menu_Click() {
    AppState.MenuBar = !AppState.MenuBar;
    SetChecks(mnuView_Menu, mnuPopup_View_Menu, AppState.MenuBar);
    if (AppState.FullScreen) return;
    ShowMenuBar(AppState.MenuBar);
    Form_Resize();
}

void frmMain::mnuView_ToolBar_Click() {
    AppState.ToolBar = !AppState.ToolBar;
    SetChecks(mnuView_ToolBar, mnuPopup_View_ToolBar, AppState.ToolBar);
    if (AppState.FullScreen) return;
    picToolBox->setVisible(AppState.ToolBar);
    Form_Resize();
}

void frmMain::mnuView_StatusBar_Click() {
    AppState.StatusBar = !AppState.StatusBar;
    SetChecks(mnuView_StatusBar, mnuPopup_View_StatusBar, AppState.StatusBar);
    if (AppState.FullScreen) return;
    picStatusBar->setVisible(AppState.StatusBar);
    Form_Resize();
}

void frmMain::mnuView_ScrolBar_Click() {
    AppState.ScrollBar = !AppState.ScrollBar;
    SetChecks(mnuView_ScrolBar, mnuPopup_View_ScrolBar, AppState.ScrollBar);
    Form_Resize();  // the layout decides the bars in full screen too
}

void frmMain::mnuView_Frame_Click(int Index) {
    const bool show = Index > 0;
    AppState.ToolBar = show;
    SetChecks(mnuView_ToolBar, mnuPopup_View_ToolBar, show);
    picToolBox->setVisible(show);
    AppState.StatusBar = show;
    SetChecks(mnuView_StatusBar, mnuPopup_View_StatusBar, show);
    picStatusBar->setVisible(show);
    AppState.ScrollBar = show;
    SetChecks(mnuView_ScrolBar, mnuPopup_View_ScrolBar, show);
    AppState.TitleBar = show;
    SetChecks(mnuView_Title, mnuPopup_View_Title, show);
    ShowTitleBar(show);
    AppState.MenuBar = show;
    SetChecks(mnuView_Menu, mnuPopup_View_Menu, show);
    ShowMenuBar(show);
    Form_Resize();
}

void frmMain::mnuView_Full_Click() {
    // The button's change raises its own handler, which does the work.
    chkFullScreen->setChecked(!chkFullScreen->isChecked());
}

void frmMain::chkFullScreen_Click() {
    AppState.FullScreen = chkFullScreen->isChecked();
    SetChecks(mnuView_Full, mnuPopup_View_Full, AppState.FullScreen);
    ApplyFullScreen(AppState.FullScreen);
    if (FormState == 2) picView->widget()->setFocus();
}

void frmMain::ApplyFullScreen(bool Full) {
    SwitchingFullScreen = true;
    if (Full) {
        AppState.WindowPos_State = WindowStateCode();
        if (AppState.WindowPos_State == 0) RecordPlacement();
        ShowTitleBar(false);
        ShowMenuBar(false);
        picToolBox->setVisible(false);
        picStatusBar->setVisible(false);
        if (Platform.windowStyle().fullScreenIsTheSystems()) {
            setWindowState(windowState() | Qt::WindowFullScreen);
        } else if (Platform.windowStyle().hasWindowManager()) {
            SetWindowStateCode(2);
        } else if (!geometryBeforeFullScreen_) {
            // Nothing acts on "maximised" without a window manager: the
            // window covers its monitor by itself.
            geometryBeforeFullScreen_ = geometry();
            if (const QScreen* s = screen()) setGeometry(s->geometry());
        }
    } else {
        // The window system's own full screen ends first.
        const bool systemFullScreen = isFullScreen();
        if (systemFullScreen) setWindowState(windowState() & ~Qt::WindowFullScreen);
        // A window manager keeps the client, not the frame, in place when the
        // caption changes: the caption comes back once the window manager has
        // put the window back where it was, so that its frame is there too.
        const bool captionAfterRestore = !systemFullScreen && !geometryBeforeFullScreen_ &&
                                         AppState.WindowPos_State != 2 && AppState.TitleBar &&
                                         !AppState.TitleBarShown && isMaximized();
        if (!captionAfterRestore) ShowTitleBar(AppState.TitleBar);
        ShowMenuBar(AppState.MenuBar);
        picToolBox->setVisible(AppState.ToolBar);
        picStatusBar->setVisible(AppState.StatusBar);
        if (geometryBeforeFullScreen_) {
            setGeometry(*geometryBeforeFullScreen_);
            geometryBeforeFullScreen_.reset();
        } else {
            captionAfterRestore_ = captionAfterRestore;
            SetWindowStateCode(AppState.WindowPos_State);
            // Should the window manager never answer, the caption comes back all the same.
            if (captionAfterRestore)
                QTimer::singleShot(1000, this, [this] { RestoreCaptionAfterFullScreen(); });
        }
    }
    SwitchingFullScreen = false;
}

void frmMain::RestoreCaptionAfterFullScreen() {
    if (!captionAfterRestore_) return;
    captionAfterRestore_ = false;
    if (!AppState.FullScreen) ShowTitleBar(AppState.TitleBar);
}

void frmMain::ConnectViewToggles() {
    auto both = [this](QAction* main, QAction* popup, void (frmMain::*handler)()) {
        connect(main, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        connect(popup, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    both(mnuView_Title, mnuPopup_View_Title, &frmMain::mnuView_Title_Click);
    both(mnuView_Menu, mnuPopup_View_Menu, &frmMain::mnuView_Menu_Click);
    both(mnuView_ToolBar, mnuPopup_View_ToolBar, &frmMain::mnuView_ToolBar_Click);
    both(mnuView_ScrolBar, mnuPopup_View_ScrolBar, &frmMain::mnuView_ScrolBar_Click);
    both(mnuView_StatusBar, mnuPopup_View_StatusBar, &frmMain::mnuView_StatusBar_Click);
    both(mnuView_Full, mnuPopup_View_Full, &frmMain::mnuView_Full_Click);
    for (int i = 0; i < 2; ++i) {
        connect(mnuView_Frame[i], &QAction::triggered, this, [this, i] { mnuView_Frame_Click(i); });
        connect(mnuPopup_View_Frame[i], &QAction::triggered, this, [this, i] { mnuView_Frame_Click(i); });
    }
    connect(chkFullScreen, &QToolButton::toggled, this, [this] { chkFullScreen_Click(); });
}

}  // namespace orvane
