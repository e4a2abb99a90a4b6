// The button bar against a window of its own: hit areas, which slots react, the
// command a press runs, the highlight on entering and the images drawn. The command
// dispatcher and the game-actions flag are stood in for here, so a press only records.
#include <stdint.h>

#include <string>
#include <vector>

#include "app/command_dispatch.h"
#include "app/main_window.h"
#include "resource.h"
#include "ui/button_bar.h"
#include "unit_support.h"

// Stand-ins for the launcher's own definitions.
int GameActionsEnabled = 1;

namespace {
struct CommandCall {
    HWND window;
    HINSTANCE module;
    int command;
};
std::vector<CommandCall> commandCalls;
}  // namespace

void RunCommand(HWND window, HINSTANCE module, int command) {
    commandCalls.push_back({window, module, command});
}

namespace {

typedef std::vector<unsigned char> Bytes;

const int kOriginX = 40, kOriginY = 30;  // the test window's client origin on screen

struct SlotIds {
    int normal, hover, pressed, disabled;
} const kIds[kButtonSlotCount] = {
    {IDB_INSTALL_NORMAL, IDB_INSTALL_HOVER, IDB_INSTALL_PRESSED, IDB_INSTALL_DISABLED},
    {IDB_PLAY_NORMAL, IDB_PLAY_HOVER, IDB_PLAY_PRESSED, IDB_PLAY_DISABLED},
    {IDB_CINEMA_NORMAL, IDB_CINEMA_HOVER, IDB_CINEMA_PRESSED, IDB_CINEMA_DISABLED},
    {IDB_HELP_NORMAL, IDB_HELP_HOVER, IDB_HELP_PRESSED, IDB_HELP_DISABLED},
    {IDB_SERVER_NORMAL, IDB_SERVER_HOVER, IDB_SERVER_PRESSED, IDB_SERVER_DISABLED},
    {IDB_DIRECTX_NORMAL, IDB_DIRECTX_HOVER, IDB_DIRECTX_PRESSED, IDB_DIRECTX_DISABLED},
    {IDB_VIDEO_NORMAL, IDB_VIDEO_HOVER, IDB_VIDEO_PRESSED, IDB_VIDEO_DISABLED},
    {IDB_EXIT_NORMAL, IDB_EXIT_HOVER, IDB_EXIT_PRESSED, IDB_EXIT_DISABLED},
};

// DirectX (slot 5) has no Normal image in the fixture, so its other images are
// never loaded although they exist.
const int kSlotWithoutNormal = 5;

// A distinct colour per slot and kind (kind 0 Normal, 1 Hover, 2 Pressed, 3 Disabled).
COLORREF ImageColour(int slot, int kind) { return RGB(20 + 25 * slot, 40 + 50 * kind, 99); }

Bytes SolidImage(COLORREF colour) {
    const int w = 192, h = 45, stride = ((w * 24 + 31) / 32) * 4;
    Bytes b(40 + stride * h, 0);
    const uint32_t header[] = {40, (uint32_t)w, (uint32_t)h};
    for (int i = 0; i < 12; ++i) b[i] = (unsigned char)(header[i / 4] >> (8 * (i % 4)));
    b[12] = 1;
    b[14] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &b[40 + y * stride + 3 * x];
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    return b;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_ERASEBKGND) return 1;  // leave drawn images alone
    return DefWindowProcA(window, message, w, l);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

HMODULE MakeImageModule(std::string& copy) {
    char self[MAX_PATH];
    if (!GetModuleFileNameA(NULL, self, sizeof self)) return NULL;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    copy = std::string(temp) + "vorn_button_images_" +
                       std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA(self, copy.c_str(), FALSE)) return NULL;
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    if (!update) return NULL;
    for (int slot = 0; slot < kButtonSlotCount; ++slot) {
        const int ids[] = {kIds[slot].normal, kIds[slot].hover, kIds[slot].pressed,
                           kIds[slot].disabled};
        for (int kind = 0; kind < 4; ++kind) {
            if (slot == kSlotWithoutNormal && kind == 0) continue;
            Bytes image = SolidImage(ImageColour(slot, kind));
            UpdateResourceA(update, (LPCSTR)RT_BITMAP, MAKEINTRESOURCEA(ids[kind]),
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), image.data(),
                            (DWORD)image.size());
        }
    }
    if (!EndUpdateResourceA(update, FALSE)) return NULL;
    return LoadLibraryExA(copy.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
}


