// Turns a pressed button into its action.
#ifndef VORN_COMMAND_DISPATCH_H
#define VORN_COMMAND_DISPATCH_H

#include <windows.h>

// Command codes: the button code plus 98.
enum CommandId {
    kCmdInstall = 600,
    kCmdPlay = 601,
    kCmdCinematics = 602,
    kCmdHelp = 603,
    kCmdServer = 604,
    kCmdDirectX = 605,
    kCmdVideoSetup = 606,
    kCmdExit = 607
};

// Runs the command to its end on the UI thread. Unknown codes, 600 and 602 do nothing.
void RunCommand(HWND window, HINSTANCE module, int command);

#endif
