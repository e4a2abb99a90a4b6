// The server choice, and the server-list updater.
#ifndef VORN_SERVER_SELECT_DIALOG_H
#define VORN_SERVER_SELECT_DIALOG_H

#include <windows.h>

// 1 once OK has been pressed in this run.
extern int ServerConfirmed;

void ServerSelectDialog(HWND owner, HINSTANCE module);

// Writes ServerList entry `index` as the chosen server (nothing for an index the list
// does not hold).
void WriteServerSelection(int index);

// Starts GetList.exe in folder and waits until it has ended.
void RunServerListUpdater(const char* folder);

#endif
