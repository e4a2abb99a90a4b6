// The eight image buttons on the real launcher: the images they show, the
// highlight and move sound on entering, the pressed image and click sound, the
// release, the hit areas' edges, the dead Install and Cinematics buttons, the
// install-state gate of Play, Server and Video setup, and what a paint keeps.
//
// "No sound" and "no change" are proved with the driver's Fence: the launcher
// handles input in order, so once the fence's own move sound is there, every
// earlier move and click has been handled.
#include "driver.h"

#include <sstream>

using namespace e2e;

namespace {

// A point of the client area on the background, away from every button.
const POINT kOffButtons = {600, 30};

const int kReactingSlots[] = {kSlotPlay, kSlotHelp, kSlotServer, kSlotDirectX, kSlotVideo,
                              kSlotExit};
const int kGatedSlots[] = {kSlotPlay, kSlotServer, kSlotVideo};
const int kAlwaysSlots[] = {kSlotHelp, kSlotDirectX, kSlotExit};

int BaseImage(int slot)
{
    const SlotInfo& s = kSlots[slot];
    return (slot == kSlotInstall || slot == kSlotCinematics) ? s.disabled : s.normal;
}

POINT Offset(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }

// The slot's image against one of its bitmaps, leaving out what `cover` (a
// window lying over the launcher, such as a dialog) hides.
PixelDiff WaitForSlotImageBeside(const Launcher& launcher, int slot, int bitmapId, HWND cover,
                                 DWORD timeoutMs = 3000)
{
    std::vector<RECT> skip;
    if (cover) {
        RECT w;
        GetWindowRect(cover, &w);
        POINT a = {w.left, w.top}, b = {w.right, w.bottom};
        ScreenToClient(launcher.window, &a);
        ScreenToClient(launcher.window, &b);
        skip.push_back(RECT{a.x, a.y, b.x, b.y});
    }
    RECT r = ButtonImageRect(slot);
    return WaitForImage(launcher.window, POINT{r.left, r.top}, ButtonArtFile(bitmapId), timeoutMs,
                        skip);
}

class ButtonBarOnScreen : public LauncherTest {
protected:
    // Starts with the cursor off the window, so no slot is highlighted.
    void StartParked()
    {
        MoveToScreen(POINT{0, 0});
        ASSERT_TRUE(Start());
    }

    size_t SoundCount() const { return SoundsPlayed(launcher).size(); }

    // Sounds played since `mark` and before the fence's own move sound.
    std::vector<std::string> SoundsBeforeFence(size_t mark)
    {
        std::vector<std::string> before;
        if (!Fence(launcher, &before)) {
            ADD_FAILURE() << LastError();
            return std::vector<std::string>{"<fence failed>"};
        }
        if (before.size() < mark)
            return std::vector<std::string>{"<sounds lost>"};
        return std::vector<std::string>(before.begin() + mark, before.end());
    }

    // Moves onto the background and waits until every slot that may be
    // highlighted (by the test or by a fence) shows its base image again, so
    // no hover flag is left set.
    void Rest()
    {
        MoveTo(launcher, kOffButtons);
        for (int slot = 0; slot < 8; ++slot) {
            PixelDiff diff = WaitForSlotImage(launcher, slot, BaseImage(slot));
            ASSERT_TRUE(diff.Same()) << kSlots[slot].name << " back to its base image at rest: "
                                     << diff.Describe();
        }
    }

    void ExpectShows(int slot, int bitmapId, const char* what, DWORD timeoutMs = 3000)
    {
        PixelDiff diff = WaitForSlotImage(launcher, slot, bitmapId, timeoutMs);
        EXPECT_TRUE(diff.Same()) << kSlots[slot].name << " should show bitmap " << bitmapId
                                 << " (" << what << "): " << diff.Describe();
    }

    // Enters a slot from the background: one move sound and the Hover image.
    void ExpectEnterHighlights(int slot, POINT at)
    {
        size_t mark = SoundCount();
        MoveTo(launcher, at);
        std::vector<std::string> sounds;
        ASSERT_TRUE(WaitForSounds(launcher, mark + 1, 5000, &sounds))
            << "entering " << kSlots[slot].name << ": " << LastError();
        EXPECT_EQ(kMoveSound, sounds[mark]) << "entering " << kSlots[slot].name;
        ExpectShows(slot, kSlots[slot].hover, "highlighted");
    }

