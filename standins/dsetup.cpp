// Stands in for the DirectX setup library. Its one export, the version query,
// is reachable by ordinal 11 only. The answer comes from VORN_DSETUP_VERSION:
//   unset          version 0x00040007 (DirectX 7), result 1
//   a hex number   that version (for example 0x00040006), result 1
//   "fail" or text that is no number: result 0, nothing written
// The revision is always 0. Every call appends a block to DSETUP.rec.
#include "standin_record.h"

#include <stdlib.h>
#include <string.h>

static HMODULE g_self;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_self = instance;
    return TRUE;
}

extern "C" int WINAPI DirectXSetupGetVersion(DWORD* version, DWORD* revision)
{
    char text[64];
    int set = ReadEnv("VORN_DSETUP_VERSION", text, sizeof(text));
    DWORD answer = 0x00040007;
    int result = 1;
    if (set) {
        char* end = NULL;
        unsigned long parsed = strtoul(text, &end, 16);
        if (strcmp(text, "fail") == 0 || end == text || *end != '\0')
            result = 0;
        else
            answer = (DWORD)parsed;
    }
    if (result == 1) {
        if (version != NULL)
            *version = answer;
        if (revision != NULL)
            *revision = 0;
    }

    BeginRecord(g_self);
    char host[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, host, sizeof(host));
    RecordText("host", len > 0 && len < sizeof(host) ? host : "unknown");
    RecordText("version_env", set ? text : "<unset>");
    RecordNumber("result", result);
    if (result == 1)
        RecordHex32("version", answer);
    WriteRecord();
    return result;
}
