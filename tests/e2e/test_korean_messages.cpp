// Under a Korean system the launcher's boxes speak Korean: the DirectX
// re-install question shows its Korean text, stored in code page 949, with the
// same three-s caption, and the text reaches the screen as Hangul glyphs, not
// as the empty boxes of a font without them.
//
// These suites run on the Korean profile (a prefix made under ko_KR.UTF-8, with
// a Korean font such as NanumGothic installed). The glyph test also leaves a
// picture of the box in <build>\screenshots\korean_box.bmp
// (scripts/screenshot_korean_box.sh turns it into a PNG).
#include "driver.h"

#include <string.h>

using namespace e2e;

namespace {

// "Already installed, install anyway?" in Korean, as UTF-8.
const char kAlreadyTextUtf8[] =
    "\xec\x9d\xb4\xeb\xaf\xb8 DirectX 7.0\xec\x9d\xb4\xec\x83\x81 \xeb\xb2\x84\xec\xa0\xbc\xec"
    "\x9d\xb4 \xec\x84\xa4\xec\xb9\x98\xeb\x90\x98\xec\x96\xb4 \xec\x9e\x88\xec\x8a\xb5\xeb\x8b"
    "\x88\xeb\x8b\xa4. \xea\xb7\xb8\xeb\x9e\x98\xeb\x8f\x84 \xec\x84\xa4\xec\xb9\x98 \xed\x95"
    "\x98\xec\x8b\x9c\xea\xb2\xa0\xec\x8a\xb5\xeb\x8b\x88\xea\xb9\x8c?";

std::wstring FromCodePage(UINT codePage, const std::string& bytes)
{
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), (int)bytes.size(),
                                nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), (int)bytes.size(),
                            &out[0], n);
    return out;
}

std::string ToCodePage(UINT codePage, const std::wstring& text)
{
    int n = WideCharToMultiByte(codePage, 0, text.data(), (int)text.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, text.data(), (int)text.size(), &out[0], n, nullptr,
                            nullptr);
    return out;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    char two[4];
    for (unsigned char c : bytes) {
        snprintf(two, sizeof(two), "%02x", c);
        out += two;
    }
    return out;
}

// The font a message box draws its text with. The box's own font handle
// belongs to the launcher's process; when it cannot be read from here, the
// box uses the system's message font, which this process sees the same way.
LOGFONTW BoxTextFont(HWND textControl, std::string* source)
{
    LOGFONTW font;
    ZeroMemory(&font, sizeof(font));
    HFONT handle = (HFONT)SendMessageW(textControl, WM_GETFONT, 0, 0);
    if (handle && GetObjectW(handle, sizeof(font), &font) == sizeof(font)) {
        *source = "the text control's font";
        return font;
    }
    NONCLIENTMETRICSW metrics;
    ZeroMemory(&metrics, sizeof(metrics));
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    *source = "the system message font";
    return metrics.lfMessageFont;
}

std::string FaceUtf8(const LOGFONTW& font)
{
    return ToCodePage(CP_UTF8, font.lfFaceName);
}

