// frmDisplaySetting, the resolution dialog: the watched monitor's sizes and,
// for the chosen size, its colour depth and refresh rate combinations; OK
// applies the chosen mode through the monitor's Display object.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "platform/display_modes.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace orvane {

class Display;
struct SizeInfo;

class frmDisplaySetting : public QDialog {
    Q_OBJECT

public:
    // `watched` answers the watched monitor's Display object when OK is
    // pressed (null when there is none); `showsUs` whether that monitor
    // shows the program's own window.
    frmDisplaySetting(QWidget* owner, std::function<Display*()> watched, std::function<bool()> showsUs);

    void Form_Load();
    // Closing is refused while a change is being kept by the desktop.
    void reject() override;
    void cmbSize_Click();
    void cmdOkCancel_Click(int Index);

    QComboBox* cmbSize = nullptr;
    QComboBox* cmbSubInfo = nullptr;
    QLabel* lblNowSetting = nullptr;
    QLabel* lblText = nullptr;
    std::array<QPushButton*, 2> cmdOkCancel{};
    // How long a changed mode of the monitor showing this window waits for
    // the user to keep it.
    int ConfirmSeconds = 15;

private:
    // Asks whether to keep the new mode; no answer in time means no. A mode
    // the monitor accepts but cannot show would leave the user blind there.
    bool ConfirmKeep();
    // Fills the depth and frequency list with a size's entries; the index of
    // the last whose text is `wanted`, or -1.
    int FillSubInfo(const SizeInfo& size, const QString& wanted);
    // Shows the mode from before again; false when the monitor does not.
    bool BackTo(Display& d, const std::optional<platform::DisplayMode>& before);
    void ReportNotRestored();
    // Applies mode index m with the change method; one the desktop is to keep
    // may take a while, and the dialog shows it waits and takes no input.
    std::int32_t Change(Display& d, std::int16_t m);
    bool waiting_ = false;
    // OK applies only what the user can see chosen: a size and an entry.
    void UpdateOk();
    std::function<Display*()> watched_;
    std::function<bool()> showsUs_;
};

}  // namespace orvane
