#include "config/environment_probes.h"

#include <string.h>

#include "app/main_window.h"
#include "config/probe_rules.h"
#include "resource.h"

char BrowserPath[kBrowserPathSize];

const char CommunitySiteAddress[] = VORN_COMMUNITY_HOST;
const char GLSetupPageAddress[] = "http://www.glsetup.example/where.htm";
const char DirectXPageAddress[] = "http://www.vorn-publisher.example/games/directx.html";

static const char kHttpOpenCommandKey[] = "http\\shell\\open\\command";
static const char kDirectXSetupLibrary[] = "DSETUP.dll";

enum {
    kDirectXVersionOrdinal = 11,
    kVersionRecordExSize = 156,  // OSVERSIONINFOEXA
    kVersionRecordSize = 148,    // OSVERSIONINFOA
    kBrowserCommandLimit = 128,  // terminator included
    kShellStartThreshold = 32
};

typedef int(WINAPI* DirectXVersionQuery)(DWORD* version, DWORD* revision);
typedef BOOL(WINAPI* VersionQuery)(OSVERSIONINFOA* record);
typedef void (*AnyFunction)(void);
typedef HINSTANCE(WINAPI* ShellOpenCall)(HWND owner, LPCSTR verb, LPCSTR file,
                                         LPCSTR parameters, LPCSTR folder, INT show);

int isKoreanSystem() { return IsKoreanLanguageId(GetSystemDefaultLangID()); }

int ProbeOsClass() {
    // Looked up at run time: newer headers mark the call deprecated.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "GetVersionExA") : NULL;
    if (!proc) return kOsWin32s;
    VersionQuery getVersion = reinterpret_cast<VersionQuery>(reinterpret_cast<AnyFunction>(proc));

    OSVERSIONINFOEXA record;
    memset(&record, 0, sizeof record);
    record.dwOSVersionInfoSize = kVersionRecordExSize;
    if (!getVersion(reinterpret_cast<OSVERSIONINFOA*>(&record))) {
        record.dwOSVersionInfoSize = kVersionRecordSize;
        if (!getVersion(reinterpret_cast<OSVERSIONINFOA*>(&record))) return kOsWin32s;
    }
    return ClassifyOs(record.dwPlatformId, record.dwMajorVersion, record.dwMinorVersion);
}

// The DirectX setup library is loaded only for the query: a machine without it
// answers "no DirectX 7" instead of keeping the launcher from starting.
int DirectXVersionProbe() {
    HMODULE library = LoadLibraryA(kDirectXSetupLibrary);
    if (!library) return 0;
    FARPROC proc = GetProcAddress(library, MAKEINTRESOURCEA(kDirectXVersionOrdinal));
    int result = 0;
    DWORD version = 0;
    DWORD revision = 0;
    if (proc) {
        DirectXVersionQuery query =
            reinterpret_cast<DirectXVersionQuery>(reinterpret_cast<AnyFunction>(proc));
        result = query(&version, &revision);
    }
    FreeLibrary(library);
    return IsDirectX7OrLater(result, version);
}

void RefreshBrowserPath() {
    HKEY key = NULL;
    // Read access only: the http command key is machine-wide, and a standard user who
    // asked for full access to it would be refused and never get a browser.
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHttpOpenCommandKey, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    memset(BrowserPath, 0, sizeof BrowserPath);

    char command[kBrowserCommandLimit + 1];  // one spare zero: always terminated
    memset(command, 0, sizeof command);
    DWORD size = kBrowserCommandLimit;
    if (RegQueryValueExA(key, "", NULL, NULL, reinterpret_cast<BYTE*>(command), &size) !=
            ERROR_SUCCESS ||
        strlen(command) >= kBrowserCommandLimit)
        memset(command, 0, sizeof command);

    ScanBrowserCommand(command, BrowserPath, sizeof BrowserPath);
    RegCloseKey(key);
}

int ShellStartSucceeded(HINSTANCE shellResult) {
    return reinterpret_cast<INT_PTR>(shellResult) > kShellStartThreshold ? 1 : 0;
}

// The shell library is loaded the first time something is opened, not with the
// program: it brings the component libraries along, which an idle launcher does not
// need. Once loaded it stays for the rest of the run (what it started may still use
// it). Without it nothing can be opened: the result is 0, a failure.
HINSTANCE ShellOpen(HWND owner, const char* file, const char* parameters, int show) {
    static ShellOpenCall shellOpen = NULL;
    if (!shellOpen) {
        HMODULE shell = LoadLibraryA("shell32.dll");
        FARPROC proc = shell ? GetProcAddress(shell, "ShellExecuteA") : NULL;
        if (!proc) {
            if (shell) FreeLibrary(shell);
            return NULL;
        }
        shellOpen = reinterpret_cast<ShellOpenCall>(reinterpret_cast<AnyFunction>(proc));
    }
    return shellOpen(owner, "open", file, parameters, NULL, show);
}

static int OpenInBrowser(HWND owner, const char* address) {
    RefreshBrowserPath();
    return ShellStartSucceeded(ShellOpen(owner, BrowserPath, address, SW_SHOWMAXIMIZED));
}

int OpenCommunitySite(HWND owner) { return OpenInBrowser(owner, CommunitySiteAddress); }

int OpenGLSetupPage(HWND owner) {
    if (!OpenInBrowser(owner, GLSetupPageAddress)) return 0;
    PostMessageA(owner, WM_CLOSE, 0, 0);
    return 1;
}

int OpenDirectXPage(HWND owner) { return OpenInBrowser(owner, DirectXPageAddress); }

int RunFile(const char* relativePath) {
    char fullPath[MAX_PATH];
    DWORD length = GetFullPathNameA(relativePath, sizeof fullPath, fullPath, NULL);
    if (length == 0 || length >= sizeof fullPath) return 0;
    return ShellStartSucceeded(ShellOpen(LauncherWindow, fullPath, NULL, SW_SHOW));
}