// The button images, put into a copy of this program and loaded as a data file,
// once for the whole run (the bar loads its images only once).
class ImageModule : public ::testing::Environment {
public:
    void SetUp() override { module = MakeImageModule(path); }
    void TearDown() override {
        if (module) FreeLibrary(module);
        if (!path.empty()) DeleteFileA(path.c_str());
    }
    HMODULE module = NULL;
    std::string path;
};
ImageModule* const imageModule =
    (ImageModule*)::testing::AddGlobalTestEnvironment(new ImageModule);

class ButtonBarTest : public VornTest {
protected:
    HWND window = NULL;

    void SetUp() override {
        VornTest::SetUp();
        GameActionsEnabled = 1;
        commandCalls.clear();
        ASSERT_NE((HMODULE)NULL, imageModule->module) << "could not make the image fixture";
        SetUpButtonBar(imageModule->module);

        WNDCLASSA wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ButtonBarTestWindow";
        RegisterClassA(&wc);
        window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "bar", WS_POPUP | WS_VISIBLE,
                                 kOriginX, kOriginY, 640, 480, NULL, NULL, wc.hInstance, NULL);
        ASSERT_NE((HWND)NULL, window);
        PumpMessages();
        Fill(RGB(0, 0, 0));
        SetCursorPos(0, 0);
        TrackHover(window);  // clears any highlight left by an earlier test
    }

    void TearDown() override {
        if (window) DestroyWindow(window);
        PumpMessages();
        VornTest::TearDown();
    }

    void Fill(COLORREF colour) {
        HDC dc = GetDC(window);
        RECT all = {0, 0, 640, 480};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
    }

    COLORREF PixelAt(int x, int y) {
        HDC dc = GetDC(window);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return c & 0xFFFFFF;
    }

    COLORREF SlotPixel(int slot) {
        RECT r = ButtonSlotRect(slot);
        return PixelAt(r.left + 5, r.top + 5);
    }

    void MoveTo(int x, int y) {
        SetCursorPos(kOriginX + x, kOriginY + y);
        TrackHover(window);
    }

    static POINT Centre(int slot) {
        RECT r = ButtonSlotRect(slot);
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        return p;
    }
};

TEST_F(ButtonBarTest, HitAreasIncludeLeftAndTopOnly) {
    struct Case {
        long x, y;
        int slot;
    } cases[] = {
        {340, 59, 0}, {341, 30, -1}, {150, 16, 0}, {149, 16, -1}, {150, 60, -1}, {150, 15, -1},
        {78, 65, 1},  {268, 108, 1}, {269, 108, -1}, {268, 109, -1}, {34, 114, 2},
        {11, 163, 3}, {201, 206, 3}, {202, 206, -1}, {439, 260, 4}, {629, 303, 4},
        {630, 303, -1}, {419, 309, 5}, {378, 358, 6}, {568, 401, 6}, {300, 407, 7},
        {490, 450, 7}, {491, 450, -1}, {490, 451, -1}, {0, 0, -1}, {639, 479, -1},
        {65535, 65535, -1}, {-1, 20, -1},
        {200, 62, -1},  // the 5-pixel gap between Install and Play
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.slot, ButtonSlotAt(c.x, c.y)) << "point (" << c.x << ", " << c.y << ")";
}

