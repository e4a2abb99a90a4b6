// The server table of this launcher run, filled from ServerList.dat each time the
// server selection dialog opens.
#include "dialogs/server_list.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

ServerListTable ServerList;

// Count 0 and all 20 entries cleared: a field the next reading does not set is empty
// or 0, never a leftover of an earlier reading.
void ResetServerList() { memset(&ServerList, 0, sizeof ServerList); }

int LoadServerList(const char* relativePath) {
    char fullPath[MAX_PATH];
    DWORD length = GetFullPathNameA(relativePath, MAX_PATH, fullPath, NULL);
    if (length == 0 || length >= MAX_PATH) return 0;

    // A folder of that name is no list, whatever the C library would make of it.
    DWORD attributes = GetFileAttributesA(fullPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;

    FILE* file = fopen(fullPath, "rt");
    if (!file) return 0;
    ReadServerList(file, &ServerList);
    fclose(file);
    return 1;
}
