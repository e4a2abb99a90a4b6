// Reference for bench/idle_cpu.sh: a window whose message loop never waits
// (PeekMessage, then straight on), i.e. a program that keeps a processor busy.
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    // White, not black: a new window shows black on the X screen before its
    // first paint, so a black frame would count as painted as soon as the
    // window is mapped, and the start-up comparison would miss the paint.
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "Vorn Bench Busy";
    if (!RegisterClassA(&wc))
        return 1;
    // The launcher's size and place, so that the window surface weighs the same
    // on both sides of a comparison.
    HWND window = CreateWindowA("Vorn Bench Busy", "Vorn Bench Busy", WS_POPUPWINDOW,
                                GetSystemMetrics(SM_CXSCREEN) / 2 - 320,
                                GetSystemMetrics(SM_CYSCREEN) / 2 - 240, 642, 482, NULL, NULL,
                                instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return (int)msg.wParam;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}
