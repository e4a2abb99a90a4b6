// The DirectX and Exit buttons on the real launcher: with DirectX 7 or later
// the player is asked whether to re-install and only Yes hands over to the
// browser's DirectX page; with an older DirectX, no setup library or a failing
// version query the page opens at once; either way the launcher then closes.
// Exit closes it without a word.
#include "driver.h"

#include <tlhelp32.h>

using namespace e2e;

namespace {

const char kDirectXPage[] = "http://www.vorn-publisher.example/games/directx.html";
const char kAlreadyText[] =
    "DirectX 7.0 or higher is already installed to run the game. Would you like to re-install?";

const DWORD kExitTimeout = 8000;

// A window that appears gets one mouse move at the cursor's place: keep the
// cursor off the launcher while it comes up.
void ParkCursor() { MoveToScreen(POINT{0, 0}); }

// Presses a button once the launcher has drawn it: pressed before its first
// paint, a button could miss the press.
void PressWhenShown(const Launcher& launcher, int slot)
{
    WaitForSlotImage(launcher, slot, kSlots[slot].normal);
    ClickSlot(launcher, slot);
}

// Draws a system icon over `background` the way a static control shows it.
Pixels RenderIcon(LPCSTR which, int w, int h, unsigned background)
{
    Pixels out;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bmi;
    ZeroMemory(&bmi, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HICON icon = LoadIconA(nullptr, which);
    if (dib && bits && icon) {
        HGDIOBJ old = SelectObject(memory, dib);
        HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF,
                                            background & 0xFF));
        RECT all = {0, 0, w, h};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
        GdiFlush();
        const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
        out.width = w;
        out.height = h;
        out.bgr.resize((size_t)w * h * 3);
        for (int y = 0; y < h; ++y)
            memcpy(&out.bgr[(size_t)y * w * 3], (const unsigned char*)bits + y * stride,
                   (size_t)w * 3);
        SelectObject(memory, old);
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

// Names the system icon a message box shows, by comparing its icon control's
// pixels with each of the four message-box icons; "" when none matches.
std::string ShownIcon(HWND box, std::string* detail)
{
    HWND control = GetDlgItem(box, 1088);
    RECT r;
    if (!control || !GetWindowRect(control, &r)) {
        *detail = "no icon control";
        return "";
    }
    struct Candidate {
        const char* name;
        LPCSTR id;
    };
    const Candidate candidates[] = {{"question", IDI_QUESTION},
                                    {"exclamation", IDI_EXCLAMATION},
                                    {"hand", IDI_HAND},
                                    {"asterisk", IDI_ASTERISK}};
    std::string found;
    *detail = "";
    // The box may still be painting when it is first found.
    PollUntil([&] {
        Pixels shot = CaptureScreen(r);
        if (shot.empty())
            return false;
        detail->clear();
        for (const Candidate& c : candidates) {
            Pixels drawn = RenderIcon(c.id, shot.width, shot.height, shot.At(0, 0));
            PixelDiff diff = ComparePixels(shot, 0, 0, drawn, 0, 0, shot.width, shot.height);
            *detail += std::string(c.name) + ": " + diff.Describe() + "; ";
            if (diff.Same()) {
                found = c.name;
                return true;
            }
        }
        return false;
    }, 2000);
    return found;
}

// Whether a process of that program file name is running now.
bool ProgramRunning(const char* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = _stricmp(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}

std::string Describe(const std::vector<int>& ids)
{
    std::string out;
    for (int id : ids)
        out += (out.empty() ? "" : ", ") + std::to_string(id);
    return "{" + out + "}";
}

}  // namespace

class DirectXCommand : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    }

    // Starts the launcher, presses DirectX and returns the question box.
    HWND PressDirectXAndWaitForQuestion()
    {
        ParkCursor();
        if (!Start())
            return nullptr;
        PressWhenShown(launcher, kSlotDirectX);
        return WaitForDialog(launcher, 5000);
    }
};

