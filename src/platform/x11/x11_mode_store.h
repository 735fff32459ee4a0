// Registered modes that outlive the X session where no desktop keeps them:
// a file of Orvane's own, and an XDG autostart entry that applies it again
// at the next login (desktops with their own display store skip it).
#pragma once

#include <string>
#include <vector>

#include "platform/display_modes.h"
#include "platform/x11/x11_math.h"

namespace orvane::platform::x11 {

// "display-modes" in Orvane's config folder (see platform/config_folder.h).
std::string modeStorePath();
// $XDG_CONFIG_HOME/autostart (else ~/.config/autostart)/orvane-display-modes.desktop.
std::string autostartPath();

std::vector<RegisteredMode> loadStoredModes(const std::string& path = modeStorePath());
// Keeps `mode` as its output's registered mode (replacing an older one) and
// makes sure the autostart entry exists. False when nothing could be written.
bool storeRegisteredMode(const RegisteredMode& mode);
// The autostart entry's text: the program at `program` applying the modes
// kept in `store` (named in full, so the login finds the very file written).
std::string autostartEntry(const std::string& program, const std::string& store);

// Applies every stored mode to its output (registered again for the session).
// Returns how many could not be applied.
int restoreStoredModes(DisplayModes& modes, const std::string& store = modeStorePath());

}  // namespace orvane::platform::x11
