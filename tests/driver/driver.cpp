// End-to-end driver: see driver.h.
#include "driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#ifndef VORN_E2E_LAUNCHER_EXE
#error "VORN_E2E_LAUNCHER_EXE (Unix path of VornLauncher.exe) must be defined by the build"
#endif

namespace e2e {

static std::string g_lastError;

const std::string& LastError() { return g_lastError; }

static bool Fail(const std::string& why)
{
    g_lastError = why;
    return false;
}

static std::string Format(const char* format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

static std::string WideTo(UINT codePage, const std::wstring& wide)
{
    if (wide.empty())
        return std::string();
    int size = WideCharToMultiByte(codePage, 0, wide.c_str(), (int)wide.size(), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, wide.c_str(), (int)wide.size(), &out[0], size, nullptr,
                            nullptr);
    return out;
}

static std::wstring WindowTextW(HWND hwnd)
{
    int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    int got = GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(got > 0 ? got : 0);
    return text;
}

static bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && _stricmp(a.c_str(), b.c_str()) == 0;
}

static bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && _strnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// ================================================================ paths

std::string UnixToWinePath(const std::string& unixPath)
{
    std::string out = "Z:";
    for (char c : unixPath)
        out += c == '/' ? '\\' : c;
    while (out.size() > 3 && out.back() == '\\')
        out.pop_back();
    return out;
}

std::string LauncherExe() { return UnixToWinePath(VORN_E2E_LAUNCHER_EXE); }
std::string StandinsDir() { return UnixToWinePath(VORN_E2E_STANDINS_DIR); }
std::string DemoDir() { return UnixToWinePath(VORN_E2E_DEMO_DIR); }
std::string ArtDir() { return UnixToWinePath(VORN_E2E_ART_DIR); }

std::string ButtonArtFile(int bitmapId)
{
    return ArtDir() + Format("\\button_%d.bmp", bitmapId);
}

// ================================================================ files

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2 && !MakeFolders(path.substr(0, slash)))
        return false;
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyOneFile(const std::string& from, const std::string& to)
{
    size_t slash = to.find_last_of('\\');
    if (slash != std::string::npos && !MakeFolders(to.substr(0, slash)))
        return Fail("cannot make the folder of " + to);
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        return Fail(Format("cannot copy %s to %s (error %lu)", from.c_str(), to.c_str(),
                           GetLastError()));
    return true;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<unsigned char> ReadWholeFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size > 0) {
        bytes.resize(size);
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), size, &got, nullptr))
            got = 0;
        bytes.resize(got);
    }
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail("cannot create " + path);
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size())
        return Fail("cannot write " + path);
    return true;
}

// ================================================================ game folder

// Copies every file of a folder (not its subfolders) into another.
static bool CopyFolderFiles(const std::string& from, const std::string& to)
{
    if (!MakeFolders(to))
        return Fail("cannot make " + to);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    bool ok = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        ok = CopyOneFile(from + "\\" + found.cFileName, to + "\\" + found.cFileName) && ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

static std::string NewTempFolder()
{
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(temp), temp);
    if (length == 0 || length >= sizeof(temp))
        return std::string();
    char longTemp[MAX_PATH];
    length = GetLongPathNameA(temp, longTemp, sizeof(longTemp));
    std::string base = (length > 0 && length < sizeof(longTemp)) ? longTemp : temp;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string path = base + Format("\\vg%lx_%u", GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(path.c_str(), nullptr))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
    return std::string();
}

bool MakeGameFolder(const GameFolderOptions& options, GameFolder* out)
{
    out->path.clear();
    out->recordDir.clear();
    std::string path = NewTempFolder();
    if (path.empty())
        return Fail("cannot make a folder below the temporary folder");
    const std::string demo = DemoDir();
    const std::string standins = StandinsDir();
    bool ok = MakeFolders(path + "\\records") && MakeFolders(path + "\\Launcher");
    if (options.launcherExe)
        ok = ok && CopyOneFile(LauncherExe(), path + "\\VornLauncher.exe");
    if (options.dsetup)
        ok = ok && CopyOneFile(standins + "\\DSETUP.dll", path + "\\DSETUP.dll");
    if (options.background)
        ok = ok && CopyOneFile(demo + "\\Launcher\\Resource\\BackGround\\MainBK.bmp",
                               path + "\\Launcher\\Resource\\BackGround\\MainBK.bmp");
    if (options.sounds)
        ok = ok && CopyFolderFiles(demo + "\\Launcher\\lsound", path + "\\Launcher\\lsound");
    if (options.serverList)
        ok = ok && CopyOneFile(demo + "\\Launcher\\ServerList.dat", path + "\\Launcher\\ServerList.dat");
    if (options.readmes) {
        ok = ok && CopyOneFile(demo + "\\Launcher\\ReadmeEng.txt", path + "\\Launcher\\ReadmeEng.txt");
        ok = ok && CopyOneFile(demo + "\\Launcher\\ReadmeHan.txt", path + "\\Launcher\\ReadmeHan.txt");
    }
    if (options.initdata)
        ok = ok && CopyFolderFiles(demo + "\\initdata", path + "\\initdata");
    if (options.save)
        ok = ok && CopyFolderFiles(demo + "\\Save", path + "\\Save");
    if (options.games) {
        for (const char* exe : {"VornD3D.exe", "VornGL.exe", "VornSavage.exe"})
            ok = ok && CopyOneFile(standins + "\\" + exe, path + "\\" + exe);
    }
    if (options.getList)
        ok = ok && CopyOneFile(standins + "\\GetList.exe", path + "\\Launcher\\GetList.exe");
    if (options.ws2setup)
        ok = ok && CopyOneFile(standins + "\\ws2setup.exe",
                               path + "\\Launcher\\SocketUpdate\\ws2setup.exe");
    if (!ok) {
        std::string why = g_lastError;
        RemoveTree(path);
        return Fail(why.empty() ? "cannot fill the game folder " + path : why);
    }
    out->path = path;
    out->recordDir = path + "\\records";
    return true;
}

void RemoveGameFolder(GameFolder* folder)
{
    if (folder->path.empty())
        return;
    // Files of a process that was just killed may stay locked for a moment.
    const std::string path = folder->path;
    PollUntil([&] {
        RemoveTree(path);
        return !FileExists(path);
    }, 3000);
    folder->path.clear();
    folder->recordDir.clear();
}