// The question a player with DirectX 7 or later gets: its text, caption,
// icon, buttons and owner.
TEST_F(DirectXCommand, WithDirectX7AsksWhetherToReinstall)
{
    HWND box = PressDirectXAndWaitForQuestion();
    ASSERT_TRUE(box) << "expected a question box after DirectX: " << LastError();
    DialogInfo d = DescribeDialog(box);
    EXPECT_EQ(kAlreadyText, d.text);
    EXPECT_EQ("Messsage", d.caption) << "the caption is spelt with three s";
    EXPECT_EQ(launcher.window, d.owner) << "owned by the launcher window";
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), d.buttons)
        << "expected Yes and No, got " << Describe(d.buttons);
    ASSERT_TRUE(d.hasIcon) << "the question shows an icon";
    std::string detail;
    EXPECT_EQ("question", ShownIcon(box, &detail)) << detail;
    EXPECT_FALSE(IsWindowEnabled(launcher.window)) << "the owned box disables the launcher";

    std::vector<Record> dsetup = ReadRecords(game, "DSETUP");
    ASSERT_EQ(1u, dsetup.size()) << "one version query before the question";
    EXPECT_EQ("0x00040007", dsetup[0]["version"]);
    ASSERT_TRUE(AnswerDialog(box, IDNO));
}

TEST_F(DirectXCommand, NoLeavesTheLauncherAsItWas)
{
    HWND box = PressDirectXAndWaitForQuestion();
    ASSERT_TRUE(box) << "expected a question box after DirectX: " << LastError();
    ASSERT_TRUE(AnswerDialog(box, IDNO));
    ASSERT_TRUE(WaitForWindowGone(box)) << "the box should close on No";

    ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(launcher.window) != 0; }, 3000))
        << "the launcher window should take input again after No";
    // The launcher handled everything after the answer once the fence's sound came.
    ASSERT_TRUE(Fence(launcher)) << LastError();
    EXPECT_TRUE(IsRunning(launcher)) << "No must not close the launcher";
    EXPECT_TRUE(IsWindowVisible(launcher.window));
    // A browser started by mistake is either still running or has left its record.
    EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty()) << "No must not open the page";
    EXPECT_FALSE(ProgramRunning("vorn_browser.exe")) << "No must not start the browser";
    EXPECT_TRUE(FindDialogs(launcher.pid).empty()) << "nothing else is asked";
}

TEST_F(DirectXCommand, YesOpensTheDirectXPageAndCloses)
{
    HWND box = PressDirectXAndWaitForQuestion();
    ASSERT_TRUE(box) << "expected a question box after DirectX: " << LastError();
    ASSERT_TRUE(AnswerDialog(box, IDYES));

    std::vector<Record> browser;
    ASSERT_TRUE(WaitForRecords(game, "vorn_browser", 1, 5000, &browser))
        << "Yes should start the browser: " << LastError();
    ASSERT_EQ(1u, browser.size()) << "the page opens once";
    EXPECT_EQ(kDirectXPage, browser[0]["arguments"]);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, kExitTimeout, &code)) << "the launcher should close after Yes";
    EXPECT_EQ(0u, code);
}

// Without DirectX 7 there is nothing to ask: the page opens and the launcher
// closes. An unanswered question would keep the launcher running, so its end
// proves that none was shown.
struct NoQuestionCase {
    const char* name;
    bool dsetupPresent;
    const char* dsetupVersion;  // VORN_DSETUP_VERSION
    size_t queries;             // version queries the library records
    const char* result;         // their result
};

void PrintTo(const NoQuestionCase& c, std::ostream* out) { *out << c.name; }

class DirectXWithoutVersion7 : public LauncherTest,
                               public ::testing::WithParamInterface<NoQuestionCase> {};

