#include "config/registry_settings.h"

#include <string.h>

char InstallDir[kInstallDirSize];
DWORD LaunchRenderMode;

// ---------------------------------------------------------------------------
// The schema: key names, value names and the data sizes written. The game reads
// several of these values, so names, types and sizes are an external interface.

#define VORN_ROOT "SOFTWARE\\VornKT\\"

static const char kKeyLauncher[] = VORN_ROOT "Launcher";
static const char kKeyDstdir[] = VORN_ROOT "Dstdir";
static const char kKeySelectServer[] = VORN_ROOT "SelectServer";
static const char kKeySocketUpdate[] = VORN_ROOT "SocketUpdate";
static const char kKeyInstallGame[] = VORN_ROOT "InstallGame";  // opened, never created

static const char kDefaultValue[] = "";  // the key's default value

// Launcher
static const char kValueEndMode[] = "EndMode";
static const char kValueRenderMode[] = "RenderMode";
static const char kValueRenderInit[] = "RenderInit";
static const char kValueStartMode[] = "StartMode";
// SelectServer
static const char kValueTcpDns[] = "TcpDNS";
static const char kValueLadderDns[] = "LadderDNS";
static const char kValueTcpPort[] = "TcpPort";
static const char kValueLadderPort[] = "LadderPort";
// SocketUpdate
static const char kValueState[] = "State";
static const char kValueSocketUpdate[] = "SocketUpdate";

static const char kServerMark[] = "10";     // SelectServer default once a server is chosen
static const char kFirstRunAddress[] = "10";  // TcpDNS and LadderDNS before any choice
static const char kInstallMarkerFile[] = "\\MathFunc.tbl";

enum {
    kDwordSize = 4,
    kDstdirSize = 50,         // Dstdir default value (longer folders: see CreateDefaultKeys)
    kServerMarkSize = 10,     // SelectServer default value
    kServerAddressSize = 50,  // TcpDNS, LadderDNS
    kFirstRunRenderMode = 1,  // replaced by Direct3D at once on start-up
    kInitialRenderMode = kRenderDirect3D,
    // Read limits, terminator included.
    kInstallGameReadLimit = 128,
    kDirectoryFieldSize = 256,
    kServerMarkReadLimit = 128,
    kLauncherDirMax = MAX_PATH - 1  // longest LauncherDir, in characters
};

// ---------------------------------------------------------------------------
// Key and value helpers. Every call opens its key with full access and closes it
// again; nothing is deleted.

static HKEY OpenKey(const char* path) {
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

// Creates or opens the key; *created tells whether it was new.
static HKEY CreateKey(const char* path, int* created) {
    HKEY key = NULL;
    DWORD disposition = 0;
    *created = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &key, &disposition) != ERROR_SUCCESS)
        return NULL;
    *created = (disposition == REG_CREATED_NEW_KEY) ? 1 : 0;
    return key;
}

static void WriteDword(HKEY key, const char* name, DWORD value) {
    BYTE data[kDwordSize];
    data[0] = (BYTE)(value & 0xFF);
    data[1] = (BYTE)((value >> 8) & 0xFF);
    data[2] = (BYTE)((value >> 16) & 0xFF);
    data[3] = (BYTE)((value >> 24) & 0xFF);
    RegSetValueExA(key, name, 0, REG_DWORD, data, kDwordSize);
}

// Writes text as REG_SZ in a zero-filled field of fieldSize bytes (text cut to fit).
static void WriteTextField(HKEY key, const char* name, const char* text, DWORD fieldSize) {
    char field[kDirectoryFieldSize] = {0};
    if (fieldSize > sizeof field) fieldSize = sizeof field;
    size_t length = strlen(text);
    if (length > fieldSize - 1) length = fieldSize - 1;
    memcpy(field, text, length);
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)field, fieldSize);
}

