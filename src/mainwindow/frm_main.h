// frmMain, the main window: the control tree (menus, tool bar, view frame,
// scroll bars, status bar) and the handlers of every subsystem that lives in
// it. Each subsystem defines its handlers in its own folder; this header is
// the one list of them.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "mainwindow/layout.h"
#include "monitors/monitor_list.h"
#include "platform/platform.h"
#include "pointer/click_forwarding.h"
#include "view/pointer_marker.h"
#include "view/tick.h"
#include "view/view_renderer.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMouseEvent;
class QMenu;
class QScrollBar;
class QToolButton;

namespace orvane {

class frmAbout;
class frmDisplaySetting;
class frmSetting;

class frmMain : public QMainWindow, private ViewWindow {
    Q_OBJECT

public:
    explicit frmMain(platform::Platform& platform);
    ~frmMain() override;

    // What Main does to show the window: the load handler, then the window
    // appears in its stored state and the first activation completes start-up.
    void Show();

    // --- Start-up and shut-down
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void mnuFile_Exit_Click();
    void mnuPopup_Exit_Click();

    // --- Layout
    void Form_Resize();
    void picFrame_MouseMove(float y);
    // TwipsPerPixelX / Y of the screen the window is on.
    // The view is laid out in the screen's (device) pixels, so that 100 %
    // shows one monitor pixel in one screen pixel; the window's widgets and
    // the scroll bars count Qt's logical pixels. These convert.
    [[nodiscard]] double ViewPixelRatio() const;
    [[nodiscard]] std::int32_t ToViewPixels(double windowPixels) const;
    [[nodiscard]] QSize FrameViewPixels() const override;
    [[nodiscard]] double TwipsPerPixelX() const;
    [[nodiscard]] double TwipsPerPixelY() const;
    // The window's state as the settings store it: 0 normal, 1 minimised, 2 maximised.
    [[nodiscard]] std::int32_t WindowStateCode() const;
    void SetWindowStateCode(std::int32_t state);

    // --- Monitors
    void MonitorEnumProc(const platform::MonitorInfo& info, platform::MonitorHandle dwData);
    void EnumerateMonitors();
    void cmdReload_Click();
    // Reads the monitors again and watches `wanted` when it is among them.
    void ReloadMonitors(const std::string& wanted, bool focusList);
    [[nodiscard]] std::string SelectedDevice() const;  // the listed monitor's device name
    // Re-reads the monitors by itself when the platform reports a change.
    void WatchMonitorLayout();
    void FollowMonitorChanges();
    void mnuTool_Select_Reload_Click();
    void cmbDisplayList_Click();
    void mnuTool_Select_Monitor_Click(int Index);
    void CreateMonitorSelectMenu();
    // Selects item index of cmbDisplayList from code; the selection handler
    // runs as a user's choice would run it.
    void SelectDisplayListIndex(int index);
    void CreateDisplaySettingInfo();
    // Whether the monitor of this device name shows this window.
    [[nodiscard]] bool HoldsOwnWindow(const std::string& device);

    // --- Zoom and scrolling
    void cmbZoom_Click();
    void cmbZoom_KeyPress(int KeyAscii);
    void cmbZoom_GotFocus();
    void cmbZoom_LostFocus();
    void mnuView_Zoom_Select_Click(int Index);
    void mnuPopup_View_Zoom_Select_Click(int Index);
    void mnuView_Zoom_Input_Click();
    void mnuPopup_View_Zoom_Input_Click();
    void scrX_Change();
    void scrX_Scroll();
    void scrY_Change();
    void scrY_Scroll();
    QString ZoomTextOnFocus;
    bool ZoomPending = false;  // the combo shows its pending-edit look
    // The text-input box; tests put their own answer in its place.
    std::function<QString(const QString& prompt, const QString& title, const QString& text)> InputBox;
    // Selects item index of a list from code without raising its handler.
    static void SelectComboItem(QComboBox* combo, int index);

    // --- Refresh tick
    void tmrMain_Timer();
    // The tick's drawing: the watched monitor into the view, marker, labels.
    void RenderView();
    // Says in the status bar whether the desktop has stopped the capture.
    void ShowCaptureState();
    // Moves the native view to picViewRect and draws it there soon.
    void PlaceView();
    // Draws the view once the event loop is free, not at the next tick.
    void RedrawSoon();
    // The pursuit step run at the end of a tick while MousePursuit is on.
    void MousePursuitStep();
    // A whole frame, for the pointer as read now.
    void DrawFrame();

    // --- Pointer marker
    void DrawMouseCursor(platform::Surface& TargetDC, const PointerSnapshot& pointer);
    void ShowPointerLabels(platform::Point p) override;
    void cmbCursor_Click();
    void mnuView_Cursor_Select_Click(int Index);

