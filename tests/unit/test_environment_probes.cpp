// Machine probes and shell starts, against the real system under test.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/main_window.h"
#include "config/environment_probes.h"
#include "config/probe_rules.h"
#include "unit_support.h"

namespace {

const char kCommandKey[] = "http\\shell\\open\\command";
const char kChildVariable[] = "VORN_OS_CLASS_CHILD";

// The http open command of HKEY_CLASSES_ROOT, saved on entry and put back on exit.
class EnvironmentProbes : public VornTest {
protected:
    void SetUp() override {
        VornTest::SetUp();
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            savedKey = true;
            DWORD size = sizeof savedCommand;
            savedValue = RegQueryValueExA(key, "", NULL, &savedType, savedCommand, &size) ==
                         ERROR_SUCCESS;
            savedSize = size;
            RegCloseKey(key);
        }
    }
    void TearDown() override {
        if (savedKey) {
            HKEY key;
            if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                &key, NULL) == ERROR_SUCCESS) {
                if (savedValue) RegSetValueExA(key, "", 0, savedType, savedCommand, savedSize);
                else RegDeleteValueA(key, "");
                RegCloseKey(key);
            }
        } else {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
        }
        VornTest::TearDown();
    }

    static void SetCommand(const std::string& command) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &key, NULL));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, "", 0, REG_SZ, (const BYTE*)command.c_str(),
                                 (DWORD)command.size() + 1));
        RegCloseKey(key);
    }

    // A small program of the system that ends at once, whatever its arguments.
    static std::string QuickProgram() {
        char dir[MAX_PATH];
        GetSystemDirectoryA(dir, sizeof dir);
        return std::string(dir) + "\\hostname.exe";
    }

private:
    bool savedKey = false;
    bool savedValue = false;
    DWORD savedType = 0;
    DWORD savedSize = 0;
    BYTE savedCommand[1024] = {0};
};

// A plain window to own the shell starts; destroyed by the test.
struct OwnerWindow {
    HWND hwnd;
    OwnerWindow() {
        hwnd = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
    }
    ~OwnerWindow() { DestroyWindow(hwnd); }
    bool ClosePosted() const {
        MSG msg;
        return PeekMessageA(&msg, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
    }
};

}  // namespace

TEST(ShellResult, AboveThirtyTwoIsAStart) {
    struct Case {
        INT_PTR result;
        int started;
    } cases[] = {{0, 0}, {2, 0}, {31, 0}, {32, 0}, {33, 1}, {42, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(c.started, ShellStartSucceeded(reinterpret_cast<HINSTANCE>(c.result)))
            << "shell result " << c.result;
}

TEST_F(EnvironmentProbes, DirectXWithoutTheSetupLibraryIsTooOld) {
    ASSERT_EQ(NULL, GetModuleHandleA("DSETUP.dll"));
    EXPECT_EQ(0, DirectXVersionProbe()) << "no DSETUP.dll on this system: 0 expected";
    EXPECT_EQ(NULL, GetModuleHandleA("DSETUP.dll")) << "the library must not stay loaded";
}

TEST_F(EnvironmentProbes, BrowserPathFromTheHttpCommand) {
    const std::string longPath = "C:\\" + std::string(90, 'b') + "\\browser.exe";  // 105 characters
    struct Case {
        std::string command;
        std::string expected;
        const char* what;
    } cases[] = {
        {"\"C:\\Program Files\\Stub\\browser.exe\" -nohome \"%1\"",
         "C:\\Program Files\\Stub\\browser.exe", "quoted path with arguments"},
        {"C:\\Stub\\browser.exe %1", "", "unquoted"},
        {"\"" + longPath + "\" %1", longPath, "path of more than 99 characters"},
        {"\"" + std::string(126, 'c'), std::string(126, 'c'), "127 characters: still read"},
        {"\"" + std::string(127, 'c'), "", "128 characters: too long to read"},
    };
    for (const Case& c : cases) {
        strcpy(BrowserPath, "previous");
        SetCommand(c.command);
        RefreshBrowserPath();
        EXPECT_EQ(c.expected, std::string(BrowserPath)) << c.what << ": " << c.command;
    }
}

TEST_F(EnvironmentProbes, MissingHttpCommandKeepsThePreviousPath) {
    SetCommand("\"C:\\Stub\\browser.exe\" %1");
    RefreshBrowserPath();
    ASSERT_STREQ("C:\\Stub\\browser.exe", BrowserPath);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey));
    RefreshBrowserPath();
    EXPECT_STREQ("C:\\Stub\\browser.exe", BrowserPath) << "no command key: path must stay";
}

