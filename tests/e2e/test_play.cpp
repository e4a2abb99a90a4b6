// Play on the real launcher: the checks that stop it (DirectX, the Windows
// Socket update, the server, the render mode), the start of the game for each
// render mode with the token files and stamps it finds, the wait while the
// launcher sits minimised, and the return to the centred window.
#include "driver.h"

#include <stdio.h>
#include <string.h>

using namespace e2e;

namespace {

const int kServerListBox = 1089;
const char kServerCaption[] = "Select Server List";
const char kReleaseFile[] = "release-game";

const char* const kWrittenFiles[] = {"Save\\VornGame.dat", "Game.dat", "initdata\\profeng.dat",
                                     "initdata\\profkor.dat", "initdata\\skirmish.dat"};
const char* const kVornKeys[] = {"", "Launcher", "Dstdir", "SelectServer", "SocketUpdate",
                                 "InstallGame"};

LaunchOptions WithGameMode(const char* mode)
{
    LaunchOptions options;
    options.gameMode = mode;
    return options;
}

// The value a server confirmation leaves behind: Play then skips the dialog.
void RecordServer() { ASSERT_TRUE(WriteVornText("SelectServer", "", "10", 10)); }

DWORD StartMode()
{
    RegValue v = ReadVornValue("Launcher", "StartMode");
    return v.present ? v.Dword() : 0xFFFFFFFFu;
}

// ---------------------------------------------------------------- what Play leaves on disk and in the registry

struct Snapshot {
    std::map<std::string, std::string> entries;  // name -> type and bytes, or file bytes
};

std::string Bytes(const std::vector<unsigned char>& data) { return std::string(data.begin(), data.end()); }

Snapshot TakeSnapshot(const GameFolder& game)
{
    Snapshot s;
    for (const char* file : kWrittenFiles) {
        std::string path = game.Path(file);
        if (FileExists(path))
            s.entries[std::string("file ") + file] = Bytes(ReadWholeFile(path));
    }
    for (const std::string& sub : VornSubkeys(""))
        s.entries["key " + sub] = "";
    for (const char* key : kVornKeys) {
        if (!VornKeyExists(key))
            continue;
        for (const std::string& name : VornValueNames(key)) {
            RegValue v = ReadVornValue(key, name.c_str());
            s.entries[std::string("value ") + key + "\\" + name] =
                std::to_string(v.type) + ":" + Bytes(v.data);
        }
    }
    return s;
}

// Names that came, went or changed between two snapshots; "" when none did.
std::string Changes(const Snapshot& before, const Snapshot& after)
{
    std::string out;
    for (const auto& entry : before.entries) {
        auto it = after.entries.find(entry.first);
        if (it == after.entries.end())
            out += "removed " + entry.first + "; ";
        else if (it->second != entry.second)
            out += "changed " + entry.first + "; ";
    }
    for (const auto& entry : after.entries) {
        if (!before.entries.count(entry.first))
            out += "added " + entry.first + "; ";
    }
    return out;
}

// ---------------------------------------------------------------- message boxes

struct BoxShape {
    const char* caption;
    const char* text;
    HWND owner;
    bool icon;
    std::vector<int> buttons;
};

// Waits for the box with the caption and checks it; nullptr when none came.
HWND ExpectBox(const Launcher& launcher, const BoxShape& shape)
{
    HWND box = WaitForDialog(launcher, 8000, shape.caption);
    if (!box) {
        ADD_FAILURE() << "expected a box \"" << shape.caption << "\": " << LastError();
        return nullptr;
    }
    DialogInfo info = DescribeDialog(box);
    EXPECT_EQ(shape.text, info.text);
    EXPECT_EQ(shape.owner, info.owner) << "owner of the box";
    EXPECT_EQ(shape.icon, info.hasIcon) << "icon in the box";
    EXPECT_EQ(shape.buttons, info.buttons) << "buttons of the box (ids)";
    return box;
}

void Answer(HWND box, int id)
{
    ASSERT_TRUE(AnswerDialog(box, id)) << LastError();
    ASSERT_TRUE(WaitForWindowGone(box)) << LastError();
}

// ---------------------------------------------------------------- the window

bool Iconic(const Launcher& launcher) { return IsIconic(launcher.window) != 0; }

std::string DescribePlace(const Launcher& launcher)
{
    WindowInfo w = DescribeWindow(launcher.window);
    char text[128];
    snprintf(text, sizeof(text), "iconic %d, visible %d, at (%ld, %ld), %ld x %ld", w.iconic,
             w.visible, w.window.left, w.window.top, w.window.right - w.window.left,
             w.window.bottom - w.window.top);
    return text;
}

// Waits until the launcher thread handles messages again (Play has returned
// or shows a box); false when it stays blocked.
bool LauncherAnswers(const Launcher& launcher, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(launcher.window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool ReleaseGame(const GameFolder& game)
{
    return WriteWholeFile(game.recordDir + "\\" + kReleaseFile, "");
}

void ForgetRelease(const GameFolder& game) { DeleteFileA((game.recordDir + "\\" + kReleaseFile).c_str()); }

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string Field(const Record& record, const char* key)
{
    auto it = record.find(key);
    return it == record.end() ? "<no such key>" : it->second;
}

// Presses a button and waits for its click sound: the press has reached the
// button bar and its command is running.
bool Press(const Launcher& launcher, int slot)
{
    const size_t base = SoundsPlayed(launcher).size();
    ClickSlot(launcher, slot);
    bool clicked = PollUntil([&] {
        std::vector<std::string> sounds = SoundsPlayed(launcher);
        for (size_t i = base; i < sounds.size(); ++i) {
            if (sounds[i] == kClickSound)
                return true;
        }
        return false;
    }, 5000);
    if (!clicked)
        ADD_FAILURE() << "no click sound within 5 s of pressing " << kSlots[slot].name
                      << "; sounds since: " << SoundsPlayed(launcher).size() - base << " ("
                      << DescribePlace(launcher) << ")";
    return clicked;
}

// Plays and waits for the game's record; the launcher then sits in the wait.
bool PlayUntilGameRuns(const Launcher& launcher, const GameFolder& game, const char* program,
                       size_t count, Record* out)
{
    if (!Press(launcher, kSlotPlay))
        return false;
    std::vector<Record> records;
    if (!WaitForRecords(game, program, count, 10000, &records)) {
        ADD_FAILURE() << "no run of " << program << " recorded after Play: " << LastError();
        return false;
    }
    if (out)
        *out = records.back();
    return true;
}

}  // namespace

class Play : public LauncherTest {};

// ---------------------------------------------------------------- DirectX

TEST_F(Play, OldDirectXAsksAndNoStopsPlayWhileYesOpensTheHelpPageAndCloses)
{
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    LaunchOptions options = WithGameMode("exit");
    options.dsetupVersion = "0x00040006";
    ASSERT_TRUE(Start(options));
    RecordServer();
    const BoxShape question = {
        "Message", "DirectX 7.0 or higher has to be installed. Click 'Yes' for Install now",
        launcher.window, true, {IDYES, IDNO}};

    Snapshot before = TakeSnapshot(game);
    ASSERT_TRUE(Press(launcher, kSlotPlay));
    HWND box = ExpectBox(launcher, question);
    ASSERT_TRUE(box);
    Answer(box, IDNO);
    ASSERT_TRUE(Fence(launcher)) << LastError();
    EXPECT_EQ("", Changes(before, TakeSnapshot(game))) << "No must leave everything as it was";
    EXPECT_TRUE(ReadRecords(game, "VornD3D").empty()) << "the game was started after No";
    EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty()) << "a page was opened after No";
    EXPECT_TRUE(RestoredAndCentred(launcher)) << DescribePlace(launcher);

    ASSERT_TRUE(Press(launcher, kSlotPlay));
    box = ExpectBox(launcher, question);
    ASSERT_TRUE(box);
    Answer(box, IDYES);
    std::vector<Record> pages;
    ASSERT_TRUE(WaitForRecords(game, "vorn_browser", 1, 8000, &pages)) << LastError();
    const std::string page = Field(pages.back(), "arguments");
    const std::string path = "/games/directx.html";
    EXPECT_TRUE(page.size() > path.size() && page.compare(page.size() - path.size(), path.size(), path) == 0 &&
                page.compare(0, 7, "http://") == 0)
        << "page handed to the browser: " << page;
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, 8000, &code)) << "the launcher stayed after Yes";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(ReadRecords(game, "VornD3D").empty()) << "the game was started after Yes";
}

