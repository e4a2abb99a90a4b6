// End-to-end driver: starts the real VornLauncher.exe in a throw-away game
// folder and plays it like a person (cursor, left button, Alt+F4), then looks
// at what came of it: windows, message boxes and dialogs, pixels on screen,
// registry values, the stand-ins' records and the sounds the launcher played.
//
// A test in a few lines:
//
//   #include "driver.h"
//   using namespace e2e;
//
//   TEST_F(LauncherTest, ExitButtonEndsTheLauncher) {
//       ASSERT_TRUE(Start());                       // waits for the window
//       Click(launcher, SlotCenter(kSlotExit));     // real cursor and button
//       DWORD code = 0;
//       ASSERT_TRUE(WaitForExit(launcher, 5000, &code)) << "launcher still running";
//       EXPECT_EQ(0u, code);
//   }
//
// LauncherTest (bottom of this file) resets HKCU\SOFTWARE\VornKT, makes the
// game folder before each test and, whatever happened, kills what is left,
// undoes registry changes made through this driver and removes the folder.
//
// Screens and languages ("profiles"). A test runs on the Wine prefix and the
// display it is started in: the main profile, a 1024x768 screen. Tests whose
// suite name starts with "Screen640x480", "Screen1365x768" or "Korean" need
// another profile; tests/CMakeLists.txt finds such suites in the source and
// runs them through tests/run_in_profile.sh, which sets VORN_PROFILE and the
// profile's prefix and display. Started any other way they skip (LauncherTest
// does this in SetUp; without the fixture use VORN_REQUIRE_PROFILE).
//
// Sounds. The launcher is started with WINEDEBUG=-all,trace+winmm,+pid; Wine
// writes a program's debug lines to the Unix standard error it inherited, which
// is the test program's. tests/run_in_profile.sh (CTest runs every e2e program
// through it) sends that to a file named in VORN_E2E_STDERR; every sound the
// launcher starts leaves a line "<pid>:<tid>:trace:winmm:proc_PlaySound
// SoundName=L"..."" there, which SoundsPlayed reads. Started without the
// wrapper, a test sees no sounds (WaitForSounds says why). A sound started
// just before the launcher ends may not get that line (its playing thread
// dies with the process); its call still leaves "MULTIMEDIA_PlaySound
// pszSound='<address>'", and the driver reads the name at that address from
// the launcher's exe file.
// To prove that something did NOT happen after an action, call Fence: it
// hovers Exit (or Help) and waits for the move sound; the launcher handles
// input in order, so once that sound is there everything before it has been
// handled.
//
// All paths here are Windows paths as the test program sees them under Wine.
// Waits are bounded polls; timeouts are in milliseconds.
#ifndef VORN_E2E_DRIVER_H
#define VORN_E2E_DRIVER_H

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace e2e {

// ---------------------------------------------------------------- paths
std::string LauncherExe();   // the built VornLauncher.exe
std::string StandinsDir();   // <build>\standins (game exes, GetList.exe, DSETUP.dll, ...)
std::string DemoDir();       // the repository's demo\ folder
std::string ArtDir();        // the repository's resources\art\ folder
std::string UnixToWinePath(const std::string& unixPath);  // "/a/b" -> "Z:\a\b"
std::string ButtonArtFile(int bitmapId);  // ArtDir()\button_<id>.bmp

// ---------------------------------------------------------------- files
bool FileExists(const std::string& path);
bool CopyOneFile(const std::string& from, const std::string& to);  // makes missing folders
bool MakeFolders(const std::string& path);                          // like mkdir -p
void RemoveTree(const std::string& path);
std::vector<unsigned char> ReadWholeFile(const std::string& path);  // empty when missing
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// ---------------------------------------------------------------- game folder
// What goes into a fresh game folder. Everything is there by default.
struct GameFolderOptions {
    bool launcherExe = true;   // VornLauncher.exe
    bool dsetup = true;        // DSETUP.dll beside it (without it the launcher cannot load)
    bool background = true;    // Launcher\Resource\BackGround\MainBK.bmp
    bool sounds = true;        // Launcher\lsound\mmove.wav, mclick.wav
    bool serverList = true;    // Launcher\ServerList.dat
    bool readmes = true;       // Launcher\ReadmeEng.txt, Launcher\ReadmeHan.txt
    bool initdata = true;      // initdata\* (profeng.dat, profkor.dat, skirmish.dat)
    bool save = true;          // Save\ and its files
    bool games = true;         // VornD3D.exe, VornGL.exe, VornSavage.exe
    bool getList = true;       // Launcher\GetList.exe
    bool ws2setup = true;      // Launcher\SocketUpdate\ws2setup.exe
};

struct GameFolder {
    std::string path;       // full path, no trailing backslash; short (< 40 characters)
    std::string recordDir;  // path\records: VORN_RECORD_DIR, the launcher's stderr log
    std::string Path(const std::string& relative) const { return path + "\\" + relative; }
};

// Makes a new folder below the temporary folder and fills it. false (and
// `out->path` empty) when a file could not be copied.
bool MakeGameFolder(const GameFolderOptions& options, GameFolder* out);
void RemoveGameFolder(GameFolder* folder);

// ---------------------------------------------------------------- stand-in records
// One block of key=value lines; values as written (line ends show as \r, \n).
typedef std::map<std::string, std::string> Record;
// Complete blocks of records\<program>.rec, e.g. program "VornGL", "GetList",
// "DSETUP", "vorn_browser", "vorn_notepad", "notepad", "ws2setup".
std::vector<Record> ReadRecords(const GameFolder& game, const char* program);
// Waits until at least `count` blocks are there; the blocks read last go to `out`.
bool WaitForRecords(const GameFolder& game, const char* program, size_t count, DWORD timeoutMs,
                    std::vector<Record>* out = nullptr);

// ---------------------------------------------------------------- registry
struct RegValue {
    bool present = false;
    DWORD type = 0;                   // REG_SZ, REG_DWORD, ...
    std::vector<unsigned char> data;  // exactly the stored bytes (size = data.size())
    std::string Text() const;         // data up to the first zero byte
    DWORD Dword() const;              // little-endian value of the first 4 bytes (0 if shorter)
};

// Below HKCU\SOFTWARE\VornKT. `key` is "Launcher", "Dstdir", "SelectServer",
// "SocketUpdate", "InstallGame" (or "" for VornKT itself); name "" is the default value.
void ResetVornKey();  // deletes VornKT with everything below it
bool VornKeyExists(const char* key);
RegValue ReadVornValue(const char* key, const char* name);
std::vector<std::string> VornValueNames(const char* key);  // sorted; "" for a default value
std::vector<std::string> VornSubkeys(const char* key);     // sorted
bool CreateVornKey(const char* key);
bool WriteVornDword(const char* key, const char* name, DWORD value);
// Text written with data size `size` (zero-filled after the text); size 0 = length + 1.
bool WriteVornText(const char* key, const char* name, const std::string& text, DWORD size = 0);
bool WriteVornRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size);
bool DeleteVornValue(const char* key, const char* name);
bool DeleteVornKey(const char* key);  // with everything below it

