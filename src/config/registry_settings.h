// The launcher's settings and its hand-shake with the game, under
// HKEY_CURRENT_USER\SOFTWARE\VornKT.
#ifndef VORN_REGISTRY_SETTINGS_H
#define VORN_REGISTRY_SETTINGS_H

#include <windows.h>

enum InstallState { kInstallStateMarked = 1, kInstallStateOpen = 2 };

enum RenderModeValue {
    kRenderDirect3D = 100,
    kRenderOpenGL = 200,
    kRenderSavage = 300
};

enum { kInstallDirSize = 256 };  // 255 characters and the terminator

extern char InstallDir[kInstallDirSize];
extern DWORD LaunchRenderMode;

void CreateDefaultKeys(const char* launcherDir);
int IsRenderInitSet();
void ApplyInitialRenderSettings();
int ProbeInstallState();
void RefreshInstallDir();
int ProbeRenderMode();
int WriteRenderMode(DWORD mode);
void SetStartMode();
int IsStartModeClear();
int IsServerRecorded();
int ProbeSocketUpdate();
void MarkSocketUpdate();

// Server confirmation: the default value "10" and the chosen server's addresses and
// ports under SelectServer (opened, never created).
void WriteSelectedServer(const char* tcpAddress, const char* ladderAddress,
                         LONG tcpPort, LONG ladderPort);

#endif
