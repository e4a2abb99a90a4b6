// Bad input and broken surroundings on the real exe: odd install folders,
// registry values of the wrong type or size, damaged or hostile files, missing
// helper programs and a game that crashes. For every case the launcher has to
// come up (or fail safely), show no box whose text is not one of its own
// messages, never crash or hang, leave every file it is not meant to write
// byte for byte as it was, and still carry out one action afterwards.
#include "driver.h"
#include "unix_process.h"

#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include <set>

using namespace e2e;

namespace {

// ---------------------------------------------------------------- the launcher's own messages

// Every text a launcher box may show, English and Korean (code page 949).
const char* const kCatalogueTexts[] = {
    "Can't find 'notepad.exe'",
    "Can't find primary webbrowser",
    "DirectX 7.0 or higher has to be installed. Click 'Yes' for Install now",
    "DirectX 7.0 or higher is already installed to run the game. Would you like to re-install?",
    "Windows Socket has to be installed to run the game. Click 'Yes' to Install now",
    "Select Render Mode in Video Setup",
    " Please Install Vorn",
    "Can't read ServerList.dat. Server list update",
    "notepad.exe\xb8\xa6 \xc3\xa3\xc0\xbb \xbc\xf6 \xbe\xf8\xbd\xc0\xb4\xcf\xb4\xd9",
    "\xb1\xe2\xba\xbb \xba\xea\xb6\xf3\xbf\xec\xc1\xae\xc0\xbb \xc3\xa3\xc0\xbb \xbc\xf6 "
    "\xbe\xf8\xbd\xc0\xb4\xcf\xb4\xd9",
    "DirectX 7.0\xc0\xcc\xbb\xf3 \xb9\xf6\xc1\xaf\xc0\xbb \xbc\xb3\xc4\xa1\xc7\xcf\xbc\xc5"
    "\xbe\xdf \xb5\xcb\xb4\xcf\xb4\xd9. \xc1\xf6\xb1\xdd \xbc\xb3\xc4\xa1 \xc7\xcf\xbd\xc3"
    "\xb0\xda\xbd\xc0\xb4\xcf\xb1\xee?",
    "\xc0\xcc\xb9\xcc DirectX 7.0\xc0\xcc\xbb\xf3 \xb9\xf6\xc1\xaf\xc0\xcc \xbc\xb3\xc4\xa1"
    "\xb5\xc7\xbe\xee \xc0\xd6\xbd\xc0\xb4\xcf\xb4\xd9. \xb1\xd7\xb7\xa1\xb5\xb5 \xbc\xb3"
    "\xc4\xa1 \xc7\xcf\xbd\xc3\xb0\xda\xbd\xc0\xb4\xcf\xb1\xee?",
    "Windows95\xb4\xc2 Windows Socket\xc0\xbb \xbc\xb3\xc4\xa1\xc7\xcf\xbc\xc5\xbe\xdf "
    "\xc7\xd5\xb4\xcf\xb4\xd9. \xc1\xf6\xb1\xdd \xbc\xb3\xc4\xa1 \xc7\xcf\xbd\xc3\xb0\xda"
    "\xbd\xc0\xb4\xcf\xb1\xee?",
    "Video Setup\xbf\xa1\xbc\xad Render Mode\xb8\xa6 \xbc\xb1\xc5\xc3\xc7\xcf\xbf\xa9 "
    "\xc1\xd6\xbd\xca\xbd\xc3\xbf\xc0",
    "Vorn\xb8\xa6 \xc0\xce\xbd\xba\xc5\xe7 \xc7\xcf\xbf\xa9 \xc1\xd6\xbd\xca\xbd\xc3\xbf\xc0.",
    "ServerList.dat\xb8\xa6 \xc0\xd0\xbe\xee \xb5\xe9\xc0\xcc\xc1\xf6 \xb8\xf8\xc7\xdf\xbd\xc0"
    "\xb4\xcf\xb4\xd9. Server List\xb8\xa6 Update\xc7\xcf\xbf\xa9 \xc1\xd6\xbd\xca\xbd\xc3"
    "\xbf\xc0",
};

const char kDirectXAlready[] =
    "DirectX 7.0 or higher is already installed to run the game. Would you like to re-install?";
const char kDirectXRequired[] =
    "DirectX 7.0 or higher has to be installed. Click 'Yes' for Install now";
const char kSelectRenderMode[] = "Select Render Mode in Video Setup";
const char kServerListUnreadable[] = "Can't read ServerList.dat. Server list update";

bool IsCatalogueText(const std::string& text)
{
    for (const char* known : kCatalogueTexts)
        if (text == known)
            return true;
    return false;
}

bool IsMessageBox(const DialogInfo& d) { return d.Control(0xFFFF) != nullptr; }

// Fails the test for any box of the process whose text is not one of the
// launcher's messages; returns the boxes that are open.
std::vector<DialogInfo> CheckOpenBoxes(DWORD pid, const char* when)
{
    std::vector<DialogInfo> boxes;
    for (HWND dialog : FindDialogs(pid)) {
        DialogInfo d = DescribeDialog(dialog);
        if (!IsMessageBox(d))
            continue;
        EXPECT_TRUE(IsCatalogueText(d.text))
            << when << ": a box with a text that is not one of the launcher's messages: \""
            << d.text << "\" (caption \"" << d.caption << "\")";
        boxes.push_back(d);
    }
    return boxes;
}

// Waits for a message box of the process and returns it (hwnd null when none came).
DialogInfo WaitForMessageBox(DWORD pid, DWORD timeoutMs)
{
    DialogInfo found;
    PollUntil([&] {
        for (HWND dialog : FindDialogs(pid)) {
            DialogInfo d = DescribeDialog(dialog);
            if (IsMessageBox(d)) {
                found = d;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

// Waits for the server selection dialog (the dialog holding the server list box).
HWND WaitForServerDialog(DWORD pid, DWORD timeoutMs)
{
    HWND found = nullptr;
    PollUntil([&] {
        for (HWND dialog : FindDialogs(pid))
            if (GetDlgItem(dialog, 1089)) {
                found = dialog;
                return true;
            }
        return false;
    }, timeoutMs);
    return found;
}

// ---------------------------------------------------------------- crash dialogs

// Programs Wine starts when a process crashes; none may appear.
std::vector<std::string> CrashHandlers()
{
    std::vector<std::string> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    if (Process32First(snapshot, &entry)) {
        do {
            if (_stricmp(entry.szExeFile, "winedbg.exe") == 0 ||
                _stricmp(entry.szExeFile, "dwwin.exe") == 0 ||
                _stricmp(entry.szExeFile, "werfault.exe") == 0)
                found.push_back(entry.szExeFile);
        } while (Process32Next(snapshot, &entry));
    }
    CloseHandle(snapshot);
    return found;
}

// ---------------------------------------------------------------- file snapshots

typedef std::map<std::string, std::vector<unsigned char>> Snapshot;  // relative path -> bytes

void AddTree(const std::string& root, const std::string& relative, Snapshot* out)
{
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string child = relative.empty() ? name : relative + "\\" + name;
        if (relative.empty() && name == "records")
            continue;  // the stand-ins' records and the launcher's log
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*out)[child + "\\"] = std::vector<unsigned char>();
            AddTree(root, child, out);
        } else {
            (*out)[child] = ReadWholeFile(root + "\\" + child);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

Snapshot TakeSnapshot(const std::string& root)
{
    Snapshot snapshot;
    AddTree(root, "", &snapshot);
    return snapshot;
}

// Every difference between the two snapshots outside `allowed` (relative paths).
std::vector<std::string> SnapshotChanges(const Snapshot& before, const Snapshot& after,
                                         const std::set<std::string>& allowed)
{
    std::vector<std::string> changes;
    for (const auto& entry : before) {
        if (allowed.count(entry.first))
            continue;
        auto now = after.find(entry.first);
        if (now == after.end())
            changes.push_back("removed " + entry.first);
        else if (now->second != entry.second)
            changes.push_back("changed " + entry.first);
    }
    for (const auto& entry : after)
        if (!before.count(entry.first) && !allowed.count(entry.first))
            changes.push_back("created " + entry.first);
    return changes;
}

// ---------------------------------------------------------------- the player's CPU time

// Clock ticks (user + system) the Unix process of a Windows program has used;
// -1 when it cannot be found. `exePath` is unique to a test's game folder.
long long UnixCpuTicks(const std::string& exePath)
{
    return unix_process::CpuTicks(unix_process::ProcFolderOf(exePath));
}

// ---------------------------------------------------------------- folder tweaks

// Moves everything of the game folder (but its records) into `sub`, a folder
// below it, so the launcher can be started from a longer or stranger path.
bool MoveGameInto(const GameFolder& game, const std::string& sub)
{
    std::string target = game.Path(sub);
    if (!MakeFolders(target))
        return false;
    std::string top = sub.substr(0, sub.find('\\'));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(game.Path("*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    std::vector<std::string> names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != ".." && name != "records" && name != top)
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    for (const std::string& name : names)
        if (!MoveFileA(game.Path(name).c_str(), (target + "\\" + name).c_str()))
            return false;
    return true;
}

// A bitmap file header and info header with the given fields, then `tail` bytes.
std::string HostileBmp(LONG width, LONG height, WORD bits, DWORD coloursUsed, size_t tail)
{
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    memset(&file, 0, sizeof(file));
    memset(&info, 0, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = bits;
    info.biClrUsed = coloursUsed;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = (DWORD)(file.bfOffBits + tail);
    std::string bytes((const char*)&file, sizeof(file));
    bytes.append((const char*)&info, sizeof(info));
    bytes.append(tail, '\x5a');
    return bytes;
}

// ---------------------------------------------------------------- the table

enum Action {
    kHoverOnly,     // the move sound of a hover (Fence)
    kPaintCheck,    // the buttons are painted in their base images
    kServer,        // the server dialog opens, its rows are counted, Cancel closes it
    kPlayRuns,      // Play starts the game ("exit" mode) and the launcher comes back
    kPlayBox,       // Play shows `box`, answered with `answer`
    kPlayNoGame,    // Play finds no game: the window stays minimised, no box
    kDirectXYes,    // DirectX: the "already installed" question, Yes, the launcher ends
};

struct Setup {
    GameFolder& game;
    std::string launchDir;  // relative to the game folder ("" = the folder itself)
    bool exeAtTop;          // VornLauncher.exe started from the game folder itself
    LaunchOptions options;
};

struct FaultCase {
    const char* name;
    void (*prepare)(Setup&);
    Action action;
    const char* box;     // kPlayBox: the text expected
    int answer;          // kPlayBox: the button pressed
    bool endsLauncher;   // kPlayBox: the answer closes the launcher
    int minRows, maxRows;  // kServer: the rows the list may hold
};

void RecordServer()
{
    ASSERT_TRUE(CreateVornKey("SelectServer"));
    ASSERT_TRUE(WriteVornText("SelectServer", "", "10", 10));
}

// A Launcher key that start-up leaves alone (RenderInit set), with `RenderMode` as given.
void LauncherKeyWithRenderMode(DWORD type, const void* data, DWORD size)
{
    ASSERT_TRUE(CreateVornKey("Launcher"));
    ASSERT_TRUE(WriteVornDword("Launcher", "RenderInit", 1));
    ASSERT_TRUE(WriteVornDword("Launcher", "StartMode", 0));
    ASSERT_TRUE(WriteVornRaw("Launcher", "RenderMode", type, data, size));
}

void Nothing(Setup&) {}

void DeepFolder(Setup& s)
{
    // Nested folders of 20 characters, the last one cut so that the full path of
    // the launch folder is 250 characters long.
    const size_t want = 250;
    std::string sub;
    while (s.game.path.size() + 1 + sub.size() < want) {
        if (!sub.empty())
            sub += "\\";
        sub += "nested folder level";
    }
    sub.resize(want - s.game.path.size() - 1);
    while (sub.back() == '\\' || sub.back() == ' ')
        sub.back() = 'x';
    ASSERT_EQ(want, s.game.path.size() + 1 + sub.size());
    ASSERT_TRUE(MoveGameInto(s.game, sub)) << sub;
    s.launchDir = sub;
    // A program path beyond 259 characters cannot be started at all: the exe (and
    // the library it loads from its own folder) stay in the short folder.
    s.exeAtTop = true;
    ASSERT_TRUE(CopyOneFile(LauncherExe(), s.game.Path("VornLauncher.exe")));
    ASSERT_TRUE(CopyOneFile(StandinsDir() + "\\DSETUP.dll", s.game.Path("DSETUP.dll")));
}

void BlanksInPath(Setup& s)
{
    ASSERT_TRUE(MoveGameInto(s.game, "Vorn  Game Folder\\with blanks "
                                     "inside"));
    s.launchDir = "Vorn  Game Folder\\with blanks inside";
    RecordServer();
}

void KoreanPath(Setup& s)
{
    // "게임 폴더\보른" in code page 949.
    const std::string sub = "\xb0\xd4\xc0\xd3 \xc6\xfa\xb4\xf5\\\xba\xb8\xb8\xa5";
    ASSERT_TRUE(MoveGameInto(s.game, sub));
    s.launchDir = sub;
    RecordServer();
}

void ReadOnlyFolder(Setup& s)
{
    RecordServer();
    for (const char* f : {"", "\\Save", "\\initdata", "\\Launcher"})
        SetFileAttributesA((s.game.path + f).c_str(), FILE_ATTRIBUTE_READONLY);
}

void NoLauncherFolder(Setup& s)
{
    RemoveTree(s.game.Path("Launcher"));
    RecordServer();
}

void NoSaveFolder(Setup& s)
{
    RemoveTree(s.game.Path("Save"));
    RecordServer();
}

void NoInitdataFolder(Setup& s)
{
    RemoveTree(s.game.Path("initdata"));
    RecordServer();
}

void RenderModeAsText(Setup&)
{
    RecordServer();
    LauncherKeyWithRenderMode(REG_SZ, "100", 4);
}

void RenderModeEmpty(Setup&)
{
    RecordServer();
    LauncherKeyWithRenderMode(REG_DWORD, "", 0);
}

void StartModeEightBytes(Setup&)
{
    RecordServer();
    DWORD mode = 100;
    LauncherKeyWithRenderMode(REG_DWORD, &mode, 4);
    const unsigned char raised[8] = {1, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_TRUE(WriteVornRaw("Launcher", "StartMode", REG_BINARY, raised, sizeof(raised)));
}

void DstdirTooLong(Setup& s)
{
    // A folder that holds MathFunc.tbl, stored in a 300-byte field: a reader that
    // honoured only the text would disable the game buttons; the value is too big
    // for its 256-byte field, so it cannot be read and the buttons stay enabled.
    ASSERT_TRUE(WriteWholeFile(s.game.Path("MathFunc.tbl"), "table"));
    ASSERT_TRUE(CreateVornKey("InstallGame"));
    ASSERT_TRUE(CreateVornKey("Dstdir"));
    ASSERT_TRUE(WriteVornText("Dstdir", "", s.game.path, 300));
}

void NoHttpCommand(Setup&) { ASSERT_TRUE(RemoveHttpOpenCommand()); }
void EmptyHttpCommand(Setup&) { ASSERT_TRUE(SetHttpOpenCommand("")); }

void ServerListIsFolder(Setup& s)
{
    DeleteFileA(s.game.Path("Launcher\\ServerList.dat").c_str());
    ASSERT_TRUE(MakeFolders(s.game.Path("Launcher\\ServerList.dat")));
}

void ServerListEmpty(Setup& s)
{
    ASSERT_TRUE(WriteWholeFile(s.game.Path("Launcher\\ServerList.dat"), ""));
}

void ServerListGarbage(Setup& s)
{
    std::string bytes;
    unsigned seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.push_back((char)(seed >> 16));
    }
    bytes[0] = '7';  // a count, then binary lines of any length
    bytes[1] = '\n';
    ASSERT_TRUE(WriteWholeFile(s.game.Path("Launcher\\ServerList.dat"), bytes));
}

void ServerListHuge(Setup& s)
{
    // A count far beyond the table, then 10 MB of well-formed entries with overlong
    // names and addresses.
    std::string entry = "#DNS " + std::string(300, 'N') + "\r\n#TCPIP " + std::string(200, '1') +
                        "\r\n#TCPPORT 99999999999\r\n#LADDERIP " + std::string(100, '2') +
                        "\r\n#LADDERPORT -7\r\n";
    std::string bytes = "2147483647\r\n";
    while (bytes.size() < 10u * 1024 * 1024)
        bytes += entry;
    ASSERT_TRUE(WriteWholeFile(s.game.Path("Launcher\\ServerList.dat"), bytes));
}

const char kBackground[] = "Launcher\\Resource\\BackGround\\MainBK.bmp";

void BackgroundTruncated(Setup& s)
{
    std::vector<unsigned char> bytes = ReadWholeFile(s.game.Path(kBackground));
    ASSERT_GT(bytes.size(), 1000u);
    ASSERT_TRUE(WriteWholeFile(s.game.Path(kBackground),
                               std::string(bytes.begin(), bytes.begin() + bytes.size() / 2)));
}

void BackgroundHugeSize(Setup& s)
{
    ASSERT_TRUE(WriteWholeFile(s.game.Path(kBackground), HostileBmp(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, 64)));
}

void BackgroundNegativeSize(Setup& s)
{
    ASSERT_TRUE(WriteWholeFile(s.game.Path(kBackground), HostileBmp(-640, (LONG)0x80000000, 8, 0, 64)));
}

void BackgroundColoursBeyondData(Setup& s)
{
    ASSERT_TRUE(WriteWholeFile(s.game.Path(kBackground), HostileBmp(640, 480, 8, 0x40000000, 256)));
}

void BackgroundIsFolder(Setup& s)
{
    DeleteFileA(s.game.Path(kBackground).c_str());
    ASSERT_TRUE(MakeFolders(s.game.Path(kBackground)));
}

void NoStandIns(Setup& s)
{
    for (const char* f : {"DSETUP.dll", "VornD3D.exe", "VornGL.exe", "VornSavage.exe",
                          "Launcher\\GetList.exe", "Launcher\\SocketUpdate\\ws2setup.exe"})
        ASSERT_TRUE(DeleteFileA(s.game.Path(f).c_str())) << f;
    ASSERT_TRUE(RemoveHttpOpenCommand());
    RecordServer();
}

void NoGames(Setup& s)
{
    for (const char* f : {"VornD3D.exe", "VornGL.exe", "VornSavage.exe"})
        ASSERT_TRUE(DeleteFileA(s.game.Path(f).c_str())) << f;
    RecordServer();
}

void NoDirectXLibrary(Setup& s)
{
    ASSERT_TRUE(DeleteFileA(s.game.Path("DSETUP.dll").c_str()));
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand()));
    RecordServer();
}

const FaultCase kFaultCases[] = {
    // name, prepare, action, box, answer, endsLauncher, minRows, maxRows
    {"DeepFolderOf250Characters", DeepFolder, kServer, nullptr, 0, false, 0, 20},
    {"BlanksInThePath", BlanksInPath, kPlayRuns, nullptr, 0, false, 0, 0},
    {"ReadOnlyFolders", ReadOnlyFolder, kPlayRuns, nullptr, 0, false, 0, 0},
    {"NoLauncherFolder", NoLauncherFolder, kPlayRuns, nullptr, 0, false, 0, 0},
    {"NoSaveFolder", NoSaveFolder, kPlayRuns, nullptr, 0, false, 0, 0},
    {"NoInitdataFolder", NoInitdataFolder, kPlayRuns, nullptr, 0, false, 0, 0},
    {"RenderModeStoredAsText", RenderModeAsText, kPlayBox, kSelectRenderMode, IDOK, false, 0, 0},
    {"RenderModeOfZeroBytes", RenderModeEmpty, kPlayBox, kSelectRenderMode, IDOK, false, 0, 0},
    {"StartModeOfEightBytes", StartModeEightBytes, kPlayRuns, nullptr, 0, false, 0, 0},
    {"DstdirDefaultOf300Bytes", DstdirTooLong, kServer, nullptr, 0, false, 4, 4},
    {"NoHttpCommandKey", NoHttpCommand, kDirectXYes, nullptr, 0, false, 0, 0},
    {"HttpCommandNamingNothing", EmptyHttpCommand, kDirectXYes, nullptr, 0, false, 0, 0},
    {"ServerListIsAFolder", ServerListIsFolder, kServer, nullptr, 0, false, 0, 0},
    {"ServerListEmpty", ServerListEmpty, kServer, nullptr, 0, false, 0, 0},
    {"ServerListBinaryGarbage", ServerListGarbage, kServer, nullptr, 0, false, 0, 7},
    {"ServerListOf10MB", ServerListHuge, kServer, nullptr, 0, false, 1, 20},
    {"BackgroundTruncated", BackgroundTruncated, kPaintCheck, nullptr, 0, false, 0, 0},
    {"BackgroundOfHugeSize", BackgroundHugeSize, kPaintCheck, nullptr, 0, false, 0, 0},
    {"BackgroundOfNegativeSize", BackgroundNegativeSize, kPaintCheck, nullptr, 0, false, 0, 0},
    {"BackgroundColoursBeyondData", BackgroundColoursBeyondData, kPaintCheck, nullptr, 0, false, 0, 0},
    {"BackgroundIsAFolder", BackgroundIsFolder, kPaintCheck, nullptr, 0, false, 0, 0},
    {"NoStandInsAtAll", NoStandIns, kPlayBox, kDirectXRequired, IDYES, true, 0, 0},
    {"NoDirectXLibraryAnsweredNo", NoDirectXLibrary, kPlayBox, kDirectXRequired, IDNO, false, 0, 0},
    {"NoGameExecutables", NoGames, kPlayNoGame, nullptr, 0, false, 0, 0},
    {"NothingWrong", Nothing, kHoverOnly, nullptr, 0, false, 0, 0},
};

// Files Play is meant to write, relative to the launch folder.
const char* const kPlayOutputs[] = {"Save\\VornGame.dat", "Game.dat", "initdata\\profeng.dat",
                                    "initdata\\profkor.dat", "initdata\\skirmish.dat"};

void ParkCursor() { MoveToScreen(POINT{0, 0}); }

// Runs one case: prepare, start, act, close, compare. `expectCurrentDir` is
// checked against the game's record when Play runs.
void RunCase(const FaultCase& c, GameFolder& game, Launcher& launcher, bool korean)
{
    Setup setup{game, "", false, LaunchOptions()};
    setup.options.gameMode = "exit";
    setup.options.korean = korean;
    c.prepare(setup);
    if (::testing::Test::HasFatalFailure())
        return;
    std::string dir = setup.launchDir.empty() ? game.path : game.Path(setup.launchDir);
    setup.options.currentDir = dir;
    setup.options.exe = (setup.exeAtTop ? game.path : dir) + "\\VornLauncher.exe";
    ASSERT_TRUE(WriteWholeFile(game.Path("canary.bin"), std::string("\x00\xff canary\r\n", 11)));
    Snapshot before = TakeSnapshot(game.path);

    std::set<std::string> allowed;
    if (c.action == kPlayRuns || c.action == kPlayNoGame) {
        std::string prefix = setup.launchDir.empty() ? "" : setup.launchDir + "\\";
        for (const char* f : kPlayOutputs)
            allowed.insert(prefix + f);
    }

    ParkCursor();
    ASSERT_TRUE(StartLauncherProcess(game, setup.options, &launcher)) << LastError();
    ASSERT_TRUE(WaitForMainWindow(&launcher, 15000)) << LastError();
    CheckOpenBoxes(launcher.pid, "after start-up");

    bool ended = false;
    switch (c.action) {
    case kHoverOnly:
        break;
    case kPaintCheck: {
        for (int slot : {kSlotPlay, kSlotExit, kSlotInstall}) {
            int base = slot == kSlotInstall ? kSlots[slot].disabled : kSlots[slot].normal;
            PixelDiff diff = WaitForSlotImage(launcher, slot, base, 5000);
            EXPECT_TRUE(diff.Same()) << kSlots[slot].name << " not painted: " << diff.Describe();
        }
        break;
    }
    case kServer: {
        ClickSlot(launcher, kSlotServer);
        HWND dialog = nullptr;
        bool unreadable = false;
        // An unreadable list is reported first, by a box owned by the dialog.
        PollUntil([&] {
            dialog = WaitForServerDialog(launcher.pid, 0);
            for (const DialogInfo& box : CheckOpenBoxes(launcher.pid, "server dialog")) {
                EXPECT_EQ(kServerListUnreadable, box.text);
                unreadable = true;
                AnswerDialog(box.hwnd, IDOK);
                WaitForWindowGone(box.hwnd, 3000);
            }
            return dialog != nullptr && FindDialogs(launcher.pid).size() == 1;
        }, 8000);
        ASSERT_NE(nullptr, dialog) << "the server dialog did not open";
        int rows = ListBoxCount(dialog, 1089);
        printf("[ observed ] %s: %d server rows%s\n", c.name, rows,
               unreadable ? ", after the unreadable-list box" : "");
        EXPECT_LE(c.minRows, rows) << "server rows";
        EXPECT_GE(c.maxRows, rows) << "server rows";
        ASSERT_TRUE(AnswerDialog(dialog, IDCANCEL));
        ASSERT_TRUE(WaitForWindowGone(dialog, 5000)) << "the server dialog did not close";
        break;
    }
    case kPlayRuns: {
        ClickSlot(launcher, kSlotPlay);
        std::vector<Record> records;
        ASSERT_TRUE(WaitForRecords(game, "VornD3D", 1, 10000, &records))
            << "the game was not started; boxes: " << CheckOpenBoxes(launcher.pid, "Play").size();
        EXPECT_EQ(dir, records.back()["current_dir"]) << "the game's current folder";
        EXPECT_EQ("1", records.back()["start_mode"]) << "StartMode the game found";
        EXPECT_TRUE(PollUntil([&] { return !IsIconic(launcher.window); }, 6000))
            << "the launcher did not come back after the game";
        EXPECT_EQ(0u, ReadVornValue("Launcher", "StartMode").Dword());
        const Record& r = records.back();
        printf("[ observed ] %s: the game found Game.dat %s, VornGame.dat %s, profeng.dat %s\n",
               c.name, r.count("game_dat_size") ? r.at("game_dat_size").c_str() : "?",
               r.count("save_vorngame_dat_size") ? r.at("save_vorngame_dat_size").c_str() : "?",
               r.count("profeng_dat_size") ? r.at("profeng_dat_size").c_str() : "?");
        break;
    }
    case kPlayBox: {
        ClickSlot(launcher, kSlotPlay);
        DialogInfo box = WaitForMessageBox(launcher.pid, 8000);
        ASSERT_NE(nullptr, box.hwnd) << "expected the box \"" << c.box << "\"";
        EXPECT_EQ(c.box, box.text);
        ASSERT_TRUE(AnswerDialog(box.hwnd, c.answer));
        ASSERT_TRUE(WaitForWindowGone(box.hwnd, 5000));
        if (c.endsLauncher) {
            DWORD code = 1;
            ASSERT_TRUE(WaitForExit(launcher, 8000, &code)) << LastError();
            EXPECT_EQ(0u, code);
            ended = true;
        }
        EXPECT_TRUE(ReadRecords(game, "VornD3D").empty()) << "no game may start";
        break;
    }
    case kPlayNoGame: {
        ClickSlot(launcher, kSlotPlay);
        // Nothing to start: Play ends with the window minimised and StartMode raised.
        EXPECT_TRUE(PollUntil([&] { return IsIconic(launcher.window) != 0; }, 6000))
            << "Play did not minimise the window";
        EXPECT_TRUE(PollUntil([&] {
            return ReadVornValue("Launcher", "StartMode").Dword() == 1;
        }, 3000));
        break;
    }
    case kDirectXYes: {
        ClickSlot(launcher, kSlotDirectX);
        DialogInfo box = WaitForMessageBox(launcher.pid, 8000);
        ASSERT_NE(nullptr, box.hwnd) << "the DirectX question did not come";
        EXPECT_EQ(kDirectXAlready, box.text);
        ASSERT_TRUE(AnswerDialog(box.hwnd, IDYES));
        DWORD code = 1;
        ASSERT_TRUE(WaitForExit(launcher, 8000, &code)) << LastError();
        EXPECT_EQ(0u, code);
        ended = true;
        break;
    }
    }

    if (!ended) {
        CheckOpenBoxes(launcher.pid, "after the action");
        EXPECT_TRUE(FindDialogs(launcher.pid).empty()) << "a dialog or box is still open";
        if (c.action != kPlayNoGame) {
            // The launcher still takes input: a hover gives its move sound.
            EXPECT_TRUE(Fence(launcher)) << "the launcher no longer reacts: " << LastError();
        }
        DWORD code = 1;
        ASSERT_TRUE(CloseLauncher(launcher, 5000, &code)) << LastError();
        EXPECT_EQ(0u, code) << "exit code after WM_CLOSE";
    }
    EXPECT_TRUE(CrashHandlers().empty()) << "a crash handler is running";

    // Clear the read-only marks again, then compare every file.
    for (const char* f : {"", "\\Save", "\\initdata", "\\Launcher"})
        SetFileAttributesA((game.path + f).c_str(), FILE_ATTRIBUTE_NORMAL);
    Snapshot after = TakeSnapshot(game.path);
    for (const std::string& change : SnapshotChanges(before, after, allowed))
        ADD_FAILURE() << "a file it must not touch: " << change;
}

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultMatrix : public LauncherTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultMatrix, StartsActsAndClosesCleanly)
{
    RunCase(GetParam(), game, launcher, false);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultMatrix, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.name);
                         });

// Korean characters in an 8-bit path only exist under the Korean code page.
class KoreanFaultMatrix : public LauncherTest {};

TEST_F(KoreanFaultMatrix, KoreanCharactersInThePath)
{
    FaultCase c = {"KoreanPath", KoreanPath, kPlayRuns, nullptr, 0, false, 0, 0};
    RunCase(c, game, launcher, true);
}

// ---------------------------------------------------------------- a crashing game

// A crashed game never clears StartMode, so the launcher keeps waiting, minimised:
// quietly, and only until somebody clears the flag.
class FaultCrash : public LauncherTest {};

TEST_F(FaultCrash, WaitsWithoutBurningTheProcessorUntilStartModeIsCleared)
{
    RecordServer();
    LaunchOptions options;
    options.gameMode = "crash";
    ParkCursor();
    ASSERT_TRUE(Start(options));
    ClickSlot(launcher, kSlotPlay);
    ASSERT_TRUE(WaitForRecords(game, "VornD3D", 1, 10000)) << "the game was not started";
    ASSERT_TRUE(PollUntil([&] { return IsIconic(launcher.window) != 0; }, 5000));
    // The game process is gone once no program of the folder but the launcher runs.
    std::string gameExe = game.Path("VornD3D.exe");
    ASSERT_TRUE(PollUntil([&] { return UnixCpuTicks(gameExe) < 0; }, 8000))
        << "the crashing game is still running";
    EXPECT_EQ(1u, ReadVornValue("Launcher", "StartMode").Dword());

    std::string exe = game.Path("VornLauncher.exe");
    long long ticksBefore = UnixCpuTicks(exe);
    ASSERT_GE(ticksBefore, 0) << "cannot find the launcher's Unix process for " << exe;
    DWORD startedAt = GetTickCount();
    // A measuring window, not a wait for an effect: the launcher must stay put.
    Sleep(2000);
    long long ticksAfter = UnixCpuTicks(exe);
    DWORD elapsed = GetTickCount() - startedAt;
    EXPECT_TRUE(IsRunning(launcher));
    EXPECT_TRUE(IsIconic(launcher.window)) << "restored although StartMode is still 1";
    // 100 ticks a second; allow 5 % of one processor for a busy machine.
    EXPECT_LE(ticksAfter - ticksBefore, (long long)(elapsed / 10 * 5 / 100 + 2))
        << "processor ticks used while waiting for " << elapsed << " ms";
    CheckOpenBoxes(launcher.pid, "while waiting for the crashed game");
    EXPECT_TRUE(FindDialogs(launcher.pid).empty());

    ASSERT_TRUE(WriteVornDword("Launcher", "StartMode", 0));
    // Restoring and re-centring are two steps: wait for both.
    EXPECT_TRUE(PollUntil([&] { return RestoredAndCentred(launcher); }, 4000))
        << "not restored and centred after StartMode was cleared";
    EXPECT_TRUE(Fence(launcher)) << LastError();
    DWORD code = 1;
    ASSERT_TRUE(CloseLauncher(launcher, 5000, &code)) << LastError();
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(CrashHandlers().empty()) << "a crash handler is running";
}

}  // namespace
