// The render mode choice and the GLSetup page.
#ifndef VORN_VIDEO_SETUP_DIALOG_H
#define VORN_VIDEO_SETUP_DIALOG_H

#include <windows.h>

void VideoSetupDialog(HWND owner, HINSTANCE module);

#endif
