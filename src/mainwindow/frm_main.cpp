// frmMain's control tree, its start-up and shut-down, and the application of
// the layout computed by ComputeLayout.
#include "mainwindow/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

#include "core/app_state.h"
#include "core/language.h"
#include "core/rounding.h"
#include "core/settings.h"
#include "dialogs/fonts.h"
#include "display/display.h"
#include "dialogs/icons.h"
#include "view/interval.h"
#include "view/zoom.h"

namespace orvane {

namespace {

constexpr double kToolBarHeight = 315;    // twips
constexpr double kStatusBarHeight = 255;  // twips

}  // namespace

frmMain::frmMain(platform::Platform& platform) : Platform(platform), clicks_(platform.pointer()), monitors_(platform), renderer_(platform, *this, MonitorDC) {
    InstallFontSubstitutes();
    setWindowTitle(tr("オルヴァン"));
    setWindowIcon(ProgramIcon());
    CreateControls();
    CreateMenus();
    ConnectZoomControls();
    ConnectIntervalControls();
    ConnectPointerMarkerControls();
    ConnectClickForwardingControls();
    ConnectMousePursuitControls();
    ConnectViewToggles();
    ConnectDialogs();
    ConnectDisplayDialog();
    connect(cmbDisplayList, &QComboBox::activated, this, [this] { cmbDisplayList_Click(); });
    connect(cmdReload, &QToolButton::clicked, this, [this] { cmdReload_Click(); });
    InputBox = [this](const QString& prompt, const QString& title, const QString& text) {
        return QInputDialog::getText(this, title, prompt, QLineEdit::Normal, text);
    };
    client->installEventFilter(this);
    tmrMain.setTimerType(Qt::PreciseTimer);
    connect(&tmrMain, &QTimer::timeout, this, [this] { tmrMain_Timer(); });
    tmrTiming.setSingleShot(true);
    WatchMonitorLayout();
}

frmMain::~frmMain() { Platform.monitors().watchLayout(nullptr); }

double frmMain::ViewPixelRatio() const {
    return picFrameClient ? picFrameClient->devicePixelRatioF() : 1.0;
}

std::int32_t frmMain::ToViewPixels(double windowPixels) const { return R(windowPixels * ViewPixelRatio()); }

QSize frmMain::FrameViewPixels() const {
    const QSize s = picFrameClient->size();
    return {ToViewPixels(s.width()), ToViewPixels(s.height())};
}

double frmMain::TwipsPerPixelX() const {
    const QScreen* s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
}

double frmMain::TwipsPerPixelY() const {
    const QScreen* s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
}

void frmMain::CreateControls() {
    client = new QWidget(this);
    setCentralWidget(client);
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    // Design positions are in twips; children of the tool bar are 300 twips high.
    auto place = [&](QWidget* w, double left, double width, double top = 0, double height = 300) {
        w->setGeometry(R(left / tx), R(top / ty), R(width / tx), R(height / ty));
    };

    picToolBox = new QWidget(client);
    picToolBox->setObjectName("picToolBox");
    cmbDisplayList = new QComboBox(picToolBox);
    place(cmbDisplayList, 0, 2235);
    cmbDisplayList->setToolTip(tr("モニタ選択"));

    const double frameLefts[4] = {2220, 2640, 3120, 3600};
    for (int i = 0; i < 4; ++i) {
        picButtonFrame[i] = new QWidget(picToolBox);
        place(picButtonFrame[i], frameLefts[i], 420);
    }
    auto button = [&](QWidget* parent, const QIcon& icon, const QString& tip, bool toggle) {
        auto* b = new QToolButton(parent);
        place(b, 0, 360, 0, 240);
        b->setIcon(icon);
        b->setIconSize(b->size() - QSize(4, 4));
        b->setToolTip(tip);
        b->setCheckable(toggle);
        b->setAutoRaise(true);
        return b;
    };
    cmdReload = button(picButtonFrame[0], ReloadIcon(), tr("モニタの数、位置、サイズを更新"), false);
    cmdChabgeSetting = button(picButtonFrame[1], ResolutionIcon(), tr("モニタの解像度を変更"), false);
    chkMouse = button(picButtonFrame[2], PursuitIcon(), tr("マウス追尾"), true);
    chkFullScreen = button(picButtonFrame[3], FullScreenIcon(), tr("フル画面"), true);

    cmbZoom = new QComboBox(picToolBox);
    cmbZoom->setEditable(true);
    place(cmbZoom, 4065, 795);
    cmbCursor = new QComboBox(picToolBox);
    place(cmbCursor, 4920, 1155);
    cmbCursor->setToolTip(tr("マウスカーソル"));
    cmbTimer = new QComboBox(picToolBox);
    cmbTimer->setEditable(true);
    place(cmbTimer, 6120, 855);
    cmbTimer->setToolTip(tr("描画間隔　0.01秒～60秒まで　入力後Enterキーで確定"));
    cmbDblClick = new QComboBox(picToolBox);
    place(cmbDblClick, 7020, 1635);
    cmbDblClick->setToolTip(tr("画面をダブルクリックした時の動作"));
    for (QComboBox* c : {cmbZoom, cmbTimer}) c->setInsertPolicy(QComboBox::NoInsert);

    picStatusBar = new QWidget(client);
    picStatusBar->setObjectName("picStatusBar");
    // The labels' design widths were made for a narrower interface font than
    // today's defaults: "W = 1920 H = 1080 B = 32" must fit its label.
    QFont statusFont = picStatusBar->font();
    statusFont.setPointSizeF(statusFont.pointSizeF() * 0.85);
    picStatusBar->setFont(statusFont);
    auto label = [&](double left, double width, const QString& tip) {
        auto* l = new QLabel(picStatusBar);
        place(l, left, width, 0, 255);
        l->setToolTip(tip);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    lblStatus_Display_Pos = label(0, 1575, tr("表示モニタ　位置"));
    lblStatus_Display_Size = label(1560, 2295, tr("表示モニタ　サイズ/ビットレート"));
    lblStatus_Cursor_All = label(3840, 1575, tr("マウスカーソル　総合位置"));
    lblStatus_Cursor_View = label(5400, 1575, tr("マウスカーソル　表示モニタ内位置"));
    lblStatus_Capture = label(6960, 4800, tr("画面の取り込み"));
    lblStatus_Capture->hide();

    picFrame = new QFrame(client);
    picFrame->setObjectName("picFrame");
    picFrame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    picFrame->setAutoFillBackground(true);
    QPalette pal = picFrame->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Dark));
    picFrame->setPalette(pal);
    picFrameClient = new QWidget(picFrame);
    picFrameClient->setMouseTracking(true);
    picFrameClient->installEventFilter(this);
    picView = Platform.drawing().createView(picFrameClient);
    renderer_.SetView(picView.get());
    picView->setLostPartHandler([this](const QRegion& lost) { renderer_.RedrawLostPart(lost); });
    viewWidget_ = picView->widget();
    if (viewWidget_) {
        viewWidget_->setMouseTracking(true);
        viewWidget_->installEventFilter(this);
    }

