// Click forwarding: the action a double-click in the view performs.
#include <QComboBox>

#include "core/app_state.h"
#include "mainwindow/frm_main.h"

namespace orvane {

void frmMain::cmbDblClick_Click() { AppState.DoubleClick = cmbDblClick->currentData().toInt(); }

void frmMain::ConnectClickForwardingControls() {
    connect(cmbDblClick, &QComboBox::activated, this, [this] { cmbDblClick_Click(); });
}

}  // namespace orvane
