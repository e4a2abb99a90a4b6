// The server selection dialog on the real launcher, opened with the Server
// button: what it shows, what OK writes for the game, that every other way out
// writes nothing, the alert for an unreadable list, and "List Update" with the
// updater stand-in (which folder's GetList.exe runs, the wait, the new list).
#include "driver.h"

#include <cstring>

using namespace e2e;

namespace {

const char kDialogCaption[] = "Select Server List";
const int kOk = 1, kCancel = 2, kList = 1089, kPrompt = 1090, kListUpdate = 1094;

// Five entries: an ordinary one, one without a name, one without addresses,
// one whose addresses are longer than their 49-byte fields, and a negative port.
const char kServerList[] =
    "5\r\n"
    "#DNS Alpha Server\r\n"
    "#TCPIP alpha.example\r\n"
    "#TCPPORT 7001\r\n"
    "#LADDERIP ladder.alpha.example\r\n"
    "#LADDERPORT 7101\r\n"
    "#DNS\r\n"
    "#TCPIP 10.0.0.2\r\n"
    "#TCPPORT 7002\r\n"
    "#LADDERIP 10.0.0.3\r\n"
    "#LADDERPORT 7102\r\n"
    "#DNS No Addresses\r\n"
    "#TCPIP\r\n"
    "#TCPPORT 7003\r\n"
    "#LADDERIP\r\n"
    "#LADDERPORT 7103\r\n"
    "#DNS Long Addresses\r\n"
    "#TCPIP tcp-0123456789-0123456789-0123456789-0123456789-0123456789\r\n"
    "#TCPPORT 7004\r\n"
    "#LADDERIP lad-0123456789-0123456789-0123456789-0123456789-0123456789\r\n"
    "#LADDERPORT 7104\r\n"
    "#DNS Negative Port\r\n"
    "#TCPIP neg.example\r\n"
    "#TCPPORT -5\r\n"
    "#LADDERIP ladder.neg.example\r\n"
    "#LADDERPORT 0\r\n";

const std::vector<std::string> kRows = {"Alpha Server", "", "No Addresses", "Long Addresses",
                                        "Negative Port"};

struct Server {
    const char* tcpAddress;
    DWORD tcpPort;
    const char* ladderAddress;
    DWORD ladderPort;
};

// What OK stores for each entry of kServerList; addresses cut to 49 bytes.
const Server kServers[] = {
    {"alpha.example", 7001, "ladder.alpha.example", 7101},
    {"10.0.0.2", 7002, "10.0.0.3", 7102},
    {"", 7003, "", 7103},
    {"tcp-0123456789-0123456789-0123456789-0123456789-0", 7004,
     "lad-0123456789-0123456789-0123456789-0123456789-0", 7104},
    {"neg.example", 0xFFFFFFFBu, "ladder.neg.example", 0},
};

// The text, then zero bytes up to `size`.
std::vector<unsigned char> Field(const std::string& text, size_t size)
{
    std::vector<unsigned char> bytes(size, 0);
    memcpy(bytes.data(), text.data(), text.size() < size ? text.size() : size);
    return bytes;
}

std::string Hex(const std::vector<unsigned char>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

std::string Joined(const std::vector<std::string>& rows)
{
    std::string out;
    for (const std::string& row : rows)
        out += "\"" + row + "\" ";
    return out;
}

void ExpectText(const char* name, const std::string& text, size_t size)
{
    RegValue v = ReadVornValue("SelectServer", name);
    ASSERT_TRUE(v.present) << "SelectServer\\" << name << " should have been written";
    EXPECT_EQ((DWORD)REG_SZ, v.type) << name << " type";
    EXPECT_EQ(Hex(Field(text, size)), Hex(v.data))
        << name << ": expected \"" << text << "\" in " << size << " zero-filled bytes, got "
        << v.data.size() << " bytes \"" << v.Text() << "\"";
}

void ExpectDword(const char* name, DWORD value)
{
    RegValue v = ReadVornValue("SelectServer", name);
    ASSERT_TRUE(v.present) << "SelectServer\\" << name << " should have been written";
    EXPECT_EQ((DWORD)REG_DWORD, v.type) << name << " type";
    EXPECT_EQ(4u, v.data.size()) << name << " size";
    EXPECT_EQ(value, v.Dword()) << name;
}

void ExpectServerStored(const Server& s)
{
    ExpectText("", "10", 10);
    ExpectText("TcpDNS", s.tcpAddress, 50);
    ExpectText("LadderDNS", s.ladderAddress, 50);
    ExpectDword("TcpPort", s.tcpPort);
    ExpectDword("LadderPort", s.ladderPort);
}

// The values a first start leaves in SelectServer: no default value, "10", 0.
void ExpectNothingStored()
{
    EXPECT_FALSE(ReadVornValue("SelectServer", "").present)
        << "no server should be recorded (the default value is absent until OK)";
    ExpectText("TcpDNS", "10", 50);
    ExpectText("LadderDNS", "10", 50);
    ExpectDword("TcpPort", 0);
    ExpectDword("LadderPort", 0);
}

void PressKey(WORD key)
{
    INPUT inputs[2];
    ZeroMemory(inputs, sizeof(inputs));
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = key;
        inputs[i].ki.wScan = (WORD)MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
        inputs[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(2, inputs, sizeof(INPUT));
}

// A real click on the close box of the dialog's caption.
void ClickCloseBox(HWND dialog)
{
    // The close box is the last caption button, inside the dialog frame.
    RECT w;
    GetWindowRect(dialog, &w);
    const int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
    const int width = GetSystemMetrics(SM_CXSIZE), height = GetSystemMetrics(SM_CYSIZE);
    MoveToScreen(POINT{w.right - frameX - width / 2, w.top + frameY + height / 2});
    LeftDown();
    LeftUp();
}

// Whether the launcher's thread answers a message within `ms`.
bool Responds(HWND window, UINT ms)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) != 0;
}

class ServerDialog : public LauncherTest {
protected:
    // Writes kServerList (or `list`) into the game folder and starts the launcher.
    bool StartWithList(const char* list = kServerList, LaunchOptions options = LaunchOptions())
    {
        if (!WriteWholeFile(game.Path("Launcher\\ServerList.dat"), list)) {
            ADD_FAILURE() << "cannot write ServerList.dat";
            return false;
        }
        return Start(options);
    }