    scrX = new QScrollBar(Qt::Horizontal, client);
    scrY = new QScrollBar(Qt::Vertical, client);
    for (QScrollBar* s : {scrX, scrY}) {
        s->setRange(0, 0);
        s->setSingleStep(16);
        s->setEnabled(false);
        s->setVisible(false);
    }
}

void frmMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    auto item = [](QMenu* menu, const QString& caption, bool checkable = false) {
        QAction* a = menu->addAction(caption);
        a->setCheckable(checkable);
        return a;
    };

    mnuFile = bar->addMenu(tr("ファイル"));
    mnuFile_Exit = item(mnuFile, tr("終了(&X)"));
    connect(mnuFile_Exit, &QAction::triggered, this, [this] { mnuFile_Exit_Click(); });

    static const char* const kZoomCaptions[8] = {"200%",  "175%",  "150%",  "125%",
                                                 "&100%", " &75%", " &50%", " &25%"};
    mnuView = bar->addMenu(tr("表示"));
    mnuView_Title = item(mnuView, tr("タイトルバー(&I)"), true);
    mnuView_Menu = item(mnuView, tr("メニューバー(&M)"), true);
    mnuView_ToolBar = item(mnuView, tr("ツールバー(&T)"), true);
    mnuView_ScrolBar = item(mnuView, tr("スクロールバー(&R)"), true);
    mnuView_StatusBar = item(mnuView, tr("ステータスバー(&S)"), true);
    mnuView->addSeparator();
    mnuView_Frame[0] = item(mnuView, tr("フレームを非表示(&E)"));
    mnuView_Frame[1] = item(mnuView, tr("フレームを表示(&V)"));
    mnuView_Full = item(mnuView, tr("フル画面(&F)"), true);
    mnuView->addSeparator();
    mnuView_Zoom = mnuView->addMenu(tr("表示倍率(&Z)"));
    for (int i = 0; i < 8; ++i)
        mnuView_Zoom_Select[i] = item(mnuView_Zoom, QString::fromUtf8(kZoomCaptions[i]), true);
    mnuView_Zoom_Input = item(mnuView_Zoom, tr("直接設定(&I)"), true);
    mnuView_Cursor = mnuView->addMenu(tr("カーソル(&C)"));
    static const char* const kCursorCaptions[5] = {QT_TR_NOOP("カーソル(&C)"), QT_TR_NOOP("ドット &1px"),
                                                   QT_TR_NOOP("ドット &4px"), QT_TR_NOOP("ドット &9px"),
                                                   QT_TR_NOOP("無し(&N)")};
    for (int i = 0; i < 5; ++i) mnuView_Cursor_Select[i] = item(mnuView_Cursor, tr(kCursorCaptions[i]), true);

    mnuTool = bar->addMenu(tr("ツール"));
    mnuTool_Select = mnuTool->addMenu(tr("モニタ選択(&M)"));
    mnuTool_Select_Monitor.push_back(item(mnuTool_Select, QString(), true));
    connect(mnuTool_Select_Monitor[0], &QAction::triggered, this,
            [this] { mnuTool_Select_Monitor_Click(0); });
    mnuTool_Select_Line1 = mnuTool_Select->addSeparator();
    mnuTool_Select_Reload = item(mnuTool_Select, tr("モニタ再取得(&R)"));
    connect(mnuTool_Select_Reload, &QAction::triggered, this, [this] { mnuTool_Select_Reload_Click(); });
    mnuTool_Dev = item(mnuTool, tr("解像度変更(&S)"));
    mnuTool->addSeparator();
    mnuTool_Mouse = item(mnuTool, tr("マウス追尾(&P)"), true);
    mnuTool_Timer = mnuTool->addMenu(tr("描画間隔(&T)"));
    static const char* const kTimerCaptions[6] = {QT_TR_NOOP("(&0) 1秒"),    QT_TR_NOOP("(&1) 0.5秒"),
                                                  QT_TR_NOOP("(&2) 0.1秒"),  QT_TR_NOOP("(&3) 0.05秒"),
                                                  QT_TR_NOOP("(&4) 0.01秒"), QT_TR_NOOP("(&9)直接指定")};
    for (int i = 0; i < 6; ++i) mnuTool_Timer_Select[i] = item(mnuTool_Timer, tr(kTimerCaptions[i]), true);
    mnuTool->addSeparator();
    mnuTool_Setting = item(mnuTool, tr("設定(&S)"));

    mnuHelp = bar->addMenu(tr("ヘルプ"));
    mnuHelp_About = item(mnuHelp, tr("バージョン情報(&A)"));

    // Opened over the view, never part of the menu bar.
    mnuPopup = new QMenu(this);
    mnuPopup_Move = item(mnuPopup, tr("この位置へ移動(&P)"));
    mnuPopup->addSeparator();
    mnuPopup_Action = mnuPopup->addMenu(tr("アクション(&A)"));
    static const char* const kButtons[3] = {QT_TR_NOOP("左ボタン(&L)"), QT_TR_NOOP("中ボタン(&M)"),
                                            QT_TR_NOOP("右ボタン(&R)")};
    std::array<std::array<QAction*, 2>*, 3> actions = {&mnuPopup_Mouse_Left, &mnuPopup_Mouse_Middle,
                                                       &mnuPopup_Mouse_Right};
    for (int b = 0; b < 3; ++b) {
        mnuPopup_Mouse[b] = mnuPopup_Action->addMenu(tr(kButtons[b]));
        (*actions[b])[0] = item(mnuPopup_Mouse[b], tr("クリック(&C)"));
        (*actions[b])[1] = item(mnuPopup_Mouse[b], tr("ダブルクリック(&C)"));
    }
    mnuPopup->addSeparator();
    mnuPopup_View = mnuPopup->addMenu(tr("表示(&V)"));
    mnuPopup_View_Title = item(mnuPopup_View, mnuView_Title->text(), true);
    mnuPopup_View_Menu = item(mnuPopup_View, mnuView_Menu->text(), true);
    mnuPopup_View_ToolBar = item(mnuPopup_View, mnuView_ToolBar->text(), true);
    mnuPopup_View_ScrolBar = item(mnuPopup_View, mnuView_ScrolBar->text(), true);
    mnuPopup_View_StatusBar = item(mnuPopup_View, mnuView_StatusBar->text(), true);
    mnuPopup_View->addSeparator();
    mnuPopup_View_Frame[0] = item(mnuPopup_View, mnuView_Frame[0]->text());
    mnuPopup_View_Frame[1] = item(mnuPopup_View, mnuView_Frame[1]->text());
    mnuPopup_View_Full = item(mnuPopup_View, mnuView_Full->text(), true);
    mnuPopup_View->addSeparator();
    mnuPopup_View_Zoom = mnuPopup_View->addMenu(tr("表示倍率(&Z)"));
    for (int i = 0; i < 8; ++i)
        mnuPopup_View_Zoom_Select[i] = item(mnuPopup_View_Zoom, QString::fromUtf8(kZoomCaptions[i]), true);
    mnuPopup_View_Zoom_Input = item(mnuPopup_View_Zoom, tr("直接設定(&I)"), true);
    mnuPopup_Exit = item(mnuPopup, tr("終了(&X)"));
    connect(mnuPopup_Exit, &QAction::triggered, this, [this] { mnuPopup_Exit_Click(); });
}

