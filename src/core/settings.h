// Loading every setting into AppState at start-up and writing them back when
// the main window closes, in the file Orvane.ini (see SettingsFilePath).
#pragma once

#include <functional>
#include <string>

namespace orvane {

// The primary screen's size in twips (1440 per logical inch).
struct ScreenTwips {
    float width = 0;
    float height = 0;
};

// Asks Qt; tests may put another source in place (an empty function restores Qt's).
ScreenTwips PrimaryScreenTwips();
void SetPrimaryScreenTwipsSource(std::function<ScreenTwips()> source);

// Where the settings file lives: AppPath & "Orvane.ini" when the program
// folder can be written, otherwise $XDG_CONFIG_HOME/orvane/Orvane.ini
// (default ~/.config/orvane/), whose folder is created on demand. The
// environment variable ORVANE_CONFIG_DIR names a folder to use instead of both.
std::string SettingsFilePath();

void LoadSettings();
void SaveSettings();

}  // namespace orvane
