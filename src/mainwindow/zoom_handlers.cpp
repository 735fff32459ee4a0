// The window's zoom and scroll handlers: the zoom list, its menus and input
// box, and the scroll bars that move the picture.
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
#include "view/zoom.h"

namespace orvane {

void frmMain::cmbZoom_Click() {
    for (std::size_t i = 0; i < mnuView_Zoom_Select.size(); ++i) {
        mnuView_Zoom_Select[i]->setChecked(false);
        mnuPopup_View_Zoom_Select[i]->setChecked(false);
    }
    mnuView_Zoom_Input->setChecked(false);
    mnuPopup_View_Zoom_Input->setChecked(false);
    const int index = cmbZoom->currentIndex();
    if (index < 0) {
        mnuView_Zoom_Input->setChecked(true);
        mnuPopup_View_Zoom_Input->setChecked(true);
    } else if (index < static_cast<int>(mnuView_Zoom_Select.size())) {
        mnuView_Zoom_Select[index]->setChecked(true);
        mnuPopup_View_Zoom_Select[index]->setChecked(true);
    }
    if (FormState != 2) return;

    AppState.ZoomRate = AppliedZoomRate(cmbZoom->currentText().toStdString());
    const std::int32_t w = R(AppState.ViewWidth * AppState.ZoomRate);
    const std::int32_t h = R(AppState.ViewHeight * AppState.ZoomRate);
    SetZoomLook(false);
    picViewRect = QRect(0, 0, std::max(0, w), std::max(0, h));
    PlaceView();
    picView->setStretchMode(StretchModeSetting(AppState.StretchHalftone));
    picView->widget()->setFocus();
    Form_Resize();
}

void frmMain::cmbZoom_KeyPress(int KeyAscii) {
    if (KeyAscii != 13) return;
    const std::int32_t v = TypedZoomPercent(cmbZoom->currentText().toStdString());
    for (int i = 0; i < cmbZoom->count(); ++i) {
        if (R(LeadingNumber(cmbZoom->itemText(i).toStdString())) == v) {
            SelectComboItem(cmbZoom, i);
            cmbZoom_Click();
            return;
        }
    }
    {
        const QSignalBlocker quiet(cmbZoom);
        cmbZoom->setCurrentIndex(-1);
        cmbZoom->setEditText(QString::fromStdString(ZoomText(v)));
    }
    cmbZoom_Click();
}

void frmMain::cmbZoom_GotFocus() {
    ZoomTextOnFocus = cmbZoom->currentText();
    SetZoomLook(true);
}

void frmMain::cmbZoom_LostFocus() {
    if (cmbZoom->currentText() == ZoomTextOnFocus) SetZoomLook(false);
}

void frmMain::SetZoomLook(bool pending) {
    QPalette pal = cmbZoom->palette();
    const QPalette system = QApplication::palette(cmbZoom);
    pal.setColor(QPalette::Base, pending ? system.color(QPalette::Button) : system.color(QPalette::Base));
    pal.setColor(QPalette::Text,
                 pending ? system.color(QPalette::Disabled, QPalette::Text) : system.color(QPalette::Text));
    cmbZoom->setPalette(pal);
    ZoomPending = pending;
}

void frmMain::mnuView_Zoom_Select_Click(int Index) {
    SelectComboItem(cmbZoom, Index);
    cmbZoom_Click();
}

void frmMain::mnuPopup_View_Zoom_Select_Click(int Index) { mnuView_Zoom_Select_Click(Index); }

void frmMain::mnuView_Zoom_Input_Click() {
    AskIntoList(cmbZoom, tr("10～300までの値を入力して下さい"), tr("倍率入力"));
    cmbZoom_KeyPress(13);
}

void frmMain::AskIntoList(QComboBox* list, const QString& prompt, const QString& title) {
    const QString text = InputBox(prompt, title, list->currentText());
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(-1);
    list->setEditText(text);
}

void frmMain::mnuPopup_View_Zoom_Input_Click() { mnuView_Zoom_Input_Click(); }

// While the thumb is dragged the bar's value stays put (no tracking); the
// picture follows the thumb's position.
void frmMain::scrX_Scroll() {
    picViewRect.moveLeft(-ToViewPixels(scrX->sliderPosition()));
    PlaceView();
}

void frmMain::scrX_Change() {
    scrX_Scroll();
    if (FormState == 2) AppState.ScrollPos_X = scrX->value();
}

void frmMain::scrY_Scroll() {
    picViewRect.moveTop(-ToViewPixels(scrY->sliderPosition()));
    PlaceView();
}

void frmMain::scrY_Change() {
    scrY_Scroll();
    if (FormState == 2) AppState.ScrollPos_Y = scrY->value();
}

void frmMain::ConnectZoomControls() {
    cmbZoom->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QFont f = cmbZoom->font();
    f.setPointSize(9);
    cmbZoom->setFont(f);
    connect(cmbZoom, &QComboBox::activated, this, [this] { cmbZoom_Click(); });
    // Keys and focus reach the combo box; it hands them to its line edit
    // directly, past any filter there.
    cmbZoom->installEventFilter(this);
    for (int i = 0; i < static_cast<int>(mnuView_Zoom_Select.size()); ++i) {
        connect(mnuView_Zoom_Select[i], &QAction::triggered, this,
                [this, i] { mnuView_Zoom_Select_Click(i); });
        connect(mnuPopup_View_Zoom_Select[i], &QAction::triggered, this,
                [this, i] { mnuPopup_View_Zoom_Select_Click(i); });
    }
    connect(mnuView_Zoom_Input, &QAction::triggered, this, [this] { mnuView_Zoom_Input_Click(); });
    connect(mnuPopup_View_Zoom_Input, &QAction::triggered, this,
            [this] { mnuPopup_View_Zoom_Input_Click(); });
    // Without tracking, a drag moves the picture and the value settles on release.
    for (QScrollBar* s : {scrX, scrY}) s->setTracking(false);
    connect(scrX, &QScrollBar::sliderMoved, this, [this] { scrX_Scroll(); });
    connect(scrX, &QScrollBar::valueChanged, this, [this] { scrX_Change(); });
    connect(scrY, &QScrollBar::sliderMoved, this, [this] { scrY_Scroll(); });
    connect(scrY, &QScrollBar::valueChanged, this, [this] { scrY_Change(); });
}

bool frmMain::ZoomEditEvent(QEvent* e) {
    switch (e->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(e);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                cmbZoom_KeyPress(13);
                return true;  // the combo's own Enter handling would insert or reselect
            }
            return false;
        }
        case QEvent::FocusIn:
            cmbZoom_GotFocus();
            return false;
        case QEvent::FocusOut:
            cmbZoom_LostFocus();
            return false;
        default:
            return false;
    }
}
}  // namespace orvane
