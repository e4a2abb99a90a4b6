// Stands in for notepad.exe: records its command line and whether the file
// named there (the whole rest of the command line, blanks included, or the
// text between quotes when it starts with one) exists;
// shows the file's text in a message box unless VORN_STANDIN_QUIET is set.
#include "standin_record.h"

#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    static char file[MAX_PATH * 2];
    const char* arguments = CommandArguments();
    if (*arguments == '"') {
        snprintf(file, sizeof(file), "%s", arguments + 1);
        char* close = strchr(file, '"');
        if (close != NULL)
            *close = '\0';
    } else {
        snprintf(file, sizeof(file), "%s", arguments);
    }
    static char text[8192];
    DWORD got = 0;
    long long size = -1;
    HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        size = (long long)GetFileSize(h, NULL);
        if (!ReadFile(h, text, sizeof(text) - 1, &got, NULL))
            got = 0;
        CloseHandle(h);
    }
    text[got] = '\0';

    BeginRecord(NULL);
    RecordText("file", file);
    RecordNumber("file_size", size);
    WriteRecord();

    if (!IsQuiet()) {
        if (size < 0) {
            char message[MAX_PATH + 64];
            snprintf(message, sizeof(message), "Cannot open the file:\n%s", file);
            MessageBoxA(NULL, message, "Notepad", MB_OK | MB_ICONEXCLAMATION);
        } else {
            MessageBoxA(NULL, text, file, MB_OK);
        }
    }
    return 0;
}
