// The action behind each button code.
#include "app/command_dispatch.h"

#include "app/game_launch.h"
#include "config/environment_probes.h"
#include "config/message_catalogue.h"
#include "dialogs/help_dialog.h"
#include "dialogs/server_select_dialog.h"
#include "dialogs/video_setup_dialog.h"

// The DirectX help page hands the player to the browser, so the launcher closes
// whether or not the page opened. With DirectX 7 or later it asks first.
static void RunDirectXCommand(HWND window) {
    if (DirectXVersionProbe() == 1 && ShowMessage(MSG_DIRECTX_ALREADY) != IDYES) return;
    OpenDirectXPage(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void RunCommand(HWND window, HINSTANCE module, int command) {
    switch (command) {
    case kCmdPlay:
        PlayGame(window, module);
        break;
    case kCmdHelp:
        HelpDialog(window, module);
        break;
    case kCmdServer:
        ServerSelectDialog(window, module);
        break;
    case kCmdDirectX:
        RunDirectXCommand(window);
        break;
    case kCmdVideoSetup:
        VideoSetupDialog(window, module);
        break;
    case kCmdExit:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    default:  // Install, Cinematics and unknown codes have no command
        break;
    }
}