void frmMain::FillLists() {
    for (const char* text : {"200%", "175%", "150%", "125%", "100%", " 75%", " 50%", " 25%"})
        cmbZoom->addItem(QString::fromUtf8(text));
    const std::pair<const char*, int> cursors[] = {{QT_TR_NOOP("カーソル"), 0},
                                                   {QT_TR_NOOP("ドット(1px)"), 1},
                                                   {QT_TR_NOOP("ドット(4px)"), 2},
                                                   {QT_TR_NOOP("ドット(9px)"), 3},
                                                   {QT_TR_NOOP("無し"), 0}};
    for (const auto& [text, value] : cursors) cmbCursor->addItem(tr(text), value);
    // Each keeps its period beside the text, so a typed value finds its item in any language.
    for (const char* text : {QT_TR_NOOP("1秒"), QT_TR_NOOP("0.5秒"), QT_TR_NOOP("0.1秒"),
                             QT_TR_NOOP("0.05秒"), QT_TR_NOOP("0.01秒")})
        cmbTimer->addItem(tr(text), IntervalMs(text));
    const char* const actions[] = {QT_TR_NOOP("何もしない"), QT_TR_NOOP("そこへ移動"),
                                   QT_TR_NOOP("クリック"),   QT_TR_NOOP("ダブルクリック"),
                                   QT_TR_NOOP("左クリック"), QT_TR_NOOP("左ダブルクリック"),
                                   QT_TR_NOOP("中クリック"), QT_TR_NOOP("中ダブルクリック"),
                                   QT_TR_NOOP("右クリック"), QT_TR_NOOP("右ダブルクリック")};
    for (int code = 0; code < 10; ++code) cmbDblClick->addItem(tr(actions[code]), code);
    for (QComboBox* c : {cmbZoom, cmbCursor, cmbTimer, cmbDblClick}) c->setCurrentIndex(-1);
    FitToolBar();
}