// The default browser: the default value of HKCR\http\shell\open\command.
// The first change keeps the value found; RestoreHttpOpenCommand (called by
// LauncherTest's TearDown) puts it back, or removes it when there was none.
bool SetHttpOpenCommand(const std::string& command);
bool RemoveHttpOpenCommand();
std::string BrowserStandinCommand();  // "\"<standins>\vorn_browser.exe\" %1"
void RestoreHttpOpenCommand();

// The Windows version Wine reports to VornLauncher.exe alone:
// "win95", "win98", "nt40", "win2k", "winxp", "win7", "win10".
bool SetLauncherWindowsVersion(const char* version);
void ClearLauncherWindowsVersion();  // also called by LauncherTest's TearDown

// ---------------------------------------------------------------- the launcher process
struct LaunchOptions {
    bool quiet = true;           // VORN_STANDIN_QUIET=1: stand-ins show no boxes
    std::string dsetupVersion;   // VORN_DSETUP_VERSION ("" = unset: DirectX 7)
    std::string gameMode;        // VORN_GAME_MODE ("" = unset: "window")
    bool korean = false;         // LANG=LC_ALL=ko_KR.UTF-8 and LOCPATH=$VORN_LOCPATH
    bool traceSounds = true;     // WINEDEBUG=-all,trace+winmm,+pid (else -all)
    std::string exe;             // program to start; "" = <game>\VornLauncher.exe
    std::string currentDir;      // "" = the game folder
    // Further variables, set or overridden; an empty value removes the variable.
    std::vector<std::pair<std::string, std::string>> env;
};

struct Launcher {
    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND window = nullptr;       // set by WaitForMainWindow
    std::string stderrLog;       // the file its debug lines go to ("" = not observable)
    size_t logOffset = 0;        // size of that file when it was started
    std::string gameDir;         // the game folder it was started in
    std::string exePath;         // the program started
    DWORD imageBase = 0;         // where its exe was loaded (0 = not seen yet)
};

