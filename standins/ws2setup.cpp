// Stands in for the Windows Socket update installer ws2setup.exe: records its
// start and exits 0; shows a message box unless VORN_STANDIN_QUIET is set.
#include "standin_record.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    BeginRecord(NULL);
    WriteRecord();
    if (!IsQuiet())
        MessageBoxA(NULL, "The Windows Socket update stand-in ran. Nothing was installed.",
                    "ws2setup", MB_OK | MB_ICONINFORMATION);
    return 0;
}