// ---------------------------------------------------------------- Windows Socket update

TEST_F(Play, Windows95AsksForTheSocketUpdateWithoutOwnerNoGoesOnYesMarksAndRunsIt)
{
    ASSERT_TRUE(SetLauncherWindowsVersion("win95")) << LastError();
    ASSERT_TRUE(Start(WithGameMode("exit")));
    ASSERT_EQ(0u, ReadVornValue("SocketUpdate", "State").Dword());
    const BoxShape question = {
        "Messsage", "Windows Socket has to be installed to run the game. Click 'Yes' to Install now",
        nullptr, true, {IDYES, IDNO}};

    // No: Play goes on to the server step (no server is recorded).
    ASSERT_TRUE(Press(launcher, kSlotPlay));
    HWND box = ExpectBox(launcher, question);
    ASSERT_TRUE(box);
    Answer(box, IDNO);
    HWND servers = WaitForDialog(launcher, 8000, kServerCaption);
    ASSERT_TRUE(servers) << "No must lead on to the server dialog: " << LastError();
    Answer(servers, IDCANCEL);
    ASSERT_TRUE(Fence(launcher)) << LastError();
    EXPECT_FALSE(ReadVornValue("SocketUpdate", "SocketUpdate").present) << "No marked the update";

    // Yes: the marker is its own value, State stays 0, the installer runs, the launcher closes.
    Snapshot before = TakeSnapshot(game);
    ASSERT_TRUE(Press(launcher, kSlotPlay));
    box = ExpectBox(launcher, question);
    ASSERT_TRUE(box);
    Answer(box, IDYES);
    std::vector<Record> runs;
    ASSERT_TRUE(WaitForRecords(game, "ws2setup", 1, 8000, &runs)) << LastError();
    EXPECT_TRUE(SameText(game.Path("Launcher\\SocketUpdate\\ws2setup.exe"), Field(runs.back(), "module")))
        << Field(runs.back(), "module");
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, 8000, &code)) << "the launcher stayed after Yes";
    EXPECT_EQ(0u, code);
    RegValue marker = ReadVornValue("SocketUpdate", "SocketUpdate");
    EXPECT_TRUE(marker.present && marker.type == REG_DWORD && marker.data.size() == 4 && marker.Dword() == 1)
        << "SocketUpdate\\SocketUpdate: present " << marker.present << ", type " << marker.type
        << ", " << marker.data.size() << " bytes, " << marker.Dword();
    EXPECT_EQ("added value SocketUpdate\\SocketUpdate; ", Changes(before, TakeSnapshot(game)));
    EXPECT_TRUE(ReadRecords(game, "VornD3D").empty()) << "the game was started after Yes";
}