// ================================================================ records

std::vector<Record> ReadRecords(const GameFolder& game, const char* program)
{
    std::vector<Record> records;
    std::vector<unsigned char> bytes = ReadWholeFile(game.recordDir + "\\" + program + ".rec");
    std::string text(bytes.begin(), bytes.end());
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n\r\n", start);
        if (end == std::string::npos)
            break;  // no block, or one still being written
        Record record;
        std::string block = text.substr(start, end + 2 - start);
        size_t line = 0;
        while (line < block.size()) {
            size_t eol = block.find("\r\n", line);
            if (eol == std::string::npos)
                eol = block.size();
            std::string entry = block.substr(line, eol - line);
            size_t equals = entry.find('=');
            if (equals != std::string::npos)
                record[entry.substr(0, equals)] = entry.substr(equals + 1);
            line = eol + 2;
        }
        records.push_back(record);
        start = end + 4;
    }
    return records;
}

bool WaitForRecords(const GameFolder& game, const char* program, size_t count, DWORD timeoutMs,
                    std::vector<Record>* out)
{
    std::vector<Record> records;
    bool ok = PollUntil([&] {
        records = ReadRecords(game, program);
        return records.size() >= count;
    }, timeoutMs);
    if (out)
        *out = records;
    if (!ok)
        return Fail(Format("expected %u record(s) of %s within %lu ms, found %u", (unsigned)count,
                           program, timeoutMs, (unsigned)records.size()));
    return true;
}

// ================================================================ registry

static const char kVornRoot[] = "SOFTWARE\\VornKT";

static std::string VornPath(const char* key)
{
    std::string path = kVornRoot;
    if (key && *key)
        path += std::string("\\") + key;
    return path;
}

std::string RegValue::Text() const
{
    size_t end = 0;
    while (end < data.size() && data[end] != 0)
        ++end;
    return std::string(data.begin(), data.begin() + end);
}

DWORD RegValue::Dword() const
{
    if (data.size() < 4)
        return 0;
    return (DWORD)data[0] | ((DWORD)data[1] << 8) | ((DWORD)data[2] << 16) | ((DWORD)data[3] << 24);
}

static RegValue ReadValue(HKEY root, const std::string& path, const char* name)
{
    RegValue value;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        DWORD got = size;
        if (RegQueryValueExA(key, name, nullptr, &type, size ? value.data.data() : nullptr, &got) ==
            ERROR_SUCCESS) {
            value.present = true;
            value.type = type;
            value.data.resize(got);
        } else {
            value.data.clear();
        }
    }
    RegCloseKey(key);
    return value;
}

static bool WriteValue(HKEY root, const std::string& path, const char* name, DWORD type,
                       const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return Fail("cannot create or open the key " + path);
    LONG result = RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return Fail(Format("cannot write %s\\%s (error %ld)", path.c_str(), name, result));
    return true;
}

static bool DeleteValue(HKEY root, const std::string& path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return Fail("cannot open the key " + path);
    LONG result = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || Fail(Format("cannot delete the value %s (error %ld)", name, result));
}

static bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static bool DeleteTree(HKEY root, const std::string& path)
{
    LONG result = RegDeleteTreeA(root, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ||
           Fail(Format("cannot delete the key %s (error %ld)", path.c_str(), result));
}

void ResetVornKey() { DeleteTree(HKEY_CURRENT_USER, kVornRoot); }

bool VornKeyExists(const char* key) { return KeyExists(HKEY_CURRENT_USER, VornPath(key)); }

RegValue ReadVornValue(const char* key, const char* name)
{
    return ReadValue(HKEY_CURRENT_USER, VornPath(key), name);
}

std::vector<std::string> VornValueNames(const char* key)
{
    std::vector<std::string> names;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD length = sizeof(name);
        if (RegEnumValueA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.push_back(std::string(name, length));
    }
    RegCloseKey(handle);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> VornSubkeys(const char* key)
{
    std::vector<std::string> names;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.push_back(std::string(name, length));
    }
    RegCloseKey(handle);
    std::sort(names.begin(), names.end());
    return names;
}

bool CreateVornKey(const char* key)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return Fail("cannot create " + VornPath(key));
    RegCloseKey(handle);
    return true;
}

bool WriteVornDword(const char* key, const char* name, DWORD value)
{
    return WriteValue(HKEY_CURRENT_USER, VornPath(key), name, REG_DWORD, &value, sizeof(value));
}

bool WriteVornText(const char* key, const char* name, const std::string& text, DWORD size)
{
    if (size == 0)
        size = (DWORD)text.size() + 1;
    std::vector<unsigned char> field(std::max<size_t>(size, text.size() + 1), 0);
    std::copy(text.begin(), text.end(), field.begin());
    return WriteValue(HKEY_CURRENT_USER, VornPath(key), name, REG_SZ, field.data(), size);
}

bool WriteVornRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size)
{
    return WriteValue(HKEY_CURRENT_USER, VornPath(key), name, type, data, size);
}

bool DeleteVornValue(const char* key, const char* name)
{
    return DeleteValue(HKEY_CURRENT_USER, VornPath(key), name);
}

bool DeleteVornKey(const char* key) { return DeleteTree(HKEY_CURRENT_USER, VornPath(key)); }

// ---------------------------------------------------------------- default browser

static const char* const kHttpKeys[] = {"http", "http\\shell", "http\\shell\\open",
                                        "http\\shell\\open\\command"};

static struct {
    bool saved = false;
    bool keyExisted[4] = {false, false, false, false};
    RegValue value;
} g_http;

static void SaveHttpOnce()
{
    if (g_http.saved)
        return;
    for (int i = 0; i < 4; ++i)
        g_http.keyExisted[i] = KeyExists(HKEY_CLASSES_ROOT, kHttpKeys[i]);
    g_http.value = ReadValue(HKEY_CLASSES_ROOT, kHttpKeys[3], "");
    g_http.saved = true;
}

bool SetHttpOpenCommand(const std::string& command)
{
    SaveHttpOnce();
    return WriteValue(HKEY_CLASSES_ROOT, kHttpKeys[3], "", REG_SZ, command.c_str(),
                      (DWORD)command.size() + 1);
}

bool RemoveHttpOpenCommand()
{
    SaveHttpOnce();
    if (!ReadValue(HKEY_CLASSES_ROOT, kHttpKeys[3], "").present)
        return true;
    return DeleteValue(HKEY_CLASSES_ROOT, kHttpKeys[3], "");
}