void frmMain::FitToolBar() {
    // The design widths were made for narrower fonts than today's CJK ones
    // ("ドット(1px)" showed as "ドット(1p"): a list narrower than its widest
    // entry grows, and everything to its right moves along by as much, so the
    // order stays.
    const double tx = TwipsPerPixelX();
    const std::pair<QWidget*, std::array<double, 2>> controls[] = {
        {cmbDisplayList, {0, 2235}},      {picButtonFrame[0], {2220, 420}}, {picButtonFrame[1], {2640, 420}},
        {picButtonFrame[2], {3120, 420}}, {picButtonFrame[3], {3600, 420}}, {cmbZoom, {4065, 795}},
        {cmbCursor, {4920, 1155}},        {cmbTimer, {6120, 855}},          {cmbDblClick, {7020, 1635}}};
    int shift = 0;
    for (const auto& [w, design] : controls) {
        const int width = R(design[1] / tx);
        int needed = width;
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setSizeAdjustPolicy(QComboBox::AdjustToContents);  // the hint follows the entries
            needed = std::max(width, c->sizeHint().width());
        }
        w->setGeometry(R(design[0] / tx) + shift, w->y(), needed, w->height());
        shift += needed - width;
    }
}

void frmMain::SelectComboItem(QComboBox* combo, int index) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

