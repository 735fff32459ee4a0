// frmSetting, the settings dialog: drawing options, the resolution change
// method and the main window's five bars. It only copies values between
// AppState and its controls; the main window applies them when it closes.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace orvane {

// The explanation shown for a change method (0 to 2); empty for any other.
QString MonitorMethodText(int method);

class frmSetting : public QDialog {
    Q_OBJECT

public:
    explicit frmSetting(QWidget* owner);

    // Fills the controls from AppState; runs each time the dialog opens.
    void Form_Load();
    void optMonitor_Click(int Index);
    void cmdOkCancel_Click(int Index);

    QGroupBox* fraDraw = nullptr;
    QCheckBox* chkDraw = nullptr;
    QCheckBox* chkStretchMode = nullptr;
    std::array<QLabel*, 3> lblText{};
    QGroupBox* fraMonitor = nullptr;
    std::array<QRadioButton*, 3> optMonitor{};
    QLabel* lblMonitorInfo = nullptr;
    QGroupBox* fraView = nullptr;
    std::array<QCheckBox*, 5> chkView{};
    std::array<QPushButton*, 2> cmdOkCancel{};
};

}  // namespace orvane
