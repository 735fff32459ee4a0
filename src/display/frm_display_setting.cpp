#include "display/frm_display_setting.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "core/app_state.h"
#include "core/twips.h"
#include "display/display.h"
#include "display/display_catalogue.h"

namespace orvane {

frmDisplaySetting::frmDisplaySetting(QWidget* owner, std::function<Display*()> watched,
                                     std::function<bool()> showsUs)
    : QDialog(owner), watched_(std::move(watched)), showsUs_(std::move(showsUs)) {
    setWindowTitle(tr("オルヴァン - 解像度変更"));
    const Twips t(this);
    setFixedSize(t.size(3555, 1815));
    cmbSize = new QComboBox(this);
    cmbSize->setGeometry(t.rect(60, 60, 1695, 300));
    cmbSize->setToolTip(tr("サイズ"));
    cmbSubInfo = new QComboBox(this);
    cmbSubInfo->setGeometry(t.rect(1800, 60, 1695, 300));
    cmbSubInfo->setToolTip(tr("ビット深度 / 周波数"));
    // The items line up in columns, as the placeholders mean them to.
    QFont fixed(QStringLiteral("ＭＳ ゴシック"));
    fixed.setStyleHint(QFont::Monospace);
    for (QComboBox* c : {cmbSize, cmbSubInfo}) c->setFont(fixed);
    lblNowSetting = new QLabel(this);
    lblNowSetting->setGeometry(t.rect(60, 420, 3435, 255));
    lblText = NoteLabel(this,
                        tr("※解像度の検出時に変更テストは行っておりますが、一部解像度は現在のディスプレイ"
                           "に対応していない可能性があります。"),
                        t.rect(60, 720, 3435, 495));
    cmdOkCancel = OkCancelButtons(this, t, 1320, 2400, 1320);
    for (int i = 0; i < 2; ++i)
        connect(cmdOkCancel[i], &QPushButton::clicked, this, [this, i] { cmdOkCancel_Click(i); });
    // The note needs a third line in today's fonts: the dialog grows by it.
    const int extra = std::max(0, lblText->heightForWidth(lblText->width()) - lblText->height());
    if (extra > 0) {
        lblText->resize(lblText->width(), lblText->height() + extra);
        for (QPushButton* b : cmdOkCancel) b->move(b->x(), b->y() + extra);
        setFixedSize(width(), height() + extra);
    }
    connect(cmbSize, &QComboBox::activated, this, [this] { cmbSize_Click(); });
    connect(cmbSubInfo, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
}

void frmDisplaySetting::Form_Load() {
    if (parentWidget()) setWindowIcon(parentWidget()->windowIcon());
    cmbSize->clear();
    cmbSubInfo->clear();
    const auto& info = AppState.DisplaySettingInfo;
    int current = -1;
    for (std::size_t k = 0; k < info.size(); ++k) {
        cmbSize->addItem(QString::fromStdString(SizeItemText(info[k].Width, info[k].Height)));
        if (info[k].Width == AppState.ViewWidth && info[k].Height == AppState.ViewHeight)
            current = static_cast<int>(k);
    }
    // The current size chosen, and in it the current depth and frequency
    // (the last of equal ones); a current mode the catalogue lacks leaves
    // the lists without a choice until the user makes one.
    cmbSize->setCurrentIndex(current);
    if (current >= 0) {
        const QString now =
            QString::fromStdString(DepthFrequencyItemText(AppState.ViewBits, AppState.ViewFreq));
        cmbSubInfo->setCurrentIndex(FillSubInfo(info[static_cast<std::size_t>(current)], now));
    }
    lblNowSetting->setText(tr("現在の設定:%1")
                               .arg(QString::fromStdString(ModeText(AppState.ViewWidth, AppState.ViewHeight,
                                                                    AppState.ViewBits, AppState.ViewFreq))));
    UpdateOk();
    // The first control, as in the other dialogs: typing chooses a size and
    // Enter applies it with the default button.
    cmbSize->setFocus();
}

void frmDisplaySetting::cmbSize_Click() {
    const int k = cmbSize->currentIndex();
    if (k < 0 || k >= static_cast<int>(AppState.DisplaySettingInfo.size())) return;
    const SizeInfo& s = AppState.DisplaySettingInfo[static_cast<std::size_t>(k)];
    const QString remembered = cmbSubInfo->currentIndex() >= 0 ? cmbSubInfo->currentText() : QString();
    const int keep = FillSubInfo(s, remembered);
    cmbSubInfo->setCurrentIndex(keep >= 0 ? keep : 0);
    UpdateOk();
}

int frmDisplaySetting::FillSubInfo(const SizeInfo& size, const QString& wanted) {
    cmbSubInfo->clear();
    int found = -1;
    for (std::size_t e = 0; e < size.SubInfo.size(); ++e) {
        const QString text =
            QString::fromStdString(DepthFrequencyItemText(size.SubInfo[e].Bit, size.SubInfo[e].Freq));
        cmbSubInfo->addItem(text);
        if (!wanted.isEmpty() && text == wanted) found = static_cast<int>(e);  // the last of equal ones
    }
    return found;
}

void frmDisplaySetting::UpdateOk() {
    const bool chosen = cmbSize->currentIndex() >= 0 && cmbSubInfo->currentIndex() >= 0;
    cmdOkCancel[0]->setEnabled(chosen);
    cmdOkCancel[0]->setToolTip(chosen ? QString() : tr("サイズとビット深度 / 周波数を選んで下さい"));
}

void frmDisplaySetting::cmdOkCancel_Click(int Index) {
    if (Index != 0) {
        reject();
        return;
    }
    const int k = cmbSize->currentIndex();
    const int e = cmbSubInfo->currentIndex();
    Display* d = watched_ ? watched_() : nullptr;
    // A monitor without usable modes has nothing to apply, and nothing is
    // applied that the user did not choose.
    if (d == nullptr || d->GetDisplayModeNumber() == 0) {
        accept();
        return;
    }
    if (k < 0 || e < 0 || k >= static_cast<int>(AppState.DisplaySettingInfo.size())) return;
    const SizeInfo& s = AppState.DisplaySettingInfo[static_cast<std::size_t>(k)];
    if (e >= static_cast<int>(s.SubInfo.size())) return;
    const auto m = static_cast<std::int16_t>(s.SubInfo[static_cast<std::size_t>(e)].ModeIndex);
    // The mode shown now, to come back to.
    const std::optional<platform::DisplayMode> before = d->ShownMode();
    // Where the desktop asks by itself, a second question would only confuse.
    const bool ask = showsUs_ && showsUs_() && !d->DesktopConfirmsChange();
    // A mode the user is asked about is registered only once kept: a crash
    // while asking leaves nothing behind for the next login.
    std::int32_t result = ask ? d->TryDisplayMode(m) : Change(*d, m);
    if (result == 0 && ask) {
        if (!ConfirmKeep()) {
            // Back to the mode from before; the dialog stays for another choice.
            if (!BackTo(*d, before)) ReportNotRestored();
            return;
        }
        if (d->Registers()) result = Change(*d, m);
    }
    if (result != 0) {
        d->RestoreSetting();
        if (BackTo(*d, before)) {
            QMessageBox::warning(this, tr("オルヴァン"),
                                 tr("解像度の変更に失敗しました。\r\n"
                                    "元の解像度または指定解像度に近い解像度に復元しました。"));
        } else {
            ReportNotRestored();
        }
        return;
    }
    accept();
}

std::int32_t frmDisplaySetting::Change(Display& d, std::int16_t m) {
    if (!d.Registers()) return d.ChangeDisplayMode(m, 0, 0, 0);
    const QString shown = lblNowSetting->text();
    waiting_ = true;
    for (QWidget* w : {static_cast<QWidget*>(cmbSize), static_cast<QWidget*>(cmbSubInfo),
                       static_cast<QWidget*>(cmdOkCancel[0]), static_cast<QWidget*>(cmdOkCancel[1])})
        w->setEnabled(false);
    lblNowSetting->setText(tr("設定を保存しています…"));
    const std::int32_t result = d.ChangeDisplayMode(m, 0, 0, 0);
    waiting_ = false;
    for (QWidget* w : {static_cast<QWidget*>(cmbSize), static_cast<QWidget*>(cmbSubInfo),
                       static_cast<QWidget*>(cmdOkCancel[1])})
        w->setEnabled(true);
    lblNowSetting->setText(shown);
    UpdateOk();
    return result;
}

void frmDisplaySetting::reject() {
    if (!waiting_) QDialog::reject();
}

bool frmDisplaySetting::BackTo(Display& d, const std::optional<platform::DisplayMode>& before) {
    // Straight back to the mode from before, for now; the registered mode
    // only where that is all the platform can tell.
    if (before) return d.ShowAgain(*before);
    d.RestoreSetting();
    return true;
}

void frmDisplaySetting::ReportNotRestored() {
    QMessageBox::warning(this, tr("オルヴァン"),
                         tr("解像度を元に戻せませんでした。\r\n"
                            "画面の設定から元の解像度に戻して下さい。"));
}

bool frmDisplaySetting::ConfirmKeep() {
    auto text = [](int seconds) {
        return tr("この解像度のままにしますか？\r\n%1 秒後に元の解像度に戻ります。").arg(seconds);
    };
    QMessageBox box(QMessageBox::Question, tr("オルヴァン"), text(ConfirmSeconds), QMessageBox::NoButton,
                    this);
    QPushButton* keep = box.addButton(tr("このままにする"), QMessageBox::AcceptRole);
    QPushButton* back = box.addButton(tr("元に戻す"), QMessageBox::RejectRole);
    box.setDefaultButton(back);
    box.setEscapeButton(back);
    int left = ConfirmSeconds;
    QTimer countdown;
    countdown.setInterval(1000);
    connect(&countdown, &QTimer::timeout, &box, [&] {
        if (--left <= 0) {
            box.reject();
            return;
        }
        box.setText(text(left));
    });
    countdown.start();
    box.exec();
    return box.clickedButton() == keep;
}

}  // namespace orvane