TEST_F(ButtonBarTest, PressRunsTheCommandOfReactingSlotsOnly) {
    // Commands expected for a press at each slot's centre, with game actions off and on.
    const int expected[kButtonSlotCount][2] = {
        {0, 0}, {0, 601}, {0, 0}, {603, 603}, {0, 604}, {605, 605}, {0, 606}, {607, 607}};
    HINSTANCE module = (HINSTANCE)(UINT_PTR)0x400000;
    for (int enabled = 0; enabled < 2; ++enabled) {
        GameActionsEnabled = enabled;
        for (int slot = 0; slot < kButtonSlotCount; ++slot) {
            commandCalls.clear();
            POINT p = Centre(slot);
            PressButton(window, module, (unsigned)p.x, (unsigned)p.y);
            ReleaseButton(window, (unsigned)p.x, (unsigned)p.y);
            const std::string what = "slot " + std::to_string(slot) + ", game actions " +
                                     (enabled ? "on" : "off");
            if (expected[slot][enabled] == 0) {
                EXPECT_TRUE(commandCalls.empty()) << what << ": expected no command, got "
                                                  << commandCalls[0].command;
                EXPECT_EQ(0, ButtonSlotReacts(slot, enabled)) << what;
            } else {
                ASSERT_EQ(1u, commandCalls.size()) << what << ": expected one command";
                EXPECT_EQ(expected[slot][enabled], commandCalls[0].command) << what;
                EXPECT_EQ(window, commandCalls[0].window) << what;
                EXPECT_EQ(module, commandCalls[0].module) << what;
                EXPECT_EQ(1, ButtonSlotReacts(slot, enabled)) << what;
            }
        }
    }
    commandCalls.clear();
    PressButton(window, module, 341, 30);
    PressButton(window, module, 65535, 65535);
    EXPECT_TRUE(commandCalls.empty()) << "a press outside every slot ran a command";
}

TEST_F(ButtonBarTest, PressAndReleaseDrawPressedThenNormal) {
    const int help = 3;
    DrawBaseImage(window, help);
    EXPECT_EQ(ImageColour(help, 0), SlotPixel(help)) << "base image of Help";
    POINT p = Centre(help);
    PressButton(window, NULL, (unsigned)p.x, (unsigned)p.y);
    EXPECT_EQ(ImageColour(help, 2), SlotPixel(help)) << "Pressed image after the press";
    ReleaseButton(window, (unsigned)p.x, (unsigned)p.y);
    EXPECT_EQ(ImageColour(help, 0), SlotPixel(help)) << "Normal image after the release";

    // A gated slot with game actions off: neither image changes.
    GameActionsEnabled = 0;
    const int play = 1;
    Fill(RGB(1, 2, 3));
    p = Centre(play);
    PressButton(window, NULL, (unsigned)p.x, (unsigned)p.y);
    EXPECT_EQ(RGB(1, 2, 3), SlotPixel(play)) << "gated press drew something";
}

TEST_F(ButtonBarTest, BaseImagesCoverTheRectangleAndOneMore) {
    for (int slot = 0; slot < kButtonSlotCount; ++slot) DrawBaseImage(window, slot);
    for (int slot = 0; slot < kButtonSlotCount; ++slot) {
        const int kind = (slot == 0 || slot == 2) ? 3 : 0;
        RECT r = ButtonSlotRect(slot);
        const COLORREF want = slot == kSlotWithoutNormal ? RGB(0, 0, 0) : ImageColour(slot, kind);
        EXPECT_EQ(want, PixelAt(r.left, r.top)) << "top-left of slot " << slot;
        EXPECT_EQ(want, PixelAt(r.right, r.bottom)) << "one past bottom-right of slot " << slot;
    }
    // Unknown codes and kinds draw nothing.
    Fill(RGB(1, 2, 3));
    DrawButtonImage(window, 505, 523);
    DrawButtonImage(window, 501, kImageNormal);
    DrawButtonImage(window, 510, kImageNormal);
    DrawBaseImage(window, 8);
    for (int slot = 0; slot < kButtonSlotCount; ++slot)
        EXPECT_EQ(RGB(1, 2, 3), SlotPixel(slot)) << "slot " << slot << " drawn unasked";
    // Without its Normal image a slot's other images were not loaded either.
    DrawButtonImage(window, 502 + kSlotWithoutNormal, kImageHover);
    EXPECT_EQ(RGB(1, 2, 3), SlotPixel(kSlotWithoutNormal)) << "Hover image loaded without Normal";
}