namespace {
// How often, every 50 ms, the window looks for its decoration: 5 s, since a
// window manager under load takes its time.
constexpr int kDecorationLooks = 100;
}  // namespace

void frmMain::Show() {
    Form_Load();
    show();
    // The window manager's decoration becomes known a moment after the
    // window appears, and nothing tells the window when: look for it a
    // while, until it is known or the start-up is long over.
    decorationWatch_.setInterval(50);
    connect(&decorationWatch_, &QTimer::timeout, this, [this] {
        CorrectForDecoration();
        if (decorationCorrected_ || ++decorationLooks_ >= kDecorationLooks) decorationWatch_.stop();
    });
    decorationWatch_.start();
    CorrectForDecoration();
    // Without a window manager a window may never be activated: complete the
    // start-up once the event loop runs, if activation has not done it.
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmMain::Form_Load() {
    SwitchingFullScreen = false;
    create();  // the platform window knows the decoration the placement must allow for
    storedPlacement_ = {AppState.WindowPos_Left, AppState.WindowPos_Top, AppState.WindowPos_Width,
                        AppState.WindowPos_Height};
    ApplyPlacement();
    SetWindowStateCode(AppState.WindowPos_State);

    const std::string rememberedDisplay = AppState.Display;
    EnumerateMonitors();
    CreateMonitorSelectMenu();

    FormState = 1;
    FillLists();
    ShowClickAvailability();

    if (cmbDisplayList->currentIndex() >= 0) cmbDisplayList_Click();

    {
        const QSignalBlocker quiet(cmbZoom);
        cmbZoom->setEditText(QString::fromStdString(PlainNumber(AppState.ZoomRate * 100)));
    }
    cmbZoom_KeyPress(13);

    // A hand-edited style outside the list falls back to the real pointer image.
    SelectComboItem(cmbCursor,
                    AppState.Cursor >= 0 && AppState.Cursor < cmbCursor->count() ? AppState.Cursor : 0);
    cmbCursor_Click();

    {
        const QSignalBlocker quiet(cmbTimer);
        cmbTimer->setEditText(QString::fromStdString(PlainNumber(AppState.Interval / 1000.0)));
    }
    cmbTimer_KeyPress(13);

    picView->setPersistent(!AppState.NoRedraw);

    // Setting the button raises its handler when the value changes.
    chkMouse->setChecked(AppState.MousePursuit);
    ShowPointerPositionAvailability();

    bool found = false;
    for (std::size_t i = 0; i < AppState.MonitorTable.size(); ++i) {
        if (TrimNull(AppState.MonitorTable[i].szDevice) == rememberedDisplay) {
            SelectDisplayListIndex(static_cast<int>(i));
            found = true;
        }
    }
    if (!found) {
        // A remembered scroll position belongs to the remembered monitor only.
        AppState.ScrollPos_X = 0;
        AppState.ScrollPos_Y = 0;
    }

    mnuView_StatusBar->setChecked(AppState.StatusBar);
    mnuPopup_View_StatusBar->setChecked(AppState.StatusBar);
    picStatusBar->setVisible(AppState.StatusBar);
    mnuView_ToolBar->setChecked(AppState.ToolBar);
    mnuPopup_View_ToolBar->setChecked(AppState.ToolBar);
    mnuPopup_View_Title->setChecked(AppState.TitleBar);
    mnuView_Title->setChecked(AppState.TitleBar);
    ShowTitleBar(AppState.TitleBar);
    mnuView_Menu->setChecked(AppState.MenuBar);
    mnuPopup_View_Menu->setChecked(AppState.MenuBar);
    ShowMenuBar(AppState.MenuBar);
    mnuView_ScrolBar->setChecked(AppState.ScrollBar);
    mnuPopup_View_ScrolBar->setChecked(AppState.ScrollBar);
    picToolBox->setVisible(AppState.ToolBar);

    for (int i = 0; i < cmbDblClick->count(); ++i) {
        if (cmbDblClick->itemData(i).toInt() == AppState.DoubleClick) {
            SelectComboItem(cmbDblClick, i);
            cmbDblClick_Click();
            break;
        }
    }
    // Setting the button raises its handler, which enters full screen.
    chkFullScreen->setChecked(AppState.FullScreen);
    mnuView_Full->setChecked(AppState.FullScreen);
    mnuPopup_View_Full->setChecked(AppState.FullScreen);
    // The zoom applied at the first activation sets the mode the settings ask for.
    picView->setStretchMode(platform::StretchMode::Simple);
    Form_Resize();
}

void frmMain::Form_Activate() {
    if (FormState == 2 || unloaded_) return;
    const std::int32_t x = AppState.ScrollPos_X;
    const std::int32_t y = AppState.ScrollPos_Y;
    FormState = 2;
    cmbZoom_Click();
    // The stored position is restored against the ranges of the zoomed view;
    // before the zoom is applied the view has no size and no range would hold it.
    // A position beyond the range (or a negative one) leaves the bar as it is.
    if (x >= 0 && scrX->maximum() >= x) scrX->setValue(x);
    if (y >= 0 && scrY->maximum() >= y) scrY->setValue(y);
}

void frmMain::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    tmrMain.stop();
    tmrTiming.stop();
    renderer_.StopRedraw();
    monitorsChanged_.stop();
    if (!AppState.FullScreen) {
        AppState.WindowPos_State = WindowStateCode();
        if (AppState.WindowPos_State == 0) RecordPlacement();
    }
    MonitorDC.reset();
    if (AppState.ChangeDisplayType == 0) {
        for (const auto& display : AppState.DisplayTable) {
            if (display) display->RestoreSetting();
        }
    }
    SaveSettings();
}

