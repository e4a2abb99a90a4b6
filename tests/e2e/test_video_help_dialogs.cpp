// The Video setup and Help dialogs on the real launcher: what they show, what
// each button writes, starts or reports, and when they close.
//
// The readme tests need the notepad stand-in in place of C:\windows\notepad.exe
// of the Wine prefix (scripts/test.sh installs it); without it they skip.
#include "driver.h"

#include <stdio.h>

using namespace e2e;

namespace {

const char kVideoCaption[] = "Video Setup Dialog";
const char kHelpCaption[] = "Help Dialog";
const char kGLSetupPage[] = "http://www.glsetup.example/where.htm";
const char kCommunitySite[] = "www.vorn-community.example";
const char kMissingBrowser[] = "\"C:\\nowhere\\none.exe\" %1";

// Video setup controls.
const int kGLSetup = 1083, kDirect3D = 1084, kOpenGL = 1085, kQuit = 1087, kSavage = 1096;
// Help controls.
const int kReadme = 1081, kCommunity = 1082;

struct ControlRow {
    int id;
    const char* caption;
};

std::string Describe(const DialogInfo& d)
{
    std::string out = "\"" + d.caption + "\" [";
    for (const ControlInfo& c : d.controls) {
        char line[160];
        snprintf(line, sizeof(line), " %d %s \"%s\"", c.id, c.className.c_str(), c.text.c_str());
        out += line;
    }
    return out + " ]";
}

// Caption, owner and children (ids, captions, plain visible push buttons with a
// tab stop) in template order.
void ExpectDialogShape(const DialogInfo& d, HWND owner, const char* caption,
                       const std::vector<ControlRow>& rows)
{
    EXPECT_EQ(caption, d.caption);
    EXPECT_EQ(owner, d.owner) << "the dialog is owned by the launcher window";
    ASSERT_EQ(rows.size(), d.controls.size()) << Describe(d);
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlInfo& c = d.controls[i];
        SCOPED_TRACE(testing::Message() << "child " << i << ", expected id " << rows[i].id);
        EXPECT_EQ(rows[i].id, c.id);
        EXPECT_EQ(rows[i].caption, c.text);
        EXPECT_STRCASEEQ("Button", c.className.c_str());
        EXPECT_EQ((DWORD)BS_PUSHBUTTON, c.style & BS_TYPEMASK)
            << std::hex << "plain push button, not the default one; style 0x" << c.style;
        EXPECT_TRUE((c.style & WS_TABSTOP) != 0) << std::hex << "tab stop; style 0x" << c.style;
        EXPECT_TRUE(c.visible);
        EXPECT_TRUE(c.enabled);
    }
}

// The window with the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info))
        return nullptr;
    return info.hwndFocus;
}

void PressKey(WORD vk)
{
    INPUT keys[2];
    ZeroMemory(keys, sizeof(keys));
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = vk;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

// A real click on the dialog's close box, found through the dialog's own hit test.
bool ClickCloseBox(HWND dialog)
{
    RECT r;
    if (!GetWindowRect(dialog, &r))
        return false;
    int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = r.right - 1; x > r.left + (r.right - r.left) / 2; --x) {
        LRESULT hit = SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y));
        if (hit == HTCLOSE) {
            MoveToScreen(POINT{x - 2, y});
            LeftDown();
            LeftUp();
            return true;
        }
    }
    return false;
}

// How a test closes a dialog.
enum CloseWay { kByButton, kByEscKey, kByCloseBox };

bool CloseDialogBy(HWND dialog, CloseWay way, int button)
{
    switch (way) {
    case kByButton: return ClickControl(dialog, button);
    case kByEscKey: PressKey(VK_ESCAPE); return true;
    case kByCloseBox: return ClickCloseBox(dialog);
    }
    return false;
}

std::string WindowsNotepad()
{
    char dir[MAX_PATH] = {0};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\notepad.exe";
}

std::string NotepadAway() { return WindowsNotepad() + ".vorn-away"; }

// Puts back a notepad.exe that an interrupted run left renamed.
void RecoverNotepad()
{
    if (!FileExists(WindowsNotepad()) && FileExists(NotepadAway()))
        MoveFileA(NotepadAway().c_str(), WindowsNotepad().c_str());
}

