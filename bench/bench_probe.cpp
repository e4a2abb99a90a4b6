// Measuring helper for bench/run.sh, run under Wine beside the program it
// measures. It starts a window program, times its first fully painted frame,
// reads its processor time and peak memory from the Unix /proc tree (the
// Windows process-time calls do not see other processes under Wine), drives
// the launcher through Play and through hover/press/release cycles, and prints
// "key=value" lines for the script to put into its table.
//
//   bench_probe capture <exe> <dir> <out.raw>          the settled client area
//   bench_probe window  <exe> <dir> <ref.raw> <secs>   paint_ms, cpu_pct, hwm_kb
//   bench_probe game    <exe> <dir> <record dir> <secs> <wait-file|noclear>
//   bench_probe objects <exe> <dir> [cycles paints]     counts before and after two rounds
//                                                       of 1000 cycles and 100 paints
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "unix_process.h"

namespace {

using unix_process::CpuTicks;
using unix_process::ProcFolderOf;
using unix_process::ReadProcFile;

const long kTicksPerSecond = 100;

long StatusKb(const std::string& procFolder, const char* field)
{
    std::string text = ReadProcFile(procFolder + "\\status");
    size_t at = text.find(field);
    if (at == std::string::npos)
        return -1;
    return atol(text.c_str() + at + strlen(field) + 1);
}

// CPU in percent of one processor over `seconds`.
double CpuPercent(const std::string& procFolder, double seconds)
{
    long long before = CpuTicks(procFolder);
    DWORD start = GetTickCount();
    Sleep((DWORD)(seconds * 1000));
    long long after = CpuTicks(procFolder);
    double elapsed = (GetTickCount() - start) / 1000.0;
    if (before < 0 || after < 0 || elapsed <= 0)
        return -1;
    return 100.0 * (after - before) / kTicksPerSecond / elapsed;
}

struct Started {
    PROCESS_INFORMATION info;
    DWORD startTick;
    LARGE_INTEGER startCounter;
};

bool StartProgram(const std::string& exe, const std::string& dir, Started* out)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + exe + "\"";
    QueryPerformanceCounter(&out->startCounter);
    out->startTick = GetTickCount();
    if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(),
                        &startup, &out->info)) {
        fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
        return false;
    }
    CloseHandle(out->info.hThread);
    return true;
}

double MsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

struct FindWindowOf {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK EnumOne(HWND window, LPARAM parameter)
{
    FindWindowOf* search = (FindWindowOf*)parameter;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        FindWindowOf search = {pid, NULL};
        EnumWindows(EnumOne, (LPARAM)&search);
        if (search.found)
            return search.found;
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(1);
    }
}

// The client area as it is on the screen, 4 bytes a pixel.
std::vector<unsigned char> CaptureClient(HWND window, int* width, int* height)
{
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    *width = client.right;
    *height = client.bottom;
    std::vector<unsigned char> pixels;
    if (*width <= 0 || *height <= 0)
        return pixels;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, *width, *height, screen, origin.x, origin.y, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        pixels.assign((unsigned char*)bits, (unsigned char*)bits + (size_t)*width * *height * 4);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}

void Close(Started& program, HWND window)
{
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(program.info.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(program.info.hProcess, 1);
    CloseHandle(program.info.hProcess);
}

void ParkCursor() { SetCursorPos(0, 0); }

// Starts a window program with the pointer parked and waits up to 20 s for its
// window. A program that shows none is ended again. NULL on failure.
HWND StartWindowProgram(const std::string& exe, const std::string& dir, Started* program)
{
    ParkCursor();
    if (!StartProgram(exe, dir, program))
        return NULL;
    HWND window = WaitForWindow(program->info.dwProcessId, 20000);
    if (!window)
        Close(*program, NULL);
    return window;
}

void Click(HWND window, int x, int y)
{
    POINT at = {x, y};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    Sleep(30);
    INPUT input[2];
    ZeroMemory(input, sizeof(input));
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

bool WriteRecordedServer()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VornKT\\SelectServer", 0, NULL, 0,
                        KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    char field[10] = "10";
    RegSetValueExA(key, "", 0, REG_SZ, (const BYTE*)field, sizeof(field));
    RegCloseKey(key);
    return true;
}

DWORD ReadStartMode()
{
    HKEY key;
    DWORD value = 0xFFFFFFFF, size = sizeof(value);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VornKT\\Launcher", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return value;
    if (RegQueryValueExA(key, "StartMode", NULL, NULL, (BYTE*)&value, &size) != ERROR_SUCCESS)
        value = 0xFFFFFFFF;
    RegCloseKey(key);
    return value;
}

void WriteStartMode(DWORD value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VornKT\\Launcher", 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, "StartMode", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
        RegCloseKey(key);
    }
}