std::string BrowserStandinCommand()
{
    return "\"" + StandinsDir() + "\\vorn_browser.exe\" %1";
}

void RestoreHttpOpenCommand()
{
    if (!g_http.saved)
        return;
    if (g_http.value.present) {
        WriteValue(HKEY_CLASSES_ROOT, kHttpKeys[3], "", g_http.value.type, g_http.value.data.data(),
                   (DWORD)g_http.value.data.size());
    } else if (KeyExists(HKEY_CLASSES_ROOT, kHttpKeys[3])) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHttpKeys[3], 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "");
            RegCloseKey(key);
        }
    }
    for (int i = 3; i >= 0; --i) {
        if (!g_http.keyExisted[i])
            RegDeleteTreeA(HKEY_CLASSES_ROOT, kHttpKeys[i]);
    }
    g_http.saved = false;
}

// ---------------------------------------------------------------- Windows version

static const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\VornLauncher.exe";
static bool g_versionSet = false;

bool SetLauncherWindowsVersion(const char* version)
{
    g_versionSet = true;
    return WriteValue(HKEY_CURRENT_USER, kAppDefaults, "Version", REG_SZ, version,
                      (DWORD)strlen(version) + 1);
}

void ClearLauncherWindowsVersion()
{
    if (!g_versionSet && !KeyExists(HKEY_CURRENT_USER, kAppDefaults))
        return;
    RegDeleteTreeA(HKEY_CURRENT_USER, kAppDefaults);
    g_versionSet = false;
}

// ================================================================ the launcher process

// Names of the variables the stand-ins and the test set-up read: never passed
// on from the test's own environment.
static const char* const kDriverVariables[] = {
    "VORN_RECORD_DIR", "VORN_STANDIN_QUIET", "VORN_DSETUP_VERSION", "VORN_GAME_MODE",
    "VORN_GAME_HANDOVER_MS", "VORN_GETLIST_WAIT_MS", "WINEDEBUG"};

static std::string BuildEnvironment(const std::vector<std::pair<std::string, std::string>>& changes)
{
    std::vector<std::pair<std::string, std::string>> vars;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; entry && *entry; entry += strlen(entry) + 1) {
        // "=C:=C:\..." entries start with '=': the name runs to the second '='.
        const char* equals = strchr(entry + 1, '=');
        if (!equals)
            continue;
        vars.push_back({std::string(entry, equals - entry), std::string(equals + 1)});
    }
    if (block)
        FreeEnvironmentStringsA(block);

    auto remove = [&](const std::string& name) {
        vars.erase(std::remove_if(vars.begin(), vars.end(),
                                  [&](const std::pair<std::string, std::string>& v) {
                                      return EqualNoCase(v.first, name);
                                  }),
                   vars.end());
    };
    for (const char* name : kDriverVariables)
        remove(name);
    for (const auto& change : changes) {
        remove(change.first);
        if (!change.second.empty())
            vars.push_back(change);
    }
    std::sort(vars.begin(), vars.end(), [](const std::pair<std::string, std::string>& a,
                                           const std::pair<std::string, std::string>& b) {
        return _stricmp(a.first.c_str(), b.first.c_str()) < 0;
    });
    std::string out;
    for (const auto& v : vars) {
        out += v.first + "=" + v.second;
        out += '\0';
    }
    out += '\0';
    return out;
}

bool StartLauncherProcess(const GameFolder& game, const LaunchOptions& options, Launcher* out)
{
    *out = Launcher();
    if (game.path.empty())
        return Fail("no game folder");
    std::vector<std::pair<std::string, std::string>> changes;
    changes.push_back({"VORN_RECORD_DIR", game.recordDir});
    if (options.quiet)
        changes.push_back({"VORN_STANDIN_QUIET", "1"});
    if (!options.dsetupVersion.empty())
        changes.push_back({"VORN_DSETUP_VERSION", options.dsetupVersion});
    if (!options.gameMode.empty())
        changes.push_back({"VORN_GAME_MODE", options.gameMode});
    changes.push_back({"WINEDEBUG", options.traceSounds ? "-all,trace+winmm,+pid" : "-all"});
    if (options.korean) {
        const char* locpath = getenv("VORN_LOCPATH");
        if (!locpath || !*locpath)
            return Fail("a Korean start needs VORN_LOCPATH (the folder holding ko_KR.UTF-8); "
                        "scripts/test.sh sets it");
        changes.push_back({"LANG", "ko_KR.UTF-8"});
        changes.push_back({"LC_ALL", "ko_KR.UTF-8"});
        changes.push_back({"LOCPATH", locpath});
    }
    for (const auto& change : options.env)
        changes.push_back(change);
    std::string environment = BuildEnvironment(changes);

    std::string exe = options.exe.empty() ? game.Path("VornLauncher.exe") : options.exe;
    std::string directory = options.currentDir.empty() ? game.path : options.currentDir;
    const char* log = getenv("VORN_E2E_STDERR");
    std::string logPath = (log && *log) ? UnixToWinePath(log) : std::string();
    size_t logOffset = logPath.empty() ? 0 : ReadWholeFile(logPath).size();

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    std::string commandLine = "\"" + exe + "\"";
    BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                  &environment[0], directory.c_str(), &startup, &info);
    DWORD error = GetLastError();
    if (!started)
        return Fail(Format("cannot start %s in %s (error %lu)", exe.c_str(), directory.c_str(), error));
    CloseHandle(info.hThread);
    out->process = info.hProcess;
    out->pid = info.dwProcessId;
    out->stderrLog = options.traceSounds ? logPath : std::string();
    out->logOffset = logOffset;
    out->gameDir = game.path;
    out->exePath = exe;
    return true;
}

bool IsRunning(const Launcher& launcher)
{
    return launcher.process && WaitForSingleObject(launcher.process, 0) == WAIT_TIMEOUT;
}

