// The key table of the settings file: what is read, with which default, and
// the upgrade of files written by version 1.
#include "core/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

#include "core/app_path.h"
#include "core/app_state.h"
#include "core/rounding.h"
#include "core/vb_ini_file.h"
#include "platform/config_folder.h"

namespace orvane {
namespace {

std::function<ScreenTwips()>& twipsSource() {
    static std::function<ScreenTwips()> source;
    return source;
}

constexpr const char* kFileName = "Orvane.ini";

bool folderWritable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// An installed program's folder (".../bin/" beside the desktop entry in
// ".../share/applications") is shared by every user, and root could even
// write into it; settings belong in the user's own config folder there.
bool installedIn(const std::string& folder) {
    const std::string bin = "/bin/";
    if (folder.size() <= bin.size() || folder.compare(folder.size() - bin.size(), bin.size(), bin) != 0)
        return false;
    const std::string prefix = folder.substr(0, folder.size() - bin.size() + 1);
    const std::string entry = prefix + "share/applications/" ORVANE_APP_ID ".desktop";
    return ::access(entry.c_str(), F_OK) == 0;
}

// Creates folder and its parents (mode 0700 for the ones it makes).
bool makeFolders(const std::string& folder) {
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '/') {
            const std::string part = folder.substr(0, pos);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// Version 1 kept the position in the interval list instead of milliseconds.
std::int32_t IntervalFromVersion1(std::int32_t stored) {
    static constexpr std::int32_t kMilliseconds[] = {1000, 500, 100, 50, 10};
    return (stored >= 0 && stored <= 4) ? kMilliseconds[stored] : stored;
}

// A window size that is there but holds no number would read 0 and open a
// window too small to find: it reads as the default, as a missing one does.
std::int32_t WindowSize(const vbIniFile& ini, const char* key, std::int32_t defaultValue) {
    const std::string text = ini.GetText("View", key);
    std::size_t i = text.find_first_not_of(" \t");
    if (i != std::string::npos && (text[i] == '+' || text[i] == '-')) ++i;
    const bool number = i < text.size() && text[i] >= '0' && text[i] <= '9';
    return number ? ini.GetNumber("View", key, defaultValue) : defaultValue;
}

}  // namespace

ScreenTwips PrimaryScreenTwips() {
    if (twipsSource()) return twipsSource()();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QSize size = screen->size();
    return {static_cast<float>(size.width() * 1440.0 / screen->logicalDotsPerInchX()),
            static_cast<float>(size.height() * 1440.0 / screen->logicalDotsPerInchY())};
}

void SetPrimaryScreenTwipsSource(std::function<ScreenTwips()> source) { twipsSource() = std::move(source); }

std::string SettingsFilePath() {
    if (const std::string dir = platform::ConfigFolderOverride(); !dir.empty()) {
        makeFolders(dir);
        return WithTrailingSeparator(dir) + kFileName;
    }
    if (folderWritable(AppState.AppPath) && !installedIn(AppState.AppPath)) return AppState.AppPath + kFileName;
    const std::string folder = platform::OrvaneConfigFolder();
    if (folder.empty()) return AppState.AppPath + kFileName;  // nowhere better: reads work, writes fail quietly
    makeFolders(folder);
    return WithTrailingSeparator(folder) + kFileName;
}

void LoadSettings() {
    vbIniFile ini;
    ini.FileName(SettingsFilePath());

    AppState.NoRedraw = ini.GetBool("Main", "NoRedraw", false);
    AppState.StretchHalftone = ini.GetBool("Main", "StretchHalftone", false);
    AppState.ZoomRate = ini.GetNumber("Main", "Zoom", 100) / 100.0;

    if (ini.GetNumber("Main", "SettingVersion", 2) == 1) {
        AppState.Interval = IntervalFromVersion1(ini.GetNumber("Main", "Interval", 2));
        // The converted interval and the new version go in together, so that
        // the file never claims version 2 while still holding a list position.
        ini.BeginBatch();
        ini.SetNumber("Main", "Interval", AppState.Interval);
        ini.SetNumber("Main", "SettingVersion", 2);
        ini.CommitBatch();
    } else {
        AppState.Interval = ini.GetNumber("Main", "Interval", 100);
    }

    AppState.Cursor = ini.GetNumber("Main", "Cursor", 0);
    AppState.Display = ini.GetText("Main", "Display", "");
    AppState.ScrollPos_X = ini.GetNumber("Main", "ScrollPos_X", 0);
    AppState.ScrollPos_Y = ini.GetNumber("Main", "ScrollPos_Y", 0);
    AppState.ChangeDisplayType = ini.GetNumber("Main", "ChangeDisplayType", 0);
    AppState.MousePursuit = ini.GetBool("Main", "MousePursuit", false);
    AppState.DoubleClick = ini.GetNumber("Main", "DoubleClick", 0);

    AppState.ToolBar = ini.GetBool("View", "ToolBar", true);
    AppState.StatusBar = ini.GetBool("View", "StatusBar", true);
    AppState.ScrollBar = ini.GetBool("View", "ScrollBar", true);
    AppState.TitleBar = ini.GetBool("View", "TitleBar", true);
    AppState.MenuBar = ini.GetBool("View", "MenuBar", true);

    // Each default asks for the screen afresh, in single precision.
    AppState.WindowPos_Left = ini.GetNumber("View", "WindowPos_Left", R(PrimaryScreenTwips().width / 4.0f));
    AppState.WindowPos_Top = ini.GetNumber("View", "WindowPos_Top", R(PrimaryScreenTwips().height / 4.0f));
    AppState.WindowPos_Width = WindowSize(ini, "WindowPos_Width", R(PrimaryScreenTwips().width / 2.0f));
    AppState.WindowPos_Height = WindowSize(ini, "WindowPos_Height", R(PrimaryScreenTwips().height / 2.0f));
    AppState.WindowPos_State = ini.GetNumber("View", "WindowPos_State", 0);
    AppState.FullScreen = ini.GetBool("View", "FullScreen", false);
}

void SaveSettings() {
    vbIniFile ini;
    ini.FileName(SettingsFilePath());
    // One replacement of the file: a crash while saving leaves the old settings whole.
    ini.BeginBatch();

    ini.SetBool("Main", "NoRedraw", AppState.NoRedraw);
    ini.SetBool("Main", "StretchHalftone", AppState.StretchHalftone);
    ini.SetNumber("Main", "Zoom", R(AppState.ZoomRate * 100.0));
    ini.SetNumber("Main", "Interval", AppState.Interval);
    ini.SetNumber("Main", "Cursor", AppState.Cursor);
    ini.SetText("Main", "Display", AppState.Display);
    ini.SetNumber("Main", "ScrollPos_X", AppState.ScrollPos_X);
    ini.SetNumber("Main", "ScrollPos_Y", AppState.ScrollPos_Y);
    ini.SetNumber("Main", "ChangeDisplayType", AppState.ChangeDisplayType);
    ini.SetBool("Main", "MousePursuit", AppState.MousePursuit);
    ini.SetNumber("Main", "DoubleClick", AppState.DoubleClick);

    ini.SetBool("View", "ToolBar", AppState.ToolBar);
    ini.SetBool("View", "StatusBar", AppState.StatusBar);
    ini.SetBool("View", "ScrollBar", AppState.ScrollBar);
    ini.SetBool("View", "TitleBar", AppState.TitleBar);
    ini.SetBool("View", "MenuBar", AppState.MenuBar);
    ini.SetNumber("View", "WindowPos_Left", AppState.WindowPos_Left);
    ini.SetNumber("View", "WindowPos_Top", AppState.WindowPos_Top);
    ini.SetNumber("View", "WindowPos_Width", AppState.WindowPos_Width);
    ini.SetNumber("View", "WindowPos_Height", AppState.WindowPos_Height);
    ini.SetNumber("View", "WindowPos_State", AppState.WindowPos_State);
    ini.SetBool("View", "FullScreen", AppState.FullScreen);
    ini.CommitBatch();
}

}  // namespace orvane
