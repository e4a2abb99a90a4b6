// The driver's own means of observation, tried on the real launcher and on a
// stand-in: sound lines, the fence, message boxes and records.
#include "driver.h"

using namespace e2e;

namespace {

std::string Joined(const std::vector<std::string>& items)
{
    std::string all;
    for (const std::string& item : items)
        all += "[" + item + "] ";
    return all;
}

}  // namespace

class Driver : public LauncherTest {};

// Moves over every reacting button, each waited for: one move sound per
// button entered and none twice; then the fence sounds after them.
TEST_F(Driver, SeesEachHoverSoundOnceInOrderAndFencesTwiceInARow)
{
    MoveToScreen(POINT{0, 0});
    ASSERT_TRUE(Start());
    const int visits[] = {kSlotDirectX, kSlotPlay, kSlotServer, kSlotHelp, kSlotVideo};
    size_t seen = 0;
    for (int slot : visits) {
        MoveToSlot(launcher, slot);
        ASSERT_TRUE(WaitForSounds(launcher, ++seen)) << kSlots[slot].name << ": " << LastError();
    }
    std::vector<std::string> before;
    ASSERT_TRUE(Fence(launcher, &before)) << LastError();
    EXPECT_EQ(std::vector<std::string>(5, kMoveSound), before) << Joined(before);
    ASSERT_TRUE(Fence(launcher, &before)) << LastError();
    EXPECT_EQ(6u, before.size()) << "the five hovers and the first fence: " << Joined(before);
    EXPECT_EQ(7u, SoundsPlayed(launcher).size()) << Joined(SoundsPlayed(launcher));
}

TEST_F(Driver, SeesTheClickSoundAfterTheHoverSound)
{
    MoveToScreen(POINT{0, 0});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(HoverSlot(launcher, kSlotExit)) << LastError();
    LeftDown();
    LeftUp();
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, 5000, &code)) << LastError();
    EXPECT_EQ(0u, code);
    EXPECT_EQ((std::vector<std::string>{kMoveSound, kClickSound}), SoundsPlayed(launcher));
}

// A sound whose playing thread never named it (the launcher ended first) is
// named from the launcher's exe: the same log without the naming lines gives
// the same sounds.
TEST_F(Driver, NamesSoundsFromTheExeWhenThePlayingThreadSaidNothing)
{
    MoveToScreen(POINT{0, 0});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(HoverSlot(launcher, kSlotExit)) << LastError();
    ClickSlot(launcher, kSlotExit);
    ASSERT_TRUE(WaitForExit(launcher, 5000)) << LastError();
    std::vector<std::string> seen = SoundsPlayed(launcher);
    ASSERT_EQ((std::vector<std::string>{kMoveSound, kClickSound}), seen);

    std::vector<unsigned char> bytes = ReadWholeFile(launcher.stderrLog);
    std::string log(bytes.begin() + launcher.logOffset, bytes.end()), calls;
    for (size_t at = 0, eol; (eol = log.find('\n', at)) != std::string::npos; at = eol + 1) {
        std::string line = log.substr(at, eol + 1 - at);
        if (line.find("proc_PlaySound") == std::string::npos)
            calls += line;
    }
    Launcher silent = launcher;
    silent.stderrLog = game.recordDir + "\\calls-only.log";
    silent.logOffset = 0;
    ASSERT_TRUE(WriteWholeFile(silent.stderrLog, calls)) << LastError();
    EXPECT_EQ(seen, SoundsPlayed(silent));
}

// A stand-in's message box: found by process, read, answered by id; the
// stand-in's record names the page it was given.
TEST_F(Driver, ReadsAndAnswersAMessageBoxAndReadsRecords)
{
    LaunchOptions options;
    options.quiet = false;
    options.traceSounds = false;
    options.exe = StandinsDir() + "\\vorn_browser.exe";
    ASSERT_TRUE(StartLauncherProcess(game, options, &launcher)) << LastError();
    HWND box = WaitForDialog(launcher, 10000, "Browser");
    ASSERT_NE(nullptr, box) << LastError();

    DialogInfo info = DescribeDialog(box);
    EXPECT_EQ("Browser", info.caption);
    EXPECT_EQ("The browser stand-in was asked to open:\n\n", info.text);
    EXPECT_EQ(nullptr, info.owner);
    EXPECT_TRUE(info.hasIcon) << "MB_ICONINFORMATION";
    EXPECT_EQ(std::vector<int>{IDOK}, info.buttons);
    ASSERT_NE(nullptr, info.Control(65535));
    EXPECT_EQ("Static", info.Control(65535)->className);

    ASSERT_TRUE(AnswerDialog(box, IDOK)) << LastError();
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, 5000, &code)) << LastError();
    EXPECT_EQ(0u, code);

    std::vector<Record> records;
    ASSERT_TRUE(WaitForRecords(game, "vorn_browser", 1, 1000, &records)) << LastError();
    EXPECT_EQ("vorn_browser.exe", records[0]["program"]);
    EXPECT_EQ(game.path, records[0]["current_dir"]);
    EXPECT_EQ("", records[0]["arguments"]);
}

// The default browser entry and the Windows version are put back afterwards.
TEST_F(Driver, RestoresTheBrowserEntryAndTheWindowsVersion)
{
    HKEY key;
    std::string before;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        char value[512] = {0};
        DWORD size = sizeof(value) - 1;
        if (RegQueryValueExA(key, "", nullptr, nullptr, (BYTE*)value, &size) == ERROR_SUCCESS)
            before = value;
        RegCloseKey(key);
    }
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    ASSERT_TRUE(SetLauncherWindowsVersion("win95")) << LastError();
    RestoreHttpOpenCommand();
    ClearLauncherWindowsVersion();

    std::string after;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        char value[512] = {0};
        DWORD size = sizeof(value) - 1;
        if (RegQueryValueExA(key, "", nullptr, nullptr, (BYTE*)value, &size) == ERROR_SUCCESS)
            after = value;
        RegCloseKey(key);
    }
    EXPECT_EQ(before, after);
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER,
                                           "Software\\Wine\\AppDefaults\\VornLauncher.exe", 0,
                                           KEY_READ, &key));
}