TEST_P(DirectXWithoutVersion7, OpensThePageAndClosesWithoutAsking)
{
    const NoQuestionCase& c = GetParam();
    if (!c.dsetupPresent) {
        GameFolderOptions options;
        options.dsetup = false;
        ASSERT_TRUE(RemakeGame(options)) << LastError();
    }
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    LaunchOptions options;
    options.dsetupVersion = c.dsetupVersion;
    ParkCursor();
    ASSERT_TRUE(Start(options)) << c.name << ": " << LastError();
    PressWhenShown(launcher, kSlotDirectX);

    DWORD code = 1;
    bool ended = WaitForExit(launcher, kExitTimeout, &code);
    std::vector<HWND> boxes = FindDialogs(launcher.pid);
    ASSERT_TRUE(ended) << c.name << ": expected the launcher to close without asking; "
                       << (boxes.empty() ? std::string("no box open")
                                         : "a box is open: " + DescribeDialog(boxes[0]).text);
    EXPECT_EQ(0u, code) << c.name;

    // The browser writes its record as it starts, which may be after the launcher ended.
    std::vector<Record> browser;
    ASSERT_TRUE(WaitForRecords(game, "vorn_browser", 1, 5000, &browser))
        << c.name << ": expected the browser to start: " << LastError();
    ASSERT_EQ(1u, browser.size()) << c.name << ": the DirectX page opens once";
    EXPECT_EQ(kDirectXPage, browser[0]["arguments"]) << c.name;

    std::vector<Record> dsetup = ReadRecords(game, "DSETUP");
    ASSERT_EQ(c.queries, dsetup.size()) << c.name << ": version queries";
    for (Record& r : dsetup)
        EXPECT_EQ(c.result, r["result"]) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectXWithoutVersion7,
    ::testing::Values(NoQuestionCase{"DirectX6", true, "0x00040006", 1, "1"},
                      NoQuestionCase{"NoSetupLibrary", false, "", 0, ""},
                      NoQuestionCase{"QueryFails", true, "fail", 1, "0"}),
    [](const ::testing::TestParamInfo<NoQuestionCase>& info) {
        return std::string(info.param.name);
    });

// The launcher closes after the DirectX page even when no browser can start.
TEST_F(DirectXCommand, ClosesEvenWhenTheBrowserCannotStart)
{
    ASSERT_TRUE(SetHttpOpenCommand("\"C:\\no such folder\\browser.exe\" %1")) << LastError();
    LaunchOptions options;
    options.dsetupVersion = "0x00040006";
    ParkCursor();
    ASSERT_TRUE(Start(options)) << LastError();
    PressWhenShown(launcher, kSlotDirectX);
    DWORD code = 1;
    bool ended = WaitForExit(launcher, kExitTimeout, &code);
    std::vector<HWND> boxes = FindDialogs(launcher.pid);
    ASSERT_TRUE(ended) << "expected the launcher to close; "
                       << (boxes.empty() ? std::string("no box open")
                                         : "a box is open: " + DescribeDialog(boxes[0]).text);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty());
}

class ExitCommand : public LauncherTest {};

TEST_F(ExitCommand, ClosesAtOnceWithoutAsking)
{
    ASSERT_TRUE(SetHttpOpenCommand(BrowserStandinCommand())) << LastError();
    ParkCursor();
    ASSERT_TRUE(Start()) << LastError();
    PressWhenShown(launcher, kSlotExit);
    DWORD code = 1;
    bool ended = WaitForExit(launcher, kExitTimeout, &code);
    std::vector<HWND> boxes = FindDialogs(launcher.pid);
    ASSERT_TRUE(ended) << "expected the launcher to end after Exit; "
                       << (boxes.empty() ? std::string("no box open")
                                         : "a box is open: " + DescribeDialog(boxes[0]).text);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(ReadRecords(game, "vorn_browser").empty()) << "Exit opens no page";
    EXPECT_FALSE(ProgramRunning("vorn_browser.exe")) << "Exit starts no browser";
    EXPECT_TRUE(ReadRecords(game, "DSETUP").empty()) << "Exit does not ask for DirectX";
}
