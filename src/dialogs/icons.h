// The pictures of the tool bar's four buttons and the program icon, drawn at
// run time so they stay sharp at any scale.
#pragma once

#include <QIcon>

namespace orvane {

QIcon ReloadIcon();
QIcon ResolutionIcon();
QIcon PursuitIcon();
QIcon FullScreenIcon();
QIcon ProgramIcon();

}  // namespace orvane