// Starts the program (not waiting for anything). VORN_RECORD_DIR is the
// game's record folder; the VORN_* variables of the test's own environment
// are not passed on unless set through the options.
bool StartLauncherProcess(const GameFolder& game, const LaunchOptions& options, Launcher* out);
// Waits for its visible top-level window of class "Vorn Launcher" and stores it.
bool WaitForMainWindow(Launcher* launcher, DWORD timeoutMs = 10000);
bool IsRunning(const Launcher& launcher);
bool WaitForExit(Launcher& launcher, DWORD timeoutMs, DWORD* exitCode = nullptr);
// Posts WM_CLOSE to the window and waits for the exit.
bool CloseLauncher(Launcher& launcher, DWORD timeoutMs = 5000, DWORD* exitCode = nullptr);
// Kills the launcher, every process it started (and theirs), and every process
// whose program lies in `gameDir` or the stand-ins folder. Returns how many
// processes it killed. Safe on an empty or ended Launcher.
int KillLauncherTree(Launcher& launcher);
void ReleaseLauncher(Launcher& launcher);  // closes the process handle

// ---------------------------------------------------------------- windows
struct WindowInfo {
    HWND hwnd = nullptr;
    std::string className;
    std::string title;   // ANSI (the test's code page)
    std::string titleUtf8;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT window = {0, 0, 0, 0};  // screen coordinates
    RECT client = {0, 0, 0, 0};  // GetClientRect: (0, 0, width, height)
    POINT clientOrigin = {0, 0}; // client (0, 0) on the screen
    HWND owner = nullptr;        // GW_OWNER
    DWORD pid = 0;
    bool visible = false;
    bool enabled = false;
    bool iconic = false;
};
WindowInfo DescribeWindow(HWND hwnd);
// Visible top-level windows of a process, optionally of one class.
std::vector<HWND> TopLevelWindows(DWORD pid, const char* className = nullptr);
POINT ScreenSize();
// The launcher's window shown normally at its centred place, 642 by 482.
bool RestoredAndCentred(const Launcher& launcher);

// ---------------------------------------------------------------- the button bar
enum SlotIndex {
    kSlotInstall = 0, kSlotPlay, kSlotCinematics, kSlotHelp,
    kSlotServer, kSlotDirectX, kSlotVideo, kSlotExit
};
struct SlotInfo {
    const char* name;
    int code;                  // 502 .. 509
    RECT rect;                 // hit area in client coordinates (right, bottom exclusive)
    int normal, pressed, hover, disabled;  // bitmap ids (ButtonArtFile)
};
extern const SlotInfo kSlots[8];
POINT SlotCenter(int slot);
RECT ButtonImageRect(int slot);  // where its 192x45 image lands: rect + 1 column and row

extern const char* const kMoveSound;   // ".\Launcher\lsound\mmove.wav"
extern const char* const kClickSound;  // ".\Launcher\lsound\mclick.wav"

// ---------------------------------------------------------------- input
// Client coordinates of `window` (the launcher's, unless said otherwise).
void MoveTo(HWND window, POINT client);
void MoveTo(const Launcher& launcher, POINT client);
void MoveToScreen(POINT screen);
void MoveToSlot(const Launcher& launcher, int slot);  // to the middle of a slot
// Moves into a slot and waits for one more move sound. Moves made in quick
// succession are merged, as a person's are: wait for each hover that matters.
bool HoverSlot(const Launcher& launcher, int slot, DWORD timeoutMs = 5000);
void LeftDown();   // at the cursor
void LeftUp();
void Click(const Launcher& launcher, POINT client);  // move, down, up
void ClickSlot(const Launcher& launcher, int slot);
void PressAltF4();

// ---------------------------------------------------------------- sounds
// Sounds the launcher started, in order, as passed (".\Launcher\lsound\mmove.wav").
std::vector<std::string> SoundsPlayed(const Launcher& launcher);
// Waits until at least `count` sounds are there; they go to `out`.
bool WaitForSounds(const Launcher& launcher, size_t count, DWORD timeoutMs = 5000,
                   std::vector<std::string>* out = nullptr);
// Hovers Exit, or Help when the cursor is on Exit, and waits for its move
// sound. On success `before` receives every sound played before the fence's
// own. Needs the launcher window to take mouse input (no owned dialog open);
// wait for the sounds you expect first, the fence proves nothing more came.
bool Fence(const Launcher& launcher, std::vector<std::string>* before = nullptr,
           DWORD timeoutMs = 6000);