// Characters of `text` the font has no glyph for.
std::wstring MissingGlyphs(const LOGFONTW& logFont, const std::wstring& text, std::string* face)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectW(&logFont);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t actual[LF_FACESIZE] = {0};
    GetTextFaceW(dc, LF_FACESIZE, actual);
    *face = ToCodePage(CP_UTF8, actual);
    std::vector<WORD> glyphs(text.size(), 0);
    std::wstring missing;
    if (GetGlyphIndicesW(dc, text.c_str(), (int)text.size(), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        missing = text;
    } else {
        for (size_t i = 0; i < text.size(); ++i)
            if (glyphs[i] == 0xFFFF)
                missing += text[i];
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return missing;
}

// Draws `text` the way a left-aligned static control paints it, on a w x h
// area of `background`.
Pixels RenderText(const LOGFONTW& logFont, const std::wstring& text, DWORD drawFlags, int w, int h,
                  unsigned background)
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
    HFONT font = CreateFontIndirectW(&logFont);
    if (dib && bits && font) {
        HGDIOBJ oldBitmap = SelectObject(memory, dib);
        HGDIOBJ oldFont = SelectObject(memory, font);
        HBRUSH brush = CreateSolidBrush(
            RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
        RECT all = {0, 0, w, h};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        SetBkMode(memory, TRANSPARENT);
        SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(memory, text.c_str(), (int)text.size(), &all, drawFlags);
        GdiFlush();
        const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
        out.width = w;
        out.height = h;
        out.bgr.resize((size_t)w * h * 3);
        for (int row = 0; row < h; ++row)
            memcpy(&out.bgr[(size_t)row * w * 3], (const unsigned char*)bits + row * stride,
                   (size_t)w * 3);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBitmap);
    }
    if (font)
        DeleteObject(font);
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

// Characters of `text` above ASCII whose drawn shape in the font is the
// font's missing-glyph shape (glyph 0): what a player would see as boxes.
std::wstring DrawnAsMissingGlyph(const LOGFONTW& logFont, const std::wstring& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectW(&logFont);
    HGDIOBJ old = SelectObject(dc, font);
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    auto shape = [&](UINT glyph, UINT format) {
        GLYPHMETRICS metrics;
        DWORD size = GetGlyphOutlineW(dc, glyph, format, &metrics, 0, nullptr, &identity);
        std::string bytes((const char*)&metrics, sizeof(metrics));
        if (size != GDI_ERROR && size > 0) {
            std::string bitmap(size, '\0');
            GetGlyphOutlineW(dc, glyph, format, &metrics, size, &bitmap[0], &identity);
            bytes += bitmap;
        }
        return bytes;
    };
    std::string missing = shape(0, GGO_BITMAP | GGO_GLYPH_INDEX);
    std::wstring out;
    for (wchar_t c : text)
        if (c > 0x7F && shape(c, GGO_BITMAP) == missing)
            out += c;
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return out;
}

// Pixels that are not the background colour.
long InkPixels(const Pixels& p, unsigned background)
{
    long ink = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.At(x, y) != background)
                ++ink;
    return ink;
}

bool SaveBmp24(const std::string& path, const Pixels& p)
{
    const DWORD stride = ((DWORD)p.width * 3 + 3) & ~3u;
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    ZeroMemory(&file, sizeof(file));
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = p.width;
    info.biHeight = -p.height;  // top-down
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = stride * p.height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes((const char*)&file, sizeof(file));
    bytes.append((const char*)&info, sizeof(info));
    for (int y = 0; y < p.height; ++y) {
        bytes.append((const char*)&p.bgr[(size_t)y * p.width * 3], (size_t)p.width * 3);
        bytes.append(stride - (size_t)p.width * 3, '\0');
    }
    return WriteWholeFile(path, bytes);
}

// <build>\screenshots, beside the built launcher.
std::string ScreenshotDir()
{
    std::string exe = LauncherExe();
    return exe.substr(0, exe.find_last_of('\\')) + "\\screenshots";
}

}  // namespace

class KoreanDirectXQuestion : public LauncherTest {
protected:
    // Starts the launcher on the Korean system, presses DirectX (DirectX 7 is
    // there) and returns the question box.
    HWND AskDirectX()
    {
        MoveToScreen(POINT{0, 0});
        LaunchOptions options;
        options.korean = true;
        if (!Start(options))
            return nullptr;
        // Pressed before its first paint, a button could miss the press.
        WaitForSlotImage(launcher, kSlotDirectX, kSlots[kSlotDirectX].normal);
        ClickSlot(launcher, kSlotDirectX);
        return WaitForDialog(launcher, 5000);
    }
};

