// The server confirmation written under SelectServer, and the server-list updater's
// start and wait.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "unit_support.h"

#include "dialogs/server_list.h"
#include "dialogs/server_select_dialog.h"

namespace {

// ---------------------------------------------------------------------------
// This test program doubles as the updater: copied as GetList.exe and started, it
// records how it was started, takes a moment as a real update would, and ends with
// exit code 259, the number that reads like STILL_ACTIVE.

const char kUpdaterRecord[] = "updater.txt";   // in its current directory
const char kUpdaterPid[] = "updater.pid";
const DWORD kUpdaterExitCode = 259;
const DWORD kUpdaterWorkMs = 1200;

bool EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    return _stricmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

std::string OwnPath() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    return (n == 0 || n >= sizeof path) ? std::string() : std::string(path, n);
}

void WriteText(const char* name, const std::string& text) {
    FILE* f = fopen(name, "wb");
    if (!f) return;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

struct UpdaterRole {
    UpdaterRole() {
        if (!EndsWith(OwnPath(), "\\GetList.exe")) return;
        WriteText(kUpdaterPid, std::to_string(GetCurrentProcessId()));
        Sleep(kUpdaterWorkMs);
        char directory[MAX_PATH] = {0};
        GetCurrentDirectoryA(sizeof directory, directory);
        STARTUPINFOA startup;
        GetStartupInfoA(&startup);
        std::string record = std::string(directory) + "\n" + GetCommandLineA() + "\n" +
                             std::to_string(startup.dwFlags & STARTF_USESHOWWINDOW) + " " +
                             std::to_string(startup.wShowWindow) + "\n";
        WriteText(kUpdaterRecord, record);
        ExitProcess(kUpdaterExitCode);
    }
} updaterRole;

std::vector<std::string> Lines(const std::vector<unsigned char>& bytes) {
    std::vector<std::string> lines(1);
    for (unsigned char c : bytes) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += (char)c;
    }
    return lines;
}

// ---------------------------------------------------------------------------
// The confirmation

std::vector<unsigned char> TextField(const std::string& text, size_t size) {
    std::vector<unsigned char> field(size, 0);
    memcpy(field.data(), text.data(), text.size());
    return field;
}

std::vector<unsigned char> Dword(DWORD value) {
    return {(unsigned char)(value & 0xFF), (unsigned char)((value >> 8) & 0xFF),
            (unsigned char)((value >> 16) & 0xFF), (unsigned char)((value >> 24) & 0xFF)};
}

void SetEntry(int index, const char* name, const char* tcp, int32_t tcpPort, const char* ladder,
              int32_t ladderPort) {
    ServerEntry& e = ServerList.entries[index];
    strcpy(e.displayName, name);
    strcpy(e.tcpAddress, tcp);
    strcpy(e.ladderAddress, ladder);
    e.tcpPort = tcpPort;
    e.ladderPort = ladderPort;
}

const char* const kSelectionValues[] = {"", "TcpDNS", "LadderDNS", "TcpPort", "LadderPort"};

class ServerSelection : public VornTest {
protected:
    void SetUp() override {
        VornTest::SetUp();
        ResetServerList();
        ServerList.count = 3;
        SetEntry(0, "First", "10.0.0.1", 7000, "10.0.0.2", 7001);
        SetEntry(1, "Second", "game.example", -25, "ladder.example", 65535);
        SetEntry(2, "", "", 0, "", 0);
    }

    void ExpectValue(const char* name, DWORD type, const std::vector<unsigned char>& data,
                     const char* what) {
        RegValue v = ReadVornValue("SelectServer", name);
        ASSERT_TRUE(v.present) << what << ": value \"" << name << "\" missing";
        EXPECT_EQ(type, v.type) << what << ": type of \"" << name << "\"";
        EXPECT_EQ(data.size(), v.data.size()) << what << ": data size of \"" << name << "\"";
        EXPECT_TRUE(data == v.data) << what << ": data of \"" << name << "\" differs";
    }
};