    // --- Refresh interval
    void cmbTimer_Click();
    void cmbTimer_KeyPress(int KeyAscii);
    void mnuTool_Timer_Select_Click(int Index);
    // The seconds text the combo shows, in the interface's language ("0.5秒").
    static QString SecondsCaption(std::int32_t ms);

    // --- Mouse pursuit
    void chkMouse_Click();
    void mnuTool_Mouse_Click();

    // --- Click forwarding, grab scrolling and window dragging
    void cmbDblClick_Click();
    // Button: 1 left, 2 right, 4 middle (a move: the sum of those held);
    // Shift: bit 1 Shift, 2 Ctrl, 4 Alt; X, Y: pixels from picView's corner.
    void picView_MouseDown(int Button, int Shift, float X, float Y);
    void picView_MouseUp(int Button, int Shift, float X, float Y);
    void picView_MouseMove(int Button, int Shift, float X, float Y);
    void picView_DblClick();
    void tmrTiming_Timer();
    void mnuPopup_Move_Click();
    void mnuPopup_Mouse_Left_Click(int Index);
    void mnuPopup_Mouse_Middle_Click(int Index);
    void mnuPopup_Mouse_Right_Click(int Index);
    void SendMouseClick(int Button, bool DoubleClick);
    [[nodiscard]] const ClickForwarding& Clicks() const { return clicks_; }

    // --- View toggles and full screen
    void ShowMenuBar(bool Show);
    void ShowTitleBar(bool Show);
    void mnuView_Title_Click();
    void mnuView_Menu_Click();
    void mnuView_ToolBar_Click();
    void mnuView_ScrolBar_Click();
    void mnuView_StatusBar_Click();
    void mnuView_Frame_Click(int Index);
    void mnuView_Full_Click();
    void chkFullScreen_Click();
    void ApplyFullScreen(bool Full);
    // The five bar items of the View menu and their popup twins checked as the options stand.
    void ShowViewChecks();
    // The caption held back while the window manager returns the window from full screen.
    void RestoreCaptionAfterFullScreen();

    // --- Dialogs
    void mnuTool_Setting_Click();
    void mnuHelp_About_Click();
    void mnuTool_Dev_Click();
    void cmdChabgeSetting_Click();

    // --- Fields shared by the subsystems
    std::int32_t FormState = 0;
    bool SwitchingFullScreen = false;
    std::unique_ptr<platform::MonitorContext> MonitorDC;
    // picView's rectangle in the frame's pixels: what the layout computes,
    // possibly far larger than the frame; the native view shows the part inside it.
    QRect picViewRect;

    // --- Controls
    QWidget* client = nullptr;  // the client area everything below is placed in
    QWidget* picToolBox = nullptr;
    QComboBox* cmbDisplayList = nullptr;
    std::array<QWidget*, 4> picButtonFrame{};
    QToolButton* cmdReload = nullptr;
    QToolButton* cmdChabgeSetting = nullptr;
    QToolButton* chkMouse = nullptr;
    QToolButton* chkFullScreen = nullptr;
    QComboBox* cmbZoom = nullptr;
    QComboBox* cmbCursor = nullptr;
    QComboBox* cmbTimer = nullptr;
    QComboBox* cmbDblClick = nullptr;
    QWidget* picStatusBar = nullptr;
    QLabel* lblStatus_Display_Pos = nullptr;
    QLabel* lblStatus_Display_Size = nullptr;
    QLabel* lblStatus_Cursor_All = nullptr;
    QLabel* lblStatus_Cursor_View = nullptr;
    // Shown only while the desktop has stopped the capture.
    QLabel* lblStatus_Capture = nullptr;
    QFrame* picFrame = nullptr;
    QWidget* picFrameClient = nullptr;  // picFrame's inner area, in which the view lies
    std::unique_ptr<platform::ViewSurface> picView;
    QScrollBar* scrX = nullptr;
    QScrollBar* scrY = nullptr;
    QTimer tmrMain;
    QTimer tmrTiming;

