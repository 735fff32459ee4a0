// Mouse pursuit: the step at the end of every tick that follows the pointer.
#include "mainwindow/frm_main.h"

namespace orvane {

// Following the pointer across monitors and scrolling after it arrive with
// the pointer subsystem; until then the tick's hook does nothing.
void frmMain::MousePursuitStep() {}

}  // namespace orvane