// Reads a value into a 4-byte field whatever its stored type. A value larger than 4
// bytes is unreadable; a shorter one fills the low bytes of a zeroed field. On any
// failure *value is left as it was.
static int ReadDword(HKEY key, const char* name, DWORD* value) {
    BYTE data[kDwordSize] = {0, 0, 0, 0};
    DWORD size = kDwordSize;
    if (RegQueryValueExA(key, name, NULL, NULL, data, &size) != ERROR_SUCCESS) return 0;
    *value = (DWORD)data[0] | ((DWORD)data[1] << 8) | ((DWORD)data[2] << 16) |
             ((DWORD)data[3] << 24);
    return 1;
}

// Reads a value as text into field with room for limit bytes, terminator included;
// the text ends at the first zero byte. A value that does not fit (or fills the
// whole limit without a terminator) is unreadable, and the field is left as it was.
static int ReadText(HKEY key, const char* name, char* field, DWORD limit) {
    char data[kDirectoryFieldSize + 1];
    if (limit > kDirectoryFieldSize) limit = kDirectoryFieldSize;
    memset(data, 0, sizeof data);
    DWORD size = limit;
    if (RegQueryValueExA(key, name, NULL, NULL, (BYTE*)data, &size) != ERROR_SUCCESS)
        return 0;
    size_t length = strlen(data);
    if (length >= limit) return 0;
    memcpy(field, data, length + 1);
    return 1;
}

static int ReadDwordAt(const char* path, const char* name, DWORD* value) {
    HKEY key = OpenKey(path);
    if (!key) return 0;
    int ok = ReadDword(key, name, value);
    RegCloseKey(key);
    return ok;
}

// Opens an existing key (never creates it) and writes one DWORD; 0 when it did not open.
static int WriteDwordAt(const char* path, const char* name, DWORD value) {
    HKEY key = OpenKey(path);
    if (!key) return 0;
    WriteDword(key, name, value);
    RegCloseKey(key);
    return 1;
}

// ---------------------------------------------------------------------------

void CreateDefaultKeys(const char* launcherDir) {
    int created = 0;
    HKEY key = CreateKey(kKeyLauncher, &created);
    if (key) {
        if (created) {
            WriteDword(key, kValueEndMode, 0);
            WriteDword(key, kValueRenderMode, kFirstRunRenderMode);
            WriteDword(key, kValueRenderInit, 0);
            WriteDword(key, kValueStartMode, 0);
        }
        RegCloseKey(key);
    }

    key = CreateKey(kKeyDstdir, &created);
    if (key) {
        if (created) {
            // The folder is written in a zero-filled 50-byte field. A folder of 50
            // characters or more is written whole (its length plus the terminator),
            // not cut, so that the install probe keeps looking in the right folder.
            char field[kLauncherDirMax + 1] = {0};
            size_t length = strlen(launcherDir);
            if (length > kLauncherDirMax) length = kLauncherDirMax;
            memcpy(field, launcherDir, length);
            DWORD size = kDstdirSize;
            if (length + 1 > size) size = (DWORD)(length + 1);
            RegSetValueExA(key, kDefaultValue, 0, REG_SZ, (const BYTE*)field, size);
        }
        RegCloseKey(key);
    }

    key = CreateKey(kKeySelectServer, &created);
    if (key) {
        if (created) {
            WriteTextField(key, kValueTcpDns, kFirstRunAddress, kServerAddressSize);
            WriteTextField(key, kValueLadderDns, kFirstRunAddress, kServerAddressSize);
            WriteDword(key, kValueTcpPort, 0);
            WriteDword(key, kValueLadderPort, 0);
        }
        RegCloseKey(key);
    }

    key = CreateKey(kKeySocketUpdate, &created);
    if (key) {
        if (created) WriteDword(key, kValueState, 0);
        RegCloseKey(key);
    }
}

int IsRenderInitSet() {
    DWORD value = 0;
    return (ReadDwordAt(kKeyLauncher, kValueRenderInit, &value) && value != 0) ? 1 : 0;
}

