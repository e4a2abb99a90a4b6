// Reference for bench/idle_cpu.sh: a window whose message loop waits in
// GetMessage, i.e. what an idle program that uses no processor looks like.
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
    wc.lpszClassName = "Vorn Bench Idle";
    if (!RegisterClassA(&wc))
        return 1;
    // The launcher's size and place, so that the window surface weighs the same
    // on both sides of a comparison.
    HWND window = CreateWindowA("Vorn Bench Idle", "Vorn Bench Idle", WS_POPUPWINDOW,
                                GetSystemMetrics(SM_CXSCREEN) / 2 - 320,
                                GetSystemMetrics(SM_CYSCREEN) / 2 - 240, 642, 482, NULL, NULL,
                                instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
