// The program folder, with the platform's separator at its end.
#pragma once

#include <string>

namespace orvane {

// folder with exactly one trailing "/" ("/" itself stays as it is).
std::string WithTrailingSeparator(std::string folder);

// The folder of the running executable, ending in "/".
std::string ProgramFolder();

}  // namespace orvane
