#include "dialogs/frm_setting.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/app_state.h"
#include "core/twips.h"

namespace orvane {

QString MonitorMethodText(int method) {
    switch (method) {
        case 0:
            return QCoreApplication::translate(
                "orvane::frmSetting", "解像度を一時的に変更します。\r\nオルヴァン終了時に元に戻ります。");
        case 1:
            return QCoreApplication::translate(
                "orvane::frmSetting", "解像度を一時的に変更します。\r\nシステムの再起動時に元に戻ります。");
        case 2:
            return QCoreApplication::translate(
                "orvane::frmSetting",
                "解像度を変更し、設定を保存します。\r\nシステムが再起動しても設定は継続します。");
        default:
            return {};
    }
}

frmSetting::frmSetting(QWidget* owner) : QDialog(owner) {
    setWindowTitle(tr("オルヴァン - 設定"));
    const Twips t(this);
    setFixedSize(t.size(4725, 4950));

    auto note = [&](QWidget* parent, const QString& text, int left, int top, int width, int height) {
        return NoteLabel(parent, text, t.rect(left, top, width, height));
    };
    // Check boxes and option buttons take the width their caption needs.
    auto fit = [&](QWidget* w, int left, int top) {
        w->move(t.point(left, top));
        w->resize(w->sizeHint());
    };

    fraDraw = new QGroupBox(tr("描画方法"), this);
    fraDraw->setGeometry(t.rect(60, 60, 4575, 1755));
    chkDraw = new QCheckBox(tr("再描画処理を行わない"), fraDraw);
    fit(chkDraw, 120, 240);
    lblText[0] = note(fraDraw,
                      tr("※チェックを入れると、描画速度が多少改善されますが、環境により画面がちらつい"
                         "たり、正しく表示されない事があります。"),
                      120, 540, 4335, 435);
    chkStretchMode = new QCheckBox(tr("拡大縮小時の描画方法を簡素にする"), fraDraw);
    fit(chkStretchMode, 120, 960);
    lblText[2] = note(fraDraw,
                      tr("※チェックを入れると、描画速度が多少改善されますが、高品質なイメージを得られ"
                         "なくなります。"),
                      120, 1260, 4335, 435);

    fraMonitor = new QGroupBox(tr("モニタ解像度変更方法"), this);
    fraMonitor->setGeometry(t.rect(60, 1920, 4575, 1455));
    lblText[1] = note(fraMonitor, tr("モニタの解像度等を変更する方法を選択します。"), 60, 240, 4455, 240);
    auto* methods = new QButtonGroup(this);
    const char* const captions[3] = {QT_TR_NOOP("一時変更１"), QT_TR_NOOP("一時変更２"),
                                     QT_TR_NOOP("設定変更")};
    const int lefts[3] = {120, 1620, 3120};
    for (int i = 0; i < 3; ++i) {
        optMonitor[i] = new QRadioButton(tr(captions[i]), fraMonitor);
        fit(optMonitor[i], lefts[i], 480);
        methods->addButton(optMonitor[i], i);
        connect(optMonitor[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optMonitor_Click(i);
        });
    }
    lblMonitorInfo = note(fraMonitor, {}, 120, 780, 4335, 615);

    fraView = new QGroupBox(tr("表示項目"), this);
    fraView->setGeometry(t.rect(60, 3480, 4575, 855));
    const char* const views[5] = {QT_TR_NOOP("タイトルバー"), QT_TR_NOOP("メニューバー"),
                                  QT_TR_NOOP("ツールバー"), QT_TR_NOOP("スクロールバー"),
                                  QT_TR_NOOP("ステータスバー")};
    const int viewLefts[5] = {120, 1560, 3060, 120, 1740};
    const int viewTops[5] = {240, 240, 240, 540, 540};
    for (int i = 0; i < 5; ++i) {
        chkView[i] = new QCheckBox(tr(views[i]), fraView);
        fit(chkView[i], viewLefts[i], viewTops[i]);
    }

    cmdOkCancel = OkCancelButtons(this, t, 2460, 3540, 4440);
    for (int i = 0; i < 2; ++i)
        connect(cmdOkCancel[i], &QPushButton::clicked, this, [this, i] { cmdOkCancel_Click(i); });
}

void frmSetting::Form_Load() {
    if (parentWidget()) setWindowIcon(parentWidget()->windowIcon());
    chkDraw->setChecked(AppState.NoRedraw);
    chkStretchMode->setChecked(AppState.StretchHalftone);
    // A stored method outside 0-2 selects no button: nothing is chosen for
    // the user, and OK keeps the stored value unless they pick one.
    const int method = AppState.ChangeDisplayType;
    QButtonGroup* group = optMonitor[0]->group();
    group->setExclusive(false);
    for (QRadioButton* b : optMonitor) b->setChecked(false);
    group->setExclusive(true);
    lblMonitorInfo->clear();
    if (method >= 0 && method < 3) optMonitor[method]->setChecked(true);
    const bool views[5] = {AppState.TitleBar, AppState.MenuBar, AppState.ToolBar, AppState.ScrollBar,
                           AppState.StatusBar};
    for (int i = 0; i < 5; ++i) chkView[i]->setChecked(views[i]);
    cmdOkCancel[0]->setFocus();
}

void frmSetting::optMonitor_Click(int Index) {
    if (Index >= 0 && Index < 3) lblMonitorInfo->setText(MonitorMethodText(Index));
}

void frmSetting::cmdOkCancel_Click(int Index) {
    if (Index == 0) {
        AppState.NoRedraw = chkDraw->isChecked();
        AppState.StretchHalftone = chkStretchMode->isChecked();
        for (int i = 0; i < 3; ++i) {
            if (optMonitor[i]->isChecked()) {
                AppState.ChangeDisplayType = i;
                break;
            }
        }
        bool* views[5] = {&AppState.TitleBar, &AppState.MenuBar, &AppState.ToolBar, &AppState.ScrollBar,
                          &AppState.StatusBar};
        for (int i = 0; i < 5; ++i) *views[i] = chkView[i]->isChecked();
        accept();
        return;
    }
    reject();
}

}  // namespace orvane
