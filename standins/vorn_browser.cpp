// Stands in for the default web browser: records the address it was given
// (its argument) and exits 0; shows it in a message box unless
// VORN_STANDIN_QUIET is set.
#include "standin_record.h"

#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    BeginRecord(NULL);
    WriteRecord();
    if (!IsQuiet()) {
        char text[1200];
        snprintf(text, sizeof(text), "The browser stand-in was asked to open:\n\n%s",
                 CommandArguments());
        MessageBoxA(NULL, text, "Browser", MB_OK | MB_ICONINFORMATION);
    }
    return 0;
}