void frmMain::mnuFile_Exit_Click() { close(); }
void frmMain::mnuPopup_Exit_Click() { close(); }

std::int32_t frmMain::WindowStateCode() const {
    if (isMinimized()) return 1;
    if (isMaximized()) return 2;
    return 0;
}

void frmMain::SetWindowStateCode(std::int32_t state) {
    Qt::WindowStates s = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == 1) s |= Qt::WindowMinimized;
    if (state == 2) s |= Qt::WindowMaximized;
    setWindowState(s);
}

void frmMain::ApplyPlacement() {
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    // The stored size is the outer one; the decoration, once known, is taken off.
    QSize decoration = frameGeometry().size() - geometry().size();
    if (const QWindow* w = windowHandle()) {
        const QMargins m = w->frameMargins();
        decoration = QSize(m.left() + m.right(), m.top() + m.bottom());
    }
    const auto [left, top, width, height] = storedPlacement_;
    move(R(left / tx), R(top / ty));
    resize(std::max(1, R(width / tx) - decoration.width()), std::max(1, R(height / ty) - decoration.height()));
    placedSize_ = size();
}

void frmMain::RecordPlacement() {
    const QRect outer = frameGeometry();
    AppState.WindowPos_Left = R(outer.x() * TwipsPerPixelX());
    AppState.WindowPos_Top = R(outer.y() * TwipsPerPixelY());
    AppState.WindowPos_Width = R(outer.width() * TwipsPerPixelX());
    AppState.WindowPos_Height = R(outer.height() * TwipsPerPixelY());
}

