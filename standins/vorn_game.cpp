// Stands in for the game executables (VornD3D.exe, VornGL.exe, VornSavage.exe).
// It records what the launcher left for it: the token files, the profile
// stamps and the registry values, and then ends its run the way
// VORN_GAME_MODE asks:
//   window (default)  a small window; closing it clears StartMode and exits
//   exit              clear StartMode, exit 0
//   noclear           exit 0 without touching StartMode
//   exit259           clear StartMode, exit with code 259
//   handover          start a copy of itself in mode handover-child and exit
//                     without clearing; the child waits VORN_GAME_HANDOVER_MS
//                     (default 1500) milliseconds, clears StartMode and exits
//   wait-file         wait (up to 60 s) until <record dir>\release-game exists,
//                     then clear StartMode and exit
//   crash             end with an access violation
#include "standin_record.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char kLauncherKey[] = "SOFTWARE\\VornKT\\Launcher";
static const char kServerKey[] = "SOFTWARE\\VornKT\\SelectServer";
static const char kMissing[] = "<missing>";

static unsigned long Crc32(const unsigned char* data, size_t len)
{
    unsigned long crc = 0xFFFFFFFFul;
    for (size_t i = 0; i < len; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1ul)));
    }
    return crc ^ 0xFFFFFFFFul;
}

// Records <prefix>_size (-1 when the file cannot be read), _crc32, _token
// (the little-endian DWORD at offset 2000) and _hex (the first 4096 bytes).
static void RecordFile(const char* prefix, const char* relativePath)
{
    char key[64];
    static unsigned char data[4096];
    HANDLE h = CreateFileA(relativePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    snprintf(key, sizeof(key), "%s_size", prefix);
    if (h == INVALID_HANDLE_VALUE) {
        RecordNumber(key, -1);
        return;
    }
    DWORD size = GetFileSize(h, NULL);
    DWORD got = 0;
    if (!ReadFile(h, data, sizeof(data), &got, NULL))
        got = 0;
    CloseHandle(h);
    RecordNumber(key, (long long)size);

    snprintf(key, sizeof(key), "%s_crc32", prefix);
    RecordHex32(key, Crc32(data, got));
    snprintf(key, sizeof(key), "%s_at2000", prefix);
    if (got >= 2004) {
        unsigned long token = (unsigned long)data[2000] | ((unsigned long)data[2001] << 8) |
                              ((unsigned long)data[2002] << 16) | ((unsigned long)data[2003] << 24);
        RecordNumber(key, (long long)token);
    } else {
        RecordText(key, kMissing);
    }
    static char hex[sizeof(data) * 2 + 1];
    static const char digits[] = "0123456789abcdef";
    for (DWORD i = 0; i < got; ++i) {
        hex[2 * i] = digits[data[i] >> 4];
        hex[2 * i + 1] = digits[data[i] & 15];
    }
    hex[2 * got] = '\0';
    snprintf(key, sizeof(key), "%s_hex", prefix);
    RecordText(key, hex);
}

static void RecordDword(const char* key, const char* subKey, const char* name)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &h) != ERROR_SUCCESS) {
        RecordText(key, kMissing);
        return;
    }
    DWORD type = 0, value = 0, size = sizeof(value);
    LONG rc = RegQueryValueExA(h, name, NULL, &type, (BYTE*)&value, &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || size != sizeof(value))
        RecordText(key, kMissing);
    else
        RecordNumber(key, (long long)value);
}

static void RecordString(const char* key, const char* subKey, const char* name)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &h) != ERROR_SUCCESS) {
        RecordText(key, kMissing);
        return;
    }
    char value[512];
    DWORD type = 0, size = sizeof(value) - 1;
    LONG rc = RegQueryValueExA(h, name, NULL, &type, (BYTE*)value, &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) {
        RecordText(key, kMissing);
        return;
    }
    value[size] = '\0';
    RecordText(key, value);
    char sizeKey[64];
    snprintf(sizeKey, sizeof(sizeKey), "%s_bytes", key);
    RecordNumber(sizeKey, (long long)size);
}

