// The dialogs name the Japanese Windows fonts they were designed with; on
// Linux those names stand for the installed CJK families.
#pragma once

namespace orvane {

void InstallFontSubstitutes();

}  // namespace orvane