// nullptr when C:\windows\notepad.exe is the stand-in, otherwise why not.
const char* NotepadStandinMissing()
{
    RecoverNotepad();
    static std::string why;
    std::vector<unsigned char> installed = ReadWholeFile(WindowsNotepad());
    std::vector<unsigned char> standin = ReadWholeFile(StandinsDir() + "\\vorn_notepad.exe");
    if (standin.empty())
        why = "the notepad stand-in " + StandinsDir() + "\\vorn_notepad.exe is not built";
    else if (installed != standin)
        why = WindowsNotepad() + " of this Wine prefix is not the notepad stand-in (copy " +
              StandinsDir() + "\\vorn_notepad.exe over it; scripts/test.sh does)";
    else
        return nullptr;
    return why.c_str();
}

#define REQUIRE_NOTEPAD_STANDIN()                          \
    do {                                                   \
        if (const char* why = NotepadStandinMissing())     \
            GTEST_SKIP() << why;                           \
    } while (0)

// Takes C:\windows\notepad.exe away for as long as it lives.
struct NotepadAwayGuard {
    bool moved = false;
    NotepadAwayGuard()
    {
        RecoverNotepad();
        moved = MoveFileA(WindowsNotepad().c_str(), NotepadAway().c_str()) != 0;
    }
    ~NotepadAwayGuard()
    {
        if (moved)
            MoveFileA(NotepadAway().c_str(), WindowsNotepad().c_str());
    }
};

class DialogTest : public LauncherTest {
protected:
    // Presses a button of the launcher and waits for the dialog it opens.
    HWND Open(int slot, const char* caption)
    {
        ClickSlot(launcher, slot);
        HWND dialog = WaitForDialog(launcher, 5000, caption);
        EXPECT_TRUE(dialog != nullptr) << "expected the \"" << caption << "\" dialog: " << LastError();
        return dialog;
    }

    // Nothing further came: the launcher still runs, answers the mouse, and
    // shows no dialog or box.
    void ExpectQuietAndRunning(const char* after)
    {
        ASSERT_TRUE(IsRunning(launcher)) << "the launcher ended after " << after;
        ASSERT_TRUE(Fence(launcher)) << after << ": " << LastError();
        std::vector<HWND> dialogs = FindDialogs(launcher.pid);
        EXPECT_TRUE(dialogs.empty()) << after << ": expected no dialog or box, found \""
                                     << DescribeDialog(dialogs[0]).caption << "\"";
    }

    // Copies the launcher and the files it reads to `folder` (a path of the
    // test's choice inside the game folder) and starts it there.
    bool StartIn(const std::string& folder, const LaunchOptions& base = LaunchOptions())
    {
        const char* files[] = {"VornLauncher.exe", "DSETUP.dll",
                               "Launcher\\Resource\\BackGround\\MainBK.bmp",
                               "Launcher\\lsound\\mmove.wav", "Launcher\\lsound\\mclick.wav",
                               "Launcher\\ReadmeEng.txt", "Launcher\\ReadmeHan.txt"};
        for (const char* file : files) {
            if (!CopyOneFile(game.Path(file), folder + "\\" + file)) {
                ADD_FAILURE() << "cannot copy " << file << " to " << folder << ": " << LastError();
                return false;
            }
        }
        LaunchOptions options = base;
        options.exe = folder + "\\VornLauncher.exe";
        options.currentDir = folder;
        return Start(options);
    }
};

// ================================================================ video setup

class VideoSetup : public DialogTest {};

TEST_F(VideoSetup, ShowsItsCaptionAndFiveButtonsInTemplateOrder)
{
    ASSERT_TRUE(Start());
    HWND dialog = Open(kSlotVideo, kVideoCaption);
    ASSERT_TRUE(dialog);
    DialogInfo d = DescribeDialog(dialog);
    ExpectDialogShape(d, launcher.window, kVideoCaption,
                      {{kGLSetup, "GLSetup.exe Install"},
                       {kDirect3D, "Select Direct3D Render"},
                       {kOpenGL, "Select OpenGL Render"},
                       {kQuit, "Quit"},
                       {kSavage, "Select OpenGL Render for Savage"}});
    // Quit comes before the Savage button in tab order but sits below it.
    RECT quit, savage;
    GetWindowRect(GetDlgItem(dialog, kQuit), &quit);
    GetWindowRect(GetDlgItem(dialog, kSavage), &savage);
    EXPECT_GT(quit.top, savage.bottom) << "Quit is the lowest button";
    // Opening the dialog writes nothing.
    EXPECT_EQ(100u, ReadVornValue("Launcher", "RenderMode").Dword());
}