TEST_F(ButtonBarTest, HoverHighlightsOnEnteringAndRestoresOnLeaving) {
    const int play = 1, help = 3, install = 0;
    MoveTo(Centre(play).x, Centre(play).y);
    EXPECT_EQ(1, ButtonSlotHovered(play));
    EXPECT_EQ(ImageColour(play, 1), SlotPixel(play)) << "Hover image on entering Play";

    // Straight into Help: Play back to Normal, Help highlighted.
    MoveTo(Centre(help).x, Centre(help).y);
    EXPECT_EQ(0, ButtonSlotHovered(play));
    EXPECT_EQ(1, ButtonSlotHovered(help));
    EXPECT_EQ(ImageColour(play, 0), SlotPixel(play)) << "Normal image on leaving Play";
    EXPECT_EQ(ImageColour(help, 1), SlotPixel(help));

    // A release inside keeps the flag: no new highlight while the pointer stays.
    ReleaseButton(window, (unsigned)Centre(help).x, (unsigned)Centre(help).y);
    MoveTo(Centre(help).x + 1, Centre(help).y);
    EXPECT_EQ(ImageColour(help, 0), SlotPixel(help)) << "Normal image after release stays";

    // Install never highlights.
    Fill(RGB(1, 2, 3));
    MoveTo(Centre(install).x, Centre(install).y);
    EXPECT_EQ(0, ButtonSlotHovered(install));
    EXPECT_EQ(RGB(1, 2, 3), SlotPixel(install)) << "Install highlighted";
    EXPECT_EQ(0, ButtonSlotHovered(help)) << "Help still flagged after leaving";

    // Game actions turned off while Play is highlighted: Play keeps its Hover image
    // until they are back and the pointer is outside.
    MoveTo(Centre(play).x, Centre(play).y);
    GameActionsEnabled = 0;
    MoveTo(600, 10);
    EXPECT_EQ(1, ButtonSlotHovered(play)) << "gated slot un-highlighted while off";
    EXPECT_EQ(ImageColour(play, 1), SlotPixel(play));
    MoveTo(Centre(play).x, Centre(play).y);
    GameActionsEnabled = 1;
    MoveTo(600, 10);
    EXPECT_EQ(0, ButtonSlotHovered(play));
    EXPECT_EQ(ImageColour(play, 0), SlotPixel(play));

    // With game actions off, entering a gated slot does nothing.
    GameActionsEnabled = 0;
    Fill(RGB(1, 2, 3));
    MoveTo(Centre(play).x, Centre(play).y);
    EXPECT_EQ(0, ButtonSlotHovered(play));
    EXPECT_EQ(RGB(1, 2, 3), SlotPixel(play));
}

// Runs last: it takes the images away for the rest of the process.
TEST_F(ButtonBarTest, DestroyEmptiesTheSlotsAndImagesLoadOnlyOnce) {
    DestroyButtonBar();
    for (int slot = 0; slot < kButtonSlotCount; ++slot) {
        RECT r = ButtonSlotRect(slot);
        EXPECT_TRUE(IsRectEmpty(&r)) << "slot " << slot << " rectangle after destruction";
    }
    EXPECT_EQ(-1, ButtonSlotAt(150, 16)) << "hit after destruction";

    SetUpButtonBar(imageModule->module);  // rectangles again, images not loaded a second time
    EXPECT_EQ(0, ButtonSlotAt(150, 16));
    DrawBaseImage(window, 0);
    EXPECT_EQ(RGB(0, 0, 0), SlotPixel(0)) << "images came back after destruction";
    DestroyButtonBar();
}

}  // namespace
