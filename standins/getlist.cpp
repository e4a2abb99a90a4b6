// Stands in for the server-list updater GetList.exe: records its start, then
// writes a fresh ServerList.dat with two servers into its own folder (not the
// current directory). VORN_GETLIST_WAIT_MS (default 0) keeps it running that
// many milliseconds before it writes the file and exits.
#include "standin_record.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char kUpdatedList[] =
    "2\r\n"
    "#DNS Updated Server One\r\n"
    "#TCPIP 10.20.30.41\r\n"
    "#TCPPORT 8001\r\n"
    "#LADDERIP 10.20.30.42\r\n"
    "#LADDERPORT 8101\r\n"
    "#DNS Updated Server Two\r\n"
    "#TCPIP 10.20.30.51\r\n"
    "#TCPPORT 8002\r\n"
    "#LADDERIP 10.20.30.52\r\n"
    "#LADDERPORT 8102\r\n";

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char dir[MAX_PATH];
    GetModuleDir(NULL, dir, sizeof(dir));
    char file[MAX_PATH + 32];
    snprintf(file, sizeof(file), "%s\\ServerList.dat", dir);

    BeginRecord(NULL);
    RecordText("server_list", file);
    WriteRecord();

    char text[32];
    if (ReadEnv("VORN_GETLIST_WAIT_MS", text, sizeof(text)) && atoi(text) > 0)
        Sleep((DWORD)atoi(text));

    HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    DWORD size = (DWORD)strlen(kUpdatedList);
    BOOL ok = WriteFile(h, kUpdatedList, size, &written, NULL);
    CloseHandle(h);
    return ok && written == size ? 0 : 1;
}
