// The bilingual message table: every text and title, styles and owners.
#include <string.h>

#include <string>

#include "app/main_window.h"
#include "config/environment_probes.h"
#include "config/message_catalogue.h"
#include "unit_support.h"

namespace {

std::wstring Decode(UINT codePage, const char* text) {
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, NULL, 0);
    if (n <= 0) return L"<undecodable>";
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, &wide[0], n);
    wide.resize(n - 1);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &s[0], n, NULL, NULL);
    s.resize(n - 1);
    return s;
}

const char* const kNames[kMessageCount] = {
    "MSG_NOTEPAD_MISSING",    "MSG_BROWSER_MISSING", "MSG_DIRECTX_REQUIRED",
    "MSG_DIRECTX_ALREADY",    "MSG_WINSOCK_REQUIRED", "MSG_SELECT_RENDER_MODE",
    "MSG_INSTALL_GAME",       "MSG_SERVERLIST_UNREADABLE", "MSG_SELECT_SERVER_PROMPT"};

}  // namespace

TEST(MessageCatalogue, KoreanTextsInCodePage949) {
    // Expected characters written as UTF-8 here; the catalogue holds code page 949 bytes.
    const char* const expected[kMessageCount] = {
        "notepad.exe를 찾을 수 없습니다",
        "기본 브라우져을 찾을 수 없습니다",
        "DirectX 7.0이상 버젼을 설치하셔야 됩니다. 지금 설치 하시겠습니까?",
        "이미 DirectX 7.0이상 버젼이 설치되어 있습니다. 그래도 설치 하시겠습니까?",
        "Windows95는 Windows Socket을 설치하셔야 합니다. 지금 설치 하시겠습니까?",
        "Video Setup에서 Render Mode를 선택하여 주십시오",
        "Vorn를 인스톨 하여 주십시오.",
        "ServerList.dat를 읽어 들이지 못했습니다. Server List를 Update하여 주십시오",
        "아래 리스트에서 서버을 선택하여 주십시오",
    };
    for (int m = 0; m < kMessageCount; ++m) {
        std::wstring got = Decode(949, MessageCatalogue[m].koreanText);
        EXPECT_TRUE(got == Decode(CP_UTF8, expected[m]))
            << kNames[m] << ": expected \"" << expected[m] << "\", got \"" << Utf8(got) << "\"";
    }
}

TEST(MessageCatalogue, EnglishTexts) {
    const char* const expected[kMessageCount] = {
        "Can't find 'notepad.exe'",
        "Can't find primary webbrowser",
        "DirectX 7.0 or higher has to be installed. Click 'Yes' for Install now",
        "DirectX 7.0 or higher is already installed to run the game. Would you like to "
        "re-install?",
        "Windows Socket has to be installed to run the game. Click 'Yes' to Install now",
        "Select Render Mode in Video Setup",
        " Please Install Vorn",
        "Can't read ServerList.dat. Server list update",
        "Under of ListBox to Server Select",
    };
    for (int m = 0; m < kMessageCount; ++m)
        EXPECT_STREQ(expected[m], MessageCatalogue[m].englishText) << kNames[m];
}

TEST(MessageCatalogue, TitlesStylesAndOwners) {
    enum Owner { kLauncher, kNone, kDialog };
    struct Row {
        const char* englishTitle;
        const char* koreanTitle;
        UINT style;
        Owner owner;
    } rows[kMessageCount] = {
        {"Warning Message", "Warning Message", 0x30, kLauncher},  // NOTEPAD_MISSING
        {"Warning Message", "Warning Message", 0x30, kLauncher},  // BROWSER_MISSING
        {"Message", "Messsage", 0x24, kLauncher},                 // DIRECTX_REQUIRED
        {"Messsage", "Messsage", 0x24, kLauncher},                // DIRECTX_ALREADY
        {"Messsage", "Messsage", 0x24, kNone},                    // WINSOCK_REQUIRED
        {"Messsage", "Messsage", 0x00, kLauncher},                // SELECT_RENDER_MODE
        {"Alert", "Alert", 0x00, kLauncher},                      // INSTALL_GAME
        {"Alert", "Alert", 0x00, kDialog},                        // SERVERLIST_UNREADABLE
        {"", "", 0x00, kNone},                                    // SELECT_SERVER_PROMPT
    };
    HWND savedLauncher = LauncherWindow;
    HWND launcher = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    HWND dialog = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5678));
    LauncherWindow = launcher;
    for (int m = 0; m < kMessageCount; ++m) {
        const Row& r = rows[m];
        const MessageEntry& e = MessageCatalogue[m];
        EXPECT_STREQ(r.englishTitle, e.englishTitle) << kNames[m];
        EXPECT_STREQ(r.koreanTitle, e.koreanTitle) << kNames[m];
        EXPECT_EQ(r.style, e.style) << kNames[m];
        HWND owner = r.owner == kLauncher ? launcher : r.owner == kDialog ? dialog : NULL;
        EXPECT_EQ(owner, MessageOwner(m, dialog)) << kNames[m];
    }
    LauncherWindow = savedLauncher;
}

