// The render mode choice: each button does its one job after closing the dialog.
#include "dialogs/video_setup_dialog.h"

#include "app/main_window.h"
#include "config/environment_probes.h"
#include "config/message_catalogue.h"
#include "config/registry_settings.h"
#include "resource.h"

namespace {

void ChooseRenderMode(HWND dialog, DWORD mode) {
    EndDialog(dialog, 0);
    if (!WriteRenderMode(mode)) ShowMessage(MSG_INSTALL_GAME);
}

void OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_VIDEO_GLSETUP:
        EndDialog(dialog, 0);
        OpenGLSetupPage(LauncherWindow);  // closes the launcher once the browser runs
        break;
    case IDC_VIDEO_DIRECT3D: ChooseRenderMode(dialog, kRenderDirect3D); break;
    case IDC_VIDEO_OPENGL: ChooseRenderMode(dialog, kRenderOpenGL); break;
    case IDC_VIDEO_SAVAGE: ChooseRenderMode(dialog, kRenderSavage); break;
    case IDC_VIDEO_QUIT: EndDialog(dialog, 0); break;
    default: break;  // Esc (2) included: the dialog has no such control
    }
}

INT_PTR CALLBACK VideoSetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    default: break;
    }
    return FALSE;
}

}  // namespace

void VideoSetupDialog(HWND owner, HINSTANCE module) {
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_VIDEO_SETUP), owner, VideoSetupProc, 0);
}
