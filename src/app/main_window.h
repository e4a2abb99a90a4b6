// The launcher's one top-level window, its entry point and message loop.
#ifndef VORN_MAIN_WINDOW_H
#define VORN_MAIN_WINDOW_H

#include <windows.h>

// Outer rectangle of the launcher window: centred, always 642 x 482.
struct WindowRect {
    LONG x;
    LONG y;
    LONG width;
    LONG height;
};

enum {
    kWindowWidth = 642,
    kWindowHeight = 482,
    kLauncherDirSize = 260  // MAX_PATH, terminator included
};

// Process-wide state shared with the other parts of the launcher (UI thread only).
extern HINSTANCE ModuleInstance;
extern HWND LauncherWindow;
extern WindowRect WindowGeometry;
extern char LauncherDir[kLauncherDirSize];
extern int GameActionsEnabled;

// Sets WindowGeometry from the current screen size.
void ComputeWindowGeometry();

#endif
