// The program-wide shared state: persisted settings (named after their keys),
// the watched monitor's geometry and the monitor tables. One instance, owned
// by the application core, read and written directly by every window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/monitor_entry.h"

namespace orvane {

class Display;

// One colour depth / refresh combination of a screen size and where it sits
// in the monitor's mode table.
struct SubInfoEntry {
    std::int32_t Bit = 0;
    std::int32_t Freq = 0;
    std::int32_t ModeIndex = 0;
};

// One distinct screen size of the watched monitor with its modes.
struct SizeInfo {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t LastSub = 0;
    std::vector<SubInfoEntry> SubInfo;
};

struct AppStateData {
    std::vector<SizeInfo> DisplaySettingInfo;
    std::int32_t ViewLeft = 0;
    std::int32_t ViewTop = 0;
    std::int32_t ViewWidth = 0;
    std::int32_t ViewHeight = 0;
    std::int32_t ViewBits = 0;
    std::int32_t ViewFreq = 0;

    // Persisted settings.
    double ZoomRate = 0.0;
    bool NoRedraw = false;
    bool StretchHalftone = false;
    std::int32_t Interval = 0;
    std::int32_t Cursor = 0;
    std::string Display;
    std::int32_t ScrollPos_X = 0;
    std::int32_t ScrollPos_Y = 0;
    std::int32_t ChangeDisplayType = 0;
    bool MousePursuit = false;
    std::int32_t DoubleClick = 0;
    bool ToolBar = false;
    bool StatusBar = false;
    bool ScrollBar = false;
    bool TitleBar = false;
    bool MenuBar = false;
    std::int32_t WindowPos_Left = 0;
    std::int32_t WindowPos_Top = 0;
    std::int32_t WindowPos_Width = 0;
    std::int32_t WindowPos_Height = 0;
    std::int32_t WindowPos_State = 0;
    bool FullScreen = false;

    std::vector<MonitorEntry> MonitorTable;
    // shared_ptr so the table can be declared without the mode class.
    std::vector<std::shared_ptr<orvane::Display>> DisplayTable;
    std::int32_t MonitorCount = 0;
    std::string AppPath;
    bool TitleBarShown = false;
};

// The one instance. Tests reset it with `AppState = AppStateData{}`.
extern AppStateData AppState;

// The part of a text before its first NUL character.
std::string TrimNull(const std::string& text);

}  // namespace orvane
