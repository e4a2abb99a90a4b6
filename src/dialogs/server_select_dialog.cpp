// The server choice from ServerList.dat, and the server-list updater.
#include "dialogs/server_select_dialog.h"

#include <string.h>

#include "app/main_window.h"
#include "config/message_catalogue.h"
#include "config/registry_settings.h"
#include "dialogs/server_list.h"
#include "resource.h"

int ServerConfirmed = 0;

namespace {

const char kServerListPath[] = ".\\Launcher\\ServerList.dat";
const char kLauncherFolder[] = ".\\Launcher";
const char kUpdaterName[] = "\\GetList.exe";
const DWORD kUpdaterPollMs = 1000;

// The list row chosen last in this opening; rows are ServerList entries, unsorted.
int RememberedSelection = LB_ERR;

void OnInitDialog(HWND dialog) {
    ResetServerList();
    RememberedSelection = LB_ERR;
    SetDlgItemTextA(dialog, IDC_SERVER_PROMPT, MessageText(MSG_SELECT_SERVER_PROMPT));
    if (LoadServerList(kServerListPath)) {
        for (int i = 0; i < ServerList.count; ++i)
            SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_ADDSTRING, 0,
                                (LPARAM)ServerList.entries[i].displayName);
    } else {
        ShowMessage(MSG_SERVERLIST_UNREADABLE, dialog);
    }
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
}

void OnListUpdate(HWND dialog) {
    EndDialog(dialog, 0);
    RefreshInstallDir();
    char folder[kInstallDirSize + sizeof kLauncherFolder];
    size_t length = 0;
    while (length < kInstallDirSize - 1 && InstallDir[length] != '\0') ++length;
    memcpy(folder, InstallDir, length);
    memcpy(folder + length, kLauncherFolder, sizeof kLauncherFolder);
    RunServerListUpdater(folder);
    SetCurrentDirectoryA(LauncherDir);
}

void OnCommand(HWND dialog, WORD id, WORD code) {
    switch (id) {
    case IDC_SERVER_LIST:
        if (code == LBN_SELCHANGE) {
            RememberedSelection =
                (int)SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCURSEL, 0, 0);
            EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
        }
        break;
    case IDOK:
        WriteServerSelection(RememberedSelection);
        ServerConfirmed = 1;
        EndDialog(dialog, 0);
        break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    case IDC_SERVER_UPDATE: OnListUpdate(dialog); break;
    default: break;
    }
}

INT_PTR CALLBACK ServerSelectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); break;  // the focus is not set
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    default: break;
    }
    return FALSE;
}

}  // namespace

void ServerSelectDialog(HWND owner, HINSTANCE module) {
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_SELECT_SERVER), owner, ServerSelectProc, 0);
}

void WriteServerSelection(int index) {
    if (index < 0 || index >= ServerList.count) return;
    const ServerEntry& entry = ServerList.entries[index];
    WriteSelectedServer(entry.tcpAddress, entry.ladderAddress, entry.tcpPort,
                        entry.ladderPort);
}

void RunServerListUpdater(const char* folder) {
    char fullFolder[MAX_PATH];
    DWORD length = GetFullPathNameA(folder, MAX_PATH, fullFolder, NULL);
    if (length == 0 || length >= MAX_PATH) return;
    SetCurrentDirectoryA(fullFolder);

    char program[MAX_PATH];
    if (length + sizeof kUpdaterName > sizeof program) return;
    memcpy(program, fullFolder, length);
    memcpy(program + length, kUpdaterName, sizeof kUpdaterName);

    char commandLine[1] = {'\0'};  // empty, and writable as CreateProcessA wants it
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(program, commandLine, NULL, NULL, FALSE, 0, NULL, fullFolder,
                        &startup, &process))
        return;
    CloseHandle(process.hThread);

    // Until the updater has ended. An exit code of 259 reads like STILL_ACTIVE, so the
    // wait's own result decides as well.
    for (;;) {
        DWORD waited = WaitForSingleObject(process.hProcess, kUpdaterPollMs);
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(process.hProcess, &exitCode)) break;
        if (exitCode != STILL_ACTIVE) break;
        if (waited == WAIT_OBJECT_0 || waited == WAIT_FAILED) break;
    }
    CloseHandle(process.hProcess);
}