TEST_F(ServerSelection, WritesTheChosenEntry) {
    struct Case {
        int index;
        const char *tcp, *ladder;
        DWORD tcpPort, ladderPort;
        const char* what;
    } cases[] = {
        {0, "10.0.0.1", "10.0.0.2", 7000, 7001, "the first entry"},
        {1, "game.example", "ladder.example", 0xFFFFFFE7u, 65535, "a negative port"},
        {2, "", "", 0, 0, "empty addresses: 50 zero bytes, the mark all the same"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(DeleteVornKey("SelectServer") || !VornKeyExists("SelectServer"));
        ASSERT_TRUE(CreateVornKey("SelectServer"));
        WriteServerSelection(c.index);
        ExpectValue("", REG_SZ, TextField("10", 10), c.what);
        ExpectValue("TcpDNS", REG_SZ, TextField(c.tcp, 50), c.what);
        ExpectValue("LadderDNS", REG_SZ, TextField(c.ladder, 50), c.what);
        ExpectValue("TcpPort", REG_DWORD, Dword(c.tcpPort), c.what);
        ExpectValue("LadderPort", REG_DWORD, Dword(c.ladderPort), c.what);
    }
}

// Only an entry the list holds is written: no selection (LB_ERR) or an index left over
// from a longer list writes nothing.
TEST_F(ServerSelection, IndexOutsideTheListWritesNothing) {
    ASSERT_TRUE(CreateVornKey("SelectServer"));
    for (int index : {-1, 3, 19, 20, 1000}) {
        WriteServerSelection(index);
        for (const char* name : kSelectionValues)
            EXPECT_FALSE(ReadVornValue("SelectServer", name).present)
                << "index " << index << " wrote \"" << name << "\"";
    }
    ServerList.count = 0;
    WriteServerSelection(0);
    for (const char* name : kSelectionValues)
        EXPECT_FALSE(ReadVornValue("SelectServer", name).present)
            << "an empty list wrote \"" << name << "\"";
}

TEST_F(ServerSelection, MissingKeyIsNotCreated) {
    ASSERT_FALSE(VornKeyExists("SelectServer"));
    WriteServerSelection(0);
    EXPECT_FALSE(VornKeyExists("SelectServer")) << "the confirmation created SelectServer";
}

// ---------------------------------------------------------------------------
// The updater

struct UpdaterRun {
    std::string folder;
};

DWORD WINAPI RunUpdaterThread(LPVOID parameter) {
    RunServerListUpdater(static_cast<UpdaterRun*>(parameter)->folder.c_str());
    return 0;
}

class ServerUpdater : public VornTest {
protected:
    // Runs the updater call on a thread; a call that does not come back in time is
    // reported, and its child killed so that the call can end.
    bool RunBounded(const std::string& folder, const std::string& childFolder, DWORD limitMs) {
        UpdaterRun run = {folder};
        HANDLE thread = CreateThread(NULL, 0, RunUpdaterThread, &run, 0, NULL);
        if (!thread) {
            ADD_FAILURE() << "could not start a thread";
            return false;
        }
        bool finished = WaitForSingleObject(thread, limitMs) == WAIT_OBJECT_0;
        if (!finished) {
            std::vector<unsigned char> pid = ReadFileBytes(childFolder + "\\" + kUpdaterPid);
            DWORD id = (DWORD)atol(std::string(pid.begin(), pid.end()).c_str());
            HANDLE child = id ? OpenProcess(PROCESS_TERMINATE, FALSE, id) : NULL;
            if (child) {
                TerminateProcess(child, 1);
                CloseHandle(child);
            }
            WaitForSingleObject(thread, 2000);
        }
        CloseHandle(thread);
        return finished;
    }
};

TEST_F(ServerUpdater, StartsGetListInItsFolderAndWaitsUntilItEnds) {
    // The folder text is InstallDir followed by ".\Launcher": the trailing period of
    // the install folder's name and the "." segment both drop away.
    const std::string install = Path("Vorn Game");
    const std::string launcher = install + "\\Launcher";
    ASSERT_TRUE(CreateDirectoryA(install.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(launcher.c_str(), NULL));
    ASSERT_TRUE(CopyFileA(OwnPath().c_str(), (launcher + "\\GetList.exe").c_str(), FALSE));

    ASSERT_TRUE(RunBounded(install + ".\\Launcher", launcher, 10000))
        << "the wait did not end after the updater exited with code 259";

    std::vector<unsigned char> record = ReadFileBytes(launcher + "\\" + kUpdaterRecord);
    ASSERT_FALSE(record.empty()) << "the call returned before the updater had finished";
    std::vector<std::string> lines = Lines(record);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(0, _stricmp(launcher.c_str(), lines[0].c_str()))
        << "updater's current directory: expected " << launcher << ", got " << lines[0];
    // An empty command line; under the emulator the child sees its quoted path instead.
    const std::string quoted = "\"" + launcher + "\\GetList.exe\"";
    EXPECT_TRUE(lines[1].empty() || _stricmp(lines[1].c_str(), quoted.c_str()) == 0)
        << "expected no arguments, got " << lines[1];
    EXPECT_EQ("1 1", lines[2]) << "expected STARTF_USESHOWWINDOW with SW_SHOWNORMAL";

    char current[MAX_PATH] = {0};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(0, _stricmp(launcher.c_str(), current))
        << "current directory: expected " << launcher << ", got " << current;
}

TEST_F(ServerUpdater, MissingUpdaterReturnsAtOnce) {
    ASSERT_TRUE(CreateDirectoryA(Path("Launcher").c_str(), NULL));
    // An empty InstallDir: the Launcher folder of the current directory.
    ASSERT_TRUE(RunBounded(".\\Launcher", Path("Launcher"), 5000))
        << "the call did not come back without an updater";
    EXPECT_FALSE(FileExists(Path("Launcher\\GetList.exe")));
}

}  // namespace