// ---------------------------------------------------------------- server

TEST_F(Play, WithoutRecordedServerCancelEndsPlayUnlessOkWasPressedEarlierInTheRun)
{
    ASSERT_TRUE(Start(WithGameMode("exit")));
    Snapshot before = TakeSnapshot(game);
    ASSERT_TRUE(Press(launcher, kSlotPlay));
    HWND dialog = WaitForDialog(launcher, 8000, kServerCaption);
    ASSERT_TRUE(dialog) << LastError();
    EXPECT_EQ(launcher.window, DescribeDialog(dialog).owner);
    Answer(dialog, IDCANCEL);
    ASSERT_TRUE(Fence(launcher)) << LastError();
    EXPECT_EQ("", Changes(before, TakeSnapshot(game))) << "Cancel must end Play with nothing written";
    EXPECT_TRUE(ReadRecords(game, "VornD3D").empty()) << "the game was started after Cancel";

    // OK in the Server command's dialog, then the record removed behind the launcher's back.
    ASSERT_TRUE(Press(launcher, kSlotServer));
    dialog = WaitForDialog(launcher, 8000, kServerCaption);
    ASSERT_TRUE(dialog) << LastError();
    ASSERT_TRUE(SelectListRow(dialog, kServerListBox, 0)) << LastError();
    Answer(dialog, IDOK);
    ASSERT_TRUE(PollUntil([] { return ReadVornValue("SelectServer", "").Text() == "10"; }, 5000))
        << "OK did not record the server";
    ASSERT_TRUE(DeleteVornValue("SelectServer", ""));

    ASSERT_TRUE(Press(launcher, kSlotPlay));
    dialog = WaitForDialog(launcher, 8000, kServerCaption);
    ASSERT_TRUE(dialog) << "no server recorded: the dialog must open again: " << LastError();
    Answer(dialog, IDCANCEL);
    std::vector<Record> runs;
    ASSERT_TRUE(WaitForRecords(game, "VornD3D", 1, 10000, &runs))
        << "OK earlier in the run: Play must go on after Cancel: " << LastError();
    EXPECT_TRUE(PollUntil([&] { return RestoredAndCentred(launcher); }, 5000)) << DescribePlace(launcher);
}

