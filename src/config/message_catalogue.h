// Every text the player sees, in English and Korean (code page 949).
#ifndef VORN_MESSAGE_CATALOGUE_H
#define VORN_MESSAGE_CATALOGUE_H

#include <windows.h>

enum MessageName {
    MSG_NOTEPAD_MISSING,
    MSG_BROWSER_MISSING,
    MSG_DIRECTX_REQUIRED,
    MSG_DIRECTX_ALREADY,
    MSG_WINSOCK_REQUIRED,
    MSG_SELECT_RENDER_MODE,
    MSG_INSTALL_GAME,
    MSG_SERVERLIST_UNREADABLE,
    MSG_SELECT_SERVER_PROMPT,
    kMessageCount
};

struct MessageEntry {
    const char* englishText;
    const char* koreanText;
    const char* englishTitle;
    const char* koreanTitle;
    UINT style;
    int ownedByLauncher;  // 0: no owner, or the caller's dialog
};

extern const MessageEntry MessageCatalogue[kMessageCount];

// Shows the message in the system's language; returns the box's answer (0 if none).
// dialogOwner is used only for MSG_SERVERLIST_UNREADABLE.
int ShowMessage(int message, HWND dialogOwner = NULL);

// The window a message's box belongs to: LauncherWindow, dialogOwner for
// MSG_SERVERLIST_UNREADABLE, or none.
HWND MessageOwner(int message, HWND dialogOwner);

// The text in the current language.
const char* MessageText(int message);

#endif
