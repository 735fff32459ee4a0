// Two complete sets of settings that differ in every key.
#pragma once

#include "core/app_state.h"

namespace orvane::test {

inline AppStateData SettingsSetA() {
    AppStateData a;
    a.NoRedraw = false;
    a.StretchHalftone = false;
    a.ZoomRate = 1.0;
    a.Interval = 100;
    a.Cursor = 0;
    a.Display = "DP-1";
    a.ScrollPos_X = 0;
    a.ScrollPos_Y = 0;
    a.ChangeDisplayType = 0;
    a.MousePursuit = false;
    a.DoubleClick = 0;
    a.ToolBar = a.StatusBar = a.ScrollBar = a.TitleBar = a.MenuBar = true;
    a.WindowPos_Left = 7200;
    a.WindowPos_Top = 4050;
    a.WindowPos_Width = 14400;
    a.WindowPos_Height = 8100;
    a.WindowPos_State = 0;
    a.FullScreen = false;
    return a;
}

inline AppStateData SettingsSetB() {
    AppStateData b;
    b.NoRedraw = true;
    b.StretchHalftone = true;
    b.ZoomRate = 2.5;
    b.Interval = 1500;
    b.Cursor = 3;
    b.Display = "HDMI-2";
    b.ScrollPos_X = 640;
    b.ScrollPos_Y = 480;
    b.ChangeDisplayType = 2;
    b.MousePursuit = true;
    b.DoubleClick = 7;
    b.ToolBar = b.StatusBar = b.ScrollBar = b.TitleBar = b.MenuBar = false;
    b.WindowPos_Left = -1500;
    b.WindowPos_Top = 300;
    b.WindowPos_Width = 9000;
    b.WindowPos_Height = 6000;
    b.WindowPos_State = 2;
    b.FullScreen = true;
    return b;
}

}  // namespace orvane::test