    // Presses the Server button.
    void PressServer()
    {
        // Waits for the hover sound of the Server button before pressing, so
        // that the press lands after the launcher has seen the cursor arrive.
        POINT now = {-1, -1};
        GetCursorPos(&now);
        RECT slot = kSlots[kSlotServer].rect;
        MapWindowPoints(launcher.window, HWND_DESKTOP, (POINT*)&slot, 2);
        size_t sounds = SoundsPlayed(launcher).size();
        MoveToSlot(launcher, kSlotServer);
        if (!PtInRect(&slot, now)) {
            EXPECT_TRUE(WaitForSounds(launcher, sounds + 1, 5000))
                << "the Server button should sound on hover: " << LastError();
        }
        LeftDown();
        LeftUp();
    }

    // Presses Server and waits for the dialog.
    HWND Open()
    {
        PressServer();
        HWND dialog = WaitForDialog(launcher, 8000, kDialogCaption);
        if (!dialog) {
            std::string sounds;
            for (const std::string& sound : SoundsPlayed(launcher))
                sounds += sound + " ";
            ADD_FAILURE() << "the server dialog should open: " << LastError()
                          << "; sounds so far: " << sounds;
        }
        return dialog;
    }

    // Opens the dialog, clicks `row` and presses OK; waits until it is gone.
    void Choose(int row)
    {
        HWND dialog = Open();
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(ClickListRow(dialog, kList, row)) << LastError();
        ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kOk)) != 0; }, 5000))
            << "OK should be enabled after a click on row " << row;
        EXPECT_EQ(row, ListBoxSelection(dialog, kList));
        ASSERT_TRUE(ClickControl(dialog, kOk)) << LastError();
        ASSERT_TRUE(WaitForWindowGone(dialog, 5000)) << "OK should close the dialog";
    }

    void ExpectRows(HWND dialog, const std::vector<std::string>& rows)
    {
        std::vector<std::string> got = ListBoxRows(dialog, kList);
        EXPECT_EQ(rows, got) << "rows in file order; got " << Joined(got);
    }

    // After "List Update": the dialog has gone and, once the updater's wait is
    // over, the launcher window takes input again (it stays disabled, and drops
    // the mouse, until the dialog call has returned).
    void WaitUntilListUpdateDone(HWND dialog)
    {
        ASSERT_TRUE(WaitForWindowGone(dialog, 8000)) << "List Update should close the dialog";
        ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(launcher.window) != 0; }, 10000))
            << "the launcher window should be enabled again after the update";
    }
};

}  // namespace