TEST(MessageCatalogue, TextsFollowTheSystemLanguage) {
    // This harness runs under an English system locale; a Korean run shows the other side.
    const bool korean = isKoreanSystem() != 0;
    for (int m = 0; m < kMessageCount; ++m)
        EXPECT_EQ(korean ? MessageCatalogue[m].koreanText : MessageCatalogue[m].englishText,
                  MessageText(m))
            << kNames[m] << " on a " << (korean ? "Korean" : "non-Korean") << " system";
    EXPECT_STREQ("", MessageText(kMessageCount)) << "an unknown message has no text";
}

namespace {

// What a thread timer sees of the message box while ShowMessage waits on it.
struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = NULL;
    bool hasYes = false;
    int ticks = 0;
};
SeenBox seen;

BOOL CALLBACK FindBox(HWND hwnd, LPARAM result) {
    char cls[16] = {0};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(result) = hwnd;
    return FALSE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
    ++seen.ticks;
    if (seen.found) return;
    HWND box = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    char buffer[512] = {0};
    seen.found = true;
    GetWindowTextA(box, buffer, sizeof buffer);
    seen.caption = buffer;
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    seen.text = buffer;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.hasYes = GetDlgItem(box, IDYES) != NULL;
    PostMessageA(box, WM_COMMAND, seen.hasYes ? IDYES : IDOK, 0);
}

}  // namespace

TEST(MessageCatalogue, ShowMessageShowsTheBox) {
    ASSERT_EQ(0, isKoreanSystem()) << "this test expects a non-Korean system";
    HWND launcher = CreateWindowExA(0, "STATIC", "launcher", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                    NULL, NULL, GetModuleHandleA(NULL), NULL);
    HWND dialog = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50,
                                  NULL, NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(launcher && dialog);
    HWND savedLauncher = LauncherWindow;
    LauncherWindow = launcher;
    struct Case {
        int message;
        const char* caption;
        HWND owner;
        bool question;
    } cases[] = {
        {MSG_NOTEPAD_MISSING, "Warning Message", launcher, false},
        {MSG_DIRECTX_REQUIRED, "Message", launcher, true},
        {MSG_WINSOCK_REQUIRED, "Messsage", NULL, true},
        {MSG_INSTALL_GAME, "Alert", launcher, false},
        {MSG_SERVERLIST_UNREADABLE, "Alert", dialog, false},
    };
    for (const Case& c : cases) {
        seen = SeenBox();
        UINT_PTR timer = SetTimer(NULL, 0, 20, AnswerBox);
        int answer = ShowMessage(c.message, dialog);
        KillTimer(NULL, timer);
        ASSERT_TRUE(seen.found) << "message " << c.message << ": no box seen";
        EXPECT_EQ(c.caption, seen.caption) << "message " << c.message;
        EXPECT_EQ(MessageCatalogue[c.message].englishText, seen.text) << "message " << c.message;
        EXPECT_EQ(c.owner, seen.owner) << "message " << c.message << ": owner";
        EXPECT_EQ(c.question, seen.hasYes) << "message " << c.message << ": Yes button";
        EXPECT_EQ(c.question ? IDYES : IDOK, answer) << "message " << c.message << ": answer";
    }
    EXPECT_EQ(0, ShowMessage(MSG_SELECT_SERVER_PROMPT)) << "the prompt is never a box";
    LauncherWindow = savedLauncher;
    DestroyWindow(dialog);
    DestroyWindow(launcher);
}