// Each choice is written at once and closes the dialog; choosing the same
// mode again writes it again (the value is spoiled in between to see that).
TEST_F(VideoSetup, RenderButtonsWriteTheirModeEveryTimeAndClose)
{
    struct Row {
        int button;
        DWORD mode;
    } rows[] = {{kSavage, 300}, {kOpenGL, 200}, {kDirect3D, 100}};
    ASSERT_TRUE(Start());
    for (const Row& row : rows) {
        for (int round = 1; round <= 2; ++round) {
            SCOPED_TRACE(testing::Message() << "button " << row.button << ", choice " << round);
            ASSERT_TRUE(WriteVornDword("Launcher", "RenderMode", 7));
            HWND dialog = Open(kSlotVideo, kVideoCaption);
            ASSERT_TRUE(dialog);
            ASSERT_TRUE(ClickControl(dialog, row.button)) << LastError();
            ASSERT_TRUE(WaitForWindowGone(dialog, 3000)) << "the dialog closes: " << LastError();
            RegValue value;
            bool written = PollUntil([&] {
                value = ReadVornValue("Launcher", "RenderMode");
                return value.Dword() == row.mode;
            }, 3000);
            EXPECT_TRUE(written) << "expected RenderMode " << row.mode << ", found "
                                 << value.Dword();
            EXPECT_EQ((DWORD)REG_DWORD, value.type);
            EXPECT_EQ(4u, value.data.size());
        }
    }
    ExpectQuietAndRunning("the render choices");
}

TEST_F(VideoSetup, RenderChoiceWithoutLauncherKeyAsksToInstallAndCreatesNothing)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(DeleteVornKey("Launcher"));
    HWND dialog = Open(kSlotVideo, kVideoCaption);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickControl(dialog, kOpenGL)) << LastError();

    HWND box = WaitForDialog(launcher, 5000, "Alert");
    ASSERT_TRUE(box) << "expected the \"Alert\" box: " << LastError();
    EXPECT_FALSE(IsWindow(dialog) && IsWindowVisible(dialog))
        << "the dialog is closed before the box appears";
    DialogInfo d = DescribeDialog(box);
    EXPECT_EQ(" Please Install Vorn", d.text);
    EXPECT_FALSE(d.hasIcon) << "the box has no icon";
    EXPECT_EQ(std::vector<int>{IDOK}, d.buttons);
    EXPECT_EQ(launcher.window, d.owner) << "owned by the launcher window";
    ASSERT_TRUE(AnswerDialog(box, IDOK));
    ASSERT_TRUE(WaitForWindowGone(box, 3000)) << LastError();

    ExpectQuietAndRunning("the install box");
    EXPECT_FALSE(VornKeyExists("Launcher")) << "the Launcher key must not be created again";
}

TEST_F(VideoSetup, GLSetupOpensTheDownloadPageAndEndsTheLauncher)
{
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    ASSERT_TRUE(Start());
    HWND dialog = Open(kSlotVideo, kVideoCaption);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickControl(dialog, kGLSetup)) << LastError();

    std::vector<Record> records;
    ASSERT_TRUE(WaitForRecords(game, "vorn_browser", 1, 5000, &records))
        << "expected the browser to start: " << LastError();
    EXPECT_EQ(1u, records.size());
    EXPECT_EQ(kGLSetupPage, records[0]["arguments"]);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, 5000, &code)) << "the launcher closes itself: " << LastError();
    EXPECT_EQ(0u, code);
    EXPECT_EQ(100u, ReadVornValue("Launcher", "RenderMode").Dword()) << "no render mode written";
}

// When the shell cannot start the browser nothing is reported and the launcher stays.
TEST_F(VideoSetup, GLSetupWithoutUsableBrowserStaysOpenAndSilent)
{
    struct Row {
        const char* name;
        const char* command;  // nullptr: no http open command at all
    } rows[] = {{"a command naming no file", kMissingBrowser}, {"no command", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.command ? SetHttpOpenCommand(row.command) : RemoveHttpOpenCommand())
            << LastError();
        ASSERT_TRUE(Start());
        HWND dialog = Open(kSlotVideo, kVideoCaption);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(ClickControl(dialog, kGLSetup)) << LastError();
        ASSERT_TRUE(WaitForWindowGone(dialog, 3000)) << "the dialog closes: " << LastError();
        ExpectQuietAndRunning("GLSetup without a browser");
        EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty());
        ASSERT_TRUE(CloseLauncher(launcher)) << LastError();
    }
}

