// Starting the game executable for a render mode and waiting for the game's end. The
// game is this test program itself, copied under the game's names: a copy records how
// it was started and then behaves as the environment of the test asks.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/game_launch.h"
#include "unit_support.h"

namespace {

const char kRecordName[] = "started.txt";
const char kExitCodeVariable[] = "VORN_FAKE_GAME_EXIT";      // exit code, default 0
const char kRunTimeVariable[] = "VORN_FAKE_GAME_RUN_MS";     // time before it ends
const char kClearVariable[] = "VORN_FAKE_GAME_CLEARS";       // "1": writes StartMode 0

bool EndsWith(const std::string& text, const std::string& tail) {
    if (tail.size() > text.size()) return false;
    return _stricmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

DWORD NumberVariable(const char* name, DWORD fallback) {
    char text[32];
    DWORD n = GetEnvironmentVariableA(name, text, sizeof text);
    if (n == 0 || n >= sizeof text) return fallback;
    return strtoul(text, NULL, 10);
}

// Runs before the tests: as a game copy this program records its module path, command
// line and current directory in started.txt, and exits.
int RunAsGameCopy() {
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, module, sizeof module);
    if (n == 0 || n >= sizeof module) return 0;
    std::string path = module;
    if (!EndsWith(path, "\\VornD3D.exe") && !EndsWith(path, "\\VornGL.exe") &&
        !EndsWith(path, "\\VornSavage.exe"))
        return 0;
    char directory[MAX_PATH] = {0};
    GetCurrentDirectoryA(sizeof directory, directory);
    FILE* record = fopen(kRecordName, "wb");
    if (record) {
        fprintf(record, "%s\n%s\n%s\n", module, GetCommandLineA(), directory);
        fclose(record);
    }
    Sleep(NumberVariable(kRunTimeVariable, 0));
    if (NumberVariable(kClearVariable, 0) == 1) SetVornDword("Launcher", "StartMode", 0);
    ExitProcess(NumberVariable(kExitCodeVariable, 0));
    return 1;
}
const int runAsGameCopy = RunAsGameCopy();

struct Record {
    bool present = false;
    std::string module, commandLine, directory;
};

Record ReadRecord(const std::string& path) {
    Record record;
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    if (bytes.empty()) return record;
    std::string text(bytes.begin(), bytes.end());
    size_t a = text.find('\n'), b = text.find('\n', a + 1), c = text.find('\n', b + 1);
    if (a == std::string::npos || b == std::string::npos || c == std::string::npos)
        return record;
    record.present = true;
    record.module = text.substr(0, a);
    record.commandLine = text.substr(a + 1, b - a - 1);
    record.directory = text.substr(b + 1, c - b - 1);
    return record;
}

// A command line without arguments: empty, or (under some hosts) the program alone.
bool HasNoArguments(const std::string& commandLine, const std::string& module) {
    std::string line = commandLine;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line.empty() || _stricmp(line.c_str(), module.c_str()) == 0 ||
           _stricmp(line.c_str(), ("\"" + module + "\"").c_str()) == 0;
}

struct WaitCall {
    DWORD renderMode;
    int result;
};

DWORD WINAPI CallStartGameAndWait(void* parameter) {
    WaitCall* call = static_cast<WaitCall*>(parameter);
    call->result = StartGameAndWait(".", call->renderMode);
    return 0;
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return double(k.QuadPart + u.QuadPart) / 1e7;
}

struct Outcome {
    bool returned = false;
    int result = -1;
    DWORD elapsedMs = 0;
    double cpuSeconds = 0;
};

// Calls StartGameAndWait on a worker thread so that a wait that never ends fails the
// test instead of hanging it.
Outcome StartAndWait(DWORD renderMode, DWORD limitMs) {
    Outcome outcome;
    WaitCall call = {renderMode, -1};
    double cpuBefore = CpuSeconds();
    DWORD start = GetTickCount();
    HANDLE thread = CreateThread(NULL, 0, CallStartGameAndWait, &call, 0, NULL);
    if (!thread) return outcome;
    outcome.returned = WaitForSingleObject(thread, limitMs) == WAIT_OBJECT_0;
    outcome.elapsedMs = GetTickCount() - start;
    outcome.cpuSeconds = CpuSeconds() - cpuBefore;
    if (!outcome.returned) TerminateThread(thread, 1);
    CloseHandle(thread);
    outcome.result = call.result;
    return outcome;
}

// Stands for the process the game handed over to, which clears StartMode later.
DWORD WINAPI ClearStartModeLater(void* delayMs) {
    Sleep(*static_cast<DWORD*>(delayMs));
    SetVornDword("Launcher", "StartMode", 0);
    return 0;
}

class GameLaunch : public VornTest {
protected:
    void SetUp() override {
        VornTest::SetUp();
        SetEnvironmentVariableA(kExitCodeVariable, NULL);
        SetEnvironmentVariableA(kRunTimeVariable, NULL);
        SetEnvironmentVariableA(kClearVariable, NULL);
    }
    void TearDown() override {
        SetEnvironmentVariableA(kExitCodeVariable, NULL);
        SetEnvironmentVariableA(kRunTimeVariable, NULL);
        SetEnvironmentVariableA(kClearVariable, NULL);
        VornTest::TearDown();
    }
    void InstallGameCopies() {
        char self[MAX_PATH];
        DWORD n = GetModuleFileNameA(NULL, self, sizeof self);
        ASSERT_TRUE(n > 0 && n < sizeof self);
        for (const char* name : {"VornD3D.exe", "VornGL.exe", "VornSavage.exe"})
            ASSERT_TRUE(CopyFileA(self, Path(name).c_str(), FALSE)) << "copy to " << name;
    }
};

TEST_F(GameLaunch, StartsTheExecutableOfTheRenderMode) {
    InstallGameCopies();
    const struct {
        DWORD mode;
        const char* executable;
    } cases[] = {{100, "\\VornD3D.exe"}, {200, "\\VornGL.exe"}, {300, "\\VornSavage.exe"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.executable);
        DeleteFileA(Path(kRecordName).c_str());
        Outcome outcome = StartAndWait(c.mode, 30000);
        ASSERT_TRUE(outcome.returned) << "no return within 30 s for a game that exits at once";
        EXPECT_EQ(0, outcome.result) << "a started and finished game";
        Record record = ReadRecord(Path(kRecordName));
        ASSERT_TRUE(record.present) << "the game did not run";
        EXPECT_EQ(0, _stricmp((folder + c.executable).c_str(), record.module.c_str()))
            << "expected " << folder + c.executable << ", started " << record.module;
        EXPECT_TRUE(HasNoArguments(record.commandLine, record.module))
            << "expected an empty command line, got [" << record.commandLine << "]";
        EXPECT_EQ(0, _stricmp(folder.c_str(), record.directory.c_str()))
            << "expected the game to start in " << folder << ", it started in "
            << record.directory;
    }
}

// No process: result 1 at once, whether the executable is missing or the mode has none.
TEST_F(GameLaunch, NothingToStart) {
    const struct {
        bool copies;
        DWORD mode;
        const char* what;
    } cases[] = {
        {false, 100, "executable missing"},
        {false, 300, "executable missing"},
        {true, 150, "no executable for the mode"},
        {true, 0, "no mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.copies) InstallGameCopies();
        Outcome outcome = StartAndWait(c.mode, 10000);
        ASSERT_TRUE(outcome.returned) << "no return within 10 s";
        EXPECT_EQ(1, outcome.result) << "expected 1 for no process, mode " << c.mode;
        EXPECT_FALSE(FileExists(Path(kRecordName))) << "something was started";
    }
}

// The wait follows the game's process: it ends when the process ends (even with the
// exit code 259, which a running process also reports) and StartMode is clear.
TEST_F(GameLaunch, WaitEndsWithTheProcess) {
    InstallGameCopies();
    const struct {
        const char* exitCode;
        const char* runMs;
        bool startModeRaised;  // before the start; the game then clears it itself
        const char* what;
    } cases[] = {
        {"0", "0", false, "exits at once, no Launcher key"},
        {"259", "0", false, "exits with the code 259"},
        {"259", "0", true, "exits with the code 259 after clearing StartMode"},
        {"3", "1500", true, "runs 1.5 s, clears StartMode and exits"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetEnvironmentVariableA(kExitCodeVariable, c.exitCode);
        SetEnvironmentVariableA(kRunTimeVariable, c.runMs);
        SetEnvironmentVariableA(kClearVariable, c.startModeRaised ? "1" : NULL);
        if (c.startModeRaised) {
            ASSERT_TRUE(SetVornDword("Launcher", "StartMode", 1));
        }
        Outcome outcome = StartAndWait(100, 20000);
        ASSERT_TRUE(outcome.returned) << "the wait did not end within 20 s after the game";
        EXPECT_EQ(0, outcome.result);
        DWORD runMs = strtoul(c.runMs, NULL, 10);
        EXPECT_GE(outcome.elapsedMs, runMs) << "returned before the game had ended";
        EXPECT_LT(outcome.cpuSeconds, 0.5) << "the wait kept a processor busy";
    }
}

// A game that hands over to another process ends with StartMode still raised: the
// launcher keeps waiting, re-reading the flag about once a second without spinning.
TEST_F(GameLaunch, RaisedStartModeKeepsWaitingAfterTheProcess) {
    InstallGameCopies();
    ASSERT_TRUE(SetVornDword("Launcher", "StartMode", 1));
    const DWORD clearAfterMs = 2500;
    HANDLE clearer = CreateThread(NULL, 0, ClearStartModeLater,
                                  const_cast<DWORD*>(&clearAfterMs), 0, NULL);
    ASSERT_TRUE(clearer != NULL);
    Outcome outcome = StartAndWait(200, 20000);
    WaitForSingleObject(clearer, 10000);
    CloseHandle(clearer);
    ASSERT_TRUE(outcome.returned) << "the wait did not end within 20 s after StartMode was cleared";
    EXPECT_EQ(0, outcome.result);
    EXPECT_GE(outcome.elapsedMs, clearAfterMs) << "returned while StartMode was still 1";
    EXPECT_LT(outcome.elapsedMs, clearAfterMs + 5000) << "noticed the cleared flag late";
    // Re-reading the flag without pause costs about half a processor here; a paced
    // wait costs next to nothing.
    EXPECT_LT(outcome.cpuSeconds, 0.3) << "the wait for StartMode kept a processor busy";
}

}  // namespace