void ApplyInitialRenderSettings() {
    HKEY key = OpenKey(kKeyLauncher);
    if (!key) return;
    WriteDword(key, kValueStartMode, 0);
    WriteDword(key, kValueRenderMode, kInitialRenderMode);
    WriteDword(key, kValueRenderInit, 1);
    RegCloseKey(key);
}

int ProbeInstallState() {
    char folder[kDirectoryFieldSize];
    memset(folder, 0, sizeof folder);

    HKEY key = OpenKey(kKeyInstallGame);
    if (!key) return kInstallStateOpen;
    ReadText(key, kDefaultValue, folder, kInstallGameReadLimit);  // stand-by folder
    RegCloseKey(key);

    key = OpenKey(kKeyDstdir);
    if (!key) return kInstallStateMarked;
    ReadText(key, kDefaultValue, folder, kDirectoryFieldSize);
    RegCloseKey(key);

    char pattern[kDirectoryFieldSize + sizeof kInstallMarkerFile];
    strcpy(pattern, folder);
    strcat(pattern, kInstallMarkerFile);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return kInstallStateOpen;
    FindClose(search);
    return kInstallStateMarked;
}

void RefreshInstallDir() {
    char folder[kDirectoryFieldSize];
    memset(folder, 0, sizeof folder);

    HKEY key = OpenKey(kKeyInstallGame);
    if (!key) return;
    ReadText(key, kDefaultValue, folder, kDirectoryFieldSize);
    RegCloseKey(key);

    key = OpenKey(kKeyDstdir);
    if (!key) return;
    ReadText(key, kDefaultValue, folder, kDirectoryFieldSize);
    RegCloseKey(key);

    strncpy(InstallDir, folder, kInstallDirSize - 1);
    InstallDir[kInstallDirSize - 1] = '\0';
}

int ProbeRenderMode() {
    DWORD mode = 0;
    if (!ReadDwordAt(kKeyLauncher, kValueRenderMode, &mode)) return 0;
    LaunchRenderMode = mode;
    return (mode == kRenderDirect3D || mode == kRenderOpenGL || mode == kRenderSavage) ? 1 : 0;
}

int WriteRenderMode(DWORD mode) { return WriteDwordAt(kKeyLauncher, kValueRenderMode, mode); }

void SetStartMode() { WriteDwordAt(kKeyLauncher, kValueStartMode, 1); }

int IsStartModeClear() {
    DWORD value = 0;
    return (ReadDwordAt(kKeyLauncher, kValueStartMode, &value) && value != 0) ? 0 : 1;
}

int IsServerRecorded() {
    HKEY key = OpenKey(kKeySelectServer);
    if (!key) return 0;
    char mark[kServerMarkReadLimit];
    memset(mark, 0, sizeof mark);
    int ok = ReadText(key, kDefaultValue, mark, kServerMarkReadLimit);
    RegCloseKey(key);
    return (ok && mark[0] != '\0') ? 1 : 0;
}

int ProbeSocketUpdate() {
    DWORD value = 0;
    return (ReadDwordAt(kKeySocketUpdate, kValueState, &value) && value != 0) ? 1 : 2;
}

void MarkSocketUpdate() { WriteDwordAt(kKeySocketUpdate, kValueSocketUpdate, 1); }

void WriteSelectedServer(const char* tcpAddress, const char* ladderAddress,
                         LONG tcpPort, LONG ladderPort) {
    HKEY key = OpenKey(kKeySelectServer);
    if (!key) return;
    WriteTextField(key, kDefaultValue, kServerMark, kServerMarkSize);
    WriteTextField(key, kValueTcpDns, tcpAddress, kServerAddressSize);
    WriteTextField(key, kValueLadderDns, ladderAddress, kServerAddressSize);
    WriteDword(key, kValueTcpPort, (DWORD)tcpPort);
    WriteDword(key, kValueLadderPort, (DWORD)ladderPort);
    RegCloseKey(key);
}