// ---------------------------------------------------------------- dialogs and message boxes
struct ControlInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::string className;  // "Button", "Static", "ListBox", ...
    std::string text;       // ANSI (the test's code page)
    std::string textUtf8;
    DWORD style = 0;
    bool enabled = false;
    bool visible = false;
};
struct DialogInfo {
    HWND hwnd = nullptr;
    std::string caption, captionUtf8;
    std::string text, textUtf8;  // a message box's text (static 65535), "" otherwise
    HWND owner = nullptr;
    bool hasIcon = false;        // a message box's icon (static 1088 showing an icon)
    std::vector<int> buttons;    // ids of the visible buttons, in child order
    std::vector<ControlInfo> controls;  // every child, in child order
    const ControlInfo* Control(int id) const;  // nullptr when missing
};
// Visible top-level dialogs (#32770) of a process, owned or not.
std::vector<HWND> FindDialogs(DWORD pid);
// Waits for a dialog of the process; with `caption`, for one with that caption.
HWND WaitForDialog(DWORD pid, DWORD timeoutMs = 5000, const char* caption = nullptr);
HWND WaitForDialog(const Launcher& launcher, DWORD timeoutMs = 5000, const char* caption = nullptr);
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 5000);
DialogInfo DescribeDialog(HWND dialog);
// Presses a button by id (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7, or a control id):
// posts WM_COMMAND BN_CLICKED to the dialog, so it never blocks.
bool AnswerDialog(HWND dialog, int id);
// A real click in the middle of a child control.
bool ClickControl(HWND dialog, int id);
int ListBoxCount(HWND dialog, int listId);
std::vector<std::string> ListBoxRows(HWND dialog, int listId, bool utf8 = false);
int ListBoxSelection(HWND dialog, int listId);  // LB_ERR (-1) when none
bool ClickListRow(HWND dialog, int listId, int row);   // real click on the row
bool SelectListRow(HWND dialog, int listId, int row);  // LB_SETCURSEL + LBN_SELCHANGE

// ---------------------------------------------------------------- pixels
struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr;  // top-down rows, 3 bytes a pixel, no padding
    unsigned At(int x, int y) const; // 0xRRGGBB
    bool empty() const { return width == 0; }
};
// The client area as it is on the screen now (BitBlt with CAPTUREBLT).
Pixels CaptureClient(HWND window);
Pixels CaptureScreen(RECT screenRect);
// A 24-bit BMP file (bottom-up or top-down).
bool LoadBmp24(const std::string& path, Pixels* out);

struct PixelDiff {
    long compared = 0;
    long count = 0;     // pixels that differ
    POINT first = {-1, -1};  // first differing pixel, in `actual` coordinates
    unsigned expected = 0, actual = 0;
    bool Same() const { return count == 0 && compared > 0; }
    std::string Describe() const;
};
// Compares a w x h area of `actual` at (ax, ay) with `expected` at (ex, ey),
// leaving out pixels inside any of `skip` (rectangles in `actual` coordinates).
PixelDiff ComparePixels(const Pixels& actual, int ax, int ay, const Pixels& expected, int ex,
                        int ey, int w, int h, const std::vector<RECT>& skip = {});
// Compares the client area at `at` with the whole of a BMP file, polling until
// they match or the time is up; the last comparison is returned.
PixelDiff WaitForImage(HWND window, POINT at, const std::string& bmpPath, DWORD timeoutMs = 3000,
                       const std::vector<RECT>& skip = {});
// The slot's image on screen against one of its bitmaps (by id).
PixelDiff WaitForSlotImage(const Launcher& launcher, int slot, int bitmapId, DWORD timeoutMs = 3000);

// ---------------------------------------------------------------- profiles
// nullptr when this run is on `profile` ("main", "640x480", "1365x768", "ko"),
// otherwise the reason to skip.
const char* ProfileMismatch(const char* profile);
#define VORN_REQUIRE_PROFILE(profile)                                 \
    do {                                                              \
        if (const char* vornWhy = ::e2e::ProfileMismatch(profile))    \
            GTEST_SKIP() << vornWhy;                                  \
    } while (0)

// Why the last driver call that returned false failed ("" when none did).
const std::string& LastError();

// Polls `condition` every 20 ms until it is true or the time is up.
template <class F>
bool PollUntil(F condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

// ---------------------------------------------------------------- fixture
// Per test: VornKT reset, a full game folder (`game`), and afterwards, pass or
// fail, everything undone. A launcher still running at the end gets WM_CLOSE;
// if it does not end within 3 s it is killed and the test fails.
// The suite name picks the profile: "Screen640x480...", "Screen1365x768...",
// "Korean..."; anything else runs on the main profile.
class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts VornLauncher.exe in `game` and waits for its window.
    bool Start(const LaunchOptions& options = LaunchOptions());
    // Replaces `game` by a new folder made with other options.
    bool RemakeGame(const GameFolderOptions& options);

    GameFolder game;
    Launcher launcher;
};

}  // namespace e2e

#endif
