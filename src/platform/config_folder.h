// Where per-user configuration lives: the XDG base directory for it, and
// Orvane's own folder inside (which ORVANE_CONFIG_DIR replaces, for tests and
// for people who keep it elsewhere).
#pragma once

#include <string>

namespace orvane::platform {

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; empty
// when neither is known.
std::string UserConfigHome();
// $ORVANE_CONFIG_DIR when set; empty otherwise.
std::string ConfigFolderOverride();
// ConfigFolderOverride(), else UserConfigHome()/orvane; empty when unknown.
std::string OrvaneConfigFolder();

}  // namespace orvane::platform
