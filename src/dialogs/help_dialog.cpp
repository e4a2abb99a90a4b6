// The readme in notepad, or the community site in the browser. The dialog stays on
// screen while the request runs and closes by itself half a second after it.
#include "dialogs/help_dialog.h"

#include <string.h>

#include "app/main_window.h"
#include "config/environment_probes.h"
#include "config/message_catalogue.h"
#include "resource.h"

namespace {

const char kNotepadName[] = "\\notepad.exe";
const char kReadmeKorean[] = ".\\Launcher\\ReadmeHan.txt";
const char kReadmeEnglish[] = ".\\Launcher\\ReadmeEng.txt";
const DWORD kClosePauseMs = 500;

void CloseAfterPause(HWND dialog) {
    Sleep(kClosePauseMs);
    EndDialog(dialog, 0);
}

void OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_HELP_README:
        if (!OpenReadme(LauncherWindow)) ShowMessage(MSG_NOTEPAD_MISSING);
        CloseAfterPause(dialog);
        break;
    case IDC_HELP_COMMUNITY:
        if (!OpenCommunitySite(LauncherWindow)) ShowMessage(MSG_BROWSER_MISSING);
        CloseAfterPause(dialog);
        break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
    }
}

INT_PTR CALLBACK HelpProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    default: break;
    }
    return FALSE;
}

}  // namespace

int OpenReadme(HWND owner) {
    char notepad[MAX_PATH];
    UINT length = GetWindowsDirectoryA(notepad, MAX_PATH);
    if (length == 0 || length + sizeof kNotepadName > MAX_PATH) return 0;
    memcpy(notepad + length, kNotepadName, sizeof kNotepadName);

    char readme[MAX_PATH];
    const char* relative = isKoreanSystem() ? kReadmeKorean : kReadmeEnglish;
    DWORD full = GetFullPathNameA(relative, MAX_PATH, readme, NULL);
    if (full == 0 || full >= MAX_PATH) return 0;

    // The path goes to notepad as it stands, without quotes.
    return ShellStartSucceeded(ShellOpen(owner, notepad, readme, SW_SHOWMAXIMIZED));
}

void HelpDialog(HWND owner, HINSTANCE module) {
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_HELP), owner, HelpProc, 0);
}