static void ClearStartMode()
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kLauncherKey, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
        return;
    DWORD zero = 0;
    RegSetValueExA(h, "StartMode", 0, REG_DWORD, (const BYTE*)&zero, sizeof(zero));
    RegCloseKey(h);
}

static int StartHandoverChild()
{
    char self[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, self, sizeof(self));
    if (len == 0 || len >= sizeof(self))
        return 0;
    SetEnvironmentVariableA("VORN_GAME_MODE", "handover-child");
    char commandLine[1] = {0};
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(self, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return 0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 1;
}

static void WaitForReleaseFile()
{
    char dir[MAX_PATH];
    GetRecordDir(dir, sizeof(dir));
    char file[MAX_PATH + 32];
    snprintf(file, sizeof(file), "%s\\release-game", dir);
    for (int waited = 0; waited < 60000; waited += 50) {
        if (GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES)
            return;
        Sleep(50);
    }
}

static LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info)
{
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The demo window.

static const char kWindowClass[] = "VornGameStandIn";

static LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT rc;
        GetClientRect(window, &rc);
        char module[MAX_PATH];
        DWORD len = GetModuleFileNameA(NULL, module, sizeof(module));
        if (len == 0 || len >= sizeof(module))
            strcpy(module, "the game");
        const char* slash = strrchr(module, '\\');
        char text[512];
        snprintf(text, sizeof(text),
                 "%s stands in for the game.\n\nThe launcher waits until this window is closed.\n"
                 "Close it to end the game and return to the launcher.",
                 slash != NULL ? slash + 1 : module);
        InflateRect(&rc, -12, -12);
        DrawTextA(dc, text, -1, &rc, DT_LEFT | DT_WORDBREAK);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RunWindow(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = GameWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowA(kWindowClass, "Vorn (game stand-in)",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 180, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char mode[64];
    if (!ReadEnv("VORN_GAME_MODE", mode, sizeof(mode)) || mode[0] == '\0')
        strcpy(mode, "window");

    BeginRecord(NULL);
    RecordText("mode", mode);
    RecordFile("save_vorngame_dat", ".\\Save\\VornGame.dat");
    RecordFile("game_dat", ".\\Game.dat");
    RecordFile("profeng_dat", ".\\initdata\\profeng.dat");
    RecordFile("profkor_dat", ".\\initdata\\profkor.dat");
    RecordFile("skirmish_dat", ".\\initdata\\skirmish.dat");
    RecordDword("render_mode", kLauncherKey, "RenderMode");
    RecordDword("start_mode", kLauncherKey, "StartMode");
    RecordString("select_server", kServerKey, NULL);
    RecordString("tcp_dns", kServerKey, "TcpDNS");
    RecordString("ladder_dns", kServerKey, "LadderDNS");
    RecordDword("tcp_port", kServerKey, "TcpPort");
    RecordDword("ladder_port", kServerKey, "LadderPort");
    WriteRecord();

    if (strcmp(mode, "exit") == 0) {
        ClearStartMode();
        return 0;
    }
    if (strcmp(mode, "noclear") == 0)
        return 0;
    if (strcmp(mode, "exit259") == 0) {
        ClearStartMode();
        return 259;
    }
    if (strcmp(mode, "handover") == 0)
        return StartHandoverChild() ? 0 : 1;
    if (strcmp(mode, "handover-child") == 0) {
        char text[32];
        int ms = 1500;
        if (ReadEnv("VORN_GAME_HANDOVER_MS", text, sizeof(text)) && text[0] != '\0')
            ms = atoi(text);
        if (ms > 0)
            Sleep((DWORD)ms);
        ClearStartMode();
        return 0;
    }
    if (strcmp(mode, "wait-file") == 0) {
        WaitForReleaseFile();
        ClearStartMode();
        return 0;
    }
    if (strcmp(mode, "crash") == 0) {
        // No crash dialog and no debugger: the top-level filter lets the
        // process end with the exception's code, as an unattended crash does.
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        SetUnhandledExceptionFilter(EndOnCrash);
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, NULL);
        return 1;
    }
    int rc = RunWindow(instance);
    ClearStartMode();
    return rc;
}
