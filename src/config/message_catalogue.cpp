#include "config/message_catalogue.h"

#include "app/main_window.h"
#include "config/environment_probes.h"

enum {
    kStyleWarning = MB_OK | MB_ICONEXCLAMATION,  // 0x30
    kStyleQuestion = MB_YESNO | MB_ICONQUESTION, // 0x24
    kStylePlain = MB_OK                          // 0
};

static const char kTitleWarning[] = "Warning Message";
static const char kTitleMessage[] = "Message";
static const char kTitleMesssage[] = "Messsage";  // three s, as the boxes have always read
static const char kTitleAlert[] = "Alert";

// Korean texts in code page 949.
const MessageEntry MessageCatalogue[kMessageCount] = {
    // MSG_NOTEPAD_MISSING
    {"Can't find 'notepad.exe'",
     "notepad.exe\xb8\xa6 \xc3\xa3\xc0\xbb \xbc\xf6 \xbe\xf8\xbd\xc0\xb4\xcf\xb4\xd9",
     kTitleWarning, kTitleWarning, kStyleWarning, 1},
    // MSG_BROWSER_MISSING
    {"Can't find primary webbrowser",
     "\xb1\xe2\xba\xbb \xba\xea\xb6\xf3\xbf\xec\xc1\xae\xc0\xbb \xc3\xa3\xc0\xbb \xbc\xf6 "
     "\xbe\xf8\xbd\xc0\xb4\xcf\xb4\xd9",
     kTitleWarning, kTitleWarning, kStyleWarning, 1},
    // MSG_DIRECTX_REQUIRED
    {"DirectX 7.0 or higher has to be installed. Click 'Yes' for Install now",
     "DirectX 7.0\xc0\xcc\xbb\xf3 \xb9\xf6\xc1\xaf\xc0\xbb \xbc\xb3\xc4\xa1\xc7\xcf\xbc\xc5"
     "\xbe\xdf \xb5\xcb\xb4\xcf\xb4\xd9. \xc1\xf6\xb1\xdd \xbc\xb3\xc4\xa1 \xc7\xcf\xbd\xc3"
     "\xb0\xda\xbd\xc0\xb4\xcf\xb1\xee?",
     kTitleMessage, kTitleMesssage, kStyleQuestion, 1},
    // MSG_DIRECTX_ALREADY
    {"DirectX 7.0 or higher is already installed to run the game. Would you like to "
     "re-install?",
     "\xc0\xcc\xb9\xcc DirectX 7.0\xc0\xcc\xbb\xf3 \xb9\xf6\xc1\xaf\xc0\xcc \xbc\xb3\xc4\xa1"
     "\xb5\xc7\xbe\xee \xc0\xd6\xbd\xc0\xb4\xcf\xb4\xd9. \xb1\xd7\xb7\xa1\xb5\xb5 \xbc\xb3"
     "\xc4\xa1 \xc7\xcf\xbd\xc3\xb0\xda\xbd\xc0\xb4\xcf\xb1\xee?",
     kTitleMesssage, kTitleMesssage, kStyleQuestion, 1},
    // MSG_WINSOCK_REQUIRED: no owner, so the launcher window keeps taking input
    {"Windows Socket has to be installed to run the game. Click 'Yes' to Install now",
     "Windows95\xb4\xc2 Windows Socket\xc0\xbb \xbc\xb3\xc4\xa1\xc7\xcf\xbc\xc5\xbe\xdf "
     "\xc7\xd5\xb4\xcf\xb4\xd9. \xc1\xf6\xb1\xdd \xbc\xb3\xc4\xa1 \xc7\xcf\xbd\xc3\xb0\xda"
     "\xbd\xc0\xb4\xcf\xb1\xee?",
     kTitleMesssage, kTitleMesssage, kStyleQuestion, 0},
    // MSG_SELECT_RENDER_MODE
    {"Select Render Mode in Video Setup",
     "Video Setup\xbf\xa1\xbc\xad Render Mode\xb8\xa6 \xbc\xb1\xc5\xc3\xc7\xcf\xbf\xa9 "
     "\xc1\xd6\xbd\xca\xbd\xc3\xbf\xc0",
     kTitleMesssage, kTitleMesssage, kStylePlain, 1},
    // MSG_INSTALL_GAME (the English text begins with a blank)
    {" Please Install Vorn",
     "Vorn\xb8\xa6 \xc0\xce\xbd\xba\xc5\xe7 \xc7\xcf\xbf\xa9 \xc1\xd6\xbd\xca\xbd\xc3\xbf\xc0.",
     kTitleAlert, kTitleAlert, kStylePlain, 1},
    // MSG_SERVERLIST_UNREADABLE: owned by the server selection dialog
    {"Can't read ServerList.dat. Server list update",
     "ServerList.dat\xb8\xa6 \xc0\xd0\xbe\xee \xb5\xe9\xc0\xcc\xc1\xf6 \xb8\xf8\xc7\xdf\xbd\xc0"
     "\xb4\xcf\xb4\xd9. Server List\xb8\xa6 Update\xc7\xcf\xbf\xa9 \xc1\xd6\xbd\xca\xbd\xc3"
     "\xbf\xc0",
     kTitleAlert, kTitleAlert, kStylePlain, 0},
    // MSG_SELECT_SERVER_PROMPT: the server dialog's prompt, never a message box
    {"Under of ListBox to Server Select",
     "\xbe\xc6\xb7\xa1 \xb8\xae\xbd\xba\xc6\xae\xbf\xa1\xbc\xad \xbc\xad\xb9\xf6\xc0\xbb "
     "\xbc\xb1\xc5\xc3\xc7\xcf\xbf\xa9 \xc1\xd6\xbd\xca\xbd\xc3\xbf\xc0",
     "", "", kStylePlain, 0},
};

static int IsKnownMessage(int message) { return message >= 0 && message < kMessageCount; }

HWND MessageOwner(int message, HWND dialogOwner) {
    if (!IsKnownMessage(message)) return NULL;
    if (MessageCatalogue[message].ownedByLauncher) return LauncherWindow;
    return message == MSG_SERVERLIST_UNREADABLE ? dialogOwner : NULL;
}

int ShowMessage(int message, HWND dialogOwner) {
    if (!IsKnownMessage(message) || message == MSG_SELECT_SERVER_PROMPT) return 0;
    const MessageEntry& entry = MessageCatalogue[message];
    int korean = isKoreanSystem();
    return MessageBoxA(MessageOwner(message, dialogOwner),
                       korean ? entry.koreanText : entry.englishText,
                       korean ? entry.koreanTitle : entry.englishTitle, entry.style);
}

const char* MessageText(int message) {
    if (!IsKnownMessage(message)) return "";
    const MessageEntry& entry = MessageCatalogue[message];
    return isKoreanSystem() ? entry.koreanText : entry.englishText;
}