void frmMain::Form_Resize() {
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    LayoutInput in;
    in.clientWidth = client->width() * tx;
    in.clientHeight = client->height() * ty;
    in.toolBarVisible = picToolBox->isVisibleTo(this);
    in.toolBarHeight = kToolBarHeight;
    in.statusBarVisible = picStatusBar->isVisibleTo(this);
    in.statusBarHeight = kStatusBarHeight;
    in.scrollBarOption = AppState.ScrollBar;
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    in.scrXHeight = extent * ty;
    in.scrYWidth = extent * tx;
    in.twipsPerPixelX = tx;
    in.twipsPerPixelY = ty;
    const QRect f = picFrame->geometry();
    in.frame = {f.x() * tx, f.y() * ty, f.width() * tx, f.height() * ty};
    in.frameBorderX = 2 * picFrame->frameWidth() * tx;
    in.frameBorderY = 2 * picFrame->frameWidth() * ty;
    // The view is measured in the screen's pixels, the layout in the window's.
    in.viewWidth = R(picViewRect.width() / ViewPixelRatio());
    in.viewHeight = R(picViewRect.height() / ViewPixelRatio());
    in.scrXValue = scrX->value();
    in.scrYValue = scrY->value();
    ApplyLayout(ComputeLayout(in));

    if (ShouldRecordPlacement(FormState, AppState.FullScreen, SwitchingFullScreen)) {
        AppState.WindowPos_State = WindowStateCode();
        if (AppState.WindowPos_State == 0) RecordPlacement();
    }
}

void frmMain::ApplyLayout(const LayoutResult& layout) {
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    auto px = [&](const TwipsRect& r) {
        return QRect(R(r.left / tx), R(r.top / ty), R(r.width / tx), R(r.height / ty));
    };
    picToolBox->setGeometry(0, 0, client->width(), R(kToolBarHeight / ty));
    const int statusHeight = R(kStatusBarHeight / ty);
    picStatusBar->setGeometry(0, client->height() - statusHeight, client->width(), statusHeight);

    picFrame->setGeometry(px(layout.frame));
    picFrameClient->setGeometry(picFrame->contentsRect());
    scrX->setEnabled(layout.scrX.enabled);
    scrX->setVisible(layout.scrX.visible);
    scrY->setEnabled(layout.scrY.enabled);
    scrY->setVisible(layout.scrY.visible);

    if (layout.scrX.enabled) {
        const QRect r = px(layout.scrX.rect);
        scrX->setGeometry(r.x(), r.y(), r.width(), scrX->sizeHint().height());
        scrX->setMaximum(layout.scrX.max);
        scrX->setPageStep(std::max(1, picFrameClient->width()));
    }
    if (layout.scrY.enabled) {
        const QRect r = px(layout.scrY.rect);
        scrY->setGeometry(r.x(), r.y(), scrY->sizeHint().width(), r.height());
        scrY->setMaximum(layout.scrY.max);
        scrY->setPageStep(std::max(1, picFrameClient->height()));
    }
    // The bars keep their values inside their ranges; the view follows them.
    picViewRect.moveTo(ToViewPixels(layout.scrX.enabled ? -scrX->value() : layout.viewLeft),
                       ToViewPixels(layout.scrY.enabled ? -scrY->value() : layout.viewTop));
    if (picView) PlaceView();
}