TEST_F(KoreanDirectXQuestion, ShowsTheKoreanTextUnderTheSameCaption)
{
    ASSERT_EQ(0x0412, GetSystemDefaultLangID()) << "the Korean profile runs under ko_KR";
    ASSERT_EQ(949u, GetACP()) << "the Korean system's ANSI code page";
    HWND box = AskDirectX();
    ASSERT_TRUE(box) << "expected the re-install question: " << LastError();
    DialogInfo d = DescribeDialog(box);

    EXPECT_EQ(kAlreadyTextUtf8, d.textUtf8) << "the Korean text, character for character";
    // The launcher hands 8-bit text to the box; read back through the system's
    // code page it must be exactly the code page 949 form of the Korean text.
    std::string cp949 = ToCodePage(949, FromCodePage(CP_UTF8, kAlreadyTextUtf8));
    ASSERT_FALSE(cp949.empty());
    EXPECT_EQ(Hex(cp949), Hex(d.text)) << "the text's bytes in code page 949";
    EXPECT_EQ("Messsage", d.captionUtf8) << "the caption is the same in both languages";
    EXPECT_EQ(launcher.window, d.owner);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), d.buttons);
    EXPECT_TRUE(d.hasIcon);

    ASSERT_TRUE(AnswerDialog(box, IDNO));
    ASSERT_TRUE(WaitForWindowGone(box));
    ASSERT_TRUE(PollUntil([&] { return IsWindowEnabled(launcher.window) != 0; }, 3000));
    EXPECT_TRUE(IsRunning(launcher)) << "No keeps the launcher open on a Korean system too";
}

TEST_F(KoreanDirectXQuestion, DrawsTheTextWithHangulGlyphs)
{
    HWND box = AskDirectX();
    ASSERT_TRUE(box) << "expected the re-install question: " << LastError();
    HWND textControl = GetDlgItem(box, 65535);
    ASSERT_TRUE(textControl) << "the box's text control";
    std::wstring text = FromCodePage(CP_UTF8, kAlreadyTextUtf8);

    // The font has a glyph for every character of the text.
    std::string source, face;
    LOGFONTW font = BoxTextFont(textControl, &source);
    std::wstring missing = MissingGlyphs(font, text, &face);
    RecordProperty("text_font", face);
    EXPECT_TRUE(missing.empty()) << "font \"" << FaceUtf8(font) << "\" (" << source
                                 << ", drawn as \"" << face << "\", charset "
                                 << (int)font.lfCharSet << ") lacks glyphs for \""
                                 << ToCodePage(CP_UTF8, missing) << "\"";

    // What the screen shows is exactly that font's rendering of the text, and
    // in that font no Hangul character has the missing-glyph shape.
    RECT r;
    ASSERT_TRUE(GetWindowRect(textControl, &r));
    RECT boxRect;
    ASSERT_TRUE(GetWindowRect(box, &boxRect));
    DWORD style = (DWORD)GetWindowLongW(textControl, GWL_STYLE);
    DWORD flags = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    unsigned background = 0;
    Pixels shot, real;
    PixelDiff diff;
    bool matched = PollUntil([&] {
        shot = CaptureScreen(r);
        if (shot.empty())
            return false;
        background = shot.At(w - 1, h - 1);
        real = RenderText(font, text, flags, w, h, background);
        diff = ComparePixels(shot, 0, 0, real, 0, 0, w, h);
        return diff.Same();
    }, 3000);

    Pixels whole = CaptureScreen(boxRect);
    ASSERT_TRUE(MakeFolders(ScreenshotDir()));
    EXPECT_TRUE(SaveBmp24(ScreenshotDir() + "\\korean_box.bmp", whole));

    EXPECT_GT(InkPixels(shot, background), 200L) << "the text area shows text";
    EXPECT_TRUE(matched) << "the text area against the font's own rendering: " << diff.Describe();
    std::wstring boxes = DrawnAsMissingGlyph(font, text);
    EXPECT_TRUE(boxes.empty()) << "drawn as missing-glyph boxes: \"" << ToCodePage(CP_UTF8, boxes)
                               << "\"";

    ASSERT_TRUE(AnswerDialog(box, IDNO));
}
