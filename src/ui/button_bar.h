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

// The slot's hit rectangle (left, top inclusive; right, bottom exclusive); empty
// before SetUpButtonBar and after DestroyButtonBar.
RECT ButtonSlotRect(int slot);

// The first slot, 0 to 7, whose rectangle holds the client point; -1 for none.
int ButtonSlotAt(long x, long y);

// Whether a slot reacts to the pointer and to presses: Install and Cinematics never,
// Play, Server and Video setup only while game actions are enabled, the rest always.
int ButtonSlotReacts(int slot, int gameActionsEnabled);

// The slot's button code (502 to 509), or 0 for a slot out of range.
int ButtonSlotCode(int slot);

// Whether the pointer was last seen inside the slot (its highlight flag).
int ButtonSlotHovered(int slot);

#endif
