// The eight image buttons, drawn straight onto the launcher window: hit tests, the
// highlight on entering, the pressed image and the command on a press.
#include "ui/button_bar.h"

#include <mmsystem.h>

#include "app/command_dispatch.h"
#include "app/main_window.h"
#include "resource.h"
#include "ui/bitmap_loader.h"

namespace {

enum Reaction { kNever, kWhileGameActions, kAlways };

// Image columns of a slot, in the order they are loaded.
enum { kNormal, kHover, kPressed, kDisabled, kKindCount };

const int kCommandOffset = 98;  // command = button code + 98
const char kMoveSound[] = ".\\Launcher\\lsound\\mmove.wav";
const char kClickSound[] = ".\\Launcher\\lsound\\mclick.wav";

struct SlotSpec {
    RECT rect;
    int images[kKindCount];  // resource ids: Normal, Hover, Pressed, Disabled
    Reaction reacts;
    int baseKind;
};

const SlotSpec kSlots[kButtonSlotCount] = {
    {{150, 16, 341, 60},
     {IDB_INSTALL_NORMAL, IDB_INSTALL_HOVER, IDB_INSTALL_PRESSED, IDB_INSTALL_DISABLED},
     kNever, kDisabled},
    {{78, 65, 269, 109},
     {IDB_PLAY_NORMAL, IDB_PLAY_HOVER, IDB_PLAY_PRESSED, IDB_PLAY_DISABLED},
     kWhileGameActions, kNormal},
    {{34, 114, 225, 158},
     {IDB_CINEMA_NORMAL, IDB_CINEMA_HOVER, IDB_CINEMA_PRESSED, IDB_CINEMA_DISABLED},
     kNever, kDisabled},
    {{11, 163, 202, 207},
     {IDB_HELP_NORMAL, IDB_HELP_HOVER, IDB_HELP_PRESSED, IDB_HELP_DISABLED},
     kAlways, kNormal},
    {{439, 260, 630, 304},
     {IDB_SERVER_NORMAL, IDB_SERVER_HOVER, IDB_SERVER_PRESSED, IDB_SERVER_DISABLED},
     kWhileGameActions, kNormal},
    {{419, 309, 610, 353},
     {IDB_DIRECTX_NORMAL, IDB_DIRECTX_HOVER, IDB_DIRECTX_PRESSED, IDB_DIRECTX_DISABLED},
     kAlways, kNormal},
    {{378, 358, 569, 402},
     {IDB_VIDEO_NORMAL, IDB_VIDEO_HOVER, IDB_VIDEO_PRESSED, IDB_VIDEO_DISABLED},
     kWhileGameActions, kNormal},
    {{300, 407, 491, 451},
     {IDB_EXIT_NORMAL, IDB_EXIT_HOVER, IDB_EXIT_PRESSED, IDB_EXIT_DISABLED},
     kAlways, kNormal},
};

// Slots that highlight, in the order the pointer is checked against them.
const int kHoverSlots[] = {1, 3, 4, 5, 6, 7};

RECT slotRects[kButtonSlotCount];
HBITMAP slotBitmaps[kButtonSlotCount][kKindCount];
HPALETTE slotPalettes[kButtonSlotCount][kKindCount];
int slotHovered[kButtonSlotCount];
int imagesToLoad = 1;

int ValidSlot(int slot) { return slot >= 0 && slot < kButtonSlotCount; }

int Inside(const RECT& r, long x, long y) {
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

// The image column for a ButtonImageKind value, or -1 for anything else.
int KindColumn(int kind) {
    switch (kind) {
    case kImageNormal: return kNormal;
    case kImageHover: return kHover;
    case kImagePressed: return kPressed;
    case kImageDisabled: return kDisabled;
    default: return -1;
    }
}

// Copies one image to its slot's top-left corner through the window's context. An
// image that failed to load draws nothing.
void DrawSlotImage(HWND window, int slot, int column) {
    HBITMAP bitmap = slotBitmaps[slot][column];
    if (!bitmap) return;
    BITMAP size;
    if (GetObjectA(bitmap, sizeof size, &size) == 0) return;

    HDC windowDc = GetDC(window);
    if (!windowDc) return;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    if (!memoryDc) {
        ReleaseDC(window, windowDc);
        return;
    }
    HPALETTE palette = slotPalettes[slot][column];
    HPALETTE windowPalette = NULL;
    HPALETTE memoryPalette = NULL;
    if (palette) {
        windowPalette = SelectPalette(windowDc, palette, TRUE);
        RealizePalette(windowDc);
        memoryPalette = SelectPalette(memoryDc, palette, TRUE);
        RealizePalette(memoryDc);
    }
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    const RECT& r = slotRects[slot];
    BitBlt(windowDc, r.left, r.top, size.bmWidth, size.bmHeight, memoryDc, 0, 0, SRCCOPY);
    if (previous) SelectObject(memoryDc, previous);
    if (palette) {
        if (memoryPalette) SelectPalette(memoryDc, memoryPalette, TRUE);
        if (windowPalette) SelectPalette(windowDc, windowPalette, TRUE);
    }
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
}

// The slot that a press or release at (x, y) acts on, or -1.
int ReactingSlotAt(unsigned x, unsigned y) {
    int slot = ButtonSlotAt((long)x, (long)y);
    if (slot < 0 || !ButtonSlotReacts(slot, GameActionsEnabled)) return -1;
    return slot;
}

}  // namespace

RECT ButtonSlotRect(int slot) {
    RECT empty = {0, 0, 0, 0};
    return ValidSlot(slot) ? slotRects[slot] : empty;
}

int ButtonSlotAt(long x, long y) {
    for (int slot = 0; slot < kButtonSlotCount; ++slot)
        if (Inside(slotRects[slot], x, y)) return slot;
    return -1;
}

int ButtonSlotReacts(int slot, int gameActionsEnabled) {
    if (!ValidSlot(slot)) return 0;
    switch (kSlots[slot].reacts) {
    case kAlways: return 1;
    case kWhileGameActions: return gameActionsEnabled ? 1 : 0;
    default: return 0;
    }
}

int ButtonSlotCode(int slot) { return ValidSlot(slot) ? kFirstButtonCode + slot : 0; }

int ButtonSlotHovered(int slot) { return ValidSlot(slot) ? slotHovered[slot] : 0; }

void SetUpButtonBar(HINSTANCE module) {
    for (int slot = 0; slot < kButtonSlotCount; ++slot) slotRects[slot] = kSlots[slot].rect;
    if (!imagesToLoad) return;
    for (int slot = 0; slot < kButtonSlotCount; ++slot) {
        for (int column = 0; column < kKindCount; ++column) {
            slotBitmaps[slot][column] = LoadResourceBitmap(module, kSlots[slot].images[column],
                                                           &slotPalettes[slot][column]);
            // Without its Normal image the slot's other images are not tried.
            if (column == kNormal && !slotBitmaps[slot][column]) break;
        }
    }
    imagesToLoad = 0;
}

void DrawButtonImage(HWND window, int buttonCode, int kind) {
    const int slot = buttonCode - kFirstButtonCode;
    const int column = KindColumn(kind);
    if (!ValidSlot(slot) || column < 0) return;
    DrawSlotImage(window, slot, column);
}

void DrawBaseImage(HWND window, int slot) {
    if (!ValidSlot(slot)) return;
    DrawSlotImage(window, slot, kSlots[slot].baseKind);
}

void TrackHover(HWND window) {
    POINT point;
    if (!GetCursorPos(&point) || !ScreenToClient(window, &point)) return;
    for (unsigned i = 0; i < sizeof kHoverSlots / sizeof kHoverSlots[0]; ++i) {
        const int slot = kHoverSlots[i];
        // Gated slots keep whatever they show while game actions are off.
        if (!ButtonSlotReacts(slot, GameActionsEnabled)) continue;
        const int inside = Inside(slotRects[slot], point.x, point.y);
        if (inside && !slotHovered[slot]) {
            PlayButtonSound(kMoveSound);
            DrawButtonImage(window, ButtonSlotCode(slot), kImageHover);
            slotHovered[slot] = 1;
        } else if (!inside && slotHovered[slot]) {
            DrawButtonImage(window, ButtonSlotCode(slot), kImageNormal);
            slotHovered[slot] = 0;
        }
    }
}

void PressButton(HWND window, HINSTANCE module, unsigned x, unsigned y) {
    const int slot = ReactingSlotAt(x, y);
    if (slot < 0) return;
    const int code = ButtonSlotCode(slot);
    PlayButtonSound(kClickSound);
    DrawButtonImage(window, code, kImagePressed);
    RunCommand(window, module, code + kCommandOffset);
}

void ReleaseButton(HWND window, unsigned x, unsigned y) {
    const int slot = ReactingSlotAt(x, y);
    if (slot < 0) return;
    DrawButtonImage(window, ButtonSlotCode(slot), kImageNormal);
}

void DestroyButtonBar() {
    for (int slot = 0; slot < kButtonSlotCount; ++slot) {
        SetRectEmpty(&slotRects[slot]);
        slotHovered[slot] = 0;
        for (int column = 0; column < kKindCount; ++column) {
            if (slotBitmaps[slot][column]) DeleteObject(slotBitmaps[slot][column]);
            if (slotPalettes[slot][column]) DeleteObject(slotPalettes[slot][column]);
            slotBitmaps[slot][column] = NULL;
            slotPalettes[slot][column] = NULL;
        }
    }
}

// The multimedia library comes with the first sound, not with the program, so a
// launcher that has played nothing yet does not carry it. Without it the launcher
// stays silent: a sound's result is never acted on.
void PlayButtonSound(const char* path) {
    typedef BOOL(WINAPI * SoundCall)(LPCSTR sound, UINT flags);
    typedef void (*AnyFunction)(void);
    static SoundCall play = NULL;
    if (!play) {
        HMODULE multimedia = LoadLibraryA("winmm.dll");
        FARPROC proc = multimedia ? GetProcAddress(multimedia, "sndPlaySoundA") : NULL;
        if (!proc) {
            if (multimedia) FreeLibrary(multimedia);
            return;
        }
        play = reinterpret_cast<SoundCall>(reinterpret_cast<AnyFunction>(proc));
    }
    play(path, SND_ASYNC | SND_NODEFAULT);
}
