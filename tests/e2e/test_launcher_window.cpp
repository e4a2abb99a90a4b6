// The launcher's one window as a player meets it: its class, title, style and
// place on screens of three sizes, the background it shows, how it closes, and
// the registry a first start leaves behind.
#include "driver.h"

using namespace e2e;

namespace {

const DWORD kPopupWindow = WS_POPUP | WS_BORDER | WS_SYSMENU;  // WS_POPUPWINDOW, 0x80880000

// Keeps the cursor off the window while it comes up: a window that appears
// gets one mouse move at the cursor's place.
void ParkCursor() { MoveToScreen(POINT{0, 0}); }

std::string RectText(const RECT& r)
{
    char text[96];
    snprintf(text, sizeof(text), "(%ld, %ld)-(%ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// Class, title, style and size: the same on every screen.
void ExpectWindowShape(const WindowInfo& w)
{
    EXPECT_EQ("Vorn Launcher", w.className);
    EXPECT_EQ("Vorn Launcher", w.title);
    // The system may add WS_CLIPSIBLINGS to a top-level window; nothing else.
    EXPECT_EQ(kPopupWindow | WS_VISIBLE, w.style & ~(DWORD)WS_CLIPSIBLINGS)
        << std::hex << "style 0x" << w.style;
    EXPECT_EQ(0u, w.exStyle) << std::hex << "extended style 0x" << w.exStyle;
    EXPECT_EQ(642, w.window.right - w.window.left) << RectText(w.window);
    EXPECT_EQ(482, w.window.bottom - w.window.top) << RectText(w.window);
    EXPECT_EQ(640, w.client.right) << RectText(w.client);
    EXPECT_EQ(480, w.client.bottom) << RectText(w.client);
    EXPECT_EQ(w.window.left + 1, w.clientOrigin.x) << "one-pixel border";
    EXPECT_EQ(w.window.top + 1, w.clientOrigin.y) << "one-pixel border";
    EXPECT_EQ(nullptr, w.owner);
}

void ExpectPlacedAt(const Launcher& launcher, POINT screen, POINT topLeft)
{
    POINT size = ScreenSize();
    ASSERT_EQ(screen.x, size.x) << "screen width of this profile";
    ASSERT_EQ(screen.y, size.y) << "screen height of this profile";
    WindowInfo w = DescribeWindow(launcher.window);
    ExpectWindowShape(w);
    EXPECT_EQ(topLeft.x, w.window.left) << RectText(w.window);
    EXPECT_EQ(topLeft.y, w.window.top) << RectText(w.window);
}

}  // namespace

// ---------------------------------------------------------------- place and shape

class LauncherWindow : public LauncherTest {};

TEST_F(LauncherWindow, IsCentredPopupOn1024x768)
{
    ParkCursor();
    ASSERT_TRUE(Start());
    ExpectPlacedAt(launcher, POINT{1024, 768}, POINT{512 - 320, 384 - 240});
}

class Screen640x480Window : public LauncherTest {};

TEST_F(Screen640x480Window, SitsAtTheOriginWithLastColumnAndRowOffScreen)
{
    ParkCursor();
    ASSERT_TRUE(Start());
    ExpectPlacedAt(launcher, POINT{640, 480}, POINT{0, 0});
}

class Screen1365x768Window : public LauncherTest {};

TEST_F(Screen1365x768Window, HalfOfAnOddWidthDropsTheRemainder)
{
    ParkCursor();
    ASSERT_TRUE(Start());
    ExpectPlacedAt(launcher, POINT{1365, 768}, POINT{682 - 320, 384 - 240});
}

class KoreanWindow : public LauncherTest {};

TEST_F(KoreanWindow, SameWindowUnderAKoreanSystem)
{
    EXPECT_EQ(0x0412, GetSystemDefaultLangID()) << "the Korean profile runs under ko_KR";
    ParkCursor();
    ASSERT_TRUE(Start(LaunchOptions{}));
    ExpectPlacedAt(launcher, POINT{1024, 768}, POINT{512 - 320, 384 - 240});
}

// ---------------------------------------------------------------- what it shows

TEST_F(LauncherWindow, ShowsTheBackgroundPixelForPixelAroundTheButtons)
{
    ParkCursor();
    ASSERT_TRUE(Start());
    std::vector<RECT> buttons;
    for (int slot = 0; slot < 8; ++slot)
        buttons.push_back(ButtonImageRect(slot));
    PixelDiff diff = WaitForImage(launcher.window, POINT{0, 0},
                                  game.Path("Launcher\\Resource\\BackGround\\MainBK.bmp"), 3000,
                                  buttons);
    EXPECT_TRUE(diff.Same()) << "background outside the buttons: " << diff.Describe();
    EXPECT_GT(diff.compared, 640L * 480 - 8 * 192 * 45 - 1) << "the whole rest of the client area";
}

TEST_F(LauncherWindow, ShowsEveryButtonInItsBaseImage)
{
    ParkCursor();
    ASSERT_TRUE(Start());
    for (int slot = 0; slot < 8; ++slot) {
        const SlotInfo& s = kSlots[slot];
        int base = (slot == kSlotInstall || slot == kSlotCinematics) ? s.disabled : s.normal;
        PixelDiff diff = WaitForSlotImage(launcher, slot, base);
        EXPECT_TRUE(diff.Same()) << s.name << " should show bitmap " << base << ": "
                                 << diff.Describe();
    }
}

TEST_F(LauncherWindow, StartsAndClosesWithoutTheBackgroundPicture)
{
    GameFolderOptions options;
    options.background = false;
    ASSERT_TRUE(RemakeGame(options));
    ASSERT_TRUE(Start());
    ExpectWindowShape(DescribeWindow(launcher.window));
    DWORD code = 1;
    ASSERT_TRUE(CloseLauncher(launcher, 5000, &code)) << LastError();
    EXPECT_EQ(0u, code);
}

// ---------------------------------------------------------------- closing

struct CloseCase {
    const char* how;
    void (*close)(const Launcher&);
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.how; }

class LauncherClose : public LauncherTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(LauncherClose, EndsWithExitCodeZero)
{
    ParkCursor();
    ASSERT_TRUE(Start());
    GetParam().close(launcher);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(launcher, 5000, &code)) << GetParam().how << ": " << LastError();
    EXPECT_EQ(0u, code) << GetParam().how;
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LauncherClose,
    ::testing::Values(
        CloseCase{"WM_CLOSE", [](const Launcher& l) { PostMessageA(l.window, WM_CLOSE, 0, 0); }},
        CloseCase{"Alt+F4", [](const Launcher& l) {
                      // The launcher activates itself when it paints; wait for that.
                      PollUntil([&] { return GetForegroundWindow() == l.window; }, 3000);
                      PressAltF4();
                  }}),
    [](const ::testing::TestParamInfo<CloseCase>& info) {
        return std::string(info.param.how[0] == 'W' ? "WmClose" : "AltF4");
    });

// ---------------------------------------------------------------- first start

TEST_F(LauncherWindow, FirstStartLeavesExactlyTheDefaultRegistry)
{
    ASSERT_FALSE(VornKeyExists("")) << "the fixture starts from a fresh user";
    ASSERT_TRUE(Start());

    EXPECT_EQ((std::vector<std::string>{"Dstdir", "Launcher", "SelectServer", "SocketUpdate"}),
              VornSubkeys(""));

    struct DwordCase {
        const char* key;
        const char* name;
        DWORD value;
    };
    const DwordCase dwords[] = {
        {"Launcher", "EndMode", 0},      {"Launcher", "RenderMode", 100},
        {"Launcher", "RenderInit", 1},   {"Launcher", "StartMode", 0},
        {"SelectServer", "TcpPort", 0},  {"SelectServer", "LadderPort", 0},
        {"SocketUpdate", "State", 0},
    };
    for (const DwordCase& c : dwords) {
        RegValue v = ReadVornValue(c.key, c.name);
        ASSERT_TRUE(v.present) << c.key << "\\" << c.name << " missing";
        EXPECT_EQ((DWORD)REG_DWORD, v.type) << c.key << "\\" << c.name;
        EXPECT_EQ(4u, v.data.size()) << c.key << "\\" << c.name;
        EXPECT_EQ(c.value, v.Dword()) << c.key << "\\" << c.name;
    }

    struct TextCase {
        const char* key;
        const char* name;
        std::string text;
    };
    const TextCase texts[] = {
        {"Dstdir", "", game.path},
        {"SelectServer", "TcpDNS", "10"},
        {"SelectServer", "LadderDNS", "10"},
    };
    for (const TextCase& c : texts) {
        RegValue v = ReadVornValue(c.key, c.name);
        ASSERT_TRUE(v.present) << c.key << "\\" << c.name << " missing";
        EXPECT_EQ((DWORD)REG_SZ, v.type) << c.key << "\\" << c.name;
        ASSERT_EQ(50u, v.data.size()) << c.key << "\\" << c.name << " data size";
        EXPECT_EQ(c.text, v.Text()) << c.key << "\\" << c.name;
        for (size_t i = c.text.size(); i < v.data.size(); ++i)
            ASSERT_EQ(0, v.data[i]) << c.key << "\\" << c.name << ": byte " << i << " after the text";
    }

    EXPECT_EQ((std::vector<std::string>{"EndMode", "RenderInit", "RenderMode", "StartMode"}),
              VornValueNames("Launcher"));
    EXPECT_EQ((std::vector<std::string>{""}), VornValueNames("Dstdir"));
    EXPECT_EQ((std::vector<std::string>{"LadderDNS", "LadderPort", "TcpDNS", "TcpPort"}),
              VornValueNames("SelectServer"))
        << "no default value before a server is chosen";
    EXPECT_EQ((std::vector<std::string>{"State"}), VornValueNames("SocketUpdate"));
}