// ---------------------------------------------------------------- render mode

TEST_F(Play, NoValidRenderModeShowsTheVideoSetupHintAndWritesNothing)
{
    ASSERT_TRUE(Start(WithGameMode("exit")));
    RecordServer();
    const BoxShape hint = {"Messsage", "Select Render Mode in Video Setup", launcher.window, false,
                           {IDOK}};
    struct Case {
        const char* name;
        bool present;
        DWORD value;
    };
    const Case cases[] = {{"1", true, 1}, {"0", true, 0}, {"400", true, 400}, {"missing", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("RenderMode ") + c.name);
        if (c.present) {
            ASSERT_TRUE(WriteVornDword("Launcher", "RenderMode", c.value));
        } else {
            ASSERT_TRUE(DeleteVornValue("Launcher", "RenderMode"));
        }
        Snapshot before = TakeSnapshot(game);
        ASSERT_TRUE(Press(launcher, kSlotPlay));
        HWND box = ExpectBox(launcher, hint);
        ASSERT_TRUE(box);
        Answer(box, IDOK);
        ASSERT_TRUE(Fence(launcher)) << LastError();
        EXPECT_EQ("", Changes(before, TakeSnapshot(game)));
    }
    for (const char* program : {"VornD3D", "VornGL", "VornSavage"})
        EXPECT_TRUE(ReadRecords(game, program).empty()) << program << " was started";
}

// ---------------------------------------------------------------- the game's run

TEST_F(Play, EachRenderModeStartsItsGameWithTokensWhileMinimisedThenRestores)
{
    ASSERT_TRUE(Start(WithGameMode("wait-file")));
    RecordServer();
    struct Case {
        DWORD mode;
        const char* program;
    };
    const Case cases[] = {{100, "VornD3D"}, {200, "VornGL"}, {300, "VornSavage"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("RenderMode ") + std::to_string(c.mode));
        // Every Play writes the files afresh: start each round without them.
        ASSERT_TRUE(DeleteFileA(game.Path("Save\\VornGame.dat").c_str()) ||
                    !FileExists(game.Path("Save\\VornGame.dat")));
        ASSERT_TRUE(DeleteFileA(game.Path("Game.dat").c_str()) || !FileExists(game.Path("Game.dat")));
        for (const char* stamp : {"profeng.dat", "profkor.dat", "skirmish.dat"})
            ASSERT_TRUE(CopyOneFile(DemoDir() + "\\initdata\\" + stamp,
                                    game.Path(std::string("initdata\\") + stamp)));
        ASSERT_TRUE(WriteVornDword("Launcher", "RenderMode", c.mode));

        Record run;
        ASSERT_TRUE(PlayUntilGameRuns(launcher, game, c.program, 1, &run));
        EXPECT_TRUE(SameText(game.Path(std::string(c.program) + ".exe"), Field(run, "module")))
            << Field(run, "module");
        EXPECT_EQ("", Field(run, "arguments")) << "command line " << Field(run, "command_line");
        EXPECT_TRUE(SameText(game.path, Field(run, "current_dir"))) << Field(run, "current_dir");
        EXPECT_EQ("3000", Field(run, "save_vorngame_dat_size"));
        EXPECT_EQ("604821", Field(run, "save_vorngame_dat_at2000"));
        EXPECT_EQ("3000", Field(run, "game_dat_size"));
        EXPECT_EQ("3170926", Field(run, "game_dat_at2000"));
        EXPECT_EQ("f43d4a0deaf7cec5", Field(run, "game_dat_hex").substr(0, 16)) << "filler";
        EXPECT_EQ("271648", Field(run, "profeng_dat_at2000"));
        EXPECT_EQ("438297", Field(run, "profkor_dat_at2000"));
        EXPECT_EQ("915073", Field(run, "skirmish_dat_at2000"));
        EXPECT_EQ("4096", Field(run, "skirmish_dat_size")) << "a stamp keeps the file's length";
        EXPECT_EQ("1", Field(run, "start_mode")) << "StartMode when the game started";

        EXPECT_TRUE(PollUntil([&] { return Iconic(launcher); }, 5000)) << DescribePlace(launcher);
        EXPECT_EQ(1u, StartMode()) << "while the game runs";

        ASSERT_TRUE(ReleaseGame(game));
        ASSERT_TRUE(PollUntil([] { return StartMode() == 0; }, 5000)) << "the game did not clear StartMode";
        DWORD cleared = GetTickCount();
        bool back = PollUntil([&] { return RestoredAndCentred(launcher); }, 1500);
        EXPECT_TRUE(back) << "not back within 1.5 s of the game's end: " << DescribePlace(launcher);
        if (!back)
            PollUntil([&] { return RestoredAndCentred(launcher); }, 5000);
        printf("[ play ] %s: window back %lu ms after StartMode was cleared\n", c.program,
               GetTickCount() - cleared);
        ForgetRelease(game);
    }
}