// Esc becomes command 2, which the dialog does not know: it stays open. A
// later input that always reacts (the focus moves) proves the Esc was handled.
TEST_F(VideoSetup, EscLeavesTheDialogOpenUntilQuit)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WriteVornDword("Launcher", "RenderMode", 7));
    HWND dialog = Open(kSlotVideo, kVideoCaption);
    ASSERT_TRUE(dialog);

    // The real key, then Tab: focus goes from the first button to the next one.
    HWND first = GetDlgItem(dialog, kGLSetup);
    HWND second = GetDlgItem(dialog, kDirect3D);
    ASSERT_TRUE(PollUntil([&] { return FocusOf(dialog) == first; }, 3000))
        << "expected the focus on the first button";
    PressKey(VK_ESCAPE);
    PressKey(VK_TAB);
    ASSERT_TRUE(PollUntil([&] { return FocusOf(dialog) == second; }, 3000))
        << "the Tab after Esc should move the focus (is the dialog still there: "
        << (IsWindow(dialog) ? "yes" : "no") << ")";
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "Esc must not close the dialog";

    // Command 2 posted, then a focus move posted after it.
    HWND quit = GetDlgItem(dialog, kQuit);
    ASSERT_TRUE(AnswerDialog(dialog, IDCANCEL));
    ASSERT_TRUE(PostMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)quit, TRUE));
    ASSERT_TRUE(PollUntil([&] { return FocusOf(dialog) == quit; }, 3000))
        << "the focus move posted after command 2 should be handled";
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "command 2 must not close it";

    ASSERT_TRUE(ClickControl(dialog, kQuit)) << LastError();
    ASSERT_TRUE(WaitForWindowGone(dialog, 3000)) << "Quit closes the dialog: " << LastError();
    ExpectQuietAndRunning("Quit");
    EXPECT_EQ(7u, ReadVornValue("Launcher", "RenderMode").Dword()) << "nothing written";
}

TEST_F(VideoSetup, QuitAndTheCloseBoxCloseWithoutWriting)
{
    struct Row {
        const char* name;
        CloseWay way;
    } rows[] = {{"Quit", kByButton}, {"close box", kByCloseBox}};
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WriteVornDword("Launcher", "RenderMode", 7));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND dialog = Open(kSlotVideo, kVideoCaption);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(CloseDialogBy(dialog, row.way, kQuit)) << "cannot press " << row.name;
        ASSERT_TRUE(WaitForWindowGone(dialog, 3000)) << row.name << " closes it: " << LastError();
        ExpectQuietAndRunning(row.name);
        EXPECT_EQ(7u, ReadVornValue("Launcher", "RenderMode").Dword()) << "nothing written";
    }
}

// ================================================================ help

class Help : public DialogTest {
protected:
    // The dialog stays while its request runs and closes by itself about half
    // a second after `since` (the press, or the answer to the failure box).
    void ExpectClosesAfterPause(HWND dialog, DWORD since, const char* what)
    {
        ASSERT_TRUE(WaitForWindowGone(dialog, 5000)) << what << ": " << LastError();
        DWORD took = GetTickCount() - since;
        EXPECT_GE(took, 400u) << what << ": the dialog should stay about 500 ms, it went after "
                              << took << " ms";
        EXPECT_LE(took, 3000u) << what << ": the dialog should go about 500 ms later, it took "
                               << took << " ms";
    }

