// The readme in notepad and the community site in the browser.
#ifndef VORN_HELP_DIALOG_H
#define VORN_HELP_DIALOG_H

#include <windows.h>

void HelpDialog(HWND owner, HINSTANCE module);

// Starts notepad from the Windows directory with the readme of the system's language.
int OpenReadme(HWND owner);

#endif