TEST_F(Play, MissingExecutableLeavesTheWindowMinimisedAndStartModeRaisedWithoutMessage)
{
    GameFolderOptions noGames;
    noGames.games = false;
    ASSERT_TRUE(RemakeGame(noGames));
    ASSERT_TRUE(Start(WithGameMode("exit")));
    RecordServer();
    ASSERT_TRUE(Press(launcher, kSlotPlay));
    ASSERT_TRUE(PollUntil([&] { return Iconic(launcher); }, 5000)) << DescribePlace(launcher);
    ASSERT_TRUE(LauncherAnswers(launcher, 8000)) << "the launcher stays blocked without a game";
    EXPECT_TRUE(FindDialogs(launcher.pid).empty()) << "a message was shown";
    EXPECT_TRUE(Iconic(launcher)) << DescribePlace(launcher);
    EXPECT_EQ(1u, StartMode());
    EXPECT_TRUE(FileExists(game.Path("Game.dat"))) << "the token files come before the start";
}

// A file that cannot be opened is skipped; the others are written and the
// game starts all the same. (Wine run as root ignores the read-only
// attribute, so a file held open without sharing stands in for one the
// launcher may not write.)
TEST_F(Play, FilesThatCannotBeOpenedAreSkippedAndTheGameStillStarts)
{
    enum Kind { kRemoved, kHeldOpen, kNoSaveFolder };
    struct Case {
        const char* name;
        Kind kind;
        const char* file;     // below the game folder
        const char* sizeKey;  // the game's view of that file
        const char* size;
    };
    const Case cases[] = {
        {"profkor.dat missing", kRemoved, "initdata\\profkor.dat", "profkor_dat_size", "-1"},
        {"skirmish.dat held open", kHeldOpen, "initdata\\skirmish.dat", "skirmish_dat_size", "-1"},
        {"Game.dat held open", kHeldOpen, "Game.dat", "game_dat_size", "-1"},
        {"no Save folder", kNoSaveFolder, "Save\\VornGame.dat", "save_vorngame_dat_size", "-1"},
    };
    const char* const writtenKeys[][2] = {
        {"save_vorngame_dat_at2000", "604821"}, {"game_dat_at2000", "3170926"},
        {"profeng_dat_at2000", "271648"},       {"profkor_dat_at2000", "438297"},
        {"skirmish_dat_at2000", "915073"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameFolderOptions folder;
        folder.save = c.kind != kNoSaveFolder;
        ASSERT_TRUE(RemakeGame(folder));
        ResetVornKey();
        const std::string path = game.Path(c.file);
        HANDLE held = INVALID_HANDLE_VALUE;
        std::vector<unsigned char> original;
        if (c.kind == kRemoved) {
            ASSERT_TRUE(DeleteFileA(path.c_str()));
        } else if (c.kind == kHeldOpen) {
            if (!FileExists(path)) {
                ASSERT_TRUE(WriteWholeFile(path, "x"));
            }
            original = ReadWholeFile(path);
            held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held) << "cannot hold " << path;
        }
        ASSERT_TRUE(Start(WithGameMode("exit")));
        RecordServer();
        Record run;
        bool ran = PlayUntilGameRuns(launcher, game, "VornD3D", 1, &run);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (ran) {
            EXPECT_EQ(c.size, Field(run, c.sizeKey));
            // The other four files are written as usual.
            const std::string stem = std::string(c.sizeKey).substr(0, strlen(c.sizeKey) - 5);
            for (const auto& key : writtenKeys) {
                if (std::string(key[0]).rfind(stem, 0) != 0) {
                    EXPECT_EQ(key[1], Field(run, key[0])) << key[0];
                }
            }
            if (c.kind == kHeldOpen) {
                EXPECT_TRUE(original == ReadWholeFile(path)) << "the file held open was changed";
            }
            EXPECT_TRUE(PollUntil([&] { return RestoredAndCentred(launcher); }, 5000))
                << DescribePlace(launcher);
        }
        DWORD code = 0;
        EXPECT_TRUE(CloseLauncher(launcher, 5000, &code)) << LastError();
        ReleaseLauncher(launcher);
        ASSERT_TRUE(ran);
    }
}