    // The failure box for `button`: text, title, warning icon, owner the
    // launcher window while the help dialog is still shown; after OK the
    // dialog closes half a second later.
    void ExpectWarningThenClose(int button, const char* text, bool utf8)
    {
        HWND dialog = Open(kSlotHelp, kHelpCaption);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(ClickControl(dialog, button)) << LastError();
        HWND box = WaitForDialog(launcher, 5000, "Warning Message");
        ASSERT_TRUE(box) << "expected the \"Warning Message\" box: " << LastError();
        DialogInfo d = DescribeDialog(box);
        EXPECT_EQ(text, utf8 ? d.textUtf8 : d.text);
        EXPECT_TRUE(d.hasIcon) << "warning icon";
        EXPECT_EQ(std::vector<int>{IDOK}, d.buttons);
        EXPECT_EQ(launcher.window, d.owner) << "owned by the launcher window, not the dialog "
                                            << dialog;
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the help dialog stays while the box is shown";
        DWORD answered = GetTickCount();
        ASSERT_TRUE(AnswerDialog(box, IDOK));
        ExpectClosesAfterPause(dialog, answered, "after the box");
        ExpectQuietAndRunning("the warning");
    }
};

TEST_F(Help, ShowsItsCaptionAndThreeButtons)
{
    ASSERT_TRUE(Start());
    HWND dialog = Open(kSlotHelp, kHelpCaption);
    ASSERT_TRUE(dialog);
    ExpectDialogShape(DescribeDialog(dialog), launcher.window, kHelpCaption,
                      {{kReadme, "Read me "}, {kCommunity, kCommunitySite}, {IDCANCEL, "Cancel"}});
}

// The readme path goes to notepad as it stands, without quotes, blanks or not.
TEST_F(Help, ReadMeOpensTheEnglishReadmeInNotepad)
{
    REQUIRE_NOTEPAD_STANDIN();
    struct Row {
        const char* name;
        const char* subfolder;  // "" = the game folder itself
    } rows[] = {{"plain folder", ""}, {"folder with blanks", "\\Vorn Game Folder"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string folder = game.path + row.subfolder;
        if (*row.subfolder) {
            ASSERT_TRUE(StartIn(folder));
        } else {
            ASSERT_TRUE(Start());
        }
        size_t before = ReadRecords(game, "notepad").size();
        HWND dialog = Open(kSlotHelp, kHelpCaption);
        ASSERT_TRUE(dialog);
        DWORD pressed = GetTickCount();
        ASSERT_TRUE(ClickControl(dialog, kReadme)) << LastError();
        std::vector<Record> records;
        ASSERT_TRUE(WaitForRecords(game, "notepad", before + 1, 5000, &records))
            << "expected notepad to start: " << LastError();
        const std::string readme = folder + "\\Launcher\\ReadmeEng.txt";
        EXPECT_EQ(readme, records.back()["arguments"]) << "the path, unquoted";
        EXPECT_NE("-1", records.back()["file_size"]) << "notepad finds " << readme;
        ExpectClosesAfterPause(dialog, pressed, "after Read me");
        ExpectQuietAndRunning("Read me");
        ASSERT_TRUE(CloseLauncher(launcher)) << LastError();
    }
}

TEST_F(Help, ReadMeWithoutNotepadWarnsOwnedByTheLauncher)
{
    REQUIRE_NOTEPAD_STANDIN();
    NotepadAwayGuard away;
    ASSERT_TRUE(away.moved) << "cannot rename " << WindowsNotepad();
    ASSERT_TRUE(Start());
    ExpectWarningThenClose(kReadme, "Can't find 'notepad.exe'", false);
    EXPECT_TRUE(ReadRecords(game, "notepad").empty());
}

TEST_F(Help, CommunityWithoutBrowserWarnsOwnedByTheLauncher)
{
    struct Row {
        const char* name;
        const char* command;  // nullptr: no http open command at all
    } rows[] = {{"a command naming no file", kMissingBrowser}, {"no command", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.command ? SetHttpOpenCommand(row.command) : RemoveHttpOpenCommand())
            << LastError();
        ASSERT_TRUE(Start());
        ExpectWarningThenClose(kCommunity, "Can't find primary webbrowser", false);
        EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty());
        ASSERT_TRUE(CloseLauncher(launcher)) << LastError();
    }
}

TEST_F(Help, CommunityOpensTheSiteAndTheLauncherStays)
{
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    ASSERT_TRUE(Start());
    HWND dialog = Open(kSlotHelp, kHelpCaption);
    ASSERT_TRUE(dialog);
    DWORD pressed = GetTickCount();
    ASSERT_TRUE(ClickControl(dialog, kCommunity)) << LastError();
    std::vector<Record> records;
    ASSERT_TRUE(WaitForRecords(game, "vorn_browser", 1, 5000, &records))
        << "expected the browser to start: " << LastError();
    EXPECT_EQ(kCommunitySite, records[0]["arguments"]);
    ExpectClosesAfterPause(dialog, pressed, "after the community button");
    ExpectQuietAndRunning("the community site");
}

