#pragma once

// Show modes as the system passes them to a starting program.
enum ShowMode : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
    SW_SHOWDEFAULT = 10,
};

// The mode the main frame is shown with: hidden and minimised-without-activation stay, any
// other mode becomes the normal one. Where the system passes no mode, the caller passes
// SW_SHOWDEFAULT.
constexpr int FrameShowMode(int systemMode) {
    if (systemMode == SW_HIDE || systemMode == SW_SHOWMINNOACTIVE) {
        return systemMode;
    }
    return SW_SHOWNORMAL;
}