// ---------------------------------------------------------------- what it shows

TEST_F(ServerDialog, ShowsItsControlsThePromptAndTheRowsInFileOrder)
{
    ASSERT_TRUE(StartWithList());
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    DialogInfo d = DescribeDialog(dialog);
    EXPECT_EQ(kDialogCaption, d.caption);
    EXPECT_EQ(launcher.window, d.owner) << "owned by the launcher window";
    EXPECT_FALSE(IsWindowEnabled(launcher.window)) << "modal: the launcher window is disabled";

    struct Expected {
        int id;
        const char* className;
        const char* text;
    };
    const Expected controls[] = {
        {kOk, "Button", "OK"},
        {kCancel, "Button", "Cancel"},
        {kList, "ListBox", ""},
        {kPrompt, "Static", "Under of ListBox to Server Select"},
        {kListUpdate, "Button", "List Update"},
    };
    ASSERT_EQ(5u, d.controls.size()) << "five controls";
    for (size_t i = 0; i < d.controls.size(); ++i) {
        const ControlInfo& c = d.controls[i];
        EXPECT_EQ(controls[i].id, c.id) << "control " << i << " in child order";
        EXPECT_EQ(Lower(controls[i].className), Lower(c.className)) << "class of " << c.id;
        EXPECT_EQ(controls[i].text, c.text) << "text of " << c.id;
        EXPECT_TRUE(c.visible) << c.id << " visible";
    }
    ExpectRows(dialog, kRows);

    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kOk))) << "OK disabled before a selection";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kCancel)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kListUpdate)));
    EXPECT_EQ(LB_ERR, ListBoxSelection(dialog, kList)) << "no row selected at first";

    ASSERT_TRUE(ClickListRow(dialog, kList, 2)) << LastError();
    EXPECT_TRUE(PollUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kOk)) != 0; }, 5000))
        << "a click on a row should enable OK";
    EXPECT_EQ(2, ListBoxSelection(dialog, kList));

    ASSERT_TRUE(AnswerDialog(dialog, kCancel));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    EXPECT_TRUE(PollUntil([&] { return IsWindowEnabled(launcher.window) != 0; }, 5000))
        << "the launcher window is enabled again after the dialog";
}

// ---------------------------------------------------------------- OK

TEST_F(ServerDialog, OkStoresTheChosenEntryWithItsExactTypesAndSizes)
{
    ASSERT_TRUE(StartWithList());
    // Row i is entry i, the nameless row and the one without addresses too.
    for (int row : {3, 0, 2, 1, 4}) {
        SCOPED_TRACE(::testing::Message() << "row " << row << " (\"" << kRows[row] << "\")");
        Choose(row);
        if (HasFatalFailure())
            return;
        ExpectServerStored(kServers[row]);
    }
    EXPECT_EQ((std::vector<std::string>{"", "LadderDNS", "LadderPort", "TcpDNS", "TcpPort"}),
              VornValueNames("SelectServer"))
        << "no value but the five";
}

// ---------------------------------------------------------------- every other way out

struct LeaveCase {
    const char* how;
    void (*leave)(HWND dialog);
};
void PrintTo(const LeaveCase& c, std::ostream* os) { *os << c.how; }

class ServerDialogLeave : public ServerDialog, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(ServerDialogLeave, WritesNothingAndKeepsAnEarlierChoice)
{
    ASSERT_TRUE(StartWithList());

    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ClickListRow(dialog, kList, 3)) << LastError();
    ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kOk)) != 0; }, 5000));
    GetParam().leave(dialog);
    ASSERT_TRUE(WaitForWindowGone(dialog)) << GetParam().how << " should close the dialog";
    ExpectNothingStored();

    Choose(0);
    if (HasFatalFailure())
        return;
    ExpectServerStored(kServers[0]);

    dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ClickListRow(dialog, kList, 4)) << LastError();
    ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kOk)) != 0; }, 5000));
    GetParam().leave(dialog);
    ASSERT_TRUE(WaitForWindowGone(dialog)) << GetParam().how << " should close the dialog";
    ExpectServerStored(kServers[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ServerDialogLeave,
    ::testing::Values(
        LeaveCase{"Cancel", [](HWND d) { ClickControl(d, kCancel); }},
        LeaveCase{"Esc", [](HWND d) {
            SetForegroundWindow(d);
            PressKey(VK_ESCAPE);
        }},
        LeaveCase{"close box", [](HWND d) { ClickCloseBox(d); }},
        LeaveCase{"WM_CLOSE", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }}),
    [](const ::testing::TestParamInfo<LeaveCase>& info) {
        std::string name;
        for (const char* p = info.param.how; *p; ++p)
            if (isalnum((unsigned char)*p))
                name += *p;
        return name;
    });

