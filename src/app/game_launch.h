// Play: the checks before a game start, the start itself and the wait for its end.
#ifndef VORN_GAME_LAUNCH_H
#define VORN_GAME_LAUNCH_H

#include <windows.h>

void PlayGame(HWND window, HINSTANCE module);

// Starts the executable for renderMode (100, 200, 300) in directory and waits until
// the game has ended. 0: started and finished; 1: no process could be started.
int StartGameAndWait(const char* directory, DWORD renderMode);

#endif