    // --- Menus
    QMenu* mnuFile = nullptr;
    QAction* mnuFile_Exit = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuView_Title = nullptr;
    QAction* mnuView_Menu = nullptr;
    QAction* mnuView_ToolBar = nullptr;
    QAction* mnuView_ScrolBar = nullptr;
    QAction* mnuView_StatusBar = nullptr;
    std::array<QAction*, 2> mnuView_Frame{};
    QAction* mnuView_Full = nullptr;
    QMenu* mnuView_Zoom = nullptr;
    std::array<QAction*, 8> mnuView_Zoom_Select{};
    QAction* mnuView_Zoom_Input = nullptr;
    QMenu* mnuView_Cursor = nullptr;
    std::array<QAction*, 5> mnuView_Cursor_Select{};
    QMenu* mnuTool = nullptr;
    QMenu* mnuTool_Select = nullptr;
    std::vector<QAction*> mnuTool_Select_Monitor;
    QAction* mnuTool_Select_Line1 = nullptr;
    QAction* mnuTool_Select_Reload = nullptr;
    QAction* mnuTool_Dev = nullptr;
    QAction* mnuTool_Mouse = nullptr;
    QMenu* mnuTool_Timer = nullptr;
    std::array<QAction*, 6> mnuTool_Timer_Select{};
    QAction* mnuTool_Setting = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelp_About = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuPopup_Move = nullptr;
    QMenu* mnuPopup_Action = nullptr;
    std::array<QMenu*, 3> mnuPopup_Mouse{};
    std::array<QAction*, 2> mnuPopup_Mouse_Left{};
    std::array<QAction*, 2> mnuPopup_Mouse_Middle{};
    std::array<QAction*, 2> mnuPopup_Mouse_Right{};
    QMenu* mnuPopup_View = nullptr;
    QAction* mnuPopup_View_Title = nullptr;
    QAction* mnuPopup_View_Menu = nullptr;
    QAction* mnuPopup_View_ToolBar = nullptr;
    QAction* mnuPopup_View_ScrolBar = nullptr;
    QAction* mnuPopup_View_StatusBar = nullptr;
    std::array<QAction*, 2> mnuPopup_View_Frame{};
    QAction* mnuPopup_View_Full = nullptr;
    QMenu* mnuPopup_View_Zoom = nullptr;
    std::array<QAction*, 8> mnuPopup_View_Zoom_Select{};
    QAction* mnuPopup_View_Zoom_Input = nullptr;
    QAction* mnuPopup_Exit = nullptr;

    platform::Platform& Platform;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateControls();
    void CreateMenus();
    void RecordPlacement();
    // The stored outer placement (twips) turned into the window's geometry.
    void ApplyPlacement();
    void CorrectForDecoration();
    void ApplyLayout(const LayoutResult& layout);
    void FillLists();
    // Widens the tool bar's lists to their widest entries (see the definition).
    void FitToolBar();
    // What the renderer asks of the window.
    [[nodiscard]] QString ZoomListText() const override;
    [[nodiscard]] int MarkerListIndex() const override;
    [[nodiscard]] int MarkerDotSide() const override;
    [[nodiscard]] int WatchedIndex() const override;
    // Asks for a value in the input box and puts it into the list's edit
    // field as if typed there.
    void AskIntoList(QComboBox* list, const QString& prompt, const QString& title);
    void ConnectZoomControls();
    void ConnectIntervalControls();
    void ConnectPointerMarkerControls();
    void ConnectClickForwardingControls();
    void ConnectMousePursuitControls();
    // Disables what needs injected buttons where the platform cannot send them.
    void ShowClickAvailability();
    // Where the pointer position cannot be read, what needs it is disabled.
    void ShowPointerPositionAvailability();
    [[nodiscard]] bool PursuitActive() const;
    // Turns Qt's mouse events on the view into the view's handlers; true
    // when the event is used up (an echo of our own injected input).
    bool ViewMouseEvent(QMouseEvent* e);
    // The view position of an event on the view's window.
    [[nodiscard]] QPointF ViewPosition(const QMouseEvent* e) const;
    void DragWindow(const QMouseEvent* e);
    void ConnectViewToggles();
    void ConnectDialogs();
    void ConnectDisplayDialog();
    bool TimerEditEvent(QEvent* e);
    void SetZoomLook(bool pending);
    bool ZoomEditEvent(QEvent* e);

    ClickForwarding clicks_;
    // The button whose double click is completed by its release.
    Qt::MouseButton doubleClickButton_ = Qt::NoButton;
    // Ctrl + left drag: the window manager moves the window, or we do.
    enum class WindowDrag { None, BySystem, ByUs };
    WindowDrag windowDrag_ = WindowDrag::None;
    QPoint dragOffset_;                    // pointer minus window position, while we move it
    frmSetting* settingDialog_ = nullptr;  // made on first use, owned by the window
    frmAbout* aboutDialog_ = nullptr;
    frmDisplaySetting* displayDialog_ = nullptr;
    QTimer monitorsChanged_;      // the platform's reports settling
    MonitorList monitors_;
    ViewRenderer renderer_;
    bool following_ = false;      // the list is being read again after a report
    QPointer<QWidget> viewWidget_;  // picView's window, for the event filter
    bool unloaded_ = false;
    bool activated_ = false;
    bool decorationCorrected_ = false;
    QTimer decorationWatch_;
    int decorationLooks_ = 0;
    QSize placedSize_;  // the client size the stored placement gave
    // The stored placement as loaded (twips): the layout records the window's
    // outer rectangle over AppState's as soon as the window is shown, which
    // includes the decoration the correction has yet to take off.
    std::array<std::int32_t, 4> storedPlacement_{};
    // Where the window was before it covered its monitor by itself.
    std::optional<QRect> geometryBeforeFullScreen_;
    bool captionAfterRestore_ = false;
};

}  // namespace orvane