// ---------------------------------------------------------------- lists that give nothing

struct UnreadableCase {
    const char* what;
    bool directory;  // a folder named ServerList.dat instead of no file at all
};
void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.what; }

class ServerDialogUnreadable : public ServerDialog,
                               public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(ServerDialogUnreadable, AlertOwnedByTheDialogThenAnEmptyList)
{
    GameFolderOptions options;
    options.serverList = false;
    ASSERT_TRUE(RemakeGame(options));
    if (GetParam().directory) {
        ASSERT_TRUE(MakeFolders(game.Path("Launcher\\ServerList.dat")));
    }
    ASSERT_TRUE(Start());

    PressServer();
    HWND box = WaitForDialog(launcher, 8000, "Alert");
    ASSERT_NE(nullptr, box) << "the alert should come while the dialog opens: " << LastError();
    DialogInfo b = DescribeDialog(box);
    EXPECT_EQ("Can't read ServerList.dat. Server list update", b.text);
    EXPECT_FALSE(b.hasIcon) << "the alert has no icon";
    EXPECT_EQ(std::vector<int>{IDOK}, b.buttons) << "OK only";
    ASSERT_NE(nullptr, b.owner) << "the alert should have an owner";
    EXPECT_NE(launcher.window, b.owner) << "owned by the server dialog, not the launcher window";
    DialogInfo owner = DescribeDialog(b.owner);
    EXPECT_EQ(kDialogCaption, owner.caption) << "the alert's owner";

    ASSERT_TRUE(AnswerDialog(box, IDOK));
    HWND dialog = WaitForDialog(launcher, 5000, kDialogCaption);
    ASSERT_NE(nullptr, dialog) << LastError();
    EXPECT_EQ(b.owner, dialog) << "the alert's owner is the dialog that then shows";
    EXPECT_FALSE(IsWindow(box) && IsWindowVisible(box));
    EXPECT_EQ(0, ListBoxCount(dialog, kList)) << "an empty list";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kOk))) << "OK disabled";
    ASSERT_TRUE(AnswerDialog(dialog, kCancel));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectNothingStored();
}

INSTANTIATE_TEST_SUITE_P(Files, ServerDialogUnreadable,
                         ::testing::Values(UnreadableCase{"missing", false},
                                           UnreadableCase{"directory", true}),
                         [](const ::testing::TestParamInfo<UnreadableCase>& info) {
                             return std::string(info.param.what);
                         });

TEST_F(ServerDialog, EmptyFileAndCountZeroGiveAnEmptyListWithoutAlert)
{
    const char* const lists[] = {"", "0\r\n", "0\r\n#DNS Hidden\r\n#TCPIP a\r\n", "-2\r\n"};
    for (const char* list : lists) {
        SCOPED_TRACE(::testing::Message() << "ServerList.dat \"" << list << "\"");
        ASSERT_TRUE(StartWithList(list));
        HWND dialog = Open();
        ASSERT_NE(nullptr, dialog);
        // The alert would come before the dialog shows; once it shows, none is up.
        EXPECT_EQ(1u, FindDialogs(launcher.pid).size()) << "only the server dialog, no alert";
        EXPECT_EQ(0, ListBoxCount(dialog, kList)) << "an empty list";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kOk))) << "OK disabled";
        ASSERT_TRUE(AnswerDialog(dialog, kCancel));
        ASSERT_TRUE(WaitForWindowGone(dialog));
        ASSERT_TRUE(CloseLauncher(launcher)) << LastError();
    }
}

// ---------------------------------------------------------------- List Update

