// Play: the checks before a game start, the token files, the start of the game
// executable for the render mode, and the wait, minimised, until the game is over.
#include "app/game_launch.h"

#include <string.h>

#include "app/launch_tokens.h"
#include "app/main_window.h"
#include "config/environment_probes.h"
#include "config/message_catalogue.h"
#include "config/probe_rules.h"
#include "config/registry_settings.h"
#include "dialogs/server_select_dialog.h"

enum {
    kPathSize = MAX_PATH,
    kStartupInfoSize = 68,
    kPlacementSize = 44,
    kStartModePollMs = 1000,
    kSocketUpdateNotDone = 2  // ProbeSocketUpdate's result while State reads 0
};

static const char kSocketUpdateInstaller[] = ".\\Launcher\\SocketUpdate\\ws2setup.exe";

// The executable for a render mode, with its leading backslash; NULL for no mode.
static const char* GameExecutableName(DWORD renderMode) {
    switch (renderMode) {
    case kRenderDirect3D:
        return "\\VornD3D.exe";
    case kRenderOpenGL:
        return "\\VornGL.exe";
    case kRenderSavage:
        return "\\VornSavage.exe";
    default:
        return NULL;
    }
}

// Sets the window's show state through its placement. 1 when both calls succeeded.
static int SetPlacementShowCommand(HWND window, UINT showCommand) {
    WINDOWPLACEMENT placement;
    memset(&placement, 0, sizeof placement);
    placement.length = kPlacementSize;
    if (!GetWindowPlacement(window, &placement)) return 0;
    placement.showCmd = showCommand;
    return SetWindowPlacement(window, &placement) ? 1 : 0;
}

// The game is over when its process has ended and StartMode is clear. The process
// end is judged by the wait itself, so an exit code of 259 counts as an end. A game
// may hand over to another process and exit, so a raised StartMode keeps the launcher
// waiting; it is re-read once a second.
static void WaitForGameEnd(HANDLE process) {
    for (;;) {
        DWORD waited = WaitForSingleObject(process, kStartModePollMs);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_FAILED) break;
    }
    while (IsStartModeClear() == 0) Sleep(kStartModePollMs);
}

int StartGameAndWait(const char* directory, DWORD renderMode) {
    const char* executable = GameExecutableName(renderMode);
    if (!executable) return 1;

    char gameDir[kPathSize];
    DWORD dirLength = GetFullPathNameA(directory, kPathSize, gameDir, NULL);
    if (dirLength == 0 || dirLength >= kPathSize) return 1;
    size_t nameLength = strlen(executable);
    if (dirLength + nameLength >= kPathSize) return 1;
    char executablePath[kPathSize];
    memcpy(executablePath, gameDir, dirLength);
    memcpy(executablePath + dirLength, executable, nameLength + 1);

    // The command line must be writable; the game gets an empty one.
    char commandLine[1] = {0};
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = kStartupInfoSize;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(executablePath, commandLine, NULL, NULL, FALSE, 0, NULL, gameDir,
                        &startup, &process) ||
        !process.hProcess)
        return 1;
    if (process.hThread) CloseHandle(process.hThread);

    WaitForGameEnd(process.hProcess);
    CloseHandle(process.hProcess);
    return 0;
}

void PlayGame(HWND window, HINSTANCE module) {
    if (DirectXVersionProbe() == 0) {
        if (ShowMessage(MSG_DIRECTX_REQUIRED) == IDYES) {
            OpenDirectXPage(window);
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return;
    }

    if (ProbeOsClass() == kOsWin95 && ProbeSocketUpdate() == kSocketUpdateNotDone) {
        // The question has no owner window: the launcher keeps taking input meanwhile.
        if (ShowMessage(MSG_WINSOCK_REQUIRED) == IDYES) {
            MarkSocketUpdate();
            RunFile(kSocketUpdateInstaller);
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
    }

    if (IsServerRecorded() == 0) {
        ServerSelectDialog(window, module);
        if (ServerConfirmed == 0) return;
    }

    if (ProbeRenderMode() == 0) {
        ShowMessage(MSG_SELECT_RENDER_MODE);
        return;
    }

    // From here on nothing is asked. Token files that cannot be written are skipped.
    WriteLaunchTokenFiles();
    WriteProfileStamps();
    SetStartMode();
    SetPlacementShowCommand(window, SW_MINIMIZE);

    if (StartGameAndWait(".", LaunchRenderMode) == 1) return;  // stays minimised
    if (IsStartModeClear() == 0) return;

    SetCurrentDirectoryA(LauncherDir);
    if (SetPlacementShowCommand(window, SW_SHOWNORMAL))
        SetWindowPos(window, HWND_TOP, WindowGeometry.x, WindowGeometry.y,
                     WindowGeometry.width, WindowGeometry.height, SWP_SHOWWINDOW);
}