bool WaitForMainWindow(Launcher* launcher, DWORD timeoutMs)
{
    if (!launcher->process)
        return Fail("no launcher process");
    HWND found = nullptr;
    bool ended = false;
    PollUntil([&] {
        std::vector<HWND> windows = TopLevelWindows(launcher->pid, "Vorn Launcher");
        if (!windows.empty()) {
            found = windows[0];
            return true;
        }
        ended = !IsRunning(*launcher);
        return ended;
    }, timeoutMs);
    if (found) {
        launcher->window = found;
        HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, launcher->pid);
        if (modules != INVALID_HANDLE_VALUE) {
            MODULEENTRY32 module;
            module.dwSize = sizeof(module);
            if (Module32First(modules, &module))
                launcher->imageBase = (DWORD)(uintptr_t)module.modBaseAddr;
            CloseHandle(modules);
        }
        return true;
    }
    if (ended) {
        DWORD code = 0;
        GetExitCodeProcess(launcher->process, &code);
        return Fail(Format("the launcher ended with code 0x%08lx before showing its window", code));
    }
    return Fail(Format("no visible \"Vorn Launcher\" window within %lu ms", timeoutMs));
}

bool WaitForExit(Launcher& launcher, DWORD timeoutMs, DWORD* exitCode)
{
    if (!launcher.process)
        return Fail("no launcher process");
    if (WaitForSingleObject(launcher.process, timeoutMs) != WAIT_OBJECT_0)
        return Fail(Format("the launcher was still running after %lu ms", timeoutMs));
    DWORD code = 0;
    GetExitCodeProcess(launcher.process, &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

bool CloseLauncher(Launcher& launcher, DWORD timeoutMs, DWORD* exitCode)
{
    if (!launcher.process)
        return Fail("no launcher process");
    if (IsRunning(launcher)) {
        HWND window = launcher.window;
        if (!window || !IsWindow(window)) {
            std::vector<HWND> windows = TopLevelWindows(launcher.pid, "Vorn Launcher");
            window = windows.empty() ? nullptr : windows[0];
        }
        if (window)
            PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return WaitForExit(launcher, timeoutMs, exitCode);
}

static std::string ProcessImage(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return std::string();
    char path[MAX_PATH * 2];
    DWORD size = sizeof(path);
    std::string image;
    if (QueryFullProcessImageNameA(process, 0, path, &size))
        image.assign(path, size);
    CloseHandle(process);
    return image;
}

int KillLauncherTree(Launcher& launcher)
{
    std::vector<PROCESSENTRY32> all;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32 entry;
        entry.dwSize = sizeof(entry);
        if (Process32First(snapshot, &entry)) {
            do {
                all.push_back(entry);
            } while (Process32Next(snapshot, &entry));
        }
        CloseHandle(snapshot);
    }
    std::set<DWORD> victims;
    if (launcher.pid) {
        victims.insert(launcher.pid);
        bool grew = true;
        while (grew) {
            grew = false;
            for (const PROCESSENTRY32& p : all) {
                if (victims.count(p.th32ParentProcessID) && !victims.count(p.th32ProcessID) &&
                    p.th32ProcessID != GetCurrentProcessId()) {
                    victims.insert(p.th32ProcessID);
                    grew = true;
                }
            }
        }
    }
    std::string gameDir = launcher.gameDir.empty() ? std::string() : launcher.gameDir + "\\";
    std::string standins = StandinsDir() + "\\";
    for (const PROCESSENTRY32& p : all) {
        if (p.th32ProcessID == GetCurrentProcessId())
            continue;
        std::string image = ProcessImage(p.th32ProcessID);
        if ((!gameDir.empty() && StartsWithNoCase(image, gameDir)) || StartsWithNoCase(image, standins))
            victims.insert(p.th32ProcessID);
    }
    int killed = 0;
    for (DWORD pid : victims) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                     FALSE, pid);
        if (!process)
            continue;
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            if (TerminateProcess(process, 0xDEAD)) {
                ++killed;
                WaitForSingleObject(process, 3000);
            }
        }
        CloseHandle(process);
    }
    return killed;
}

void ReleaseLauncher(Launcher& launcher)
{
    if (launcher.process)
        CloseHandle(launcher.process);
    launcher = Launcher();
}

// ================================================================ windows

