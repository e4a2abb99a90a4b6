// What the machine is (language, Windows, DirectX, browser) and starts through the shell.
#ifndef VORN_ENVIRONMENT_PROBES_H
#define VORN_ENVIRONMENT_PROBES_H

#include <windows.h>

enum { kBrowserPathSize = MAX_PATH + 1 };

extern char BrowserPath[kBrowserPathSize];

extern const char CommunitySiteAddress[];
extern const char GLSetupPageAddress[];
extern const char DirectXPageAddress[];

int isKoreanSystem();
int ProbeOsClass();
int DirectXVersionProbe();
void RefreshBrowserPath();
int OpenCommunitySite(HWND owner);
int OpenGLSetupPage(HWND owner);
int OpenDirectXPage(HWND owner);
int RunFile(const char* relativePath);

// Asks the shell to "open" file with parameters (NULL for none) in the current
// directory; the shell's result, or 0 when the shell is not available.
HINSTANCE ShellOpen(HWND owner, const char* file, const char* parameters, int show);

// ShellExecute's result counts as a start only above 32.
int ShellStartSucceeded(HINSTANCE shellResult);

#endif