TEST_F(EnvironmentProbes, BrowserNamingNoFileFails) {
    SetCommand("\"C:\\No\\Such\\browser.exe\" \"%1\"");
    OwnerWindow owner;
    ASSERT_TRUE(owner.hwnd != NULL);
    EXPECT_EQ(0, OpenCommunitySite(owner.hwnd));
    EXPECT_EQ(0, OpenDirectXPage(owner.hwnd));
    EXPECT_EQ(0, OpenGLSetupPage(owner.hwnd));
    EXPECT_FALSE(owner.ClosePosted()) << "a failed GLSetup start must not close the launcher";
    EXPECT_STREQ("C:\\No\\Such\\browser.exe", BrowserPath);
}

TEST_F(EnvironmentProbes, StartedBrowserCountsAsSuccess) {
    SetCommand("\"" + QuickProgram() + "\" %1");
    OwnerWindow owner;
    ASSERT_TRUE(owner.hwnd != NULL);
    EXPECT_EQ(1, OpenCommunitySite(owner.hwnd));
    EXPECT_FALSE(owner.ClosePosted()) << "the community site leaves the launcher open";
    EXPECT_EQ(1, OpenDirectXPage(owner.hwnd));
    EXPECT_FALSE(owner.ClosePosted()) << "OpenDirectXPage itself posts nothing";
    EXPECT_EQ(1, OpenGLSetupPage(owner.hwnd));
    EXPECT_TRUE(owner.ClosePosted()) << "a started GLSetup page closes the launcher";
}

TEST_F(EnvironmentProbes, RunFileResolvesAgainstTheCurrentDirectory) {
    EXPECT_EQ(0, RunFile(".\\Launcher\\SocketUpdate\\ws2setup.exe")) << "missing file";
    ASSERT_TRUE(CreateDirectoryA(Path("Launcher").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(Path("Launcher\\SocketUpdate").c_str(), NULL));
    ASSERT_TRUE(CopyFileA(QuickProgram().c_str(),
                          Path("Launcher\\SocketUpdate\\ws2setup.exe").c_str(), FALSE));
    EXPECT_EQ(1, RunFile(".\\Launcher\\SocketUpdate\\ws2setup.exe")) << "program present";
}

TEST(PageAddresses, HaveTheirForms) {
    EXPECT_STREQ("www.vorn-community.example", CommunitySiteAddress);
    EXPECT_STREQ("http://www.glsetup.example/where.htm", GLSetupPageAddress);
    EXPECT_STREQ("http://www.vorn-publisher.example/games/directx.html", DirectXPageAddress);
}

// ProbeOsClass under each Windows version Wine can report. The version is fixed when a
// process starts, so each row runs this program again with a per-program version set.
TEST(OsClassProbe, Child) {
    if (!getenv(kChildVariable)) GTEST_SKIP() << "runs only as the child of OsClassProbe.Versions";
    fflush(stdout);
    ExitProcess(100 + (UINT)ProbeOsClass());
}

// Sets the Windows version Wine reports to this program; removed again on exit.
struct ProgramVersion {
    std::string key;
    explicit ProgramVersion(const char* program)
        : key(std::string("Software\\Wine\\AppDefaults\\") + program) {}
    ~ProgramVersion() { RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()); }
    bool Set(const char* version) const {
        HKEY h;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h,
                            NULL) != ERROR_SUCCESS)
            return false;
        bool ok = RegSetValueExA(h, "Version", 0, REG_SZ, (const BYTE*)version,
                                 (DWORD)strlen(version) + 1) == ERROR_SUCCESS;
        RegCloseKey(h);
        return ok;
    }
};

TEST(OsClassProbe, Versions) {
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(NULL, self, sizeof self));
    const char* name = strrchr(self, '\\') ? strrchr(self, '\\') + 1 : self;
    ProgramVersion programVersion(name);
    struct Case {
        const char* version;
        int expected;
    } cases[] = {{"win95", kOsWin95}, {"win98", kOsWin98}, {"nt40", kOsNt4},
                 {"win2k", kOsNt5},   {"winxp", kOsNt5},   {"win7", kOsNt5},
                 {"win10", kOsNt5}};
    SetEnvironmentVariableA(kChildVariable, "1");
    for (const Case& c : cases) {
        ASSERT_TRUE(programVersion.Set(c.version)) << c.version;
        std::string commandLine =
            std::string("\"") + self + "\" --gtest_filter=OsClassProbe.Child";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(self, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL,
                                   &startup, &process));
        DWORD waited = WaitForSingleObject(process.hProcess, 30000);
        if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(WAIT_OBJECT_0, waited) << c.version << ": child hung and was killed";
        EXPECT_EQ((DWORD)(100 + c.expected), code) << "version " << c.version;
    }
    SetEnvironmentVariableA(kChildVariable, NULL);
}