// Cancel, Esc and the close box end the dialog without the pause. With the
// pause a close can never take less than half a second from the press, so one
// quicker close of a few tries proves there was none; a single try would
// blame the pause for a slow moment of the machine.
TEST_F(Help, CancelEscAndCloseBoxCloseAtOnce)
{
    struct Row {
        const char* name;
        CloseWay way;
    } rows[] = {{"Cancel", kByButton}, {"Esc", kByEscKey}, {"close box", kByCloseBox}};
    const int kTries = 3;
    const DWORD kBelowThePause = 480;  // the pause is 500 ms; room for the clock's steps
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    ASSERT_TRUE(Start());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DWORD quickest = 0xFFFFFFFF;
        for (int attempt = 0; attempt < kTries && quickest >= kBelowThePause; ++attempt) {
            HWND dialog = Open(kSlotHelp, kHelpCaption);
            ASSERT_TRUE(dialog);
            if (row.way == kByEscKey) {
                ASSERT_TRUE(PollUntil([&] { return FocusOf(dialog) != nullptr; }, 3000))
                    << "the dialog should take the keyboard";
            }
            DWORD pressed = GetTickCount();
            ASSERT_TRUE(CloseDialogBy(dialog, row.way, IDCANCEL)) << "cannot press " << row.name;
            ASSERT_TRUE(WaitForWindowGone(dialog, 3000))
                << row.name << " closes it: " << LastError();
            DWORD took = GetTickCount() - pressed;
            if (took < quickest) quickest = took;
            ExpectQuietAndRunning(row.name);
        }
        EXPECT_LT(quickest, kBelowThePause)
            << row.name << " should close at once, without the half-second pause; the "
            << "quickest of " << kTries << " tries took " << quickest << " ms";
    }
    EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty());
    EXPECT_TRUE(ReadRecords(game, "notepad").empty());
}

// ================================================================ Korean system

class KoreanHelp : public DialogTest {
protected:
    bool StartKorean()
    {
        LaunchOptions options;
        options.korean = true;
        return Start(options);
    }
};

TEST_F(KoreanHelp, ReadMeOpensTheKoreanReadme)
{
    REQUIRE_NOTEPAD_STANDIN();
    ASSERT_TRUE(StartKorean());
    HWND dialog = Open(kSlotHelp, kHelpCaption);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickControl(dialog, kReadme)) << LastError();
    std::vector<Record> records;
    ASSERT_TRUE(WaitForRecords(game, "notepad", 1, 5000, &records))
        << "expected notepad to start: " << LastError();
    EXPECT_EQ(game.Path("Launcher\\ReadmeHan.txt"), records[0]["arguments"]);
    ASSERT_TRUE(WaitForWindowGone(dialog, 5000)) << LastError();
    ExpectQuietAndRunning("Read me");
}

TEST_F(KoreanHelp, CommunityWithoutBrowserWarnsInKorean)
{
    ASSERT_TRUE(RemoveHttpOpenCommand()) << LastError();
    ASSERT_TRUE(StartKorean());
    HWND dialog = Open(kSlotHelp, kHelpCaption);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickControl(dialog, kCommunity)) << LastError();
    HWND box = WaitForDialog(launcher, 5000, "Warning Message");
    ASSERT_TRUE(box) << "expected the \"Warning Message\" box: " << LastError();
    DialogInfo d = DescribeDialog(box);
    EXPECT_EQ("\xEA\xB8\xB0\xEB\xB3\xB8 \xEB\xB8\x8C\xEB\x9D\xBC\xEC\x9A\xB0\xEC\xA0\xB8\xEC\x9D\x84 "
              "\xEC\xB0\xBE\xEC\x9D\x84 \xEC\x88\x98 \xEC\x97\x86\xEC\x8A\xB5\xEB\x8B\x88\xEB\x8B\xA4",
              d.textUtf8);
    EXPECT_EQ(launcher.window, d.owner);
    ASSERT_TRUE(AnswerDialog(box, IDOK));
    ASSERT_TRUE(WaitForWindowGone(dialog, 5000)) << LastError();
    ExpectQuietAndRunning("the warning");
}

}  // namespace