bool Centred(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r.left == GetSystemMetrics(SM_CXSCREEN) / 2 - 320 &&
           r.top == GetSystemMetrics(SM_CYSCREEN) / 2 - 240;
}

// ---------------------------------------------------------------- commands

int Capture(const std::string& exe, const std::string& dir, const std::string& out)
{
    Started program;
    HWND window = StartWindowProgram(exe, dir, &program);
    if (!window)
        return 1;
    Sleep(2000);  // settled: whatever it shows now is its finished frame
    int width = 0, height = 0;
    std::vector<unsigned char> pixels = CaptureClient(window, &width, &height);
    Close(program, window);
    FILE* file = fopen(out.c_str(), "wb");
    if (!file || pixels.empty())
        return 1;
    fwrite(pixels.data(), 1, pixels.size(), file);
    fclose(file);
    printf("captured=%dx%d\n", width, height);
    return 0;
}

int Window(const std::string& exe, const std::string& dir, const std::string& reference,
           double seconds)
{
    std::string wanted = ReadProcFile(reference);
    ParkCursor();
    Started program;
    if (!StartProgram(exe, dir, &program))
        return 1;
    HWND window = NULL;
    double paintMs = -1, windowMs = -1;
    for (;;) {
        double now = MsSince(program.startCounter);
        if (now > 20000)
            break;
        if (!window) {
            FindWindowOf search = {program.info.dwProcessId, NULL};
            EnumWindows(EnumOne, (LPARAM)&search);
            window = search.found;
            if (window)
                windowMs = now;
        }
        if (window) {
            int width = 0, height = 0;
            std::vector<unsigned char> pixels = CaptureClient(window, &width, &height);
            if (pixels.size() == wanted.size() && memcmp(pixels.data(), wanted.data(), wanted.size()) == 0) {
                paintMs = MsSince(program.startCounter);
                break;
            }
        }
        Sleep(1);
    }
    printf("window_ms=%.0f\npaint_ms=%.0f\n", windowMs, paintMs);
    std::string proc = ProcFolderOf(exe);
    if (proc.empty()) {
        printf("cpu_pct=-1\nhwm_kb=-1\n");
    } else {
        Sleep(1000);
        printf("cpu_pct=%.2f\n", CpuPercent(proc, seconds));
        printf("hwm_kb=%ld\nrss_kb=%ld\n", StatusKb(proc, "VmHWM:"), StatusKb(proc, "VmRSS:"));
    }
    Close(program, window);
    return paintMs < 0 ? 2 : 0;
}

int Game(const std::string& exe, const std::string& dir, const std::string& recordDir,
         double seconds, const std::string& mode)
{
    if (!WriteRecordedServer())
        return 1;
    Started program;
    HWND window = StartWindowProgram(exe, dir, &program);
    if (!window)
        return 1;
    Sleep(1000);
    std::string proc = ProcFolderOf(exe);
    Click(window, (78 + 269) / 2, (65 + 109) / 2);  // Play
    std::string gameExe = dir + "\\VornD3D.exe";
    DWORD start = GetTickCount();
    while (ProcFolderOf(gameExe).empty() && GetTickCount() - start < 10000)
        Sleep(20);
    if (mode == "noclear") {
        // The game exits at once and leaves StartMode raised.
        start = GetTickCount();
        while (!ProcFolderOf(gameExe).empty() && GetTickCount() - start < 10000)
            Sleep(20);
        Sleep(500);
    } else {
        Sleep(1000);
    }
    printf("game_found=%d\nstart_mode=%lu\n", ProcFolderOf(gameExe).empty() ? 0 : 1,
           ReadStartMode());
    printf("cpu_pct=%.2f\n", proc.empty() ? -1.0 : CpuPercent(proc, seconds));

    // Clear the flag (the game does it when released), then time the way back.
    LARGE_INTEGER cleared;
    if (mode == "noclear") {
        WriteStartMode(0);
        QueryPerformanceCounter(&cleared);
    } else {
        FILE* release = fopen((recordDir + "\\release-game").c_str(), "wb");
        if (release)
            fclose(release);
        start = GetTickCount();
        while (ReadStartMode() != 0 && GetTickCount() - start < 10000)
            Sleep(1);
        QueryPerformanceCounter(&cleared);
    }
    double restoreMs = -1;
    while (MsSince(cleared) < 10000) {
        if (!IsIconic(window) && IsWindowVisible(window) && Centred(window)) {
            restoreMs = MsSince(cleared);
            break;
        }
        Sleep(1);
    }
    printf("restore_ms=%.0f\n", restoreMs);
    Close(program, window);
    return 0;
}