TEST_F(Play, LauncherKeyDeletedWhileTheGameRunsEndsTheWaitWithTheProcess)
{
    ASSERT_TRUE(Start(WithGameMode("wait-file")));
    RecordServer();
    ASSERT_TRUE(PlayUntilGameRuns(launcher, game, "VornD3D", 1, nullptr));
    ASSERT_TRUE(PollUntil([&] { return Iconic(launcher); }, 5000)) << DescribePlace(launcher);
    ASSERT_TRUE(DeleteVornKey("Launcher"));
    ASSERT_TRUE(ReleaseGame(game));
    EXPECT_TRUE(PollUntil([&] { return RestoredAndCentred(launcher); }, 5000)) << DescribePlace(launcher);
    EXPECT_FALSE(VornKeyExists("Launcher")) << "the wait must not make the key again";
}

TEST_F(Play, HandOverKeepsTheLauncherMinimisedUntilTheChildClearsStartMode)
{
    LaunchOptions options = WithGameMode("handover");
    options.env.push_back({"VORN_GAME_HANDOVER_MS", "2000"});
    ASSERT_TRUE(Start(options));
    RecordServer();
    std::vector<Record> runs;
    ASSERT_TRUE(Press(launcher, kSlotPlay));
    ASSERT_TRUE(WaitForRecords(game, "VornD3D", 2, 10000, &runs)) << "no hand-over child: " << LastError();
    ASSERT_EQ("handover", Field(runs[0], "mode"));
    ASSERT_EQ("handover-child", Field(runs[1], "mode"));

    // The process the launcher started has ended; the child still holds StartMode.
    DWORD parentPid = (DWORD)strtoul(Field(runs[0], "pid").c_str(), nullptr, 10);
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentPid);
    if (parent) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(parent, 5000)) << "the started game did not end";
        CloseHandle(parent);
    }
    ASSERT_EQ(1u, StartMode()) << "the child cleared StartMode before it could be checked";
    EXPECT_TRUE(Iconic(launcher)) << "restored while the child runs: " << DescribePlace(launcher);

    ASSERT_TRUE(PollUntil([] { return StartMode() == 0; }, 8000)) << "the child did not clear StartMode";
    // StartMode is re-read about once a second after the process has ended.
    EXPECT_TRUE(PollUntil([&] { return RestoredAndCentred(launcher); }, 2500)) << DescribePlace(launcher);
}

TEST_F(Play, GameEndingWithExitCode259CountsAsEnded)
{
    ASSERT_TRUE(Start(WithGameMode("exit259")));
    RecordServer();
    ASSERT_TRUE(PlayUntilGameRuns(launcher, game, "VornD3D", 1, nullptr));
    EXPECT_TRUE(PollUntil([&] { return RestoredAndCentred(launcher); }, 5000)) << DescribePlace(launcher);
}