WindowInfo DescribeWindow(HWND hwnd)
{
    WindowInfo info;
    info.hwnd = hwnd;
    if (!IsWindow(hwnd))
        return info;
    char className[256] = {0};
    GetClassNameA(hwnd, className, sizeof(className));
    info.className = className;
    std::wstring title = WindowTextW(hwnd);
    info.title = WideTo(CP_ACP, title);
    info.titleUtf8 = WideTo(CP_UTF8, title);
    info.style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    info.exStyle = (DWORD)GetWindowLongA(hwnd, GWL_EXSTYLE);
    GetWindowRect(hwnd, &info.window);
    GetClientRect(hwnd, &info.client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    info.clientOrigin = origin;
    info.owner = GetWindow(hwnd, GW_OWNER);
    GetWindowThreadProcessId(hwnd, &info.pid);
    info.visible = IsWindowVisible(hwnd) != 0;
    info.enabled = IsWindowEnabled(hwnd) != 0;
    info.iconic = IsIconic(hwnd) != 0;
    return info;
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    WindowSearch* search = (WindowSearch*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd))
        return TRUE;
    if (search->className) {
        char className[256] = {0};
        GetClassNameA(hwnd, className, sizeof(className));
        if (strcmp(className, search->className) != 0)
            return TRUE;
    }
    search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const char* className)
{
    WindowSearch search = {pid, className, {}};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

POINT ScreenSize()
{
    POINT size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return size;
}

bool RestoredAndCentred(const Launcher& launcher)
{
    WindowInfo w = DescribeWindow(launcher.window);
    POINT screen = ScreenSize();
    return !w.iconic && w.visible && w.window.left == screen.x / 2 - 320 &&
           w.window.top == screen.y / 2 - 240 && w.window.right - w.window.left == 642 &&
           w.window.bottom - w.window.top == 482;
}

// ================================================================ button bar

const SlotInfo kSlots[8] = {
    {"Install", 502, {150, 16, 341, 60}, 325, 327, 326, 394},
    {"Play", 503, {78, 65, 269, 109}, 329, 328, 330, 398},
    {"Cinematics", 504, {34, 114, 225, 158}, 332, 331, 333, 395},
    {"Help", 505, {11, 163, 202, 207}, 335, 334, 336, 392},
    {"Server", 506, {439, 260, 630, 304}, 338, 337, 339, 391},
    {"DirectX", 507, {419, 309, 610, 353}, 341, 340, 342, 393},
    {"Video setup", 508, {378, 358, 569, 402}, 344, 343, 345, 396},
    {"Exit", 509, {300, 407, 491, 451}, 374, 375, 373, 399},
};

const char* const kMoveSound = ".\\Launcher\\lsound\\mmove.wav";
const char* const kClickSound = ".\\Launcher\\lsound\\mclick.wav";

POINT SlotCenter(int slot)
{
    const RECT& r = kSlots[slot].rect;
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return p;
}

RECT ButtonImageRect(int slot)
{
    const RECT& r = kSlots[slot].rect;
    RECT image = {r.left, r.top, r.left + 192, r.top + 45};
    return image;
}

// ================================================================ input

// Starts a Unix program (Wine starts ELF files too). Wine gives back no
// process handle for it (the handle is null and the thread handle is left
// over from elsewhere: closing it would close some other handle of this
// process), so nothing is waited for or closed; callers poll for the effect.
static bool StartUnixProgram(const std::string& commandLine)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return false;
    if (info.hProcess) {
        // A Wine that does hand out handles: both are ours.
        WaitForSingleObject(info.hProcess, 3000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    return true;
}

static bool CursorAt(POINT screen)
{
    POINT now;
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

void MoveToScreen(POINT screen)
{
    // The pointer is moved in the X server alone (xdotool), never through
    // SetCursorPos: SetCursorPos moves Wine's cursor at once and the X pointer
    // a moment later, and a program that reads its X events late then sees
    // the earlier places again (a second hover sound for a button already
    // left). Moved in X only, every program sees the places in order.
    static const char kXdotool[] = "/usr/bin/xdotool";
    static const bool haveXdotool = FileExists(UnixToWinePath(kXdotool));
    if (CursorAt(screen))
        return;
    // Wine reads the X pointer once its own position has been still for
    // 100 ms, so the position read back here shows when the move is done.
    if (haveXdotool &&
        StartUnixProgram(Format("%s mousemove %ld %ld", kXdotool, screen.x, screen.y)) &&
        PollUntil([&] { return CursorAt(screen); }, 3000))
        return;
    SetCursorPos(screen.x, screen.y);
    PollUntil([&] { return CursorAt(screen); }, 1000);
}

void MoveTo(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    MoveToScreen(client);
}

void MoveTo(const Launcher& launcher, POINT client) { MoveTo(launcher.window, client); }

void MoveToSlot(const Launcher& launcher, int slot) { MoveTo(launcher, SlotCenter(slot)); }

bool HoverSlot(const Launcher& launcher, int slot, DWORD timeoutMs)
{
    size_t count = SoundsPlayed(launcher).size();
    MoveToSlot(launcher, slot);
    if (!WaitForSounds(launcher, count + 1, timeoutMs))
        return Fail(std::string("no move sound on entering ") + kSlots[slot].name + ": " + g_lastError);
    return true;
}

static void SendMouse(DWORD flags)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

static bool LeftButtonDown() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

// The button goes through the X server like the moves, so that it reaches the
// program after every move before it and at the pointer's X position (a
// button sent to Wine directly lands where Wine last saw the pointer, which
// may be a move behind). The button state turns once the program under the
// pointer has taken the press or release.
static void LeftButton(bool down)
{
    static const char kXdotool[] = "/usr/bin/xdotool";
    static const bool haveXdotool = FileExists(UnixToWinePath(kXdotool));
    // A release nobody took (the window under the pointer went away on the
    // press) leaves Wine's button state down: put it right first.
    if (down && LeftButtonDown()) {
        SendMouse(MOUSEEVENTF_LEFTUP);
        PollUntil([] { return !LeftButtonDown(); }, 1000);
    }
    POINT at;
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    bool windowThere = under && under != GetDesktopWindow();
    // The X server ignores a press of a button it holds down already, so a
    // press starts with a release there (ignored in turn when it is up); the
    // release always goes to X, whoever takes it.
    bool sent = haveXdotool &&
                StartUnixProgram(down ? Format("%s mouseup 1 mousedown 1", kXdotool)
                                      : Format("%s mouseup 1", kXdotool));
    if (sent && windowThere) {
        PollUntil([&] { return LeftButtonDown() == down || !IsWindow(under); }, 3000);
        if (LeftButtonDown() == down)
            return;
    }
    if (LeftButtonDown() != down)
        SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
}

void LeftDown() { LeftButton(true); }
void LeftUp() { LeftButton(false); }

void Click(const Launcher& launcher, POINT client)
{
    MoveTo(launcher, client);
    LeftDown();
    LeftUp();
}

void ClickSlot(const Launcher& launcher, int slot) { Click(launcher, SlotCenter(slot)); }

void PressAltF4()
{
    const WORD keys[2] = {VK_MENU, VK_F4};
    INPUT inputs[4];
    ZeroMemory(inputs, sizeof(inputs));
    for (int i = 0; i < 4; ++i) {
        WORD key = keys[i < 2 ? i : 3 - i];
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = key;
        inputs[i].ki.wScan = (WORD)MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
        inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

// ================================================================ sounds

// Reads the string of a Wine debug line after L": \\ \" \n \r \t and \xxxx
// (four hex digits) are escapes; it ends at the first plain quote.
static std::wstring ParseDebugString(const std::string& line, size_t at)
{
    std::wstring out;
    while (at < line.size() && line[at] != '"') {
        char c = line[at++];
        if (c != '\\' || at >= line.size()) {
            out += (wchar_t)(unsigned char)c;
            continue;
        }
        char e = line[at++];
        switch (e) {
        case 'n': out += L'\n'; break;
        case 'r': out += L'\r'; break;
        case 't': out += L'\t'; break;
        case '\\': out += L'\\'; break;
        case '"': out += L'"'; break;
        default: {
            std::string hex = std::string(1, e) + line.substr(at, 3);
            if (hex.size() == 4 && strspn(hex.c_str(), "0123456789abcdefABCDEF") == 4) {
                out += (wchar_t)strtoul(hex.c_str(), nullptr, 16);
                at += 3;
            } else {
                out += L'\\';
                out += (wchar_t)(unsigned char)e;
            }
        }
        }
    }
    return out;
}

// The zero-terminated text at a virtual address of an exe's image, read from
// the exe file. `base` is where the image was loaded (0: its preferred base).
static std::string TextInImage(const std::string& exePath, DWORD base, DWORD address)
{
    static std::map<std::string, std::vector<unsigned char>> files;
    std::vector<unsigned char>& b = files[exePath];
    if (b.empty())
        b = ReadWholeFile(exePath);
    auto u16 = [&](size_t at) { return at + 2 <= b.size() ? (DWORD)(b[at] | (b[at + 1] << 8)) : 0u; };
    auto u32 = [&](size_t at) { return at + 4 <= b.size() ? (u16(at) | (u16(at + 2) << 16)) : 0u; };
    if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z')
        return std::string();
    size_t pe = u32(0x3C);
    if (u32(pe) != 0x00004550)
        return std::string();
    DWORD sections = u16(pe + 6), optionalSize = u16(pe + 20);
    if (base == 0)
        base = u32(pe + 24 + 28);  // ImageBase of a PE32 optional header
    if (address < base)
        return std::string();
    DWORD rva = address - base;
    size_t table = pe + 24 + optionalSize;
    for (DWORD i = 0; i < sections; ++i) {
        size_t section = table + i * 40;
        DWORD virtualSize = u32(section + 8), virtualAddress = u32(section + 12);
        DWORD rawSize = u32(section + 16), rawPointer = u32(section + 20);
        DWORD size = std::max(virtualSize, rawSize);
        if (rva >= virtualAddress && rva < virtualAddress + size) {
            size_t at = rawPointer + (rva - virtualAddress);
            std::string text;
            while (at < b.size() && at < (size_t)rawPointer + rawSize && b[at] != 0 && text.size() < 1024)
                text += (char)b[at++];
            return text;
        }
    }
    return std::string();
}

std::vector<std::string> SoundsPlayed(const Launcher& launcher)
{
    std::vector<std::string> sounds;
    if (launcher.stderrLog.empty())
        return sounds;
    std::vector<unsigned char> bytes = ReadWholeFile(launcher.stderrLog);
    if (bytes.size() <= launcher.logOffset)
        return sounds;
    std::string text(bytes.begin() + launcher.logOffset, bytes.end());
    // Lines of the launcher's own process only: "<pid>:<tid>:trace:winmm:...".
    // Every call leaves a MULTIMEDIA_PlaySound line at once; its playing
    // thread then names the sound, in the order of the calls.
    const std::string mine = Format("%04lx:", launcher.pid);
    static const char kCall[] = ":trace:winmm:MULTIMEDIA_PlaySound pszSound='";
    static const char kName[] = ":trace:winmm:proc_PlaySound SoundName=L\"";
    std::vector<DWORD> addresses;
    std::vector<bool> named;
    size_t start = 0;
    for (;;) {
        size_t eol = text.find('\n', start);
        if (eol == std::string::npos)
            break;  // a line still being written
        std::string line = text.substr(start, eol - start);
        start = eol + 1;
        if (line.compare(0, mine.size(), mine) != 0)
            continue;
        size_t marker = line.find(kCall);
        if (marker != std::string::npos) {
            DWORD address = strtoul(line.c_str() + marker + sizeof(kCall) - 1, nullptr, 16);
            if (address != 0) {  // a null name only stops the sound playing
                addresses.push_back(address);
                named.push_back(false);
                sounds.push_back(std::string());
            }
            continue;
        }
        marker = line.find(kName);
        if (marker != std::string::npos) {
            std::string name = WideTo(CP_ACP, ParseDebugString(line, marker + sizeof(kName) - 1));
            size_t i = 0;
            while (i < named.size() && named[i])
                ++i;
            if (i == named.size()) {  // its call line was not seen: keep the name anyway
                addresses.push_back(0);
                named.push_back(true);
                sounds.push_back(name);
            } else {
                named[i] = true;
                sounds[i] = name;
            }
        }
    }
    // Calls whose playing thread has not named them (yet, or ever).
    for (size_t i = 0; i < sounds.size(); ++i) {
        if (named[i])
            continue;
        std::string name = TextInImage(launcher.exePath, launcher.imageBase, addresses[i]);
        sounds[i] = name.empty() ? Format("<sound at 0x%08lx>", addresses[i]) : name;
    }
    return sounds;
}

bool WaitForSounds(const Launcher& launcher, size_t count, DWORD timeoutMs,
                   std::vector<std::string>* out)
{
    std::vector<std::string> sounds;
    bool ok = PollUntil([&] {
        sounds = SoundsPlayed(launcher);
        return sounds.size() >= count;
    }, timeoutMs);
    if (out)
        *out = sounds;
    if (!ok && launcher.stderrLog.empty())
        return Fail("sounds cannot be seen: the launcher was started without traceSounds, or the "
                    "test program's standard error is not a file named in VORN_E2E_STDERR (run it "
                    "through tests/run_in_profile.sh, as CTest does)");
    if (!ok) {
        std::string seen;
        for (const std::string& s : sounds)
            seen += " " + s;
        return Fail(Format("expected %u sound(s) within %lu ms, got %u:%s", (unsigned)count,
                           timeoutMs, (unsigned)sounds.size(), seen.c_str()));
    }
    return true;
}

// Points far from the screen's middle, where a message box would sit.
static POINT FencePoint(int slot)
{
    const RECT& r = kSlots[slot].rect;
    POINT p = slot == kSlotHelp ? POINT{r.left + 4, r.top + 4} : POINT{r.right - 4, r.bottom - 4};
    return p;
}

bool Fence(const Launcher& launcher, std::vector<std::string>* before, DWORD timeoutMs)
{
    if (!launcher.window || !IsWindow(launcher.window))
        return Fail("fence: no launcher window");
    size_t base = SoundsPlayed(launcher).size();
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(launcher.window, &cursor);
    bool onExit = PtInRect(&kSlots[kSlotExit].rect, cursor) != 0;
    const int targets[2] = {onExit ? kSlotHelp : kSlotExit, onExit ? kSlotExit : kSlotHelp};
    // A move out of the target that is still waiting is merged with the move
    // in, and the launcher never sees the pointer leave: then the other
    // button, whose hover flag that merged move has certainly cleared, answers.
    const DWORD firstWait = std::max<DWORD>(1500, timeoutMs / 3);
    for (int attempt = 0; attempt < 2; ++attempt) {
        MoveTo(launcher, FencePoint(targets[attempt]));
        size_t fenceIndex = 0;
        bool seen = PollUntil([&] {
            std::vector<std::string> sounds = SoundsPlayed(launcher);
            for (size_t i = base; i < sounds.size(); ++i) {
                if (sounds[i] == kMoveSound) {
                    fenceIndex = i;
                    if (before)
                        before->assign(sounds.begin(), sounds.begin() + i);
                    return true;
                }
            }
            return false;
        }, attempt == 0 ? firstWait : (timeoutMs > firstWait ? timeoutMs - firstWait : 1000));
        if (seen)
            return true;
    }
    return Fail(Format("fence: no move sound after hovering %s and %s (does the launcher window "
                       "take mouse input?)", kSlots[targets[0]].name, kSlots[targets[1]].name));
}

// ================================================================ dialogs

const ControlInfo* DialogInfo::Control(int id) const
{
    for (const ControlInfo& c : controls) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

static BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param)
{
    WindowSearch* search = (WindowSearch*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd))
        return TRUE;
    char className[64] = {0};
    GetClassNameA(hwnd, className, sizeof(className));
    if (strcmp(className, "#32770") == 0)
        search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> FindDialogs(DWORD pid)
{
    WindowSearch search = {pid, nullptr, {}};
    EnumWindows(CollectDialog, (LPARAM)&search);
    return search.found;
}

HWND WaitForDialog(DWORD pid, DWORD timeoutMs, const char* caption)
{
    HWND found = nullptr;
    PollUntil([&] {
        for (HWND dialog : FindDialogs(pid)) {
            if (!caption || WideTo(CP_ACP, WindowTextW(dialog)) == caption ||
                WideTo(CP_UTF8, WindowTextW(dialog)) == caption) {
                found = dialog;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    if (!found)
        Fail(Format("no dialog%s%s%s of process %lu within %lu ms", caption ? " \"" : "",
                    caption ? caption : "", caption ? "\"" : "", pid, timeoutMs));
    return found;
}

HWND WaitForDialog(const Launcher& launcher, DWORD timeoutMs, const char* caption)
{
    return WaitForDialog(launcher.pid, timeoutMs, caption);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    if (PollUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs))
        return true;
    return Fail(Format("window %p still there after %lu ms", (void*)window, timeoutMs));
}

DialogInfo DescribeDialog(HWND dialog)
{
    DialogInfo info;
    info.hwnd = dialog;
    if (!IsWindow(dialog))
        return info;
    std::wstring caption = WindowTextW(dialog);
    info.caption = WideTo(CP_ACP, caption);
    info.captionUtf8 = WideTo(CP_UTF8, caption);
    info.owner = GetWindow(dialog, GW_OWNER);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlInfo c;
        c.hwnd = child;
        c.id = (int)(unsigned short)GetDlgCtrlID(child);
        char className[64] = {0};
        GetClassNameA(child, className, sizeof(className));
        c.className = className;
        std::wstring text = WindowTextW(child);
        c.text = WideTo(CP_ACP, text);
        c.textUtf8 = WideTo(CP_UTF8, text);
        c.style = (DWORD)GetWindowLongA(child, GWL_STYLE);
        c.enabled = IsWindowEnabled(child) != 0;
        c.visible = IsWindowVisible(child) != 0;
        if (EqualNoCase(c.className, "Button") && c.visible)
            info.buttons.push_back(c.id);
        if (c.id == 65535 && EqualNoCase(c.className, "Static")) {
            info.text = c.text;
            info.textUtf8 = c.textUtf8;
        }
        if (c.id == 1088 && c.visible && (c.style & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0)
            info.hasIcon = true;
        info.controls.push_back(c);
    }
    return info;
}

bool AnswerDialog(HWND dialog, int id)
{
    if (!IsWindow(dialog))
        return Fail("answer: the dialog is gone");
    HWND control = GetDlgItem(dialog, id);
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control))
        return Fail("answer: cannot post to the dialog");
    return true;
}

bool ClickControl(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return Fail(Format("no control %d in the dialog", id));
    RECT r;
    GetWindowRect(control, &r);
    POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MoveToScreen(middle);
    LeftDown();
    LeftUp();
    return true;
}

int ListBoxCount(HWND dialog, int listId)
{
    return (int)SendDlgItemMessageA(dialog, listId, LB_GETCOUNT, 0, 0);
}

std::vector<std::string> ListBoxRows(HWND dialog, int listId, bool utf8)
{
    std::vector<std::string> rows;
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return rows;
    int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        // The A message gives only the first character across processes.
        int length = (int)SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(length > 0 ? length + 1 : 1, L'\0');
        int got = (int)SendMessageW(list, LB_GETTEXT, i, (LPARAM)&text[0]);
        text.resize(got > 0 ? got : 0);
        rows.push_back(WideTo(utf8 ? CP_UTF8 : CP_ACP, text));
    }
    return rows;
}

int ListBoxSelection(HWND dialog, int listId)
{
    return (int)SendDlgItemMessageA(dialog, listId, LB_GETCURSEL, 0, 0);
}

bool ClickListRow(HWND dialog, int listId, int row)
{
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return Fail(Format("no list box %d", listId));
    RECT item;
    if (SendMessageA(list, LB_GETITEMRECT, row, (LPARAM)&item) == LB_ERR)
        return Fail(Format("list box %d has no row %d", listId, row));
    POINT middle = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    MoveTo(list, middle);
    LeftDown();
    LeftUp();
    return true;
}

bool SelectListRow(HWND dialog, int listId, int row)
{
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return Fail(Format("no list box %d", listId));
    if (SendMessageA(list, LB_SETCURSEL, row, 0) == LB_ERR && row >= 0)
        return Fail(Format("list box %d has no row %d", listId, row));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), (LPARAM)list);
    return true;
}

// ================================================================ pixels

unsigned Pixels::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0xFFFFFFFFu;
    const unsigned char* p = &bgr[((size_t)y * width + x) * 3];
    return ((unsigned)p[2] << 16) | ((unsigned)p[1] << 8) | p[0];
}

Pixels CaptureScreen(RECT screenRect)
{
    Pixels out;
    int w = screenRect.right - screenRect.left, h = screenRect.bottom - screenRect.top;
    if (w <= 0 || h <= 0)
        return out;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bmi;
    ZeroMemory(&bmi, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, w, h, screen, screenRect.left, screenRect.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
        out.width = w;
        out.height = h;
        out.bgr.resize((size_t)w * h * 3);
        for (int y = 0; y < h; ++y)
            memcpy(&out.bgr[(size_t)y * w * 3], (const unsigned char*)bits + y * stride, (size_t)w * 3);
        SelectObject(memory, old);
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

Pixels CaptureClient(HWND window)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return Pixels();
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    RECT r = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    return CaptureScreen(r);
}

bool LoadBmp24(const std::string& path, Pixels* out)
{
    *out = Pixels();
    std::vector<unsigned char> b = ReadWholeFile(path);
    auto u32 = [&](size_t at) {
        return (unsigned)b[at] | ((unsigned)b[at + 1] << 8) | ((unsigned)b[at + 2] << 16) |
               ((unsigned)b[at + 3] << 24);
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return Fail("not a BMP file: " + path);
    unsigned offset = u32(10), headerSize = u32(14);
    int width = (int)u32(18), height = (int)u32(22);
    unsigned bitCount = b[28] | (b[29] << 8), compression = u32(30);
    if (headerSize < 40 || bitCount != 24 || compression != BI_RGB || width <= 0 || height == 0)
        return Fail("not an uncompressed 24-bit BMP: " + path);
    bool topDown = height < 0;
    int rows = topDown ? -height : height;
    size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
    if (offset + stride * rows > b.size())
        return Fail("BMP file too short: " + path);
    out->width = width;
    out->height = rows;
    out->bgr.resize((size_t)width * rows * 3);
    for (int y = 0; y < rows; ++y) {
        int fileRow = topDown ? y : rows - 1 - y;
        memcpy(&out->bgr[(size_t)y * width * 3], &b[offset + fileRow * stride], (size_t)width * 3);
    }
    return true;
}

std::string PixelDiff::Describe() const
{
    if (compared == 0)
        return "nothing compared (empty capture or image, or the area lies outside)";
    if (count == 0)
        return Format("all %ld pixels match", compared);
    return Format("%ld of %ld pixels differ; the first at (%ld, %ld): expected #%06X, got #%06X",
                  count, compared, first.x, first.y, expected, actual);
}

PixelDiff ComparePixels(const Pixels& actual, int ax, int ay, const Pixels& expected, int ex,
                        int ey, int w, int h, const std::vector<RECT>& skip)
{
    PixelDiff diff;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int px = ax + x, py = ay + y, qx = ex + x, qy = ey + y;
            if (px < 0 || py < 0 || px >= actual.width || py >= actual.height)
                continue;
            if (qx < 0 || qy < 0 || qx >= expected.width || qy >= expected.height)
                continue;
            POINT p = {px, py};
            bool skipped = false;
            for (const RECT& r : skip) {
                if (PtInRect(&r, p)) {
                    skipped = true;
                    break;
                }
            }
            if (skipped)
                continue;
            ++diff.compared;
            unsigned a = actual.At(px, py), e = expected.At(qx, qy);
            if (a != e) {
                if (diff.count == 0) {
                    diff.first = p;
                    diff.expected = e;
                    diff.actual = a;
                }
                ++diff.count;
            }
        }
    }
    return diff;
}

PixelDiff WaitForImage(HWND window, POINT at, const std::string& bmpPath, DWORD timeoutMs,
                       const std::vector<RECT>& skip)
{
    PixelDiff diff;
    Pixels image;
    if (!LoadBmp24(bmpPath, &image))
        return diff;
    PollUntil([&] {
        Pixels shot = CaptureClient(window);
        diff = ComparePixels(shot, at.x, at.y, image, 0, 0, image.width, image.height, skip);
        return diff.Same();
    }, timeoutMs);
    return diff;
}

PixelDiff WaitForSlotImage(const Launcher& launcher, int slot, int bitmapId, DWORD timeoutMs)
{
    RECT r = ButtonImageRect(slot);
    POINT at = {r.left, r.top};
    return WaitForImage(launcher.window, at, ButtonArtFile(bitmapId), timeoutMs);
}

// ================================================================ profiles

const char* ProfileMismatch(const char* profile)
{
    static std::string reason;
    const char* current = getenv("VORN_PROFILE");
    std::string now = (current && *current) ? current : "main";
    if (now == profile)
        return nullptr;
    reason = Format("needs the %s profile, this run is on the %s profile (scripts/test.sh runs "
                    "such tests through tests/run_in_profile.sh)", profile, now.c_str());
    return reason.c_str();
}

static const char* ProfileOfSuite(const char* suite)
{
    if (strncmp(suite, "Screen640x480", 13) == 0)
        return "640x480";
    if (strncmp(suite, "Screen1365x768", 14) == 0)
        return "1365x768";
    if (strncmp(suite, "Korean", 6) == 0)
        return "ko";
    return "main";
}

// ================================================================ fixture

void LauncherTest::SetUp()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    VORN_REQUIRE_PROFILE(ProfileOfSuite(test->test_suite_name()));
    ResetVornKey();
    ASSERT_TRUE(MakeGameFolder(GameFolderOptions(), &game)) << LastError();
}

void LauncherTest::TearDown()
{
    if (IsRunning(launcher)) {
        DWORD code = 0;
        if (!CloseLauncher(launcher, 3000, &code)) {
            int killed = KillLauncherTree(launcher);
            ADD_FAILURE() << "the launcher did not end within 3 s of WM_CLOSE at the end of the "
                             "test; killed it and "
                          << (killed - 1 > 0 ? killed - 1 : 0) << " other process(es)";
        }
    }
    int leftovers = KillLauncherTree(launcher);
    if (leftovers > 0)
        printf("[ driver ] killed %d process(es) left behind by the launcher\n", leftovers);
    ReleaseLauncher(launcher);
    RestoreHttpOpenCommand();
    ClearLauncherWindowsVersion();
    RemoveGameFolder(&game);
    ResetVornKey();
}

bool LauncherTest::Start(const LaunchOptions& options)
{
    if (IsRunning(launcher)) {
        ADD_FAILURE() << "Start: a launcher of this test is still running";
        return false;
    }
    ReleaseLauncher(launcher);
    if (!StartLauncherProcess(game, options, &launcher) || !WaitForMainWindow(&launcher)) {
        ADD_FAILURE() << "the launcher did not come up: " << LastError();
        return false;
    }
    return true;
}

bool LauncherTest::RemakeGame(const GameFolderOptions& options)
{
    if (IsRunning(launcher)) {
        ADD_FAILURE() << "RemakeGame: the launcher is still running";
        return false;
    }
    RemoveGameFolder(&game);
    if (!MakeGameFolder(options, &game)) {
        ADD_FAILURE() << "cannot make the game folder: " << LastError();
        return false;
    }
    return true;
}

}  // namespace e2e