    void ExpectNoCommandRan(const char* after)
    {
        EXPECT_TRUE(IsRunning(launcher)) << "the launcher should still run after " << after;
        EXPECT_TRUE(FindDialogs(launcher.pid).empty())
            << "no dialog or message box should open after " << after;
        EXPECT_TRUE(ReadRecords(game, "VornD3D").empty()) << "no game started after " << after;
    }
};

// ---------------------------------------------------------------- base images, dead buttons

TEST_F(ButtonBarOnScreen, InstallAndCinematicsShowDisabledAndNeverReact)
{
    StartParked();
    for (int slot = 0; slot < 8; ++slot)
        ExpectShows(slot, BaseImage(slot), "base image after start");

    const int dead[] = {kSlotInstall, kSlotCinematics};
    for (int slot : dead) {
        SCOPED_TRACE(kSlots[slot].name);
        const RECT& r = kSlots[slot].rect;
        size_t mark = SoundCount();
        // Across the slot, into both inner corners, and a click in the middle.
        MoveTo(launcher, POINT{r.left, r.top});
        MoveTo(launcher, POINT{r.right - 1, r.bottom - 1});
        MoveToSlot(launcher, slot);
        LeftDown();
        LeftUp();
        EXPECT_EQ(std::vector<std::string>{}, SoundsBeforeFence(mark))
            << "moving over and clicking " << kSlots[slot].name << " plays nothing";
        ExpectShows(slot, kSlots[slot].disabled, "still disabled", 200);
        ExpectNoCommandRan(kSlots[slot].name);
        Rest();
    }
}

// ---------------------------------------------------------------- hover

TEST_F(ButtonBarOnScreen, EnteringHighlightsWithOneSoundAndLeavingIsSilent)
{
    StartParked();
    for (int slot : kReactingSlots) {
        SCOPED_TRACE(kSlots[slot].name);
        Rest();
        size_t mark = SoundCount();
        ExpectEnterHighlights(slot, SlotCenter(slot));
        // Moving on inside the slot neither sounds nor redraws.
        MoveTo(launcher, Offset(SlotCenter(slot), 40, 10));
        MoveTo(launcher, kOffButtons);
        ExpectShows(slot, kSlots[slot].normal, "after leaving");
        EXPECT_EQ(std::vector<std::string>{kMoveSound}, SoundsBeforeFence(mark))
            << "one move sound on entering " << kSlots[slot].name
            << ", none while inside or on leaving";
    }
}

TEST_F(ButtonBarOnScreen, JumpingFromSlotToSlotSoundsOnceForTheSlotEntered)
{
    struct Jump {
        int from, to;
    };
    // Neighbours both ways (one visited before the other when the pointer is
    // checked), and two far apart.
    const Jump jumps[] = {
        {kSlotServer, kSlotDirectX}, {kSlotDirectX, kSlotServer},
        {kSlotPlay, kSlotExit},      {kSlotVideo, kSlotHelp},
    };
    StartParked();
    for (const Jump& j : jumps) {
        SCOPED_TRACE(std::string(kSlots[j.from].name) + " -> " + kSlots[j.to].name);
        Rest();
        ExpectEnterHighlights(j.from, SlotCenter(j.from));
        size_t mark = SoundCount();
        MoveToSlot(launcher, j.to);
        ExpectShows(j.to, kSlots[j.to].hover, "entered");
        ExpectShows(j.from, kSlots[j.from].normal, "left");
        EXPECT_EQ(std::vector<std::string>{kMoveSound}, SoundsBeforeFence(mark))
            << "exactly one move sound, for the slot entered";
    }
}

// ---------------------------------------------------------------- hit area edges

TEST_F(ButtonBarOnScreen, HitAreaIncludesLeftAndTopButNotRightAndBottom)
{
    struct EdgeCase {
        POINT at;
        bool inside;
    };
    // Exit: 300, 407, 491, 451; its image also covers column 491 and row 451.
    const EdgeCase cases[] = {
        {{300, 407}, true},  {{490, 450}, true},  {{491, 430}, false},
        {{400, 451}, false}, {{299, 430}, false}, {{400, 406}, false},
    };
    StartParked();
    for (const EdgeCase& c : cases) {
        std::ostringstream where;
        where << "(" << c.at.x << ", " << c.at.y << ")";
        SCOPED_TRACE(where.str());
        Rest();
        size_t mark = SoundCount();
        MoveTo(launcher, c.at);
        if (c.inside)
            ExpectShows(kSlotExit, kSlots[kSlotExit].hover, "pointer inside");
        std::vector<std::string> sounds = SoundsBeforeFence(mark);
        EXPECT_EQ(c.inside ? std::vector<std::string>{kMoveSound} : std::vector<std::string>{},
                  sounds)
            << where.str() << (c.inside ? " is inside Exit" : " is outside Exit");
    }
}

// ---------------------------------------------------------------- press and release

TEST_F(ButtonBarOnScreen, PressShowsPressedWithClickThenRunsTheCommand)
{
    StartParked();
    Rest();
    size_t mark = SoundCount();
    ExpectEnterHighlights(kSlotHelp, SlotCenter(kSlotHelp));

    LeftDown();  // held while the Help dialog is open
    HWND dialog = WaitForDialog(launcher, 5000, "Help Dialog");
    ASSERT_NE(nullptr, dialog) << "pressing Help opens its dialog: " << LastError();
    std::vector<std::string> sounds;
    ASSERT_TRUE(WaitForSounds(launcher, mark + 2, 3000, &sounds)) << LastError();
    EXPECT_EQ((std::vector<std::string>{kMoveSound, kClickSound}),
              std::vector<std::string>(sounds.begin() + mark, sounds.end()))
        << "the move sound on entering, then the click sound on the press";
    // The pressed image was drawn before the command took over.
    PixelDiff pressed = WaitForSlotImageBeside(launcher, kSlotHelp, kSlots[kSlotHelp].pressed,
                                               dialog);
    EXPECT_TRUE(pressed.Same()) << "Help shows Pressed while its dialog is open: "
                                << pressed.Describe();
    EXPECT_GT(pressed.compared, 192L * 45 / 2) << "most of the image is not under the dialog";
    EXPECT_FALSE(DescribeWindow(launcher.window).enabled) << "the dialog is modal";

    ASSERT_TRUE(AnswerDialog(dialog, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(dialog)) << "Cancel closes the Help dialog";
    ASSERT_TRUE(PollUntil([&] { return DescribeWindow(launcher.window).enabled; }, 3000))
        << "the launcher takes input again";
    LeftUp();
    ExpectShows(kSlotHelp, kSlots[kSlotHelp].normal, "after the release");

    // The hover flag stayed set through press, command and release.
    mark = SoundCount();
    MoveTo(launcher, Offset(SlotCenter(kSlotHelp), -30, 8));
    EXPECT_EQ(std::vector<std::string>{}, SoundsBeforeFence(mark))
        << "moving inside Help after the release plays nothing";
    // The fence has left Help: entering again highlights again.
    ExpectEnterHighlights(kSlotHelp, SlotCenter(kSlotHelp));
}

TEST_F(ButtonBarOnScreen, ReleaseShowsNormalWhereverThePressBeganAndKeepsTheHighlightFlag)
{
    StartParked();
    for (int slot : kReactingSlots) {
        SCOPED_TRACE(kSlots[slot].name);
        Rest();
        // Pressed on the background, dragged into the slot, released there.
        LeftDown();
        ExpectEnterHighlights(slot, SlotCenter(slot));
        size_t mark = SoundCount();
        LeftUp();
        ExpectShows(slot, kSlots[slot].normal, "released on it");
        MoveTo(launcher, Offset(SlotCenter(slot), 25, -6));
        EXPECT_EQ(std::vector<std::string>{}, SoundsBeforeFence(mark))
            << "the release and a move inside play nothing";
        ExpectNoCommandRan("a release");
        // Re-entering after the fence took the pointer away sounds again.
        Rest();
        ExpectEnterHighlights(slot, SlotCenter(slot));
    }
}

// ---------------------------------------------------------------- install-state gate

TEST_F(ButtonBarOnScreen, GatedSlotsFollowTheInstallStateAtTheNextMessageWithoutARepaint)
{
    // Installed, with the install folder (the first-run Dstdir default is the
    // launcher's folder) holding MathFunc.tbl: game actions are off.
    ASSERT_TRUE(CreateVornKey("InstallGame"));
    const std::string marker = game.Path("MathFunc.tbl");
    ASSERT_TRUE(WriteWholeFile(marker, "x"));
    StartParked();
    ASSERT_EQ(game.path, ReadVornValue("Dstdir", "").Text()) << "the install folder";
    for (int slot = 0; slot < 8; ++slot)
        ExpectShows(slot, BaseImage(slot), "base image with game actions off");

    for (int slot : kGatedSlots) {
        SCOPED_TRACE(kSlots[slot].name);
        Rest();
        size_t mark = SoundCount();
        MoveToSlot(launcher, slot);
        LeftDown();
        LeftUp();
        MoveTo(launcher, Offset(SlotCenter(slot), 30, 5));
        EXPECT_EQ(std::vector<std::string>{}, SoundsBeforeFence(mark))
            << "hovering and clicking " << kSlots[slot].name << " with game actions off";
        ExpectShows(slot, kSlots[slot].normal, "unchanged", 200);
        ExpectNoCommandRan(kSlots[slot].name);
    }
    for (int slot : kAlwaysSlots) {
        SCOPED_TRACE(kSlots[slot].name);
        Rest();
        ExpectEnterHighlights(slot, SlotCenter(slot));
    }

    // A paint would put the window back in the middle of the screen: moved
    // aside, it shows whether any paint came.
    Rest();
    RECT centred = DescribeWindow(launcher.window).window;
    SetWindowPos(launcher.window, nullptr, centred.left + 9, centred.top + 7, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    auto isAside = [&] { return DescribeWindow(launcher.window).window.left == centred.left + 9; };
    ASSERT_TRUE(PollUntil(isAside, 3000)) << "the test moves the window aside";
    ASSERT_TRUE(Fence(launcher)) << LastError();
    ASSERT_TRUE(isAside()) << "moving the window aside does not by itself make it paint";
    Rest();

    // Removed while idle: the next message (the move onto Play) sees it.
    ASSERT_TRUE(DeleteFileA(marker.c_str()));
    size_t mark = SoundCount();
    ExpectEnterHighlights(kSlotPlay, SlotCenter(kSlotPlay));
    EXPECT_EQ(std::vector<std::string>{kMoveSound}, SoundsBeforeFence(mark));
    EXPECT_TRUE(isAside()) << "the launcher did not repaint when game actions came on";
    ExpectShows(kSlotServer, kSlots[kSlotServer].normal, "pixels kept");
    ExpectShows(kSlotVideo, kSlots[kSlotVideo].normal, "pixels kept");

    // Back while Play is highlighted: Play keeps its Hover image after the
    // pointer leaves, until game actions are on again and the pointer is
    // seen outside it.
    Rest();
    ExpectEnterHighlights(kSlotPlay, SlotCenter(kSlotPlay));
    ASSERT_TRUE(WriteWholeFile(marker, "x"));
    MoveTo(launcher, kOffButtons);
    ASSERT_TRUE(Fence(launcher)) << LastError();
    ExpectShows(kSlotPlay, kSlots[kSlotPlay].hover, "left while game actions are off", 200);
    ASSERT_TRUE(DeleteFileA(marker.c_str()));
    MoveTo(launcher, kOffButtons);
    Rest();
    EXPECT_TRUE(isAside()) << "no repaint while the install state changed";
}

// ---------------------------------------------------------------- paint

TEST_F(ButtonBarOnScreen, PaintDrawsBaseImagesAndKeepsTheHighlightFlag)
{
    struct PaintCase {
        const char* how;
        bool (*paint)(HWND);
    };
    const PaintCase cases[] = {
        {"InvalidateRect with erase",
         [](HWND w) { return InvalidateRect(w, nullptr, TRUE) != 0; }},
        {"InvalidateRect without erase",
         [](HWND w) { return InvalidateRect(w, nullptr, FALSE) != 0; }},
        {"RedrawWindow, erased and painted at once",
         [](HWND w) {
             return RedrawWindow(w, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW) != 0;
         }},
    };
    StartParked();
    for (const PaintCase& c : cases) {
        SCOPED_TRACE(c.how);
        Rest();
        ExpectEnterHighlights(kSlotPlay, SlotCenter(kSlotPlay));
        size_t mark = SoundCount();
        ASSERT_TRUE(c.paint(launcher.window));
        std::vector<RECT> buttons;
        for (int slot = 0; slot < 8; ++slot) {
            ExpectShows(slot, BaseImage(slot), "repainted; Play with the pointer still on it");
            buttons.push_back(ButtonImageRect(slot));
        }
        PixelDiff background = WaitForImage(
            launcher.window, POINT{0, 0},
            game.Path("Launcher\\Resource\\BackGround\\MainBK.bmp"), 3000, buttons);
        EXPECT_TRUE(background.Same()) << "the background around the buttons after the paint: "
                                       << background.Describe();
        MoveTo(launcher, Offset(SlotCenter(kSlotPlay), -35, 9));
        EXPECT_EQ(std::vector<std::string>{}, SoundsBeforeFence(mark))
            << "after the paint Play is still marked highlighted: moving inside plays nothing";
        ExpectShows(kSlotPlay, kSlots[kSlotPlay].normal, "the fence took the pointer away");
        Rest();
        ExpectEnterHighlights(kSlotPlay, SlotCenter(kSlotPlay));
    }
}

}  // namespace