TEST_F(ServerDialog, ListUpdateRunsTheGameFoldersUpdaterWaitsAndTheNextOpeningShowsItsList)
{
    LaunchOptions options;
    options.env.push_back({"VORN_GETLIST_WAIT_MS", "3000"});
    ASSERT_TRUE(StartWithList(kServerList, options));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectRows(dialog, kRows);
    ASSERT_TRUE(ClickControl(dialog, kListUpdate)) << LastError();

    std::vector<Record> records;
    ASSERT_TRUE(WaitForRecords(game, "GetList", 1, 8000, &records)) << "GetList.exe should run";
    // The updater waits before it writes; meanwhile the launcher sits in its wait.
    EXPECT_FALSE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the dialog is gone first";
    EXPECT_FALSE(Responds(launcher.window, 300))
        << "the launcher should not handle messages while the updater runs";
    ASSERT_EQ(1u, records.size());
    const std::string folder = Lower(game.Path("Launcher"));
    EXPECT_EQ(folder + "\\getlist.exe", Lower(records[0]["module"]));
    EXPECT_EQ(folder, Lower(records[0]["current_dir"])) << "the updater's current directory";
    EXPECT_EQ("", records[0]["arguments"]) << "an empty command line";

    EXPECT_TRUE(PollUntil([&] {
        return IsWindowEnabled(launcher.window) && Responds(launcher.window, 200);
    }, 10000)) << "the launcher should handle messages again once the updater has ended";
    EXPECT_TRUE(FindDialogs(launcher.pid).empty()) << "the dialog does not come back by itself";

    dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectRows(dialog, {"Updated Server One", "Updated Server Two"});
    ASSERT_TRUE(ClickListRow(dialog, kList, 1)) << LastError();
    ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kOk)) != 0; }, 5000));
    ASSERT_TRUE(ClickControl(dialog, kOk));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectServerStored(Server{"10.20.30.51", 8002, "10.20.30.52", 8102});
    EXPECT_EQ(1u, ReadRecords(game, "GetList").size()) << "the updater ran once";
}

class ServerDialogInstallFolder : public ServerDialog,
                                  public ::testing::WithParamInterface<const char*> {};

// The install folder (Dstdir, read once InstallGame exists) names another
// folder: its Launcher\GetList.exe runs there, and the launcher comes back to
// its own folder, where the next opening reads the list as before.
TEST_P(ServerDialogInstallFolder, ListUpdateRunsTheUpdaterOfTheInstallFolder)
{
    const std::string other = game.Path("other");
    ASSERT_TRUE(CopyOneFile(StandinsDir() + "\\GetList.exe", other + "\\Launcher\\GetList.exe"));
    ASSERT_TRUE(CreateVornKey("InstallGame"));
    ASSERT_TRUE(WriteVornText("InstallGame", "", "C:\\nowhere"));
    ASSERT_TRUE(CreateVornKey("Dstdir"));
    ASSERT_TRUE(WriteVornText("Dstdir", "", other + GetParam(), 50));
    ASSERT_TRUE(StartWithList());

    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ClickControl(dialog, kListUpdate)) << LastError();
    WaitUntilListUpdateDone(dialog);
    if (HasFatalFailure())
        return;
    std::vector<Record> records;
    ASSERT_TRUE(WaitForRecords(game, "GetList", 1, 8000, &records)) << "GetList.exe should run";
    EXPECT_EQ(Lower(other + "\\Launcher\\GetList.exe"), Lower(records[0]["module"]));
    EXPECT_EQ(Lower(other + "\\Launcher"), Lower(records[0]["current_dir"]));
    EXPECT_TRUE(PollUntil([&] { return FileExists(other + "\\Launcher\\ServerList.dat"); }, 5000))
        << "the updater wrote its list into its own folder";

    dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ExpectRows(dialog, kRows);
    ASSERT_TRUE(AnswerDialog(dialog, kCancel));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    EXPECT_EQ(1u, ReadRecords(game, "GetList").size()) << "only the install folder's updater ran";
}

INSTANTIATE_TEST_SUITE_P(Endings, ServerDialogInstallFolder, ::testing::Values("", "\\"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(*info.param ? "TrailingBackslash" : "Plain");
                         });