void frmMain::picFrame_MouseMove(float y) {
    if (!AppState.FullScreen) return;
    bool relayout = false;
    if (y < 15) {
        if (AppState.ToolBar) {
            picToolBox->setVisible(true);
            relayout = true;
        }
        if (AppState.MenuBar) {
            ShowMenuBar(true);
            relayout = true;
        }
    } else {
        if (picToolBox->isVisibleTo(this)) {
            picToolBox->setVisible(false);
            relayout = true;
        }
        if (mnuFile->menuAction()->isVisible()) {
            ShowMenuBar(false);
            relayout = true;
        }
    }
    if (relayout) Form_Resize();
}

void frmMain::ShowMenuBar(bool Show) {
    for (QMenu* m : {mnuFile, mnuView, mnuTool, mnuHelp}) m->menuAction()->setVisible(Show);
    // A menu bar without visible menus would still take its height.
    menuBar()->setVisible(Show);
}

void frmMain::ShowTitleBar(bool Show) {
    if (Show == AppState.TitleBarShown) return;
    AppState.TitleBarShown = Show;
    // Only the caption goes: the border stays for resizing and the window
    // stays where and as it is.
    if (Platform.windowStyle().setCaption(*this, Show)) return;
    // Where the platform cannot, the toolkit's frameless window is the
    // closest: it loses the border too, and the window is shown anew.
    const bool wasVisible = isVisible();
    const Qt::WindowStates state = windowState();
    setWindowFlag(Qt::FramelessWindowHint, !Show);
    // Changing the flags hides a shown window; bring it back as it was.
    if (wasVisible) {
        setWindowState(state);
        show();
    }
}

bool frmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QMainWindow::event(e);
}

void frmMain::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

void frmMain::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    if (FormState != 0) Form_Resize();
}

void frmMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    // Leaving full screen, the window manager's resize says the window is back.
    if (captionAfterRestore_) RestoreCaptionAfterFullScreen();
}

void frmMain::CorrectForDecoration() {
    // The stored placement is the outer one; the decoration, once known, is
    // taken off the client size and put around it, once.
    // A window that starts maximised or in full screen is corrected once it
    // is back to normal: the window manager then restores the size the
    // placement gave, decoration not yet taken off.
    // Only while the window is as the placement left it: the window manager may
    // pass through other sizes on its way back from full screen (seen under
    // load), and a size the user gave it is not to be touched.
    if (decorationCorrected_ || !isVisible() || WindowStateCode() != 0 || AppState.FullScreen ||
        frameGeometry().size() == geometry().size() || size() != placedSize_)
        return;
    // Coming back from full screen the window is first framed without its
    // caption, which returns a moment later (seen under openbox): wait until
    // the frame is the one the window keeps, caption included, and the
    // margins the placement takes off agree with it.
    if (captionAfterRestore_ || AppState.TitleBarShown != AppState.TitleBar) return;
    if (const QWindow* w = windowHandle()) {
        const QMargins m = w->frameMargins();
        if (frameGeometry().size() - geometry().size() != QSize(m.left() + m.right(), m.top() + m.bottom())) return;
        if (AppState.TitleBarShown && m.top() <= m.bottom()) return;  // the caption is not framed yet
    }
    decorationCorrected_ = true;
    ApplyPlacement();
}

void frmMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    Form_Resize();
    // Back to normal before the decoration was taken off: look for it again a while.
    if (!decorationCorrected_ && !decorationWatch_.isActive() && isVisible()) {
        decorationLooks_ = 0;
        decorationWatch_.start();
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    if (watched == client && e->type() == QEvent::Resize) Form_Resize();
    if (watched == cmbZoom && ZoomEditEvent(e)) return true;
    if (watched == cmbTimer && TimerEditEvent(e)) return true;
    if (watched == picFrameClient && e->type() == QEvent::MouseMove) {
        picFrame_MouseMove(static_cast<float>(static_cast<QMouseEvent*>(e)->position().y()));
    }
    // (Compared as a plain object: the filter also sees the widget's last
    // events while it is being destroyed.)
    if (watched == viewWidget_ && FormState != 0 && picView) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
                if (ViewMouseEvent(static_cast<QMouseEvent*>(e))) return true;
                break;
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

}  // namespace orvane
