// The entry point, the launcher window and its message loop.
#include "app/main_window.h"

#include <string.h>

#include "config/registry_settings.h"
#include "ui/bitmap_loader.h"
#include "ui/button_bar.h"

HINSTANCE ModuleInstance = NULL;
HWND LauncherWindow = NULL;
WindowRect WindowGeometry = {0, 0, kWindowWidth, kWindowHeight};
char LauncherDir[kLauncherDirSize] = {0};
int GameActionsEnabled = 0;

static const char kLauncherClassName[] = "Vorn Launcher";
static const char kLauncherTitle[] = "Vorn Launcher";
static const char kBackgroundPath[] = ".\\Launcher\\Resource\\BackGround\\MainBK.bmp";

enum {
    kClassRecordSize = 48,
    // Half the 640 x 480 client area: the window's corner lies that far left of and
    // above the screen's centre.
    kHalfClientWidth = 320,
    kHalfClientHeight = 240
};

// The background picture, made once at creation and deleted at destruction. Without
// it the client area keeps the class's black brush.
static HBITMAP backgroundBitmap = NULL;
static HPALETTE backgroundPalette = NULL;

void ComputeWindowGeometry() {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    WindowGeometry.x = screenWidth / 2 - kHalfClientWidth;
    WindowGeometry.y = screenHeight / 2 - kHalfClientHeight;
    WindowGeometry.width = kWindowWidth;
    WindowGeometry.height = kWindowHeight;
}

// Play, Server and Video setup react only while the install state is not 1.
static void RefreshGameActions() { GameActionsEnabled = ProbeInstallState() != 1; }

// Copies the class record into an extended class record without a small icon (the
// system derives it from the icon) and registers it. 0 on failure.
static ATOM RegisterLauncherClass(const WNDCLASSA* record) {
    WNDCLASSEXA extended;
    memset(&extended, 0, sizeof extended);
    extended.cbSize = kClassRecordSize;
    extended.style = record->style;
    extended.lpfnWndProc = record->lpfnWndProc;
    extended.cbClsExtra = record->cbClsExtra;
    extended.cbWndExtra = record->cbWndExtra;
    extended.hInstance = record->hInstance;
    extended.hIcon = record->hIcon;
    extended.hCursor = record->hCursor;
    extended.hbrBackground = record->hbrBackground;
    extended.lpszMenuName = record->lpszMenuName;
    extended.lpszClassName = record->lpszClassName;
    extended.hIconSm = NULL;
    return RegisterClassExA(&extended);
}

static void PaintBackground(HWND window) {
    if (!backgroundBitmap) return;
    RECT client;
    if (!GetClientRect(window, &client)) return;
    HDC windowDc = GetDC(window);
    if (!windowDc) return;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    if (memoryDc) {
        HPALETTE oldPalette = NULL;
        if (backgroundPalette) {
            oldPalette = SelectPalette(windowDc, backgroundPalette, FALSE);
            RealizePalette(windowDc);
        }
        HGDIOBJ oldBitmap = SelectObject(memoryDc, backgroundBitmap);
        // Two pixels more than the client area: the outer size, clipped at the border.
        BitBlt(windowDc, client.left, client.top, client.right + 2, client.bottom + 2,
               memoryDc, 0, 0, SRCCOPY);
        SelectObject(memoryDc, oldBitmap);
        if (oldPalette) SelectPalette(windowDc, oldPalette, FALSE);
        DeleteDC(memoryDc);
    }
    ReleaseDC(window, windowDc);
}

static void OnCreate() {
    DWORD length = GetFullPathNameA(".", kLauncherDirSize, LauncherDir, NULL);
    if (length == 0 || length >= kLauncherDirSize) LauncherDir[0] = '\0';
    CreateDefaultKeys(LauncherDir);
    if (IsRenderInitSet() == 0) ApplyInitialRenderSettings();
    RefreshGameActions();
    if (LoadBitmapFile(kBackgroundPath)) {
        backgroundPalette = FileBitmapPalette();
        backgroundBitmap = CreateFileBitmap();
        // Every paint draws the bitmap; the file image is not read again, so its
        // memory goes back before the button images take theirs. The release at
        // destruction then finds nothing left to free.
        ReleaseBitmapFile();
    }
    SetUpButtonBar(ModuleInstance);
}

// Every paint re-centres the window on the current screen, raises and activates it,
// and draws the background and the eight buttons in their base images. The default
// processing that follows validates the update region. A pending background erase is
// done before drawing: left to the default processing it would come after the drawing
// and cover it with the class's black brush.
static void OnPaint(HWND window) {
    ComputeWindowGeometry();
    SetWindowPos(window, HWND_TOP, WindowGeometry.x, WindowGeometry.y, WindowGeometry.width,
                 WindowGeometry.height, SWP_SHOWWINDOW);
    RedrawWindow(window, NULL, NULL, RDW_ERASENOW);
    PaintBackground(window);
    for (int slot = 0; slot < kButtonSlotCount; ++slot) DrawBaseImage(window, slot);
}

static void OnDestroy() {
    ReleaseBitmapFile();
    DestroyButtonBar();
    if (backgroundBitmap) DeleteObject(backgroundBitmap);
    backgroundBitmap = NULL;
    if (backgroundPalette) DeleteObject(backgroundPalette);
    backgroundPalette = NULL;
    PostQuitMessage(0);
}

// Every message, handled here or not, ends in the default processing.
static LRESULT CALLBACK LauncherWindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_PAINT:
        OnPaint(window);
        break;
    case WM_MOUSEMOVE:
        TrackHover(window);
        break;
    case WM_LBUTTONDOWN:
        PressButton(window, ModuleInstance, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_LBUTTONUP:
        ReleaseButton(window, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Waits for each message, so an idle launcher uses no processor time. The install
// state is probed again after every message is fetched and before it is handled, so
// each message sees a GameActionsEnabled taken just before it.
static int RunMessageLoop() {
    MSG message;
    for (;;) {
        BOOL fetched = GetMessageA(&message, NULL, 0, 0);
        if (fetched == 0) return static_cast<int>(message.wParam);
        if (fetched == -1) return 0;
        RefreshGameActions();
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand) {
    (void)previousInstance;
    (void)commandLine;
    // Stored first: the class record loads its icon and cursor through it.
    ModuleInstance = instance;

    WNDCLASSA record;
    memset(&record, 0, sizeof record);
    record.style = CS_HREDRAW | CS_VREDRAW;
    record.lpfnWndProc = LauncherWindowProc;
    record.cbClsExtra = 0;
    record.cbWndExtra = 0;
    record.hInstance = ModuleInstance;
    record.hIcon = LoadIconA(ModuleInstance, "IDI_LAUNCHER");
    record.hCursor = LoadCursorA(ModuleInstance, "CURSOR2");
    record.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    record.lpszMenuName = NULL;
    record.lpszClassName = kLauncherClassName;
    if (!RegisterLauncherClass(&record)) return 0;

    ComputeWindowGeometry();
    HWND window = CreateWindowExA(0, kLauncherClassName, kLauncherTitle, WS_POPUPWINDOW,
                                  WindowGeometry.x, WindowGeometry.y, WindowGeometry.width,
                                  WindowGeometry.height, NULL, NULL, ModuleInstance, NULL);
    if (!window) return 0;  // nothing to show and no loop to run
    LauncherWindow = window;

    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return RunMessageLoop();
}