TEST_F(ServerDialog, ListUpdateWithoutAnUpdaterOnlyClosesTheDialog)
{
    GameFolderOptions options;
    options.getList = false;
    ASSERT_TRUE(RemakeGame(options));
    ASSERT_TRUE(StartWithList());
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ClickControl(dialog, kListUpdate)) << LastError();
    WaitUntilListUpdateDone(dialog);
    if (HasFatalFailure())
        return;

    // The launcher takes input again and nothing else came up.
    ASSERT_TRUE(Fence(launcher)) << LastError();
    EXPECT_TRUE(FindDialogs(launcher.pid).empty()) << "no message, no dialog";
    EXPECT_TRUE(IsWindowEnabled(launcher.window));
    EXPECT_TRUE(ReadRecords(game, "GetList").empty());

    // Back in its own folder: the list still reads from the game folder.
    dialog = Open();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(1u, FindDialogs(launcher.pid).size()) << "no alert: the list was found";
    ExpectRows(dialog, kRows);
    ASSERT_TRUE(AnswerDialog(dialog, kCancel));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectNothingStored();
}

// ---------------------------------------------------------------- on a Korean system

class KoreanServerDialog : public ServerDialog {};

TEST_F(KoreanServerDialog, ShowsTheKoreanPromptAndRowsAndTheKoreanAlert)
{
    // "Korean Server" in code page 949, as the file holds it.
    ASSERT_TRUE(StartWithList("1\r\n"
                              "#DNS \xc7\xd1\xb1\xb9 \xbc\xad\xb9\xf6\r\n"
                              "#TCPIP kr.example\r\n"
                              "#TCPPORT 7201\r\n"
                              "#LADDERIP ladder.kr.example\r\n"
                              "#LADDERPORT 7301\r\n"));
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog);
    DialogInfo d = DescribeDialog(dialog);
    EXPECT_EQ(kDialogCaption, d.caption);
    ASSERT_NE(nullptr, d.Control(kPrompt));
    EXPECT_EQ("\xec\x95\x84\xeb\x9e\x98 \xeb\xa6\xac\xec\x8a\xa4\xed\x8a\xb8\xec\x97\x90\xec\x84\x9c "
              "\xec\x84\x9c\xeb\xb2\x84\xec\x9d\x84 \xec\x84\xa0\xed\x83\x9d\xed\x95\x98\xec\x97\xac "
              "\xec\xa3\xbc\xec\x8b\xad\xec\x8b\x9c\xec\x98\xa4",
              d.Control(kPrompt)->textUtf8)
        << "the Korean prompt (UTF-8 here)";
    EXPECT_EQ(std::vector<std::string>{"\xed\x95\x9c\xea\xb5\xad \xec\x84\x9c\xeb\xb2\x84"},
              ListBoxRows(dialog, kList, true))
        << "the Korean name from the file";
    ASSERT_TRUE(ClickListRow(dialog, kList, 0)) << LastError();
    ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kOk)) != 0; }, 5000));
    ASSERT_TRUE(ClickControl(dialog, kOk));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectServerStored(Server{"kr.example", 7201, "ladder.kr.example", 7301});

    // Without a list: the alert in Korean, still titled "Alert".
    ASSERT_TRUE(DeleteFileA(game.Path("Launcher\\ServerList.dat").c_str()));
    PressServer();
    HWND box = WaitForDialog(launcher, 8000, "Alert");
    ASSERT_NE(nullptr, box) << LastError();
    DialogInfo b = DescribeDialog(box);
    EXPECT_EQ("ServerList.dat\xeb\xa5\xbc \xec\x9d\xbd\xec\x96\xb4 \xeb\x93\xa4\xec\x9d\xb4\xec\xa7\x80 "
              "\xeb\xaa\xbb\xed\x96\x88\xec\x8a\xb5\xeb\x8b\x88\xeb\x8b\xa4. Server List\xeb\xa5\xbc "
              "Update\xed\x95\x98\xec\x97\xac \xec\xa3\xbc\xec\x8b\xad\xec\x8b\x9c\xec\x98\xa4",
              b.textUtf8);
    EXPECT_EQ(std::vector<int>{IDOK}, b.buttons);
    EXPECT_FALSE(b.hasIcon);
    ASSERT_TRUE(AnswerDialog(box, IDOK));
    dialog = WaitForDialog(launcher, 5000, kDialogCaption);
    ASSERT_NE(nullptr, dialog) << LastError();
    EXPECT_EQ(b.owner, dialog) << "owned by the server dialog";
    EXPECT_EQ(0, ListBoxCount(dialog, kList));
    ASSERT_TRUE(AnswerDialog(dialog, kCancel));
    ASSERT_TRUE(WaitForWindowGone(dialog));
}
