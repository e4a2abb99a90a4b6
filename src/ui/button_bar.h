// The eight image buttons drawn straight onto the launcher window.
#ifndef VORN_BUTTON_BAR_H
#define VORN_BUTTON_BAR_H

#include <windows.h>

enum ButtonImageKind {
    kImageHover = 520,
    kImagePressed = 521,
    kImageNormal = 522,
    kImageDisabled = 524
};

enum { kButtonSlotCount = 8, kFirstButtonCode = 502 };

void SetUpButtonBar(HINSTANCE module);
void DrawButtonImage(HWND window, int buttonCode, int kind);
void DrawBaseImage(HWND window, int slot);
void TrackHover(HWND window);
void PressButton(HWND window, HINSTANCE module, unsigned x, unsigned y);
void ReleaseButton(HWND window, unsigned x, unsigned y);
void DestroyButtonBar();
void PlayButtonSound(const char* path);

// The slot's hit rectangle (left, top inclusive; right, bottom exclusive).
RECT ButtonSlotRect(int slot);

#endif