// Open Unix file descriptors of the process: what its Windows handles to files,
// sections and the server connection come down to under Wine.
long CountFds(const std::string& procFolder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((procFolder + "\\fd\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    long count = 0;
    do {
        if (strcmp(data.cFileName, ".") != 0 && strcmp(data.cFileName, "..") != 0)
            ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

typedef DWORD(WINAPI* GuiResourcesQuery)(HANDLE, DWORD);

void PrintCounts(const char* when, HANDLE process, const std::string& proc)
{
    HMODULE user = GetModuleHandleA("user32.dll");
    GuiResourcesQuery gui = user ? (GuiResourcesQuery)(void*)GetProcAddress(user, "GetGuiResources") : NULL;
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles))
        handles = 0;
    printf("%s_gdi=%lu\n%s_user=%lu\n%s_handles=%lu\n%s_fds=%ld\n%s_vmsize_kb=%ld\n%s_rss_kb=%ld\n",
           when, gui ? gui(process, 0) : 0, when, gui ? gui(process, 1) : 0, when, handles, when,
           CountFds(proc), when, StatusKb(proc, "VmSize:"), when, StatusKb(proc, "VmRSS:"));
}

void HoverCycles(HWND window, POINT help, POINT empty, int cycles)
{
    DWORD_PTR ignored;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        SetCursorPos(help.x, help.y);  // hover: highlight and sound
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
        SetCursorPos(empty.x, empty.y);  // leave: base image
        INPUT input[2];
        ZeroMemory(input, sizeof(input));
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;  // press and release outside a button
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
    }
}

int Objects(const std::string& exe, const std::string& dir, int cycles, int paints)
{
    Started program;
    HWND window = StartWindowProgram(exe, dir, &program);
    if (!window)
        return 1;
    Sleep(1500);
    std::string proc = ProcFolderOf(exe);
    POINT help = {(11 + 202) / 2, (163 + 207) / 2};
    POINT empty = {400, 150};
    ClientToScreen(window, &help);
    ClientToScreen(window, &empty);
    // Ten cycles first: the first sound loads the audio libraries and their
    // threads once, which is no growth per cycle.
    HoverCycles(window, help, empty, 10);
    Sleep(1000);
    PrintCounts("before", program.info.hProcess, proc);
    // Two rounds of cycles and paints, counted after each: a leak grows in
    // both, while a one-off step (under an emulator a new thread of the audio
    // library can take a fresh block of address space) shows in one only.
    const char* const rounds[] = {"after", "again"};
    for (const char* round : rounds) {
        HoverCycles(window, help, empty, cycles);
        DWORD_PTR ignored;
        for (int paint = 0; paint < paints; ++paint) {
            RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
            Sleep(5);
        }
        Sleep(1000);
        PrintCounts(round, program.info.hProcess, proc);
    }
    ParkCursor();
    Close(program, window);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "capture" && argc == 5)
        return Capture(argv[2], argv[3], argv[4]);
    if (command == "window" && argc == 6)
        return Window(argv[2], argv[3], argv[4], atof(argv[5]));
    if (command == "game" && argc == 7)
        return Game(argv[2], argv[3], argv[4], atof(argv[5]), argv[6]);
    if (command == "objects" && (argc == 4 || argc == 6))
        return Objects(argv[2], argv[3], argc == 6 ? atoi(argv[4]) : 1000,
                       argc == 6 ? atoi(argv[5]) : 100);
    fprintf(stderr, "usage: bench_probe capture|window|game|objects ...\n");
    return 2;
}
